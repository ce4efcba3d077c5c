#include "personal/ui/qt_record_list.h"

#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_text.h"

#include <QByteArray>
#include <QSignalBlocker>

namespace savorel::ui {

namespace {

// Sorted in SortedListBox's order, with one difference on purpose. These lists sort by Qt's
// sorted insert, which promises no order among equal entries, so entries differing only in
// case stand by their exact text: the same whatever the order of the file. AddString places
// its entries itself, after their equals, and so keeps the order in which they came.
class RecordItem final : public QListWidgetItem {
public:
    explicit RecordItem(const std::string& record)
        : QListWidgetItem(FromCp1250(record), nullptr, QListWidgetItem::UserType) {
        setData(Qt::UserRole, QByteArray(record.data(), static_cast<qsizetype>(record.size())));
    }
    bool operator<(const QListWidgetItem& other) const override {
        const int order = CompareListEntries(text(), other.text());
        return order != 0 ? order < 0 : text() < other.text();
    }
};

} // namespace

SortedListBox* MakeRecordList(QWidget* parent, int id, const char* name, int x, int y, int width,
                              int height) {
    auto* list = new SortedListBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSortingEnabled(true); // by RecordItem's order
    list->setUniformItemSizes(true);
    // The blanks and the file name are out of sight on purpose: a tooltip shows the name.
    list->shownText = [](const QListWidgetItem* item) {
        return FromCp1250(VisibleNameOfEntry(RecordOf(item)));
    };
    Place(list, id, x, y, width, height);
    return list;
}

void AddRecords(QListWidget* list, const std::vector<std::string>& records) {
    const QSignalBlocker blocker(list);
    for (const std::string& record : records)
        list->addItem(new RecordItem(record));
}

void ClearRecords(QListWidget* list) {
    const QSignalBlocker blocker(list);
    list->clear();
}

std::string RecordOf(const QListWidgetItem* item) {
    const QVariant bytes = item->data(Qt::UserRole);
    if (bytes.isValid()) {
        const QByteArray b = bytes.toByteArray();
        return std::string(b.constData(), static_cast<std::size_t>(b.size()));
    }
    return ToCp1250(item->text());
}

std::optional<std::string> SelectedRecord(const QListWidget* list) {
    const auto items = list->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return RecordOf(items.first());
}

} // namespace savorel::ui
