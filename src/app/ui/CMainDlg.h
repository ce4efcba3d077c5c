#pragma once

#include "app/application.h"
#include "core/ui/qt_list_box.h"
#include "core/ui/qt_recipe_drag.h"
#include "search/quick_search.h"

#include <QDialog>
#include <QTimer>

#include <optional>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace savorel::ui {

class CPlanDlg;
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
    // The search box and its answers (tests, benchmarks).
    QLineEdit* QuickBox() const { return m_quickBox; }
    QListWidget* QuickResults() const { return m_quickResults; }
    const QuickIndex& QuickSearchIndex() const { return m_quickIndex; }
    // Every title and ingredient of the catalogue known to the quick search box.
    bool QuickIndexReady() const { return !m_quickIndexStale && m_quickIndex.Complete(); }
    // The answer painted is that of the text in the box.
    bool QuickAnswered() const { return m_quickShown; }
    // Does what the box's background work would do, all at once.
    void FinishQuickWork();
    // The week plan's window, once it was opened.
    CPlanDlg* PlanWindow() const { return m_plan; }
    // The recipe an entry of the recipe list or of the search box's answers names.
    std::optional<RecipeRef> RecipeOfRow(const QListWidget* list, int row) const;

public slots:
    void OnSelchangeCategories();
    void OnSelchangeSubcategories();
    void OnSelchangeRecipes();
    void OnSearch();
    void OnDictionary();
    void OnFavourites();
    void OnOwnRecipes();
    void OnHelp();
    void OnWeekPlan();
    void OnRefresh();
    void OnPersonalListTimer();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    void FillCategories();
    void OnQuickTextChanged();
    void OnQuickWork();
    void EnsureQuickIndex();
    void ShowQuickResults();
    void AnswerNow();
    void MoveQuickSelection(int by);
    void OpenQuickResult(int row);
    void PlaceBeside(QWidget& window);

    std::string m_selectedRecipePath;
    int m_selectedCategory = -1;
    int m_selectedSubcategory = -1;
    int m_selectedRecipe = -1;
    bool m_timerBusy = false;
    QTimer m_timer;
    SortedListBox* m_categories;
    SortedListBox* m_subcategories;
    SortedListBox* m_recipes;
    QLineEdit* m_quickBox;
    SortedListBox* m_quickResults;
    QuickIndex m_quickIndex;
    bool m_quickIndexStale = true; // built after the window is first painted
    QuickSearch m_quickSearch{m_quickIndex};
    QTimer m_quickTimer;            // the box's work in slices between key presses
    bool m_quickShown = true;       // the answer on screen is the query's latest
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
    CPlanDlg* m_plan = nullptr;     // made on first use, kept for its week
    Application& m_app;
    Session& m_session;
};

} // namespace savorel::ui
