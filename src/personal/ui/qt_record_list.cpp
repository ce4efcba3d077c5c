#include "personal/ui/qt_record_list.h"

#include "core/collate.h"
#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_text.h"

#include <QSignalBlocker>

namespace savorel::ui {

namespace {

// Records in Romanian order of their bytes, names with numbers as people read them.
class RecordItem final : public QListWidgetItem {
public:
    explicit RecordItem(const std::string& record)
        : QListWidgetItem(FromCp1250(record), nullptr, QListWidgetItem::UserType),
          m_record(record) {}
    const std::string& Record() const { return m_record; }
    bool operator<(const QListWidgetItem& other) const override {
        if (other.type() == QListWidgetItem::UserType)
            return RomanianLess(m_record, static_cast<const RecordItem&>(other).m_record);
        return RomanianLess(m_record, ToCp1250(other.text()));
    }

private:
    std::string m_record;
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
    // Added unsorted and sorted once: a sorted list would move its rows again for every
    // record, which at 100,000 own recipes took seconds.
    const bool sorted = list->isSortingEnabled();
    list->setSortingEnabled(false);
    for (const std::string& record : records)
        list->addItem(new RecordItem(record));
    if (sorted) {
        list->setSortingEnabled(true);
        list->sortItems(Qt::AscendingOrder);
    }
}

void ClearRecords(QListWidget* list) {
    const QSignalBlocker blocker(list);
    list->clear();
}

std::string RecordOf(const QListWidgetItem* item) {
    if (item->type() == QListWidgetItem::UserType)
        return static_cast<const RecordItem*>(item)->Record();
    return ToCp1250(item->text());
}

std::optional<std::string> SelectedRecord(const QListWidget* list) {
    const auto items = list->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return RecordOf(items.first());
}

} // namespace savorel::ui
