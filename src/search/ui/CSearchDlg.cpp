#include "search/ui/CSearchDlg.h"

#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_list_box.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "planning/ui/qt_plan_offer.h"
#include "search/search.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace savorel::ui {

namespace {

constexpr int kStaticId = 65535;

Backdrop& SearchBackdrop() {
    static Backdrop backdrop(QStringLiteral(":/img/backdrop150.svg"));
    return backdrop;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    // Light text over the dark backdrop.
    label->setStyleSheet(QStringLiteral("QLabel { color: #f4ead8; }"));
    Place(label, kStaticId, x, y, w, h);
    // Our font runs wider than the template's; the space to the right is free.
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    return label;
}

QPlainTextEdit* MakeField(QWidget* parent, int id, const char* name, int x, int y) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setLineWrapMode(QPlainTextEdit::NoWrap); // scrolls horizontally
    field->setTabChangesFocus(true);                // Enter stays in the field, Tab moves on
    Place(field, id, x, y, 116, 45);
    return field;
}

} // namespace

CSearchDlg::CSearchDlg(Session& session, QWidget* parent) : QDialog(parent), m_session(session) {
    setWindowTitle(QStringLiteral("Cautare de retete"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    resize(DluX(384), DluY(242));

    QLabel* allowed = MakeLabel(this, "allowedLabel", "Ingrediente permise", 16, 20, 66, 9);
    QLabel* forbidden = MakeLabel(this, "forbiddenLabel", "Ingrediente nepermise", 134, 20, 73, 10);
    QLabel* required = MakeLabel(this, "requiredLabel", "Ingrediente necesare", 252, 21, 70, 9);
    m_allowed = MakeField(this, 1009, "allowedKeys", 16, 32);
    m_forbidden = MakeField(this, 1010, "forbiddenKeys", 133, 32);
    m_required = MakeField(this, 1012, "requiredKeys", 251, 32);

    QPushButton* start =
        MakeButton(this, 1003, "startSearch", QStringLiteral("Apasa-ma ca sa pornesti cautarea"),
                   252, 82, 115, 19);
    start->setDefault(true);
    QPushButton* help = MakeButton(this, 1004, "help", QStringLiteral("Ajutor"), 252, 109, 116, 18);

    m_results = new SortedListBox(this);
    m_results->setObjectName(QStringLiteral("results"));
    Place(m_results, 1000, 17, 86, 192, 134);
    m_results->setUniformItemSizes(true); // one line each: 100,000 results lay out at once

    QPushButton* exit = MakeButton(this, 1, "exit", QStringLiteral("Iesire"), 251, 193, 116, 17);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100); // the platform control's default range
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    Place(m_progress, 1011, 16, 226, 353, 6);

    // Grown, the three key fields share the width; the results take what is left.
    m_frame = new WindowFrame(this, QStringLiteral("search"), m_session);
    m_frame->Anchor(allowed, kStayTopLeft);
    m_frame->Anchor(m_allowed, {0, 0, 1.0 / 3, 0});
    m_frame->Anchor(forbidden, {1.0 / 3, 0, 0, 0});
    m_frame->Anchor(m_forbidden, {1.0 / 3, 0, 1.0 / 3, 0});
    m_frame->Anchor(required, {2.0 / 3, 0, 0, 0});
    m_frame->Anchor(m_required, {2.0 / 3, 0, 1.0 / 3, 0});
    m_frame->Anchor(start, kStayTopRight);
    m_frame->Anchor(help, kStayTopRight);
    m_frame->Anchor(m_results, kGrow);
    m_frame->Anchor(exit, kStayBottomRight);
    m_frame->Anchor(m_progress, {0, 1, 1, 0});

    connect(start, &QPushButton::clicked, this, &CSearchDlg::OnStartSearch);
    connect(help, &QPushButton::clicked, this, &CSearchDlg::OnHelp);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    m_results->onSelchange = [this] { OnSelchangeResults(); };
    OfferRecipesToPlan(m_results, this, m_session, [this](int row) -> std::optional<RecipeRef> {
        const QListWidgetItem* item = m_results->item(row);
        if (!item)
            return std::nullopt;
        const std::string entry = ToCp1250(item->text());
        return RecipeRef{FileNameOfResult(entry), VisibleNameOfEntry(entry)};
    });
}

namespace {

// A line break typed between two words ends a key as "+" does: "cartofi", Enter, "ceapa" are
// two keys, never "cartoficeapa".
std::string KeyFieldText(const QPlainTextEdit* field) {
    std::string text = ToCp1250(field->toPlainText());
    std::replace(text.begin(), text.end(), '\n', '+');
    return text;
}

} // namespace

void CSearchDlg::OnStartSearch() {
    m_results->clear();
    const SearchFields fields{KeyFieldText(m_allowed), KeyFieldText(m_forbidden),
                              KeyFieldText(m_required)};
    WidgetReporter reporter(this);
    // The bar is not reset: it starts where the last search left it and moves on matches only.
    // The list is filled once the scan ends (it is not painted before), sorted in one go.
    QStringList entries;
    const int count = RunSearch(fields, reporter, [&](const SearchMatch& match) {
        entries.append(FromCp1250(ResultEntry(match.name, match.fileName)));
        SetProgress(match.recipeNumber - 1);
    });
    m_results->AddStrings(entries);
    if (count >= 0)
        ShowMessage(this, FromCp1250(SearchCountMessage(count)));
}

void CSearchDlg::SetProgress(int position) {
    // The platform's bar clamps a position outside its range; Qt's would ignore it.
    const int value = std::clamp(position, m_progress->minimum(), m_progress->maximum());
    if (value == m_progress->value())
        return;
    m_progress->setValue(value);
    m_progress->repaint(); // the scan does not return to the event loop until it ends
}

void CSearchDlg::OnSelchangeResults() {
    const QListWidgetItem* item = m_results->currentItem();
    if (!item)
        return;
    // Every failure on the way was said in a box; the window stays as it is.
    (void)OpenRecipeFrom(this, m_session, FileNameOfResult(ToCp1250(item->text())),
                         Opener::ListWindow);
}

void CSearchDlg::OnHelp() {
    ShowMessageWithCaption(this, QString::fromLatin1(kSearchHelpCaption),
                           QString::fromLatin1(kSearchHelp));
}

void CSearchDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    SearchBackdrop().Paint(painter, size(), m_frame->DesignSize());
}

} // namespace savorel::ui
