#pragma once

// Daily copies of the user's own files (pers.txt, pref.txt, virt-dir.txt, xet*.txt) in
// "copii/YYYY-MM-DD/" of the data folder, so that a slip can be undone.
#include <optional>
#include <string>
#include <vector>

namespace savorel {

inline constexpr const char* kBackupFolder = "copii";
inline constexpr std::size_t kBackupsKept = 7;

// Today's date as YYYY-MM-DD, local time.
std::string Today();

// Whether a data file name is one of the user's files that backups keep.
bool IsBackedUpName(const std::string& name);

// The backups present, oldest first: "YYYY-MM-DD", and "YYYY-MM-DD-N" for a second one of a
// day (made before a restore).
std::vector<std::string> ListBackups();

enum class BackupResult {
    Made,
    Unchanged,    // the files equal the newest backup's
    AlreadyToday, // a backup of `today` exists: at most one a day
    Busy,         // another copy of the program held the store's lock
    NotWritten    // the copy could not be written; nothing half-made is left
};

// Start-up: under the store's lock, a backup named `today` when the user's files differ from
// the newest backup and none of that day exists; then only the newest kBackupsKept are kept.
[[nodiscard]] BackupResult BackupIfChanged(const std::string& today);

enum class RestoreResult {
    Restored,
    NoSuchBackup,
    Busy,
    NotWritten // the current state could not be saved first, or a file not written back
};

// Under the store's lock: saves the current files as one more backup of `today`, then puts the
// backup `name` back (the newest when empty): its files replace the user's files, and user's
// files it does not hold are removed. `saved` receives the name of the backup made first.
[[nodiscard]] RestoreResult RestoreBackup(const std::string& name, const std::string& today,
                                          std::string* saved = nullptr);

} // namespace savorel
