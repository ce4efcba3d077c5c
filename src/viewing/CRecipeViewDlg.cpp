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

std::string& ModuleTempFolder() {
    static std::string folder;
    return folder;
}

std::string& ModulePageRecipePath() {
    static std::string path;
    return path;
}

QString& PrintOutputFile() {
    static QString file;
    return file;
}

QString FileUrl(const std::string& path) {
    return QStringLiteral("file://") + QString::fromLocal8Bit(path.c_str());
}

QPushButton* PlaceButton(QWidget* parent, int id, const char* name, const char* text, int x) {
    return ui::MakeButton(parent, id, name, QString::fromLatin1(text), x, 251,
                          id == 1003 ? 164 : 42, 17);
}

} // namespace

const std::string& CRecipeViewDlg::TempFolder() {
    return ModuleTempFolder();
}
const std::string& CRecipeViewDlg::PageRecipePath() {
    return ModulePageRecipePath();
}
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
    if (const auto text = ReadCookIni())
        ModuleTempFolder() = *text;
    std::string page;
    if (ReadWholeFile(ModuleTempFolder() + kRecipePageName, page))
        ModulePageRecipePath() = PageRecipePathFrom(page);
    m_browser->Navigate(FileUrl(ModuleTempFolder() + kRecipePageName));
}

void CRecipeViewDlg::OnAddFavourite() {
    if (m_addedToFavourites)
        return;
    m_addedToFavourites = true;
    std::string page;
    if (!ReadWholeFile(ModuleTempFolder() + kRecipePageName, page))
        return;
    const PageFavourite favourite = FavouriteFromPage(page);
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
    if (!CalculateCalories(ModulePageRecipePath(), ModuleTempFolder(), reporter))
        return; // the page shown stays as it was
    m_browser->Navigate(FileUrl(ModuleTempFolder() + kCaloriePageName));
    m_back->setEnabled(true);
}

void CRecipeViewDlg::OnBackToRecipe() {
    m_browser->Navigate(FileUrl(ModuleTempFolder() + kRecipePageName));
    m_back->setEnabled(false);
}

void CRecipeViewDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kHelp));
}

} // namespace savorel::ui
