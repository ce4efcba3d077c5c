#pragma once

#include "app/application.h"
#include "core/ui/qt_list_box.h"

#include <QDialog>
#include <QTimer>

#include <string>

class QListWidget;
class QPushButton;

namespace savorel::ui {

class WindowFrame;

// The window of the recipe book: categories, subcategories and recipes side by side. It has
// the application object do the start-up work while it is built, and shows its catalogue.
class CMainDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CMainDlg(Application& app, QWidget* parent = nullptr);

    const CategoryTable& Catalogue() const { return m_app.Catalogue(); }
    const std::string& SelectedRecipePath() const { return m_selectedRecipePath; }
    const std::string& TempFolder() const;
    const PersonalListWatch& Watch() const { return m_app.Watch(); }

public slots:
    void OnSelchangeCategories();
    void OnSelchangeSubcategories();
    void OnSelchangeRecipes();
    void OnSearch();
    void OnDictionary();
    void OnFavourites();
    void OnOwnRecipes();
    void OnHelp();
    void OnRefresh();
    void OnPersonalListTimer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    void FillCategories();

    std::string m_selectedRecipePath;
    int m_selectedCategory = -1;
    int m_selectedSubcategory = -1;
    int m_selectedRecipe = -1;
    bool m_timerBusy = false;
    QTimer m_timer;
    SortedListBox* m_categories;
    SortedListBox* m_subcategories;
    SortedListBox* m_recipes;
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
    Application& m_app;
    Session& m_session;
};

} // namespace savorel::ui
