#include "core/ui/qt_list_box.h"

#include "core/collate.h"
#include "core/ui/qt_text.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace savorel::ui {

SortedListBox::SortedListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false); // AddString places entries itself
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Entries carry their file name beyond the visible width: clip, never elide or scroll.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
}

QString SortedListBox::ShownText(const QListWidgetItem* item) const {
    return shownText ? shownText(item) : item->text();
}

bool SortedListBox::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QListWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QListWidgetItem* entry = itemAt(help->pos());
    const QString text = entry ? ShownText(entry) : QString();
    // Only an entry the width cuts needs its tooltip: the rest can be read where it is. The
    // item's own rectangle runs as wide as its whole text; the viewport is what shows.
    constexpr int kTextMargin = 6;
    const int room = viewport()->width() - kTextMargin;
    if (text.isEmpty() || fontMetrics().horizontalAdvance(text) <= room) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), text, viewport(), visualItemRect(entry));
    return true;
}

namespace {

// The entry's text as the comparison reads it, kept with the entry: a long list is not
// converted again for every entry added.
constexpr int kCollationRole = Qt::UserRole + 40;

QByteArray CollationBytes(const QListWidgetItem* item) {
    const QVariant kept = item->data(kCollationRole);
    if (kept.isValid())
        return kept.toByteArray();
    const std::string bytes = ToCp1250(item->text());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

int SortedListBox::AddString(const QString& text) {
    const std::string key = ToCp1250(text);
    int low = 0, high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (CompareRomanian(View(CollationBytes(item(mid))), key) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    auto* entry = new QListWidgetItem(text);
    entry->setData(kCollationRole, QByteArray(key.data(), static_cast<qsizetype>(key.size())));
    insertItem(low, entry);
    return low;
}

void SortedListBox::AddStrings(const QStringList& texts) {
    if (count() > 0) {
        for (const QString& text : texts)
            AddString(text);
        return;
    }
    std::vector<std::pair<std::string, qsizetype>> keys;
    keys.reserve(static_cast<std::size_t>(texts.size()));
    for (qsizetype i = 0; i < texts.size(); ++i)
        keys.emplace_back(ToCp1250(texts[i]), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return RomanianLess(a.first, b.first); });
    QStringList sorted;
    sorted.reserve(texts.size());
    for (const auto& key : keys)
        sorted.append(texts[key.second]);
    addItems(sorted); // one insertion into the model, not one per entry
}

void SortedListBox::Notify() {
    if (onSelchange)
        onSelchange();
}

void SortedListBox::mousePressEvent(QMouseEvent* event) {
    const int before = currentRow();
    QListWidget::mousePressEvent(event);
    m_pressChanged =
        event->button() == Qt::LeftButton && currentRow() >= 0 && currentRow() != before;
    if (m_pressChanged)
        Notify();
}

void SortedListBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool notified = m_pressChanged;
    m_pressChanged = false;
    QListWidget::mouseReleaseEvent(event);
    if (notified || event->button() != Qt::LeftButton)
        return;
    const QListWidgetItem* hit = itemAt(event->position().toPoint());
    if (hit && hit == currentItem() && hit->isSelected())
        Notify();
}

void SortedListBox::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() >= 0 && currentRow() != before)
        Notify();
}

} // namespace savorel::ui
