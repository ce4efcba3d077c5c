#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QLabel;
class QPushButton;
class QSpinBox;

namespace savorel::ui {

class CWebBrowser;

// The window in which a recipe is read: its page, favourites, calories and printing.
class CRecipeViewDlg : public QDialog {
    Q_OBJECT
public:
    explicit CRecipeViewDlg(QWidget* parent = nullptr);

    // Runs the window modally; -1 without showing it when the page view cannot be created.
    int DoModal();

    CWebBrowser* Browser() const { return m_browser; }
    bool AddedToFavourites() const { return m_addedToFavourites; }

    // The folder and recipe file this window module last read (kept between windows).
    static const std::string& TempFolder();
    static const std::string& PageRecipePath();
    // Printing goes to the default printer; tests print into this PDF file instead.
    static void SetPrintOutputFile(const QString& pdfPath);

public slots:
    void OnAddFavourite();
    void OnPrint();
    void OnCalories();
    void OnBackToRecipe();
    void OnHelp();
    // Regenerates the page shown (recipe or calorie page) for `servings`.
    void OnServingsChanged(int servings);

private:
    void OnInitDialog();
    // Shows the "Portii" control when the recipe states its servings.
    void SetUpServings();
    // The number of servings chosen, or 0 when the recipe states none.
    int ChosenServings() const;

    QPushButton* m_back = nullptr;
    QLabel* m_servingsLabel = nullptr;
    QSpinBox* m_servings = nullptr;
    std::string m_recipeText; // unscrambled, read when the window opens
    CWebBrowser* m_browser = nullptr;
    bool m_addedToFavourites = false;
};

} // namespace savorel::ui
