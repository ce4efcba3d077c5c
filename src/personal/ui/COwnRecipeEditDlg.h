#pragma once

#include "personal/store.h"

#include <QDialog>

#include <string>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace savorel::ui {

// The window in which the user writes a recipe of their own, or changes one written before.
class COwnRecipeEditDlg final : public QDialog {
    Q_OBJECT
public:
    explicit COwnRecipeEditDlg(QWidget* parent = nullptr);

    // A new recipe, or a modification of the recipe file named below. Set by the opener
    // before DoModal.
    void SetEditing(SaveMode editing) { m_editing = editing; }
    SaveMode Editing() const { return m_editing; }
    void SetRecipeFileName(const std::string& fileName) { m_recipeFileName = fileName; }
    const std::string& RecipeFileName() const { return m_recipeFileName; }
    bool Saving() const { return m_saving; }

    // OnInitDialog, then the modal run.
    int DoModal();
    // Fills the fields for a modification; runs once.
    void OnInitDialog();

public slots:
    void OnSaveRecipe();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* m_author;
    QPlainTextEdit* m_preparation;
    QPlainTextEdit* m_ingredients;
    QLineEdit* m_name;
    QSpinBox* m_servings; // 0: the recipe states no servings
    bool m_saving = false;
    SaveMode m_editing = SaveMode::NewRecipe;
    std::string m_recipeFileName;
    bool m_initialised = false;
    // The servings item as loaded, with the separator after it, and the ingredients field it
    // came with: saved again unchanged when neither was touched.
    std::string m_loadedServingsPrefix;
    int m_loadedServings = 0;
    QString m_loadedIngredients;
    // A lossless recipe loaded for modification stays lossless and keeps its facts.
    bool m_loadedLossless = false;
    RecipeFacts m_loadedFacts;

    std::string IngredientsToStore() const;
};

} // namespace savorel::ui
