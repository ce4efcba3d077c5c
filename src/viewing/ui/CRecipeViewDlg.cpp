#include "viewing/ui/CRecipeViewDlg.h"

#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "planning/ui/CAddToPlanDlg.h"
#include "planning/ui/CShoppingListDlg.h"
#include "viewing/calories.h"
#include "viewing/favourites.h"
#include "viewing/recipe_view.h"
#include "viewing/ui/CWebBrowser.h"
#include "viewing/ui/qt_pdf.h"
#include "viewing/ui/qt_term_links.h"

#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

namespace savorel::ui {

namespace {

const char* const kHelp =
    "Adaugati aceasta reteta la lista\n retetelor dumneavostra preferate, apasand butonul de "
    "adaugare.\n Puteti imprima aceasta reteta apasand butonul <<Print>>.\n Obtineti lista "
    "caloriilor pe care le cuprinde acesta reteta\n     apasand butonul <<Calorii>>!!!";
const char* const kNoInterface = "Couldn't find the interface";
constexpr int kServingsControlId = 1009;
constexpr int kStatusMilliseconds = 4000;
const char* const kFavouriteAdded = "Reteta a fost adaugata la retetele preferate.";
const char* const kFavouriteAlready = "Reteta este deja printre retetele preferate.";
const char* const kFavouriteNotWritten = "Reteta nu a putut fi adaugata la retetele preferate.";

// An absolute file address: a folder holding "#", "?" or "%" stays a folder.
QUrl FileUrl(const std::string& path) {
    return QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(path.c_str())).absoluteFilePath());
}

// The top of the button row: the status stands just above it, over the page's foot.
int ButtonRowTop(const QWidget* window) {
    const QWidget* add = FindControl(window, 1003);
    return add ? add->y() : window->height();
}

QPushButton* PlaceButton(QWidget* parent, int id, const char* name, const char* text, int x) {
    return ui::MakeButton(parent, id, name, QString::fromLatin1(text), x, 251,
                          id == 1003 ? 164 : 42, 17);
}

} // namespace

CRecipeViewDlg::CRecipeViewDlg(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    // A frame without a caption bar: the page fills the window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setWindowTitle(QString());
    resize(DluX(408), DluY(270));
    if (!m_session.browserUnavailable) {
        m_browser = new CWebBrowser(this);
        // Below the strip of the plan's buttons and "Portii".
        Place(m_browser, 1008, 0, 18, 406, 229);
        new TermLinks(this, m_browser, m_session); // dictionary terms as links, owned by the window
        m_browser->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_browser, &QWidget::customContextMenuRequested, this,
                &CRecipeViewDlg::ShowPageMenu);
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

    // Above the page, on the left: the week plan and the shopping list take this recipe.
    QPushButton* plan =
        MakeButton(this, 1010, "addToPlan", QStringLiteral("Adaugă în plan…"), 2, 2, 74, 14);
    QPushButton* shop = MakeButton(this, 1011, "addToShopping",
                                   QStringLiteral("Adaugă la cumpărături"), 80, 2, 90, 14);
    connect(plan, &QPushButton::clicked, this, &CRecipeViewDlg::OnAddToPlan);
    connect(shop, &QPushButton::clicked, this, &CRecipeViewDlg::OnAddToShopping);

    // Above the page, shown only for a recipe that states its servings.
    m_servingsLabel = new QLabel(QStringLiteral("Portii"), this);
    m_servingsLabel->setGeometry(DluRect(322, 4, 26, 10));
    m_servingsLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_servings = new QSpinBox(this);
    m_servings->setObjectName(QStringLiteral("servings"));
    m_servings->setRange(kMinServings, kMaxServings);
    Place(m_servings, kServingsControlId, 352, 2, 52, 14);
    m_servingsLabel->setBuddy(m_servings);
    m_servingsLabel->hide();
    m_servings->hide();
    connect(m_servings, &QSpinBox::valueChanged, this, &CRecipeViewDlg::OnServingsChanged);
    m_servings->installEventFilter(this);

    // Grown, the page takes the room; the buttons stay along the bottom edge.
    m_frame = new WindowFrame(this, QStringLiteral("recipe"), m_session);
    if (m_browser)
        m_frame->Anchor(m_browser, kGrow);
    if (auto* panel = findChild<QWidget*>(QStringLiteral("termPanel")))
        m_frame->Anchor(panel, {1, 0, 0, 1});
    m_frame->Anchor(add, kStayBottomLeft);
    for (QWidget* button :
         {static_cast<QWidget*>(m_back), static_cast<QWidget*>(help), static_cast<QWidget*>(print),
          static_cast<QWidget*>(calories), static_cast<QWidget*>(exit)})
        m_frame->Anchor(button, kStayBottomRight);
    m_frame->Anchor(m_servingsLabel, kStayTopRight);
    m_frame->Anchor(plan, kStayTopLeft);
    m_frame->Anchor(shop, kStayTopLeft);
    m_frame->Anchor(m_servings, kStayTopRight);

    // Says briefly, over the foot of the page, what the add button did: no box to dismiss.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setAutoFillBackground(true);
    m_status->setFrameShape(QFrame::Box);
    m_status->setMargin(3);
    m_status->hide();
    m_statusTimer = new QTimer(this);
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(kStatusMilliseconds);
    connect(m_statusTimer, &QTimer::timeout, m_status, &QLabel::hide);
}

// Enter in "Portii" takes the number typed and leaves the window open: the default button
// ("Iesire") is for Enter elsewhere.
bool CRecipeViewDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_servings && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_servings->interpretText();
            m_servings->selectAll();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Escape closes what is open over the page first, the window only when nothing is.
void CRecipeViewDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        auto* links = findChild<TermLinks*>();
        if (links && links->Panel()->isVisible()) {
            links->Panel()->hide();
            if (m_browser)
                m_browser->setFocus();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CRecipeViewDlg::ShowStatus(const QString& text) {
    m_status->setText(text);
    m_status->adjustSize();
    m_status->move(DluX(2), ButtonRowTop(this) - m_status->height() - DluY(2));
    m_status->raise();
    m_status->show();
    m_statusTimer->start();
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
        // A page that cannot be read shows as an empty page, as a browser would show it.
        (void)ReadWholeFile(m_recipe.folderText + kRecipePageName, m_recipe.page);
    }
    m_pageRecipePath = PageRecipePathFrom(m_recipe.page);
    SetUpServings();
    ShowRecipePage();
}

// The page this window was opened on (or regenerated for other servings), from memory: the
// file of that name may hold another copy's recipe by now.
void CRecipeViewDlg::ShowRecipePage() {
    const QUrl address = FileUrl(m_recipe.folderText + kRecipePageName);
    if (m_recipe.page.empty())
        m_browser->Navigate(address);
    else
        m_browser->ShowPage(m_recipe.page, address);
}

void CRecipeViewDlg::SetUpServings() {
    m_recipeText.clear();
    const auto own = ReadRecipeText(m_pageRecipePath, m_recipeText) ? ServingsOfRecipe(m_recipeText)
                                                                    : std::nullopt;
    m_servingsLabel->setVisible(own.has_value());
    m_servings->setVisible(own.has_value());
    if (!own)
        return;
    const QSignalBlocker quiet(m_servings);
    m_servings->setValue(*own);
}

int CRecipeViewDlg::ChosenServings() const {
    return m_servings->isHidden() ? 0 : m_servings->value();
}

void CRecipeViewDlg::OnServingsChanged(int servings) {
    const std::string page = RenderServingsPage(m_pageRecipePath, m_recipeText, servings);
    if (!WriteTempFolderFile(m_recipe.folderText, kRecipePageName, page)) {
        ShowMessage(this, QString::fromLatin1(kCannotOpenOutput));
        return;
    }
    m_recipe.page = page;
    if (m_back->isEnabled()) {
        OnCalories(); // the calorie page is shown: it follows
        return;
    }
    ShowRecipePage();
}

void CRecipeViewDlg::OnAddFavourite() {
    if (m_addedToFavourites) {
        // Nothing is written again; the answer of the first press is said again.
        if (!m_status->text().isEmpty())
            ShowStatus(m_status->text());
        return;
    }
    m_addedToFavourites = true;
    const PageFavourite favourite = FavouriteFromPage(m_recipe.page);
    const AddFavouriteResult result = favourite.ok
                                          ? AddFavouriteRecord(favourite.title, favourite.fileName)
                                          : AddFavouriteResult::NotWritten;
    const char* text = result == AddFavouriteResult::Added              ? kFavouriteAdded
                       : result == AddFavouriteResult::AlreadyFavourite ? kFavouriteAlready
                                                                        : kFavouriteNotWritten;
    ShowStatus(QString::fromLatin1(text));
}

void CRecipeViewDlg::OnPrint() {
    if (!m_browser->HasDocument())
        return;
    QPrinter printer;
    if (!m_session.printTarget.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QFile::decodeName(m_session.printTarget.c_str()));
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer to send the page to: say so, then offer the page as a PDF file.
        ShowMessage(this, QString::fromLatin1(kNoInterface));
        OnSavePdf();
        return;
    }
    m_browser->PrintTo(printer);
}

void CRecipeViewDlg::OnSavePdf() {
    if (!m_browser->HasDocument())
        return;
    const PageFavourite named = FavouriteFromPage(m_recipe.page);
    const QString path = AskPdfFile(this, named.ok ? FromCp1250(named.title) : QString());
    if (path.isEmpty())
        return;
    if (const WriteResult written = PrintToPdf(*m_browser, path); !written)
        ShowMessage(this, QString::fromLatin1(kCannotOpenOutput) + QLatin1Char('\n') + path +
                              QStringLiteral(": ") +
                              QString::fromLocal8Bit(WriteFailureText(written).c_str()));
}

void CRecipeViewDlg::ShowPageMenu(const QPoint& position) {
    std::unique_ptr<QMenu> menu(m_browser->createStandardContextMenu(position));
    menu->setObjectName(QStringLiteral("pageMenu"));
    menu->addSeparator();
    QAction* save = menu->addAction(QStringLiteral("Salveaza ca PDF..."));
    save->setObjectName(QStringLiteral("savePdf"));
    // Saved once the menu has closed, so that the file dialog is not opened from inside it.
    if (menu->exec(m_browser->viewport()->mapToGlobal(position)) == save)
        OnSavePdf();
}

void CRecipeViewDlg::OnCalories() {
    WidgetReporter reporter(this);
    if (!CalculateCalories(m_pageRecipePath, m_recipe.folderText, reporter, nullptr,
                           ChosenServings()))
        return; // the page shown stays as it was
    m_browser->Navigate(FileUrl(m_recipe.folderText + kCaloriePageName));
    m_back->setEnabled(true);
}

void CRecipeViewDlg::OnBackToRecipe() {
    ShowRecipePage();
    m_back->setEnabled(false);
}

RecipeRef CRecipeViewDlg::ShownRecipe() const {
    const PageFavourite named = FavouriteFromPage(m_recipe.page);
    return {m_pageRecipePath, named.ok ? named.title : m_pageRecipePath};
}

// The portions proposed are those the page shows.
void CRecipeViewDlg::OnAddToPlan() {
    if (m_pageRecipePath.empty())
        return;
    const RecipeRef recipe = ShownRecipe();
    if (AddRecipeToPlan(this, m_session, recipe, ProposalFor(recipe, ChosenServings())))
        ShowStatus(QStringLiteral("Rețeta a fost adăugată în planul săptămânii."));
}

void CRecipeViewDlg::OnAddToShopping() {
    if (m_pageRecipePath.empty())
        return;
    if (AddRecipeToShopping(this, ShownRecipe(), ChosenServings()))
        ShowStatus(QStringLiteral("Ingredientele au fost adăugate la lista de cumpărături."));
}

void CRecipeViewDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kHelp));
}

} // namespace savorel::ui
