#include "personal/backup.h"
#include "support/read_only_folder.h"
#include "support/support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;

namespace {

std::vector<std::string> FilesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(BackupTest, OnlyTheUsersFilesAreKept) {
    for (const char* name : {"pers.txt", "PREF.TXT", "virt-dir.txt", "xet1.txt", "XET12.TXT"})
        EXPECT_TRUE(IsBackedUpName(name)) << name;
    for (const char* name : {"RET001.TXT", "dict.txt", "xet.txt", "xet1.txt.tmp", "reteta.tmp",
                             "savorel.lock", "cook.ini"})
        EXPECT_FALSE(IsBackedUpName(name)) << name;
}

TEST(BackupTest, OneADayWhenChangedAndTheLastSevenKept) {
    TempDataDir dir;
    WritePlain("RET001.TXT", "carte");
    EXPECT_EQ(BackupIfChanged("2024-03-01"), BackupResult::Unchanged); // nothing of the user's
    WritePlain("pers.txt", "p1");
    WritePlain("xet1.txt", "x1");
    EXPECT_EQ(BackupIfChanged("2024-03-01"), BackupResult::Made);
    EXPECT_EQ(FilesOf("copii/2024-03-01"),
              (std::vector<std::string>{kBackupIndex, "pers.txt", "xet1.txt"}));
    WritePlain("pers.txt", "p2");
    EXPECT_EQ(BackupIfChanged("2024-03-01"), BackupResult::AlreadyToday);
    EXPECT_EQ(ReadBack("copii/2024-03-01/pers.txt"), "p1");
    EXPECT_EQ(BackupIfChanged("2024-03-02"), BackupResult::Made);
    EXPECT_EQ(BackupIfChanged("2024-03-03"), BackupResult::Unchanged);
    // A removed own recipe is a change too.
    std::filesystem::remove("xet1.txt");
    EXPECT_EQ(BackupIfChanged("2024-03-03"), BackupResult::Made);

    for (int day = 4; day <= 12; ++day) {
        WritePlain("pref.txt", std::to_string(day));
        const std::string date =
            "2024-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        ASSERT_EQ(BackupIfChanged(date), BackupResult::Made) << date;
    }
    const std::vector<std::string> kept = ListBackups();
    ASSERT_EQ(kept.size(), kBackupsKept);
    EXPECT_EQ(kept.front(), "2024-03-06");
    EXPECT_EQ(kept.back(), "2024-03-12");
    EXPECT_EQ(FilesOf("copii").size(), kBackupsKept); // no half-made folder left
}

TEST(BackupTest, RestorePutsABackBackAfterSavingTheCurrentState) {
    TempDataDir dir;
    WritePlain("pers.txt", "vechi");
    WritePlain("xet1.txt", "reteta 1");
    ASSERT_EQ(BackupIfChanged("2024-05-01"), BackupResult::Made);
    WritePlain("pers.txt", "nou");
    WritePlain("xet2.txt", "reteta 2");
    WritePlain("RET001.TXT", "carte");

    EXPECT_EQ(RestoreBackup("2024-04-30", "2024-05-01"), RestoreResult::NoSuchBackup);
    std::string saved;
    RestoreReport report;
    EXPECT_EQ(RestoreBackup("", "2024-05-01", &saved, &report), RestoreResult::Restored);
    EXPECT_EQ(saved, "2024-05-01-2");
    EXPECT_EQ(ReadBack("pers.txt"), "vechi");
    // A file the backup holds no copy of is never removed: it stays, and is said to stay.
    EXPECT_TRUE(Exists("xet2.txt"));
    EXPECT_EQ(report.chosen, "2024-05-01");
    EXPECT_EQ(report.replaced, std::vector<std::string>{"pers.txt"});
    EXPECT_EQ(report.unchanged, std::vector<std::string>{"xet1.txt"});
    EXPECT_EQ(report.kept, std::vector<std::string>{"xet2.txt"});
    EXPECT_TRUE(report.added.empty());
    EXPECT_EQ(ReadBack("RET001.TXT"), "carte"); // the book is no backup's business
    EXPECT_EQ(ReadBack("copii/2024-05-01-2/xet2.txt"), "reteta 2");
    // The state before is itself a backup: restoring it undoes the restore.
    EXPECT_EQ(RestoreBackup("2024-05-01-2", "2024-05-01", &saved), RestoreResult::Restored);
    EXPECT_EQ(saved, "2024-05-01-3");
    EXPECT_EQ(ReadBack("pers.txt"), "nou");
    EXPECT_EQ(ReadBack("xet2.txt"), "reteta 2");
    EXPECT_EQ(ListBackups(),
              (std::vector<std::string>{"2024-05-01", "2024-05-01-2", "2024-05-01-3"}));

    // A data folder that cannot be written: no backup, and the files stay as they are.
    {
        savorel::testing::ReadOnlyFolder readOnly;
        RestoreReport refused;
        EXPECT_EQ(RestoreBackup("2024-05-01", "2024-05-01", nullptr, &refused),
                  RestoreResult::NotWritten)
            << refused.problem;
    }
    EXPECT_EQ(ReadBack("pers.txt"), "nou");
}

TEST(BackupTest, NamesAreRealDatesWithASmallDayNumber) {
    using namespace std::chrono;
    const struct {
        const char* name;
        bool backup;
        unsigned number;
    } cases[] = {
        {"2024-02-29", true, 1},
        {"2026-12-10-2", true, 2},
        {"2026-12-10-9999", true, 9999},
        {"2026-13-45", false, 0},
        {"2023-02-29", false, 0},
        {"2026-00-10", false, 0},
        {"2026-12-00", false, 0},
        {"2026-12-10-99999999999999999999", false, 0},
        {"2026-12-10-10000", false, 0},
        {"2026-12-10-1", false, 0}, // the plain date is the first
        {"2026-12-10-02", false, 0},
        {"2026-12-10-", false, 0},
        {"2026-12-10-+3", false, 0},
        {"2026-12-10x", false, 0},
        {"2026-1-10", false, 0},
        {"+026-12-10", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseBackupName(c.name);
        ASSERT_EQ(parsed.has_value(), c.backup) << c.name;
        if (parsed) {
            EXPECT_EQ(parsed->number, c.number) << c.name;
        }
    }
    EXPECT_EQ(ParseBackupName("2024-02-29")->date, year{2024} / February / 29);
}

namespace {

void WriteFolderFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WritePlain(path, bytes);
}

std::string DayOf(int day) {
    return "2099-01-0" + std::to_string(day);
}

} // namespace

TEST(BackupTest, BackupsFromAClockAheadNeverPushOutTodaysNorRestoreUnasked) {
    TempDataDir dir;
    for (int day = 1; day <= 7; ++day) { // a clock that was ahead for a week
        WritePlain("pref.txt", "viitor " + std::to_string(day));
        ASSERT_EQ(BackupIfChanged(DayOf(day)), BackupResult::Made);
    }
    WritePlain("pref.txt", "azi");
    BackupNotes notes;
    ASSERT_EQ(BackupIfChanged("2026-12-10", nullptr, &notes), BackupResult::Made);
    std::vector<std::string> kept = ListBackups();
    ASSERT_EQ(kept.size(), kBackupsKept);
    EXPECT_EQ(kept.back(), "2026-12-10"); // newest made, whatever its date
    EXPECT_EQ(kept.front(), DayOf(2));    // the oldest made went
    EXPECT_EQ(notes.datedAfterToday.size(), kBackupsKept - 1);
    EXPECT_NE(ClockLooksWrongMessage(notes.datedAfterToday, "2026-12-10").find(DayOf(7)),
              std::string::npos);

    // The newest made is taken by a restore, not the latest date.
    WritePlain("pref.txt", "dupa");
    RestoreReport report;
    EXPECT_EQ(RestoreBackup("", "2026-12-10", nullptr, &report), RestoreResult::Restored);
    EXPECT_EQ(report.chosen, "2026-12-10");
    EXPECT_EQ(ReadBack("pref.txt"), "azi");
    EXPECT_EQ(report.datedAfterToday.size(), kBackupsKept - 1);

    // A clock set back behind the newest: no silent choice; named, it is restored.
    WritePlain("pref.txt", "ceas inapoi");
    const std::vector<std::string> before = ListBackups();
    RestoreReport refused;
    EXPECT_EQ(RestoreBackup("", "2026-12-09", nullptr, &refused),
              RestoreResult::NewestDatedAfterToday);
    EXPECT_EQ(refused.chosen, ListBackups().back());
    EXPECT_EQ(ReadBack("pref.txt"), "ceas inapoi");
    EXPECT_EQ(ListBackups(), before); // nothing was touched
    EXPECT_EQ(RestoreBackup(DayOf(7), "2026-12-09"), RestoreResult::Restored);
    EXPECT_EQ(ReadBack("pref.txt"), "viitor 7");
}

TEST(BackupTest, RestoreTakesOnlyAWholeBackupAndTouchesNothingOtherwise) {
    TempDataDir dir;
    WritePlain("pers.txt", "lista");
    WritePlain("virt-dir.txt", "catalog");
    ASSERT_EQ(BackupIfChanged("2024-06-10"), BackupResult::Made);
    WritePlain("pers.txt", "lista noua");

    // Hostile or broken entries named like backups.
    WriteFolderFile("copii/2024-06-11", "a plain file");
    std::filesystem::create_directories("copii/2024-06-12"); // empty
    WriteFolderFile("copii/2024-13-45/pers.txt", "luna a 13-a");
    std::filesystem::copy("copii/2024-06-10", "copii/2024-06-13");
    WriteFolderFile("copii/2024-06-13/pers.txt", "altceva"); // not as indexed
    std::filesystem::copy("copii/2024-06-10", "copii/2024-06-14");
    std::filesystem::remove("copii/2024-06-14/virt-dir.txt"); // a file missing
    std::filesystem::copy("copii/2024-06-10", "copii/2024-06-15");
    {
        std::string index = ReadBack("copii/2024-06-15/" + std::string(kBackupIndex));
        index.erase(index.rfind("end "));
        WritePlain("copii/2024-06-15/" + std::string(kBackupIndex), index); // cut short
    }
    std::filesystem::create_directory_symlink(dir.path() + "/copii/2024-06-10", "copii/2024-06-16");
    std::filesystem::copy("copii/2024-06-10", "copii/2024-06-10-99999999999999999999");
    EXPECT_EQ(BackupIfChanged("2024-06-10"), BackupResult::AlreadyToday); // listed without a throw
    const struct {
        const char* name;
        RestoreResult result;
    } cases[] = {
        {"2024-06-11", RestoreResult::NotABackup},
        {"2024-06-12", RestoreResult::NotABackup},
        {"2024-13-45", RestoreResult::NotABackup},
        {"2024-06-13", RestoreResult::NotABackup},
        {"2024-06-14", RestoreResult::NotABackup},
        {"2024-06-15", RestoreResult::NotABackup},
        {"2024-06-16", RestoreResult::NotABackup},
        {"2024-06-17", RestoreResult::NoSuchBackup},
        {"../copii/2024-06-10", RestoreResult::NotABackup},
        {"2024-06-10-99999999999999999999", RestoreResult::NotABackup},
    };
    for (const auto& c : cases) {
        RestoreReport report;
        EXPECT_EQ(RestoreBackup(c.name, "2024-06-20", nullptr, &report), c.result) << c.name;
        if (c.result == RestoreResult::NotABackup) {
            EXPECT_FALSE(report.problem.empty()) << c.name;
        }
        EXPECT_EQ(ReadBack("pers.txt"), "lista noua") << c.name;
        EXPECT_EQ(ReadBack("virt-dir.txt"), "catalog") << c.name;
        EXPECT_FALSE(Exists("copii/2024-06-20")) << c.name; // not even the state saved
    }
    // Unnamed, the newest whole one is taken; the broken ones are passed over, and said.
    RestoreReport report;
    EXPECT_EQ(RestoreBackup("", "2024-06-20", nullptr, &report), RestoreResult::Restored);
    EXPECT_EQ(report.chosen, "2024-06-10");
    EXPECT_EQ(report.skipped, (std::vector<std::string>{"2024-06-15", "2024-06-14", "2024-06-13"}));
    EXPECT_EQ(ReadBack("pers.txt"), "lista");
}

TEST(BackupTest, UnchangedFilesAreSharedAndAnInterruptedBackupLeavesNothing) {
    TempDataDir dir;
    WritePlain("pers.txt", "lista");
    WritePlain("xet1.txt", "reteta");
    ASSERT_EQ(BackupIfChanged("2024-07-01"), BackupResult::Made);
    WritePlain("pref.txt", "preferate");
    ASSERT_EQ(BackupIfChanged("2024-07-02"), BackupResult::Made);
    struct stat first {
    }, second{}, added{};
    ASSERT_EQ(::stat("copii/2024-07-01/xet1.txt", &first), 0);
    ASSERT_EQ(::stat("copii/2024-07-02/xet1.txt", &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino); // one copy on disk
    ASSERT_EQ(::stat("copii/2024-07-02/pref.txt", &added), 0);
    EXPECT_EQ(added.st_nlink, 1u);
    // Rewritten with the same bytes, a file is no change.
    WritePlain("xet1.txt", "reteta");
    EXPECT_EQ(BackupIfChanged("2024-07-03"), BackupResult::Unchanged);

    // Stopped half-way (the program closing): no backup, no hidden folder left.
    WritePlain("xet1.txt", "alta reteta");
    const std::atomic<bool> stop{true};
    EXPECT_EQ(BackupIfChanged("2024-07-03", &stop), BackupResult::Stopped);
    EXPECT_EQ(FilesOf("copii"), (std::vector<std::string>{"2024-07-01", "2024-07-02"}));

    // A killed run's folder: never listed, removed by a later run once it is old.
    WriteFolderFile("copii/.partial-abc123/xet1.txt", "pe jumatate");
    timeval old{};
    ::gettimeofday(&old, nullptr);
    old.tv_sec -= 2 * 3600;
    const timeval times[2] = {old, old};
    ASSERT_EQ(::utimes("copii/.partial-abc123", times), 0);
    EXPECT_EQ(ListBackups(), (std::vector<std::string>{"2024-07-01", "2024-07-02"}));
    EXPECT_EQ(BackupIfChanged("2024-07-03"), BackupResult::Made);
    EXPECT_EQ(FilesOf("copii"),
              (std::vector<std::string>{"2024-07-01", "2024-07-02", "2024-07-03"}));
    EXPECT_EQ(ReadBack("copii/2024-07-03/xet1.txt"), "alta reteta");
}
