#pragma once

// The record lists of the own recipes and favourites windows: list boxes in the platform's
// sorted style whose entries keep the whole record (name, blanks, "#", file name).
#include "core/ui/qt_list_box.h"

#include <QListWidget>

#include <optional>
#include <string>
#include <vector>

namespace savorel::ui {

// A list box at a rectangle in dialog units: sorted ignoring case, one selection, a vertical
// scroll bar, no horizontal one; what lies beyond its width (the "#" and the file name) is
// cut off, not elided. It notifies on every choice of the user's, as the platform's does.
SortedListBox* MakeRecordList(QWidget* parent, int id, const char* name, int x, int y, int width,
                              int height);

// Adds records (Windows-1250 bytes) in sorted position, without counting as a user's choice.
void AddRecords(QListWidget* list, const std::vector<std::string>& records);

// Empties the list without counting as a user's choice.
void ClearRecords(QListWidget* list);

// The record bytes of an entry, exactly as read from the file.
std::string RecordOf(const QListWidgetItem* item);

// The record of the selected entry; no value when nothing is selected.
std::optional<std::string> SelectedRecord(const QListWidget* list);

} // namespace savorel::ui
