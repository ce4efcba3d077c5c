#include "catalogue/catalogue.h"
#include "core/files.h"
#include "core/scramble.h"
#include "support/support.h"

#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::TempDataDir;
using savorel::testing::WriteScrambled;

namespace {

CategoryTable Load(const std::string& plain, std::vector<CatalogueProblem>* problems = nullptr) {
    WriteScrambled("virt-dir.txt", plain);
    CategoryTable table;
    CollectingReporter reporter;
    EXPECT_TRUE(LoadCatalogue(table, reporter, problems));
    EXPECT_TRUE(reporter.entries.empty());
    return table;
}

} // namespace

TEST(Catalogue, ReadsThreeLevelsInFileOrder) {
    TempDataDir dir;
    const CategoryTable t = Load("m Supe\n h Ciorbe\n  i Ciorba de burta ~ RET002.TXT\n"
                                 "  i Bors ~ RET001.TXT\n h Creme\n  i Crema ~ RET003.TXT\n"
                                 "m Dulciuri\n h Torturi\n  i Tort ~ RET004.TXT\n");
    ASSERT_EQ(t.LastIndex(), 1);
    EXPECT_EQ(t.categories[0].name, "Supe");
    ASSERT_EQ(t.categories[0].subcategories.size(), 2u);
    EXPECT_EQ(t.categories[0].subcategories[0].recipes[0].name, "Ciorba de burta ");
    EXPECT_EQ(t.categories[0].subcategories[0].recipes[1].fileName, "RET001.TXT");
    ASSERT_NE(t.Recipe(1, 0, 0), nullptr);
    EXPECT_EQ(t.Recipe(1, 0, 0)->fileName, "RET004.TXT");
    EXPECT_EQ(t.Recipe(1, 0, 1), nullptr);
    EXPECT_EQ(t.Recipe(2, 0, 0), nullptr);
    EXPECT_EQ(t.Recipe(-1, 0, 0), nullptr);
}

TEST(Catalogue, IndentationWithBlanksAndTabsChangesNothing) {
    TempDataDir dir;
    const CategoryTable a = Load("m A\nh B\ni C ~ F.TXT\n");
    const CategoryTable b = Load("\t m A\n \t\th B\n\t\t  i C ~ F.TXT\n");
    ASSERT_EQ(b.LastIndex(), 0);
    EXPECT_EQ(a.categories[0].name, b.categories[0].name);
    EXPECT_EQ(a.categories[0].subcategories[0].name, b.categories[0].subcategories[0].name);
    EXPECT_EQ(a.Recipe(0, 0, 0)->fileName, b.Recipe(0, 0, 0)->fileName);
}

TEST(Catalogue, BlanksAfterTheTagAreSkippedButATabIsKept) {
    TempDataDir dir;
    const CategoryTable t = Load("m    Name\nm\tName\nmName\n");
    ASSERT_EQ(t.LastIndex(), 2);
    EXPECT_EQ(t.categories[0].name, "Name");
    EXPECT_EQ(t.categories[1].name, "\tName");
    EXPECT_EQ(t.categories[2].name, "Name");
}

TEST(Catalogue, RecipeNameKeepsBlanksBeforeTildeAndFileStopsAtBlank) {
    TempDataDir dir;
    const CategoryTable t =
        Load("m A\nh B\ni Name of dish   ~   RET005.TXT   further\ni X ~\tRET006.TXT\n");
    EXPECT_EQ(t.Recipe(0, 0, 0)->name, "Name of dish   ");
    EXPECT_EQ(t.Recipe(0, 0, 0)->fileName, "RET005.TXT");
    EXPECT_EQ(t.Recipe(0, 0, 1)->fileName, ""); // a tab ends the file name at once
}

TEST(Catalogue, EmptySubcategoryNameJoinsRecipesToThePreviousOne) {
    TempDataDir dir;
    const CategoryTable t = Load("m A\nh First\ni R1 ~ F1\nh\nh    \ni R2 ~ F2\n");
    ASSERT_EQ(t.categories[0].subcategories.size(), 1u);
    EXPECT_EQ(t.categories[0].subcategories[0].recipes.size(), 2u);
}

TEST(Catalogue, OtherLinesAndAnUnterminatedLastLineAreIgnored) {
    TempDataDir dir;
    const CategoryTable t = Load("# comment\n\nm A\nx nothing\nh B\ni R1 ~ F1\ni R2 ~ F2");
    ASSERT_EQ(t.LastIndex(), 0);
    EXPECT_EQ(t.categories[0].subcategories[0].recipes.size(), 1u);
}

// The book's ten categories and the own recipes' one: a twelfth is left out.
TEST(Catalogue, ElevenCategoriesKeepFileOrderAndATwelfthIsLeftOut) {
    TempDataDir dir;
    std::string text;
    for (char c : std::string("LKJIHGFEDCBA"))
        text += std::string("m ") + c + "\nh s\ni r ~ f\n";
    std::vector<CatalogueProblem> problems;
    const CategoryTable t = Load(text, &problems);
    ASSERT_EQ(t.LastIndex(), 10);
    EXPECT_EQ(t.categories[0].name, "L");
    EXPECT_EQ(t.categories[10].name, "B");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 34);
    EXPECT_NE(std::string::npos, problems[0].what.find("more than 11 categories"));
    // The twelfth category's lines do not join the eleventh.
    EXPECT_EQ(t.categories[10].subcategories.size(), 1u);
}

TEST(Catalogue, InvalidLinesTouchNothingAndAreReported) {
    TempDataDir dir;
    std::vector<CatalogueProblem> problems;
    const CategoryTable t =
        Load("h Early\ni Orphan ~ F0\nm A\ni NoSub ~ F1\nh B\ni NoTilde F2\n", &problems);
    ASSERT_EQ(t.LastIndex(), 0);
    ASSERT_EQ(t.categories[0].subcategories.size(), 1u);
    EXPECT_TRUE(t.categories[0].subcategories[0].recipes.empty());
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].line, 1);
    EXPECT_EQ(problems[3].line, 6);
}

TEST(Catalogue, LongNamesAreCutAndLongLinesSplitAtTheLimit) {
    TempDataDir dir;
    const std::string longName(700, 'n');
    const CategoryTable t = Load("m " + longName + "\nh B\ni " + std::string(1500, 'r') + "~F\n");
    EXPECT_EQ(t.categories[0].name.size(), kCatalogueNameLimit);
    // The 999-character limit splits the recipe line: its first part has no "~" (left out),
    // the rest is read as a further line that starts with "r" and is ignored.
    EXPECT_TRUE(t.categories[0].subcategories[0].recipes.empty());
}

TEST(Catalogue, MissingFileReportsAndBeepsWithEmptyTable) {
    TempDataDir dir;
    CategoryTable t;
    t.categories.push_back({"stale", {}});
    CollectingReporter reporter;
    EXPECT_FALSE(LoadCatalogue(t, reporter));
    EXPECT_EQ(t.LastIndex(), -1);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].text, "Cannot open the file...");
    EXPECT_EQ(reporter.entries[0].form, BoxForm::Owned);
    EXPECT_EQ(reporter.beeps, 1);
}

TEST(Catalogue, BinaryGarbageLoadsWithinLimits) {
    TempDataDir dir;
    std::string garbage;
    for (int i = 0; i < 20000; ++i)
        garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    const CategoryTable t = Load(garbage);
    EXPECT_LE(t.categories.size(), kMaxCategories);
    for (const auto& c : t.categories) {
        EXPECT_LE(c.name.size(), kCatalogueNameLimit);
        for (const auto& s : c.subcategories)
            for (const auto& r : s.recipes)
                EXPECT_LE(r.fileName.size(), kCatalogueNameLimit);
    }
}

TEST(Catalogue, LoadFromAnswersWhetherTheStreamWasReadToItsEnd) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m A\nh B\ni C ~ D\n");
    struct Case {
        const char* path;
        bool read;
        int categories;
    };
    // A folder opens as a stream whose every read fails: the load must end, and say so.
    for (const Case& c : {Case{"virt-dir.txt", true, 1}, Case{".", false, 0}}) {
        SCOPED_TRACE(c.path);
        FilePtr f(std::fopen(c.path, "rb"));
        ASSERT_TRUE(f);
        CategoryTable t;
        t.categories.push_back({"stale", {}});
        EXPECT_EQ(LoadCatalogueFrom(f.get(), t), c.read);
        EXPECT_EQ(t.LastIndex(), c.categories - 1);
    }
}

TEST(Catalogue, FreeEmptiesEverything) {
    TempDataDir dir;
    CategoryTable t = Load("m A\nh B\ni C ~ D\n");
    FreeCatalogue(t);
    EXPECT_EQ(t.LastIndex(), -1);
    EXPECT_EQ(t.Subcategory(0, 0), nullptr);
}
