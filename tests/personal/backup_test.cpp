#include "personal/backup.h"
#include "support/read_only_folder.h"
#include "support/support.h"

#include <filesystem>
#include <gtest/gtest.h>

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
    EXPECT_EQ(FilesOf("copii/2024-03-01"), (std::vector<std::string>{"pers.txt", "xet1.txt"}));
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
    EXPECT_EQ(RestoreBackup("", "2024-05-01", &saved), RestoreResult::Restored);
    EXPECT_EQ(saved, "2024-05-01-2");
    EXPECT_EQ(ReadBack("pers.txt"), "vechi");
    EXPECT_FALSE(Exists("xet2.txt"));
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
        EXPECT_EQ(RestoreBackup("2024-05-01", "2024-05-01"), RestoreResult::NotWritten);
    }
    EXPECT_EQ(ReadBack("pers.txt"), "nou");
}
