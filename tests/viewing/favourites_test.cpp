#include "core/files.h"
#include "support/read_only_folder.h"
#include "support/support.h"
#include "viewing/favourites.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::ReadOnlyFolder;
using savorel::testing::TempDataDir;
using savorel::testing::WriteScrambled;

namespace {

std::string Line(const std::string& name, const std::string& file) {
    return FavouriteRecord(name, file) + "\n";
}

struct FaultHookGuard {
    explicit FaultHookGuard(WriteFaultHook hook) { SetWriteFaultHook(std::move(hook)); }
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

} // namespace

TEST(Favourites, AddCreatesTheListAndNeverDuplicatesAFileName) {
    TempDataDir dir;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(IsFavourite("RET001.TXT"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot open file..");

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(AddFavouriteRecord("Ciorba de burta", "RET001.TXT"), AddFavouriteResult::Added);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadBack("pref.txt", true),
              "Ciorba de burta" + std::string(55, ' ') + "#RET001.TXT\n");
    EXPECT_TRUE(IsFavourite("ret001.txt"));
    EXPECT_EQ(AddFavouriteRecord("Alt titlu", "ret001.TXT"), AddFavouriteResult::AlreadyFavourite);
    EXPECT_EQ(AddFavouriteRecord("Propria", "xet2.txt"), AddFavouriteResult::Added);
    EXPECT_EQ(ReadBack("pref.txt", true),
              Line("Ciorba de burta", "RET001.TXT") + Line("Propria", "xet2.txt"));
}

TEST(Favourites, RecordsStayOneLineWithOneSeparator) {
    TempDataDir dir;
    // An unfinished last line is ended first instead of swallowing the new record.
    WriteScrambled("pref.txt", Line("A", "RET001.TXT") + "unfinished");
    EXPECT_EQ(AddFavouriteRecord("T#it\nlu", "RET002.TXT"), AddFavouriteResult::Added);
    EXPECT_EQ(ReadBack("pref.txt", true),
              Line("A", "RET001.TXT") + "unfinished\n" + Line("T it lu", "RET002.TXT"));
    EXPECT_EQ(AddFavouriteRecord("X", "RET\n003.TXT"), AddFavouriteResult::NotWritten);
    // Only complete lines count as records for the duplicate test.
    WriteScrambled("pref.txt", Line("A", "RET001.TXT") + "B#RET005.TXT");
    EXPECT_FALSE(IsFavourite("RET005.TXT"));
}

TEST(Favourites, ListIsReadWholeLongRecordsIncluded) {
    TempDataDir dir;
    EXPECT_FALSE(ReadFavourites());
    const std::string longName(300, 'P');
    WriteScrambled("pref.txt",
                   Line("Supa", "RET010.TXT") + "\r\n" + Line(longName, "xet12.txt") + "rest");
    const auto records = ReadFavourites();
    ASSERT_TRUE(records);
    EXPECT_EQ(*records, (std::vector<std::string>{FavouriteRecord("Supa", "RET010.TXT"), "",
                                                  FavouriteRecord(longName, "xet12.txt")}));
    EXPECT_TRUE(IsFavourite("XET12.TXT"));
}

TEST(Favourites, RemovalKeepsLongRecordsWholeAndTheUnfinishedTail) {
    TempDataDir dir;
    const std::string longName(300, 'P');
    WriteScrambled("pref.txt", Line("Supa", "RET010.TXT") + Line(longName, "xet12.txt") +
                                   Line("SUPA", "ret010.txt") + "tail");
    ASSERT_EQ(RemoveFavourite(FavouriteRecord("Supa", "RET010.TXT")),
              RemoveFavouriteResult::Removed);
    EXPECT_EQ(ReadBack("pref.txt", true), Line(longName, "xet12.txt") + "tail");
    ASSERT_EQ(RemoveFavourite(FavouriteRecord(longName, "xet12.txt")),
              RemoveFavouriteResult::Removed);
    EXPECT_EQ(ReadBack("pref.txt", true), "tail");
    EXPECT_FALSE(Exists("temp.dat"));
}

TEST(FavouritesFaults, MissingListUnwritableFolderAndInterruptedReplacement) {
    TempDataDir dir;
    EXPECT_EQ(RemoveFavourite("x"), RemoveFavouriteResult::ListUnreadable);
    EXPECT_STREQ(RemoveFavouriteMessage(RemoveFavouriteResult::ListUnreadable),
                 "Cannot open preferences file...");
    EXPECT_FALSE(Exists("pref.txt"));

    const std::string list = Line("Supa", "RET010.TXT") + Line("Ciorba", "RET001.TXT");
    WriteScrambled("pref.txt", list);
    {
        ReadOnlyFolder readOnly;
        EXPECT_EQ(RemoveFavourite(FavouriteRecord("Supa", "RET010.TXT")),
                  RemoveFavouriteResult::NotWritten);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(AddFavouriteRecord("Nou", "RET003.TXT"), AddFavouriteResult::NotWritten);
        ::testing::internal::GetCapturedStdout();
    }
    EXPECT_STREQ(RemoveFavouriteMessage(RemoveFavouriteResult::NotWritten),
                 "Cannot open the output file...");
    EXPECT_EQ(ReadBack("pref.txt", true), list);

    for (int failing : {1, 2}) {
        // 1: temp.dat itself cannot be written; 2: temp.dat is whole, pref.txt's replacement
        // is interrupted before its rename.
        int writes = 0;
        FaultHookGuard fail([&](std::size_t) { return ++writes != failing; });
        EXPECT_EQ(RemoveFavourite(FavouriteRecord("Supa", "RET010.TXT")),
                  RemoveFavouriteResult::NotWritten);
        EXPECT_EQ(ReadBack("pref.txt", true), list);
        EXPECT_FALSE(Exists("temp.dat"));
        int files = 0;
        for (auto& e : std::filesystem::directory_iterator("."))
            files += e.path().filename() != "savorel.lock";
        EXPECT_EQ(files, 1) << "no temporary file is left behind";
    }
}
