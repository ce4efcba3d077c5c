#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/scramble.h"
#include "support/support.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

const std::string kHead =
    "<!--RET001.TXT--><html><BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>";
const std::string kTail = "\n</BODY>\n</html>";

struct FakeWindows final : RecipeWindows {
    int viewResult = 1;
    int views = 0;
    int plains = 0;
    OpenedRecipe last;
    int RunRecipeView(const OpenedRecipe& recipe) override {
        ++views;
        last = recipe;
        return viewResult;
    }
    void RunPlainRecipe(const OpenedRecipe& recipe) override {
        ++plains;
        last = recipe;
    }
};

} // namespace

TEST(RecipePieces, OwnRecipeLayoutGivesTitleItemsAndPreparation) {
    const std::string text = "Ana\n#\nCiorba\n#\n100 g sugar; 0,5 l milk\n#\nMix well.";
    const RecipePieces p = SplitRecipe(text);
    EXPECT_EQ(p.title, "Ciorba");
    EXPECT_EQ(p.preparation, "Mix well.");
    const auto items = SplitIngredientItems(p.ingredients);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, " 100 g sugar");
    EXPECT_EQ(items[1].text, " 0,5 l milk ");
}

TEST(IngredientItems, CutAtSeparatorsNotAfterDigits) {
    const auto items = SplitIngredientItems("1 kg mere; 0,5 kg zahar. 2 linguri miere");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "1 kg mere");
    EXPECT_EQ(items[1].text, " 0,5 kg zahar");
    EXPECT_EQ(items[2].text, " 2 linguri miere");
}

TEST(IngredientItems, EdgeCases) {
    EXPECT_TRUE(SplitIngredientItems("").empty());
    EXPECT_EQ(SplitIngredientItems("a;").size(), 1u);
    ASSERT_EQ(SplitIngredientItems("a;;b").size(), 3u);
    EXPECT_EQ(SplitIngredientItems("a;;b")[1].text, "");
    // A leading "." stays in the first item; "1.5" and "2,5" stay whole.
    const auto lead = SplitIngredientItems(".5 l; 1.5 kg, 2,5 g");
    ASSERT_EQ(lead.size(), 3u);
    EXPECT_EQ(lead[0].text, ".5 l");
    EXPECT_EQ(lead[1].text, " 1.5 kg");
    // Bytes above 127 are never digits.
    EXPECT_EQ(SplitIngredientItems("\xB9,x").size(), 2u);
}

TEST(IngredientItems, HeadingsSplitAtTheFirstColon) {
    const auto items = SplitIngredientItems("Pentru sos: 2 rosii;:sare;a:b:c");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0].hasHeading);
    EXPECT_EQ(items[0].heading, "Pentru sos");
    EXPECT_EQ(items[0].text, " 2 rosii");
    EXPECT_EQ(items[1].heading, "");
    EXPECT_EQ(items[1].text, "sare");
    EXPECT_EQ(items[2].heading, "a");
    EXPECT_EQ(items[2].text, "b:c");
}

struct PageCase {
    const char* name;
    std::string recipe;
    std::string body; // what stands between the head and the tail
};

class RecipePageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(RecipePageTest, WritesThePageByteForByte) {
    const PageCase& c = GetParam();
    EXPECT_EQ(RenderRecipePageText("RET001.TXT", c.recipe), kHead + c.body + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecipePageTest,
    ::testing::Values(
        PageCase{"full", "#\nSupa\n#\nPentru sos: 2 rosii; 1 ceapa\n#\nSe fierbe.\r\nGata",
                 "<b>Supa</b><hr>\n<p><b> Pentru sos</b>\n<li> 2 rosii\n<li> 1 ceapa \n\n<hr>"
                 "Se fierbe.  Gata"},
        PageCase{"noMarker", "just text", "\n<hr>"}, PageCase{"empty", "", "\n<hr>"},
        PageCase{"onlyMarkers", "###", "<b></b><hr>\n\n<hr>"},
        PageCase{"fourMarkers", "####", "<b></b><hr>\n\n<hr>"},
        PageCase{"oneMarker", "pro#title", "\n<hr>"},
        PageCase{"twoMarkers", "#T#a;b", "<b>T</b><hr>\n<li>a\n<li>b\n\n<hr>"},
        PageCase{"titleLineBreaksDropped", "#A\r\nB#x#", "<b>AB</b><hr>\n<li>x\n\n<hr>"},
        PageCase{"notEscaped", "#<i>&amp;#a<b#\n<script>",
                 "<b><i>&amp;</b><hr>\n<li>a<b\n\n<hr><script>"},
        PageCase{"hashInPreparation", "#T#i#\nx#y", "<b>T</b><hr>\n<li>i\n\n<hr>x#y"},
        PageCase{"emptyHeading", "#T#:2 oua#\n", "<b>T</b><hr>\n<p><b></b>\n<li>2 oua\n\n<hr>"}),
    [](const auto& info) { return info.param.name; });

TEST(RecipePage, LongTitleAndItemsAreCut) {
    const std::string page = RenderRecipePageText("F", "#" + std::string(5000, 't') + "#" +
                                                           std::string(12000, 'i') + "#\n");
    EXPECT_NE(page.find("<b>" + std::string(kTitleLimit, 't') + "</b>"), std::string::npos);
    EXPECT_EQ(page.find(std::string(kTitleLimit + 1, 't')), std::string::npos);
    EXPECT_EQ(page.find(std::string(kItemLimit + 1, 'i')), std::string::npos);
}

TEST(RecipePage, WritesPageIntoTheTemporaryFolderAndCopyBesideIt) {
    TempDataDir dir;
    std::filesystem::create_directory("tmp");
    WriteScrambled("RET001.TXT", "#\nSupa\n#\n1 l apa\n#\nFierbe.");
    CollectingReporter reporter;
    FakeWindows windows;
    ASSERT_TRUE(OpenRecipe("RET001.TXT", Opener::MainWindow, "tmp/", reporter, &windows));
    EXPECT_TRUE(reporter.entries.empty());
    EXPECT_EQ(ReadBack("tmp/reteta.htm"),
              kHead + "<b>Supa</b><hr>\n<li> 1 l apa \n\n<hr>Fierbe." + kTail);
    EXPECT_EQ(ReadBack("tmp/reteta.txt"), ReadBack("RET001.TXT"));
    EXPECT_EQ(windows.views, 1);
    EXPECT_EQ(windows.plains, 0);
    // The window is handed what was written, so it never depends on the files staying.
    EXPECT_EQ(windows.last.sourceName, "RET001.TXT");
    EXPECT_EQ(windows.last.folderText, "tmp/");
    EXPECT_EQ(windows.last.page, ReadBack("tmp/reteta.htm"));
    EXPECT_EQ(windows.last.copy, ReadBack("RET001.TXT"));
    EXPECT_TRUE(windows.last.copyWritten);
    // The same recipe twice gives the same page.
    const std::string first = ReadBack("tmp/reteta.htm");
    ASSERT_TRUE(OpenRecipe("RET001.TXT", Opener::MainWindow, "tmp/", reporter, &windows));
    EXPECT_EQ(ReadBack("tmp/reteta.htm"), first);
}

TEST(RecipePage, PlainWindowWhenTheRecipeWindowCannotBeCreated) {
    TempDataDir dir;
    WriteScrambled("RET001.TXT", "#T#i#\np");
    CollectingReporter reporter;
    FakeWindows windows;
    windows.viewResult = -1;
    ASSERT_TRUE(OpenRecipe("RET001.TXT", Opener::MainWindow, "", reporter, &windows));
    EXPECT_EQ(windows.plains, 1);
    EXPECT_TRUE(Exists("reteta.htm")) << "no temporary folder: the page goes to the data folder";
}

TEST(RecipePage, MissingRecipeStopsEveryOpenerWithItsForm) {
    TempDataDir dir;
    WritePlain("reteta.htm", "previous page");
    FakeWindows windows;
    CollectingReporter mainReporter;
    EXPECT_FALSE(OpenRecipe("RET404.TXT", Opener::MainWindow, "", mainReporter, &windows));
    ASSERT_EQ(mainReporter.entries.size(), 1u);
    EXPECT_EQ(mainReporter.entries[0].text, "Cannot open the input file...  ");
    EXPECT_EQ(mainReporter.entries[0].form, BoxForm::CaptionOnly);
    CollectingReporter listReporter;
    EXPECT_FALSE(OpenRecipe("RET404.TXT", Opener::ListWindow, "", listReporter, &windows));
    EXPECT_EQ(listReporter.entries.at(0).form, BoxForm::Owned);
    EXPECT_EQ(windows.views, 0);
    EXPECT_EQ(ReadBack("reteta.htm"), "previous page");
}

TEST(RecipePage, UnwritablePageReportsOutputMessage) {
    TempDataDir dir;
    WriteScrambled("RET001.TXT", "#T#i#\np");
    CollectingReporter reporter;
    FakeWindows windows;
    EXPECT_FALSE(
        OpenRecipe("RET001.TXT", Opener::MainWindow, "no/such/folder/", reporter, &windows));
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].text, "Cannot open the output file...  ");
    EXPECT_EQ(windows.views, 0);
}

TEST(RecipePage, DiskFullWhileWritingThePageKeepsThePreviousPage) {
    TempDataDir dir;
    WriteScrambled("RET001.TXT", "#T#i#\np");
    WritePlain("reteta.htm", "<!--OLD.TXT-->previous");
    CollectingReporter reporter;
    FakeWindows windows;
    SetWriteFaultHook([](std::size_t) { return false; });
    EXPECT_FALSE(OpenRecipe("RET001.TXT", Opener::ListWindow, "", reporter, &windows));
    SetWriteFaultHook(nullptr);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].text, "Cannot open the output file...  ");
    EXPECT_EQ(ReadBack("reteta.htm"), "<!--OLD.TXT-->previous");
    EXPECT_EQ(windows.views, 0);
}

TEST(RecipePage, ListWindowsReadCookIniAtThatMoment) {
    TempDataDir dir;
    std::filesystem::create_directory("t1");
    WriteScrambled("xet1.txt", "Ana\n#\nN\n#\n\n#\n");
    ASSERT_TRUE(WriteCookIni(dir.path() + "/t1/"));
    CollectingReporter reporter;
    FakeWindows windows;
    ASSERT_TRUE(OpenRecipe("xet1.txt", Opener::ListWindow, "ignored/", reporter, &windows));
    EXPECT_TRUE(Exists("t1/reteta.htm"));
    EXPECT_TRUE(Exists("t1/reteta.txt"));
}

TEST(RecipePage, NamesLeavingTheDataFolderCannotBeOpened) {
    TempDataDir dir;
    std::filesystem::create_directory("sub");
    WriteScrambled("sub/RET001.TXT", "#T#i#\np");
    CollectingReporter reporter;
    FakeWindows windows;
    EXPECT_FALSE(OpenRecipe("sub/RET001.TXT", Opener::ListWindow, "", reporter, &windows));
    EXPECT_FALSE(OpenRecipe("/etc/passwd", Opener::ListWindow, "", reporter, &windows));
    EXPECT_EQ(reporter.entries.size(), 2u);
}

TEST(RecipePage, CopyThatCannotBeWrittenIsSaidAndNeverTakenFromTheFolder) {
    TempDataDir dir;
    WriteScrambled("RET001.TXT", "#T#i#\np");
    WritePlain("reteta.txt", "planted by someone else");
    CollectingReporter reporter;
    FakeWindows windows;
    windows.viewResult = -1;
    int writes = 0;
    SetWriteFaultHook([&](std::size_t) { return ++writes == 1; }); // the page only
    EXPECT_TRUE(OpenRecipe("RET001.TXT", Opener::ListWindow, "", reporter, &windows));
    SetWriteFaultHook(nullptr);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].text, "Cannot open the output file...  ");
    EXPECT_EQ(windows.plains, 1);
    EXPECT_FALSE(windows.last.copyWritten);
    EXPECT_TRUE(windows.last.copy.empty());
}
