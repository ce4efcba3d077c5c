#pragma once

// Daily copies of the user's own files (pers.txt, pref.txt, virt-dir.txt, xet*.txt, the week plan
// plan.txt and the shopping list's cumparaturi.txt) in "copii/YYYY-MM-DD/" of the data folder, so
// that a slip can be undone.
//
// Each backup folder holds, beside the files, its index (kBackupIndex): the number that orders
// it among the backups (one more than the newest's when it was made, whatever the clock said),
// and each file's size and checksum. A folder without a whole index is no backup. A file that
// did not change since the newest backup is a hard link to that backup's copy where the file
// system allows, so seven backups of a large collection take little more room than one.
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr const char* kBackupFolder = "copii";
inline constexpr const char* kBackupIndex = "cuprins.lst";
inline constexpr std::size_t kBackupsKept = 7;

// Today's date as YYYY-MM-DD, local time.
std::string Today();

// Whether a data file name is one of the user's files that backups keep.
bool IsBackedUpName(const std::string& name);

// A calendar date written YYYY-MM-DD (four, two and two digits), only when it exists.
std::optional<std::chrono::year_month_day> ParseDate(std::string_view text);

// A backup folder's name: "YYYY-MM-DD" (number 1) or "YYYY-MM-DD-N" for the Nth of a day,
// N from 2 to kMaxBackupNumber written without leading zeros. Anything else is no backup.
inline constexpr unsigned kMaxBackupNumber = 9999;
struct BackupName {
    std::chrono::year_month_day date;
    unsigned number = 1;
};
std::optional<BackupName> ParseBackupName(std::string_view name);

// A backup as listed: its name and the number that orders it (higher is made later).
struct BackupEntry {
    std::string name;
    unsigned long long made = 0;
};

// Oldest first: by the order made, then (two copies of one index) by the name's date and number.
bool MadeBefore(const BackupEntry& a, const BackupEntry& b);

// The backups present, oldest made first: folders with a backup's name and a readable index.
std::vector<BackupEntry> ListBackupEntries();
std::vector<std::string> ListBackups();

// The names of `backups` dated after `today`: made while the clock was ahead, or the clock is
// behind now.
std::vector<std::string> DatedAfter(const std::vector<BackupEntry>& backups,
                                    std::string_view today);

// Which backup a restore takes: `wanted` when it is one of `backups`, the newest made when
// `wanted` is empty, unless that newest is dated after `today` (the clock looks wrong: the
// user must name it).
struct BackupChoice {
    enum class Kind { Chosen, NoSuchBackup, NotABackupName, NewestDatedAfterToday };
    Kind kind = Kind::NoSuchBackup;
    std::string name; // the chosen one; with NewestDatedAfterToday, that newest
};
BackupChoice ChooseBackup(const std::vector<BackupEntry>& backups, std::string_view wanted,
                          std::string_view today);

enum class BackupResult {
    Made,
    Unchanged,    // the files equal the newest backup's
    AlreadyToday, // a backup of `today` exists: at most one a day
    Busy,         // another copy of the program held the store's lock
    NotWritten,   // the copy could not be written; nothing half-made is left
    Stopped       // asked to stop (the program is closing); nothing half-made is left
};

// What a backup run found beside its result.
struct BackupNotes {
    std::vector<std::string> datedAfterToday; // see DatedAfter
};

// cook's message when backups are dated after `today`, in the program's language.
std::string ClockLooksWrongMessage(const std::vector<std::string>& datedAfterToday,
                                   const std::string& today);

// A day's backup, made to run beside the windows: the files are copied (or linked) into a
// hidden folder without the store's lock, then under it the files are checked against what
// was copied (what a save changed meanwhile is copied again), the index written and the
// folder renamed to its name. Named `today` when the user's files differ from the newest
// backup and none of that day exists; then only the newest kBackupsKept made are kept, this
// one always among them. `stop`, when set, ends the run early, leaving nothing.
[[nodiscard]] BackupResult BackupIfChanged(const std::string& today,
                                           const std::atomic<bool>* stop = nullptr,
                                           BackupNotes* notes = nullptr);

enum class RestoreResult {
    Restored,
    NoSuchBackup,
    NotABackup,            // the folder is not a whole backup (see RestoreReport::problem)
    NewestDatedAfterToday, // no name given and the newest is dated after today
    Busy,
    NotWritten // the current state could not be saved first, or a file not written back
};

// What a restore did (or, refused, why).
struct RestoreReport {
    std::string chosen;
    std::string problem;                 // with NotABackup: what is wrong with it
    std::vector<std::string> replaced;   // files whose content the backup's replaced
    std::vector<std::string> added;      // files the backup brought back that were missing
    std::vector<std::string> unchanged;  // files already as the backup holds them
    std::vector<std::string> kept;       // user files the backup does not hold: left alone
    std::vector<std::string> notWritten; // files that could not be written back
    std::vector<std::string> skipped;    // newer backups passed over: not whole
    std::vector<std::string> datedAfterToday;
};

// Under the store's lock: checks the whole backup `name` (when empty, the newest made that
// is whole, see ChooseBackup) before anything is touched, saves the current files as one more
// backup of `today`, then writes each file the backup holds over the user's one. User files it does
// not hold stay. `saved` receives the name of the backup made first.
[[nodiscard]] RestoreResult RestoreBackup(const std::string& name, const std::string& today,
                                          std::string* saved = nullptr,
                                          RestoreReport* report = nullptr);

} // namespace savorel
