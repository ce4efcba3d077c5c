#include "planning/ui/qt_plan_cell.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace savorel::ui {

PlanCell::PlanCell(int day, int meal, QWidget* parent)
    : QListWidget(parent), m_day(day), m_meal(meal) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false); // the cell is the target, not a place between entries
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Titles are long and cells narrow: an entry takes the lines it needs.
    setTextElideMode(Qt::ElideNone);
    setWordWrap(true);
    setResizeMode(QListView::Adjust);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

std::optional<qulonglong> PlanCell::ChosenKey() const {
    const auto items = selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return items.first()->data(kEntryKeyRole).toULongLong();
}

std::optional<qulonglong> PlanCell::EntryKeyFromMime(const QMimeData* mime) {
    if (!mime || !mime->hasFormat(QString::fromLatin1(kPlanEntryMimeType)))
        return std::nullopt;
    bool ok = false;
    const qulonglong key = mime->data(QString::fromLatin1(kPlanEntryMimeType)).toULongLong(&ok);
    return ok ? std::optional<qulonglong>(key) : std::nullopt;
}

QStringList PlanCell::mimeTypes() const {
    return {QString::fromLatin1(kPlanEntryMimeType), QString::fromLatin1(kRecipeMimeType)};
}

// Only an entry of its own cooking moves; the meals its leftovers fill follow it.
QMimeData* PlanCell::mimeData(const QList<QListWidgetItem*>& items) const {
    if (items.isEmpty() || !items.first()->data(kEntryMovableRole).toBool())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kPlanEntryMimeType),
                  QByteArray::number(items.first()->data(kEntryKeyRole).toULongLong()));
    mime->setText(items.first()->text());
    return mime;
}

Qt::DropActions PlanCell::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

bool PlanCell::Accepts(const QMimeData* mime) const {
    return EntryKeyFromMime(mime).has_value() || RecipeFromMime(mime).has_value();
}

void PlanCell::dragEnterEvent(QDragEnterEvent* event) {
    if (Accepts(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PlanCell::dragMoveEvent(QDragMoveEvent* event) {
    if (Accepts(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

// The plan decides what the cells show: the drop is handed on and the cells are filled anew
// from the plan, never rearranged by the list itself.
void PlanCell::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (const auto key = EntryKeyFromMime(mime)) {
        event->setDropAction(Qt::CopyAction); // the source list must not remove its row
        event->accept();
        if (onEntryDropped)
            onEntryDropped(*this, *key);
        return;
    }
    if (const auto recipe = RecipeFromMime(mime)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (onRecipeDropped)
            onRecipeDropped(*this, *recipe);
        return;
    }
    event->ignore();
}

void PlanCell::keyPressEvent(QKeyEvent* event) {
    const auto key = ChosenKey();
    if (key && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
        if (onDeleteKey)
            onDeleteKey(*this, *key);
        event->accept();
        return;
    }
    // Enter opens the chosen recipe; with none chosen it is the window's.
    if (key && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onOpenEntry) {
        onOpenEntry(*this, *key);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void PlanCell::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (const auto key = ChosenKey(); key && onOpenEntry)
        onOpenEntry(*this, *key);
}

// One entry chosen in the whole plan: leaving a cell lets its choice go.
void PlanCell::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    if (event->reason() == Qt::MouseFocusReason || event->reason() == Qt::TabFocusReason ||
        event->reason() == Qt::BacktabFocusReason)
        clearSelection();
}

} // namespace savorel::ui
