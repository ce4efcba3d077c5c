#include "personal/own_delete.h"
#include "personal/store.h"
#include "support/read_only_folder.h"
#include "support/support.h"
#include "viewing/favourites.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

std::string Record(const std::string& name, const std::string& file) {
    return PersonalRecord(name, file) + "\n";
}

} // namespace

TEST(OwnDeleteTest, CatalogueLosesOnlyTheLineNamingTheFile) {
    const struct {
        const char* catalogue;
        const char* file;
        const char* kept;
    } cases[] = {
        {"m A\r\nh B\r\n i Ciorba ~ xet1.txt\r\n i Supa ~ xet10.txt\r\n", "xet1.txt",
         "m A\r\nh B\r\n i Supa ~ xet10.txt\r\n"},
        {" i X ~   XET2.TXT\n i Y ~ xet3.txt", "xet2.txt", " i Y ~ xet3.txt"},
        {" i Y ~ xet3.txt", "xet3.txt", ""}, // a last line without its line feed
        {" i xet4.txt ~ RET001.TXT\n", "xet4.txt", " i xet4.txt ~ RET001.TXT\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CatalogueWithout(c.catalogue, c.file), c.kept) << c.catalogue;
}

TEST(OwnDeleteTest, KeptCopiesAreNeverWrittenOver) {
    TempDataDir dir;
    std::filesystem::create_directory("sterse");
    EXPECT_EQ(FreeNameIn("sterse", "xet1.txt"), "sterse/xet1.txt");
    WritePlain("sterse/xet1.txt", "a");
    WritePlain("sterse/xet1-2.txt", "b");
    EXPECT_EQ(FreeNameIn("sterse", "xet1.txt"), "sterse/xet1-3.txt");
    EXPECT_EQ(FreeNameIn("sterse", "noext"), "sterse/noext");
}

TEST(OwnDeleteTest, MovesTheFileAndDropsItsRecordAndCatalogueLine) {
    TempDataDir dir;
    const std::string catalogue = "m Supe\nh Ciorbe\n i Ciorba ~ xet1.txt\n i Ardei ~ xet2.txt\n";
    WriteScrambled("virt-dir.txt", catalogue);
    WriteScrambled("pers.txt", Record("Ciorba", "xet1.txt") + Record("Ardei", "xet2.txt"));
    WriteScrambled("xet1.txt", "nou");
    std::filesystem::create_directory("sterse");
    WritePlain("sterse/xet1.txt", "vechi");

    EXPECT_EQ(DeleteOwnRecipe("XET1.TXT"), DeleteOwnResult::Deleted);
    EXPECT_FALSE(Exists("xet1.txt"));
    EXPECT_EQ(ReadBack("sterse/xet1.txt"), "vechi");
    EXPECT_EQ(ReadBack("sterse/xet1-2.txt", true), "nou");
    EXPECT_EQ(ReadBack("pers.txt", true), Record("Ardei", "xet2.txt"));
    EXPECT_EQ(ReadBack("virt-dir.txt", true), "m Supe\nh Ciorbe\n i Ardei ~ xet2.txt\n");

    // A file already gone still leaves the lists; a book recipe or a path is never touched.
    std::filesystem::remove("xet2.txt");
    EXPECT_EQ(DeleteOwnRecipe("xet2.txt"), DeleteOwnResult::Deleted);
    EXPECT_EQ(ReadBack("pers.txt", true), "");
    EXPECT_EQ(ReadBack("virt-dir.txt", true), "m Supe\nh Ciorbe\n");
    WriteScrambled("RET001.TXT", "carte");
    for (const char* name : {"RET001.TXT", "../xet1.txt", "sterse/xet1.txt", ""})
        EXPECT_EQ(DeleteOwnRecipe(name), DeleteOwnResult::NotOwnRecipe) << name;
    EXPECT_TRUE(Exists("RET001.TXT"));

    // A data folder that cannot be changed: the recipe stays where the lists lead.
    WriteScrambled("xet5.txt", "x");
    WriteScrambled("pers.txt", Record("C", "xet5.txt"));
    {
        savorel::testing::ReadOnlyFolder readOnly;
        EXPECT_EQ(DeleteOwnRecipe("xet5.txt"), DeleteOwnResult::NotWritten);
    }
    EXPECT_TRUE(Exists("xet5.txt"));
    EXPECT_EQ(ReadBack("pers.txt", true), Record("C", "xet5.txt"));
    EXPECT_STREQ(DeleteOwnMessage(DeleteOwnResult::NotWritten), "Cannot open the output file...");
}

// The favourites of a deleted recipe leave pref.txt with it; others, and a book recipe's,
// stay in their order.
TEST(OwnDeleteTest, FavouritesOfTheRecipeLeaveWithIt) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n i Ciorba ~ xet1.txt\n");
    WriteScrambled("pers.txt", Record("Ciorba", "xet1.txt"));
    WriteScrambled("xet1.txt", "nou");
    const std::string keep1 = FavouriteRecord("Sarmale", "RET004.TXT") + "\n";
    const std::string keep2 = FavouriteRecord("Ciorba veche", "xet10.txt") + "\n";
    WriteScrambled("pref.txt", keep1 + FavouriteRecord("Ciorba", "xet1.txt") + "\n" + keep2 +
                                   FavouriteRecord("Ciorba", "XET1.TXT") + "\n");
    EXPECT_EQ(DeleteOwnRecipe("xet1.txt"), DeleteOwnResult::Deleted);
    EXPECT_EQ(ReadBack("pref.txt", true), keep1 + keep2);
    // No favourites list at all is no failure.
    std::filesystem::remove("pref.txt");
    WriteScrambled("xet2.txt", "x");
    WriteScrambled("pers.txt", Record("Supa", "xet2.txt"));
    EXPECT_EQ(DeleteOwnRecipe("xet2.txt"), DeleteOwnResult::Deleted);
    EXPECT_FALSE(Exists("pref.txt"));
}

// A delete chosen from a list shown a while ago: what another copy deleted (or replaced with
// a new recipe under the same name) meanwhile is left as it is.
TEST(OwnDeleteTest, ARecipeDeletedMeanwhileIsLeftAsItIs) {
    const std::string ciorba = Record("Ciorba", "xet1.txt");
    const std::string ardei = Record("Ardei", "xet2.txt");
    const struct {
        const char* what;
        bool file;
        std::string list;
        std::string catalogue;
        std::string record; // as the window hands it; empty: none given
        DeleteOwnResult expected;
    } cases[] = {
        {"the chosen record is there", true, ciorba + ardei, " i C ~ xet1.txt\n", ciorba,
         DeleteOwnResult::Deleted},
        {"its record as the last line without a line feed", true,
         ardei + ciorba.substr(0, ciorba.size() - 1), " i C ~ xet1.txt\n", ciorba,
         DeleteOwnResult::Deleted},
        {"record there, file already gone", false, ciorba, " i C ~ xet1.txt\n", ciorba,
         DeleteOwnResult::Deleted},
        {"deleted meanwhile", false, ardei, "", ciorba, DeleteOwnResult::AlreadyDeleted},
        {"a new recipe under the name since", true, ardei + Record("Noua", "xet1.txt"),
         " i N ~ xet1.txt\n", ciorba, DeleteOwnResult::AlreadyDeleted},
        {"nothing left, no record given", false, ardei, "", "", DeleteOwnResult::AlreadyDeleted},
        {"only the catalogue line left", false, ardei, " i C ~ xet1.txt\n", "",
         DeleteOwnResult::Deleted},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n" + c.catalogue);
        WriteScrambled("pers.txt", c.list);
        if (c.file)
            WriteScrambled("xet1.txt", "reteta");
        const std::string list = ReadBack("pers.txt"), catalogue = ReadBack("virt-dir.txt");
        EXPECT_EQ(DeleteOwnRecipe("xet1.txt", c.record), c.expected) << c.what;
        if (c.expected == DeleteOwnResult::AlreadyDeleted) {
            EXPECT_EQ(ReadBack("pers.txt"), list) << c.what;
            EXPECT_EQ(ReadBack("virt-dir.txt"), catalogue) << c.what;
            EXPECT_EQ(Exists("xet1.txt"), c.file) << c.what;
            EXPECT_FALSE(Exists("sterse/xet1.txt")) << c.what;
        } else {
            EXPECT_FALSE(Exists("xet1.txt")) << c.what;
            EXPECT_EQ(Exists("sterse/xet1.txt"), c.file) << c.what;
            EXPECT_EQ(ReadBack("pers.txt", true).find("#xet1.txt"), std::string::npos) << c.what;
            EXPECT_EQ(ReadBack("virt-dir.txt", true), "m Supe\nh Ciorbe\n") << c.what;
        }
    }
    EXPECT_STREQ(DeleteOwnMessage(DeleteOwnResult::AlreadyDeleted),
                 "Reteta a fost stearsa intre timp.");
}
