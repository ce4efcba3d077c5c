#include "core/ui/qt_list_box.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QToolTip>

#include <algorithm>

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

int CompareListEntries(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

// An entry goes after those equal to it but for case, so that they keep the order in which
// they were added, as the platform's add does.
int SortedListBox::AddString(const QString& text) {
    int low = 0, high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (CompareListEntries(item(mid)->text(), text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    insertItem(low, text);
    return low;
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
