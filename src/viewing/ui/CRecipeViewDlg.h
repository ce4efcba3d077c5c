#pragma once

#include <QDialog>
#include <QString>

#include "catalogue/page.h"
#include "core/session.h"
#include "core/ui/qt_recipe_drag.h"

#include <string>

class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace savorel::ui {

class WindowFrame;

class CWebBrowser;

// The window in which a recipe is read: its page, favourites, calories and printing.
class CRecipeViewDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CRecipeViewDlg(Session& session, QWidget* parent = nullptr);

    // The recipe the window is opened on (the opener's page and source name). A window not
    // given one reads the page that cook.ini's folder holds when it opens.
    void SetRecipe(const OpenedRecipe& recipe) {
        m_recipe = recipe;
        m_given = true;
    }

    // Runs the window modally; -1 without showing it when the page view cannot be created.
    int DoModal();

    CWebBrowser* Browser() const { return m_browser; }
    // The brief text over the page's foot that says what the add button did.
    QLabel* Status() const { return m_status; }

    // The temporary folder and the recipe file this window acts on.
    const std::string& TempFolder() const { return m_recipe.folderText; }
    const std::string& PageRecipePath() const { return m_pageRecipePath; }

public slots:
    void OnAddFavourite();
    void OnPrint();
    void OnCalories();
    void OnBackToRecipe();
    void OnHelp();
    // Asks for a file and saves the page shown as PDF.
    void OnSavePdf();
    // Regenerates the page shown (recipe or calorie page) for `servings`.
    void OnServingsChanged(int servings);
    // The recipe shown, with the portions shown, into the week plan or the shopping list.
    void OnAddToPlan();
    void OnAddToShopping();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    // Shows the "Portii" control when the recipe states its servings.
    void SetUpServings();
    // The number of servings chosen, or 0 when the recipe states none.
    int ChosenServings() const;

    void ShowRecipePage();
    RecipeRef ShownRecipe() const;
    void ShowStatus(const QString& text);
    // The page view's menu: its own entries and "Salveaza ca PDF...".
    void ShowPageMenu(const QPoint& position);

    Session& m_session;
    OpenedRecipe m_recipe;
    bool m_given = false;
    std::string m_pageRecipePath;
    QPushButton* m_back = nullptr;
    QLabel* m_servingsLabel = nullptr;
    QSpinBox* m_servings = nullptr;
    std::string m_recipeText; // unscrambled, read when the window opens
    CWebBrowser* m_browser = nullptr;
    bool m_addedToFavourites = false;
    QLabel* m_status = nullptr;
    QTimer* m_statusTimer = nullptr;
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
};

} // namespace savorel::ui
