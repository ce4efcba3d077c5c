#include "personal/ui/CFavouritesDlg.h"

#include "catalogue/page.h"
#include "core/files.h"
#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_window_frame.h"
#include "personal/own_delete.h"
#include "personal/ui/qt_record_list.h"
#include "planning/ui/qt_plan_offer.h"
#include "viewing/favourites.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>

namespace savorel::ui {

namespace {

const char* const kGuide = "Vizualizati retetele dumneavoastra preferate si, eventual puteti "
                           "renunta la unele dintre ele prin selectarea lor si apasarea "
                           "butonului de stergere\n\n"
                           "                       POFTA BUNA !!!!!!!";

const char* const kGoneTip = "Reteta nu mai exista: o puteti sterge din lista.";
const char* const kGone = "Reteta nu mai exista; o puteti sterge din lista preferatelor.";
constexpr int kWatchMilliseconds = 1000;

// A favourite whose own recipe is gone (deleted by a copy that kept the favourite). A book
// recipe that cannot be opened is said as the opening says it.
bool IsGone(const std::string& record) {
    const std::string file = FileNameFromEntry(record);
    return IsOwnRecipeName(file) && DataFileSize(file) < 0;
}

Backdrop& FavouritesBackdrop() {
    static Backdrop backdrop(QStringLiteral(":/img/backdrop148.svg"));
    return backdrop;
}

} // namespace

CFavouritesDlg::CFavouritesDlg(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    // A modal frame without a caption bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setWindowTitle(QString());
    resize(DluX(357), DluY(238));

    QPushButton* remove = MakeButton(this, 1003, "deleteFavourite",
                                     QStringLiteral("Stergere reteta selectata"), 233, 79, 116, 21);
    QPushButton* help = // does nothing
        MakeButton(this, 1004, "help", QStringLiteral("Ajutor"), 233, 106, 115, 19);
    QPushButton* exit = MakeButton(this, 1, "exit", QStringLiteral("Iesire"), 233, 132, 116, 20);
    exit->setDefault(true);
    m_list = MakeRecordList(this, 1000, "favourites", 10, 18, 132, 206);
    auto* guide = new QLabel(QString::fromLatin1(kGuide), this);
    guide->setObjectName(QStringLiteral("guide"));
    guide->setTextFormat(Qt::PlainText);
    guide->setWordWrap(true);
    guide->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Light on the dark backdrop, as the other windows' labels.
    QPalette palette = guide->palette();
    palette.setColor(QPalette::WindowText, QColor(0xf4, 0xea, 0xd8));
    guide->setPalette(palette);
    guide->setGeometry(DluRect(233, 17, 115, 57));
    // Our sans font runs wider than the one the template was laid out for: step it down until
    // the whole text fits its box.
    QFont font = guide->font();
    while (guide->heightForWidth(guide->width()) > guide->height() && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        guide->setFont(font);
    }
    m_list->setFocus();

    m_frame = new WindowFrame(this, QStringLiteral("favourites"), m_session);
    m_frame->Anchor(m_list, kGrow);
    for (QWidget* control : {static_cast<QWidget*>(guide), static_cast<QWidget*>(remove),
                             static_cast<QWidget*>(help), static_cast<QWidget*>(exit)})
        m_frame->Anchor(control, kStayTopRight);

    connect(remove, &QPushButton::clicked, this, &CFavouritesDlg::OnDeleteFavourite);
    m_list->onSelchange = [this] { OnSelchangeFavourites(); };
    OfferRecipesToPlan(m_list, this, m_session, [this](int row) -> std::optional<RecipeRef> {
        const QListWidgetItem* item = m_list->item(row);
        if (!item || IsGone(RecordOf(item)))
            return std::nullopt;
        const std::string record = RecordOf(item);
        return RecipeRef{FileNameFromEntry(record), VisibleNameOfEntry(record)};
    });
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_watch, &QTimer::timeout, this, &CFavouritesDlg::OnFavouritesTimer);

    OnInitDialog();
}

void CFavouritesDlg::OnInitDialog() {
    ClearRecords(m_list);
    m_watch.start(kWatchMilliseconds);
    const auto records = ReadFavourites();
    if (!records) {
        ShowMessage(this, QString::fromLatin1(kCannotOpenPreferences));
        return;
    }
    ListRecords(*records);
}

void CFavouritesDlg::ListRecords(const std::vector<std::string>& records) {
    m_listed = records;
    AddRecords(m_list, records);
    // Shown greyed, with a tip, so that the user sees why it no longer opens.
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        if (!IsGone(RecordOf(item)))
            continue;
        item->setForeground(m_list->palette().color(QPalette::Disabled, QPalette::Text));
        item->setToolTip(QString::fromLatin1(kGoneTip));
    }
}

void CFavouritesDlg::OnFavouritesTimer() {
    const auto records = ReadFavourites();
    if (!records || *records == m_listed)
        return;
    // The entry chosen stays chosen when it is still listed.
    const auto chosen = SelectedRecord(m_list);
    ClearRecords(m_list);
    ListRecords(*records);
    if (!chosen)
        return;
    const QSignalBlocker quiet(m_list);
    for (int row = 0; row < m_list->count(); ++row)
        if (RecordOf(m_list->item(row)) == *chosen) {
            m_list->setCurrentRow(row);
            break;
        }
}

void CFavouritesDlg::OnDeleteFavourite() {
    const auto items = m_list->selectedItems();
    if (items.isEmpty())
        return;
    const std::string entry = RecordOf(items.first());
    {
        const QSignalBlocker blocker(m_list);
        delete m_list->takeItem(m_list->row(items.first()));
        // Nothing is chosen after a removal, as in the platform's list box: a second press
        // must not remove the neighbour the user never chose.
        m_list->clearSelection();
        m_list->setCurrentItem(nullptr);
    }
    if (const char* message = RemoveFavouriteMessage(RemoveFavourite(entry)))
        ShowMessage(this, QString::fromLatin1(message));
}

void CFavouritesDlg::OnSelchangeFavourites() {
    const auto record = SelectedRecord(m_list);
    if (!record)
        return;
    if (IsGone(*record)) {
        ShowMessage(this, QString::fromLatin1(kGone));
        return;
    }
    // Every failure on the way was said in a box; the window stays as it is.
    (void)OpenRecipeFrom(this, m_session, FileNameFromEntry(*record), Opener::ListWindow);
}

void CFavouritesDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    FavouritesBackdrop().Paint(painter, size(), m_frame->DesignSize());
}

} // namespace savorel::ui
