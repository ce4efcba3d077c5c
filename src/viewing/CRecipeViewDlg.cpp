#include "viewing/CRecipeViewDlg.h"

#include "catalogue/page.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/qt_dialogs.h"
#include "personal/favourites.h"
#include "viewing/CWebBrowser.h"
#include "viewing/calories.h"
#include "viewing/qt_open_recipe.h"
#include "viewing/qt_term_links.h"
#include "viewing/recipe_view.h"

#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace savorel::ui {

namespace {

const char* const kHelp =
    "Adaugati aceasta reteta la lista\n retetelor dumneavostra preferate, apasand butonul de "
    "adaugare.\n Puteti imprima aceasta reteta apasand butonul <<Print>>.\n Obtineti lista "
    "caloriilor pe care le cuprinde acesta reteta\n     apasand butonul <<Calorii>>!!!";
const char* const kNoInterface = "Couldn't find the interface";

QString& PrintOutputFile() {
    static QString file;
    return file;
}

// An absolute file address: a folder holding "#", "?" or "%" stays a folder.
QUrl FileUrl(const std::string& path) {
    return QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(path.c_str())).absoluteFilePath());
}

QPushButton* PlaceButton(QWidget* parent, int id, const char* name, const char* text, int x) {
    return ui::MakeButton(parent, id, name, QString::fromLatin1(text), x, 251,
                          id == 1003 ? 164 : 42, 17);
}

} // namespace

void CRecipeViewDlg::SetPrintOutputFile(const QString& pdfPath) {
    PrintOutputFile() = pdfPath;
}

CRecipeViewDlg::CRecipeViewDlg(QWidget* parent) : QDialog(parent) {
    // A frame without a caption bar: the page fills the window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setWindowTitle(QString());
    setFixedSize(DluX(408), DluY(270));
    if (!BrowserUnavailable()) {
        m_browser = new CWebBrowser(this);
        Place(m_browser, 1008, 0, 2, 406, 245);
        new TermLinks(this, m_browser); // dictionary terms as links, owned by the window
    }
    QPushButton* add =
        PlaceButton(this, 1003, "addFavourite", "Adauga aceasta reteta la retetele preferate", 1);
    m_back = PlaceButton(this, 1006, "back", "<<", 171);
    m_back->setEnabled(false);
    QPushButton* help = PlaceButton(this, 1007, "help", "Ajutor", 220);
    QPushButton* print = PlaceButton(this, 1004, "print", "Print", 268);
    QPushButton* calories = PlaceButton(this, 1005, "calories", "Calorii", 316);
    QPushButton* exit = PlaceButton(this, 1, "exit", "Iesire", 364);
    exit->setDefault(true);
    connect(add, &QPushButton::clicked, this, &CRecipeViewDlg::OnAddFavourite);
    connect(m_back, &QPushButton::clicked, this, &CRecipeViewDlg::OnBackToRecipe);
    connect(help, &QPushButton::clicked, this, &CRecipeViewDlg::OnHelp);
    connect(print, &QPushButton::clicked, this, &CRecipeViewDlg::OnPrint);
    connect(calories, &QPushButton::clicked, this, &CRecipeViewDlg::OnCalories);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

int CRecipeViewDlg::DoModal() {
    if (!m_browser)
        return -1;
    OnInitDialog();
    return RunModal(*this);
}

void CRecipeViewDlg::OnInitDialog() {
    if (!m_given) {
        if (const auto text = ReadCookIni())
            m_recipe.folderText = *text;
        ReadWholeFile(m_recipe.folderText + kRecipePageName, m_recipe.page);
    }
    m_pageRecipePath = PageRecipePathFrom(m_recipe.page);
    ShowRecipePage();
}

// The page this window was opened on, from memory: the file of that name may hold another
// copy's recipe by now.
void CRecipeViewDlg::ShowRecipePage() {
    const QUrl address = FileUrl(m_recipe.folderText + kRecipePageName);
    if (m_recipe.page.empty())
        m_browser->Navigate(address);
    else
        m_browser->ShowPage(m_recipe.page, address);
}

void CRecipeViewDlg::OnAddFavourite() {
    if (m_addedToFavourites)
        return;
    m_addedToFavourites = true;
    const PageFavourite favourite = FavouriteFromPage(m_recipe.page);
    if (!favourite.ok)
        return;
    AddFavouriteRecord(favourite.title, favourite.fileName);
}

void CRecipeViewDlg::OnPrint() {
    if (!m_browser->HasDocument())
        return;
    QPrinter printer;
    if (!PrintOutputFile().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrintOutputFile());
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer to send the page to: say so rather than print into nothing.
        ShowMessage(this, QString::fromLatin1(kNoInterface));
        return;
    }
    m_browser->PrintTo(printer);
}

void CRecipeViewDlg::OnCalories() {
    WidgetReporter reporter(this);
    if (!CalculateCalories(m_pageRecipePath, m_recipe.folderText, reporter))
        return; // the page shown stays as it was
    m_browser->Navigate(FileUrl(m_recipe.folderText + kCaloriePageName));
    m_back->setEnabled(true);
}

void CRecipeViewDlg::OnBackToRecipe() {
    ShowRecipePage();
    m_back->setEnabled(false);
}

void CRecipeViewDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kHelp));
}

} // namespace savorel::ui
