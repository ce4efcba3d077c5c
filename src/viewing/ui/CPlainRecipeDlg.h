#pragma once

#include "catalogue/page.h"

#include <QDialog>

class QPlainTextEdit;

namespace savorel::ui {

// The recipe as plain text, for when the page view cannot be created.
class CPlainRecipeDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CPlainRecipeDlg(QWidget* parent = nullptr);

    QPlainTextEdit* TitleField() const { return m_title; }
    QPlainTextEdit* IngredientsField() const { return m_ingredients; }
    QPlainTextEdit* PreparationField() const { return m_preparation; }

    // Fills the fields from the recipe copy its opener wrote.
    void OnInitDialog(const OpenedRecipe& recipe);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPlainTextEdit* m_preparation;
    QPlainTextEdit* m_ingredients;
    QPlainTextEdit* m_title;
};

} // namespace savorel::ui
