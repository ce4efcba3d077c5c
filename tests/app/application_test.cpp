// cook's start-up as the application object does it, without a window.
#include "app/application.h"
#include "core/folders.h"
#include "personal/backup.h"
#include "support/support.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/time.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

// TMP names a folder of the test's own for the object's life.
class TmpFolder {
public:
    explicit TmpFolder(const std::string& path) {
        std::filesystem::create_directory(path);
        ::setenv("TMP", path.c_str(), 1);
    }
    ~TmpFolder() { ::unsetenv("TMP"); }
    TmpFolder(const TmpFolder&) = delete;
    TmpFolder& operator=(const TmpFolder&) = delete;
};

void AgeBy(const std::string& path, int seconds) {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    now.tv_sec -= seconds;
    const timeval times[2] = {now, now};
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
}

} // namespace

TEST(ApplicationTest, StartClearsStaleCopiesBacksUpLoadsAndTakesTheTempFolder) {
    TempDataDir dir;
    TmpFolder tmp(dir.path() + "/tmp");
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\ni Ciorba ~ RET001.TXT\nm Dulciuri\n");
    WritePlain("pers.txt.a1b2c3", "left by a killed save");
    AgeBy("pers.txt.a1b2c3", 120);
    WritePlain("pref.txt.d4e5f6", "being written right now");
    Session session;
    Application app(session);
    CollectingReporter reporter;
    app.Start(reporter);

    EXPECT_TRUE(reporter.entries.empty());
    EXPECT_EQ(reporter.beeps, 0);
    // The stale copies and the day's backup are no part of Start: the main window starts
    // them once shown.
    EXPECT_TRUE(Exists("pers.txt.a1b2c3"));
    EXPECT_FALSE(Exists("copii/" + Today()));
    EXPECT_FALSE(app.DailyBackupDone());
    app.StartDailyBackup();
    app.WaitForDailyBackup();
    EXPECT_TRUE(app.DailyBackupDone());
    EXPECT_FALSE(Exists("pers.txt.a1b2c3"));
    EXPECT_TRUE(Exists("pref.txt.d4e5f6"));
    EXPECT_EQ(app.TakeBackupNotice(), std::nullopt);
    EXPECT_EQ(ReadBack("copii/" + Today() + "/virt-dir.txt"), ReadBack("virt-dir.txt"));
    ASSERT_EQ(app.Catalogue().categories.size(), 2u);
    EXPECT_EQ(app.Catalogue().Recipe(0, 0, 0)->fileName, "RET001.TXT");
    EXPECT_EQ(ReadBack(kCookIni), dir.path() + "/tmp/");
    EXPECT_EQ(session.tempFolder, dir.path() + "/tmp/");
    EXPECT_EQ(&app.GetSession(), &session);
}

TEST(ApplicationTest, TheDaysBackupSaysOnceWhenTheClockLooksWrong) {
    TempDataDir dir;
    TmpFolder tmp(dir.path() + "/tmp");
    WriteScrambled("virt-dir.txt", "m Supe\n");
    ASSERT_EQ(BackupIfChanged("2099-05-01"), BackupResult::Made); // the clock was ahead
    WriteScrambled("virt-dir.txt", "m Supe\nm Dulciuri\n");
    Session session;
    Application app(session);
    CollectingReporter reporter;
    app.Start(reporter);
    EXPECT_EQ(app.TakeBackupNotice(), std::nullopt); // not before the backup has run
    app.StartDailyBackup();
    app.WaitForDailyBackup();
    const auto notice = app.TakeBackupNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_NE(notice->find("2099-05-01"), std::string::npos) << *notice;
    EXPECT_NE(notice->find(Today()), std::string::npos) << *notice;
    EXPECT_EQ(app.TakeBackupNotice(), std::nullopt); // once
    EXPECT_EQ(ListBackups().back(), Today());        // today's is the newest all the same
}

TEST(ApplicationTest, AMissingCatalogueIsSaidAndTheRestOfTheStartUpStillHappens) {
    TempDataDir dir;
    TmpFolder tmp(dir.path() + "/tmp");
    Session session;
    Application app(session);
    CollectingReporter reporter;
    app.Start(reporter);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].form, BoxForm::Owned);
    EXPECT_EQ(reporter.entries[0].text, kCannotOpenCatalogue);
    EXPECT_EQ(reporter.beeps, 1);
    EXPECT_TRUE(app.Catalogue().categories.empty());
    EXPECT_EQ(session.tempFolder, dir.path() + "/tmp/");

    // Written later, the catalogue is there on the next reload.
    WriteScrambled("virt-dir.txt", "m Supe\n");
    EXPECT_TRUE(app.ReloadCatalogue(reporter));
    EXPECT_EQ(app.Catalogue().categories.size(), 1u);
    EXPECT_EQ(reporter.entries.size(), 1u);
}

TEST(ApplicationTest, TheWatchOnPersTxtAsksForAReloadOnTheSixthTickAfterItGrew) {
    TempDataDir dir;
    TmpFolder tmp(dir.path() + "/tmp");
    WriteScrambled("virt-dir.txt", "m Supe\n");
    WriteScrambled("pers.txt", "Unu" + std::string(137, ' ') + "#xet1.txt\n");
    Session session;
    Application app(session);
    EXPECT_FALSE(app.PersonalListChanged()); // nothing is watched before the start-up
    CollectingReporter reporter;
    app.Start(reporter);
    EXPECT_EQ(app.Watch().KnownSize(), 150);
    WriteScrambled("pers.txt", "Unu" + std::string(137, ' ') + "#xet1.txt\n" + "Doi" +
                                   std::string(137, ' ') + "#xet2.txt\n");
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(app.PersonalListChanged()) << "tick " << i;
    EXPECT_TRUE(app.PersonalListChanged());
    EXPECT_EQ(app.Watch().KnownSize(), 300);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(app.PersonalListChanged()) << "tick " << i;
}
