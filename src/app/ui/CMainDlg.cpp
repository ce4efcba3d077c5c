#include "app/ui/CMainDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_list_box.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "dictionary/ui/CDictionaryDlg.h"
#include "personal/ui/CFavouritesDlg.h"
#include "personal/ui/COwnRecipesDlg.h"
#include "planning/ui/CPlanDlg.h"
#include "planning/ui/qt_plan_offer.h"
#include "search/ui/CSearchDlg.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace savorel::ui {

namespace {

const char* const kHelp = "Selectati o categorie de preparate culinare,    \n"
                          "apoi o reteta anume pe care doriti sa o cititi!!!";

Backdrop& MainBackdrop() {
    static Backdrop backdrop(QStringLiteral(":/img/backdrop142.svg"));
    return backdrop;
}

// Entries go in at the catalogue's positions (insertItem), never sorted; every choice of the
// user's notifies, a click on the entry already selected too.
SortedListBox* MakeList(QWidget* parent, int id, const char* name, int x, int y, int w, int h) {
    auto* list = new SortedListBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    Place(list, id, x, y, w, h);
    return list;
}

// The search box paints this many answers; typing more narrows the rest down.
constexpr int kQuickShown = 100;
// Work between two key presses: well inside one frame, so typing never waits.
constexpr qint64 kQuickSliceNs = 6'000'000;
// Ingredients are read once the window is up, not while it is being shown.
constexpr int kQuickIndexDelayMs = 250;

// Rows of a list hold no selection after a clear; -1 means "nothing chosen".
int SelectedRow(const QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

// A catalogue name without the blanks that line it up in the file.
std::string Trimmed(std::string_view name) {
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(name.substr(first, name.find_last_not_of(" \t") - first + 1));
}

} // namespace

CMainDlg::CMainDlg(Application& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_session(app.GetSession()) {
    setWindowTitle(QStringLiteral("Savorel v1.2"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(DluX(400), DluY(218));

    m_categories = MakeList(this, 1000, "categories", 17, 24, 105, 45);
    m_subcategories = MakeList(this, 1001, "subcategories", 131, 24, 103, 142);
    m_recipes = MakeList(this, 1002, "recipes", 243, 25, 141, 141);
    QPushButton* search =
        MakeButton(this, 1003, "search", QStringLiteral("Cautare"), 17, 75, 104, 19);
    search->setDefault(true);
    QPushButton* dictionary =
        MakeButton(this, 1004, "dictionary", QStringLiteral("Dictionar"), 17, 99, 104, 19);
    QPushButton* favourites =
        MakeButton(this, 1005, "favourites", QStringLiteral("Preferate"), 17, 122, 104, 19);
    QPushButton* own =
        MakeButton(this, 1016, "ownRecipes", QStringLiteral("Retete proprii"), 17, 148, 104, 19);
    QPushButton* help = MakeButton(this, 1007, "help", QStringLiteral("Ajutor"), 17, 175, 104, 19);
    QPushButton* exit = MakeButton(this, 1, "exit", QStringLiteral("Iesire"), 244, 175, 104, 19);
    QPushButton* plan =
        MakeButton(this, 1018, "weekPlan", QStringLiteral("Planul săptămânii"), 131, 175, 104, 19);
    QPushButton* refresh =
        MakeButton(this, 1017, "refresh", QStringLiteral("Refresh"), 19, 202, 102, 8);
    refresh->setVisible(false);

    // The search box over the lists; its answers cover the subcategories and recipes while
    // there is something in it, and the lists are back as it is emptied.
    m_quickBox = new QLineEdit(this);
    m_quickBox->setObjectName(QStringLiteral("quickSearch"));
    m_quickBox->setGeometry(DluRect(17, 6, 367, 13));
    m_quickBox->setMaxLength(static_cast<int>(kQuickQueryLimit));
    m_quickBox->setPlaceholderText(QStringLiteral("Caută o rețetă după nume sau ingredient"));
    m_quickBox->setClearButtonEnabled(true);
    m_quickBox->installEventFilter(this);
    m_quickResults = new SortedListBox(this);
    m_quickResults->setObjectName(QStringLiteral("quickResults"));
    m_quickResults->setGeometry(DluRect(131, 24, 253, 142));
    m_quickResults->setFocusPolicy(Qt::NoFocus); // the keys stay in the box
    m_quickResults->hide();
    setTabOrder(m_quickBox, m_categories);

    // Grown, the lists take the room: the categories downwards, the other two share the width.
    m_frame = new WindowFrame(this, QStringLiteral("main"), m_session);
    m_frame->Anchor(m_categories, {0, 0, 0, 1});
    for (QWidget* button : {static_cast<QWidget*>(search), static_cast<QWidget*>(dictionary),
                            static_cast<QWidget*>(favourites), static_cast<QWidget*>(own),
                            static_cast<QWidget*>(help), static_cast<QWidget*>(refresh)})
        m_frame->Anchor(button, kStayBottomLeft);
    m_frame->Anchor(m_subcategories, {0, 0, 0.5, 1});
    m_frame->Anchor(m_recipes, {0.5, 0, 0.5, 1});
    m_frame->Anchor(exit, {0.5, 1, 0, 0});
    m_frame->Anchor(plan, {0.25, 1, 0, 0});
    m_frame->Anchor(m_quickBox, {0, 0, 1, 0});
    m_frame->Anchor(m_quickResults, kGrow);

    m_categories->onSelchange = [this] { OnSelchangeCategories(); };
    m_subcategories->onSelchange = [this] { OnSelchangeSubcategories(); };
    m_recipes->onSelchange = [this] { OnSelchangeRecipes(); };
    connect(search, &QPushButton::clicked, this, &CMainDlg::OnSearch);
    connect(dictionary, &QPushButton::clicked, this, &CMainDlg::OnDictionary);
    connect(favourites, &QPushButton::clicked, this, &CMainDlg::OnFavourites);
    connect(own, &QPushButton::clicked, this, &CMainDlg::OnOwnRecipes);
    connect(help, &QPushButton::clicked, this, &CMainDlg::OnHelp);
    connect(plan, &QPushButton::clicked, this, &CMainDlg::OnWeekPlan);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(refresh, &QPushButton::clicked, this, &CMainDlg::OnRefresh);
    connect(&m_timer, &QTimer::timeout, this, &CMainDlg::OnPersonalListTimer);
    m_quickResults->onSelchange = [this] { OpenQuickResult(m_quickResults->currentRow()); };
    connect(m_quickBox, &QLineEdit::textChanged, this, &CMainDlg::OnQuickTextChanged);
    // Recipes are dragged from the lists onto the week plan, or added to it from their menu.
    for (SortedListBox* list : {m_recipes, m_quickResults})
        OfferRecipesToPlan(list, this, m_session,
                           [this, list](int row) { return RecipeOfRow(list, row); });
    m_quickTimer.setSingleShot(true);
    connect(&m_quickTimer, &QTimer::timeout, this, &CMainDlg::OnQuickWork);

    OnInitDialog();
}

const std::string& CMainDlg::TempFolder() const {
    return m_session.tempFolder;
}

void CMainDlg::OnInitDialog() {
    m_timerBusy = false;
    // The start-up's messages are this window's, as it is being built.
    WidgetReporter reporter(this);
    m_app.Start(reporter);
    FillCategories();
    m_timer.start(500);
    // Titles of a large collection take a while to index: the window is painted first.
    m_quickIndexStale = true;
    m_quickTimer.start(kQuickIndexDelayMs);
    m_quickBox->setFocus();
}

void CMainDlg::FillCategories() {
    const CategoryTable& table = m_app.Catalogue();
    for (int i = 0; i <= table.LastIndex(); ++i)
        m_categories->insertItem(i, FromCp1250(table.categories[static_cast<std::size_t>(i)].name));
}

void CMainDlg::OnSelchangeCategories() {
    const int row = SelectedRow(m_categories);
    if (row < 0)
        return;
    m_subcategories->clear();
    m_recipes->clear();
    m_selectedCategory = row;
    const CategoryTable& table = m_app.Catalogue();
    if (row > table.LastIndex())
        return;
    const auto& subs = table.categories[static_cast<std::size_t>(row)].subcategories;
    for (std::size_t i = 0; i < subs.size(); ++i)
        m_subcategories->insertItem(static_cast<int>(i), FromCp1250(subs[i].name));
}

void CMainDlg::OnSelchangeSubcategories() {
    const int row = SelectedRow(m_subcategories);
    if (row < 0)
        return;
    m_recipes->clear();
    m_selectedSubcategory = row;
    const CatalogueSubcategory* sub = m_app.Catalogue().Subcategory(m_selectedCategory, row);
    if (!sub)
        return;
    for (std::size_t i = 0; i < sub->recipes.size(); ++i)
        m_recipes->insertItem(static_cast<int>(i), FromCp1250(sub->recipes[i].name));
}

void CMainDlg::OnSelchangeRecipes() {
    const int row = SelectedRow(m_recipes);
    if (row < 0)
        return;
    m_selectedRecipe = row;
    const CatalogueRecipe* recipe =
        m_app.Catalogue().Recipe(m_selectedCategory, m_selectedSubcategory, row);
    if (!recipe)
        return;
    m_selectedRecipePath = recipe->fileName;
    // Every failure on the way was said in a box; the window stays as it is.
    (void)OpenRecipeFrom(this, m_session, m_selectedRecipePath, Opener::MainWindow);
}

// Each window is built afresh, run modally and dropped; it reads what it needs itself.
void CMainDlg::OnSearch() {
    CSearchDlg dialog(m_session, this);
    dialog.setWindowModality(Qt::WindowModal); // the plan window beside takes its drags
    RunModal(dialog);
}

void CMainDlg::OnDictionary() {
    CDictionaryDlg dialog(m_session, this);
    RunModal(dialog);
}

void CMainDlg::OnFavourites() {
    CFavouritesDlg dialog(m_session, this);
    dialog.setWindowModality(Qt::WindowModal); // the plan window beside takes its drags
    RunModal(dialog);
}

void CMainDlg::OnOwnRecipes() {
    COwnRecipesDlg dialog(m_session, this);
    dialog.setWindowModality(Qt::WindowModal); // the plan window beside takes its drags
    RunModal(dialog);
}

// One plan window, shown beside this one and kept when closed: it shows the same week when
// it is opened again.
void CMainDlg::OnWeekPlan() {
    if (!m_plan) {
        m_plan = new CPlanDlg(m_session, this);
        m_plan->openRecipe = [this](QWidget* owner, const std::string& fileName) {
            (void)OpenRecipeFrom(owner, m_session, fileName, Opener::ListWindow);
        };
        PlaceBeside(*m_plan);
    }
    m_plan->show();
    m_plan->raise();
    m_plan->activateWindow();
}

// Beside this window where the screen has room, so that recipes can be dragged across: to
// its right, else to its left, else both side by side when the screen holds them together;
// a place remembered from an earlier run wins when the window is shown.
void CMainDlg::PlaceBeside(QWidget& window) {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect main = frameGeometry();
    const int margin = main.width() - width();
    const int wide = window.width() + margin;
    int x = main.right() + 1;
    if (x + wide > area.right() + 1) {
        x = main.left() - wide;
        if (x < area.left() && main.width() + wide <= area.width()) {
            const int left = area.left() + (area.width() - main.width() - wide) / 2;
            move(left + (pos().x() - main.x()), pos().y());
            x = left + main.width();
        } else if (x < area.left()) {
            x = area.left() + std::max(0, (area.width() - wide) / 2);
        }
    }
    const int y = std::clamp(frameGeometry().top(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - window.height() - margin));
    window.move(x, y);
}

std::optional<RecipeRef> CMainDlg::RecipeOfRow(const QListWidget* list, int row) const {
    const QListWidgetItem* item = row >= 0 ? list->item(row) : nullptr;
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return std::nullopt;
    if (list == m_quickResults) {
        const auto i = static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong());
        if (i >= m_quickIndex.Size())
            return std::nullopt;
        return RecipeRef{std::string(m_quickIndex.FileName(i)), std::string(m_quickIndex.Title(i))};
    }
    const CatalogueRecipe* recipe =
        m_app.Catalogue().Recipe(m_selectedCategory, m_selectedSubcategory, row);
    if (!recipe)
        return std::nullopt;
    return RecipeRef{recipe->fileName, Trimmed(recipe->name)};
}

void CMainDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kHelp));
}

void CMainDlg::OnRefresh() {
    // Emptying the lists must not count as the user's choice.
    const QSignalBlocker b1(m_categories), b2(m_subcategories), b3(m_recipes);
    m_categories->clear();
    m_subcategories->clear();
    m_recipes->clear();
    WidgetReporter reporter(this);
    (void)m_app.ReloadCatalogue(reporter); // a missing catalogue was said and beeped
    FillCategories();
    // The answers shown point into the old catalogue: gone until the new one answers.
    m_quickResults->clear();
    m_quickIndexStale = true;
    OnQuickTextChanged();
}

void CMainDlg::EnsureQuickIndex() {
    if (!m_quickIndexStale)
        return;
    m_quickIndexStale = false;
    m_quickIndex.Reset(m_app.Catalogue());
    // A query typed before the index was there is asked again of it.
    m_quickSearch.SetQuery(ToCp1250(m_quickBox->text()));
}

void CMainDlg::OnQuickTextChanged() {
    EnsureQuickIndex();
    m_quickSearch.SetQuery(ToCp1250(m_quickBox->text()));
    m_quickShown = false;
    OnQuickWork();
}

// One slice: the query the user waits for first, then ingredients still unread. What is
// left goes on after the key presses that are waiting.
void CMainDlg::OnQuickWork() {
    QElapsedTimer slice;
    slice.start();
    EnsureQuickIndex();
    while (!m_quickSearch.Step(2048) && slice.nsecsElapsed() < kQuickSliceNs) {
    }
    if (m_quickSearch.Done() && !m_quickShown) {
        ShowQuickResults();
        m_quickShown = true;
    }
    if (m_quickSearch.Done() && !m_quickIndex.Complete() && !m_quickTimer.isActive()) {
        while (!m_quickIndex.ReadIngredients(16) && slice.nsecsElapsed() < kQuickSliceNs) {
        }
        // With every ingredient known the query is answered again, now in full.
        if (m_quickIndex.Complete() && !m_quickBox->text().isEmpty())
            OnQuickTextChanged();
    }
    if (!m_quickSearch.Done() || !m_quickIndex.Complete())
        m_quickTimer.start(0);
}

void CMainDlg::FinishQuickWork() {
    m_quickTimer.stop();
    EnsureQuickIndex();
    while (!m_quickIndex.ReadIngredients(4096)) {
    }
    OnQuickTextChanged();
    AnswerNow();
}

void CMainDlg::AnswerNow() {
    if (m_quickShown)
        return;
    m_quickSearch.Run();
    ShowQuickResults();
    m_quickShown = true;
}

void CMainDlg::ShowQuickResults() {
    m_quickResults->clear();
    if (m_quickBox->text().trimmed().isEmpty()) {
        m_quickResults->hide();
        return;
    }
    const std::size_t count = m_quickSearch.MatchCount();
    const int shown = static_cast<int>(std::min<std::size_t>(count, kQuickShown));
    for (int row = 0; row < shown; ++row) {
        const std::uint32_t i = m_quickSearch.Match(static_cast<std::size_t>(row));
        auto* item = new QListWidgetItem(FromCp1250(m_quickIndex.Title(i)).trimmed());
        item->setData(Qt::UserRole, static_cast<qulonglong>(i));
        m_quickResults->addItem(item);
    }
    // Not an answer: says how many more there are, and cannot be chosen.
    QString note;
    if (count == 0)
        note = QStringLiteral("Nicio rețetă nu se potrivește.");
    else if (count > static_cast<std::size_t>(shown))
        note = QStringLiteral("… încă %1 rețete: scrieți mai mult").arg(count - shown);
    if (!note.isEmpty()) {
        auto* item = new QListWidgetItem(note);
        item->setFlags(Qt::NoItemFlags);
        m_quickResults->addItem(item);
    }
    if (shown > 0)
        m_quickResults->setCurrentRow(0);
    m_quickResults->show();
    m_quickResults->raise();
}

void CMainDlg::MoveQuickSelection(int by) {
    AnswerNow(); // an arrow key typed faster than the answer came
    const int answers =
        static_cast<int>(std::min<std::size_t>(m_quickSearch.MatchCount(), kQuickShown));
    if (!m_quickResults->isVisible() || answers == 0)
        return;
    const int row = std::clamp(m_quickResults->currentRow() + by, 0, answers - 1);
    m_quickResults->setCurrentRow(row);
    m_quickResults->scrollToItem(m_quickResults->item(row));
}

void CMainDlg::OpenQuickResult(int row) {
    const QListWidgetItem* item = row >= 0 ? m_quickResults->item(row) : nullptr;
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    const auto i = static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong());
    if (i >= m_quickIndex.Size())
        return;
    m_selectedRecipePath = std::string(m_quickIndex.FileName(i));
    // As choosing it in the recipe list: every failure on the way was said in a box.
    (void)OpenRecipeFrom(this, m_session, m_selectedRecipePath, Opener::MainWindow);
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_quickBox || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const int page = std::max(1, m_quickResults->viewport()->height() /
                                     std::max(1, m_quickResults->sizeHintForRow(0)));
    switch (key->key()) {
    case Qt::Key_Down:
        MoveQuickSelection(1);
        return true;
    case Qt::Key_Up:
        MoveQuickSelection(-1);
        return true;
    case Qt::Key_PageDown:
        MoveQuickSelection(page);
        return true;
    case Qt::Key_PageUp:
        MoveQuickSelection(-page);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // With nothing typed Enter is the window's, whose default button opens the search.
        if (m_quickBox->text().isEmpty())
            return false;
        AnswerNow(); // Enter typed faster than the answer came
        OpenQuickResult(m_quickResults->currentRow());
        return true;
    case Qt::Key_Escape:
        // Clears the box; never closes the window from it.
        m_quickBox->clear();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void CMainDlg::OnPersonalListTimer() {
    if (m_timerBusy)
        return;
    m_timerBusy = true;
    if (m_app.PersonalListChanged())
        OnRefresh();
    if (const auto notice = m_app.TakeBackupNotice())
        ShowMessage(this, QString::fromStdString(*notice));
    m_timerBusy = false;
}

void CMainDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The day's backup starts once the window is up, after its first paint has been queued,
    // and runs beside it (see Application::StartDailyBackup).
    QTimer::singleShot(0, this, [this] { m_app.StartDailyBackup(); });
}

void CMainDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    MainBackdrop().Paint(painter, size(), m_frame->DesignSize());
}

} // namespace savorel::ui
