#include "app/ui/CMainDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_list_box.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "dictionary/ui/CDictionaryDlg.h"
#include "personal/ui/CFavouritesDlg.h"
#include "personal/ui/COwnRecipesDlg.h"
#include "search/ui/CSearchDlg.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QListWidget>
#include <QPainter>
#include <QPushButton>

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

// Rows of a list hold no selection after a clear; -1 means "nothing chosen".
int SelectedRow(const QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
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
    QPushButton* refresh =
        MakeButton(this, 1017, "refresh", QStringLiteral("Refresh"), 19, 202, 102, 8);
    refresh->setVisible(false);

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

    m_categories->onSelchange = [this] { OnSelchangeCategories(); };
    m_subcategories->onSelchange = [this] { OnSelchangeSubcategories(); };
    m_recipes->onSelchange = [this] { OnSelchangeRecipes(); };
    connect(search, &QPushButton::clicked, this, &CMainDlg::OnSearch);
    connect(dictionary, &QPushButton::clicked, this, &CMainDlg::OnDictionary);
    connect(favourites, &QPushButton::clicked, this, &CMainDlg::OnFavourites);
    connect(own, &QPushButton::clicked, this, &CMainDlg::OnOwnRecipes);
    connect(help, &QPushButton::clicked, this, &CMainDlg::OnHelp);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(refresh, &QPushButton::clicked, this, &CMainDlg::OnRefresh);
    connect(&m_timer, &QTimer::timeout, this, &CMainDlg::OnPersonalListTimer);

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
    RunModal(dialog);
}

void CMainDlg::OnDictionary() {
    CDictionaryDlg dialog(m_session, this);
    RunModal(dialog);
}

void CMainDlg::OnFavourites() {
    CFavouritesDlg dialog(m_session, this);
    RunModal(dialog);
}

void CMainDlg::OnOwnRecipes() {
    COwnRecipesDlg dialog(m_session, this);
    RunModal(dialog);
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
