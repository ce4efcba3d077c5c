#include "core/files.h"
#include "core/records.h"
#include "personal/own_list.h"
#include "personal/store.h"
#include "support/support.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WriteScrambled;

namespace {

std::string Record(const std::string& name, const std::string& file) {
    return PersonalRecord(name, file) + "\n";
}

using Lines = std::vector<std::string>;

} // namespace

TEST(ListEntries, FileNameIsTheTextAfterTheFirstHash) {
    struct Case {
        const char* entry;
        const char* file;
    } cases[] = {
        {"Ciorba      #xet1.txt", "xet1.txt"},
        {"Sarmale#RET001.TXT\r\n", "RET001.TXT"},
        {"no separator", ""},
        {"a#b#c", "b#c"},
        {"a#x\ry\nz", "xyz"},
        {"#", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileNameFromEntry(c.entry), c.file) << c.entry;
}

TEST(ListEntries, CompleteLinesOnlyAndNoLengthLimit) {
    const std::string longLine(20000, 'n');
    const struct {
        std::string text;
        Lines dropped; // a last line without its line feed left out, as the lists read
        Lines kept;    // kept unless empty, as the book's checks read
    } cases[] = {
        {"a\n\nb\r\nc", {"a", "", "b"}, {"a", "", "b", "c"}},
        {"", {}, {}},
        {"\n", {""}, {""}},
        {"a\n\r", {"a"}, {"a"}},
        {"a\r\nb\r", {"a"}, {"a", "b"}},
        {longLine + "\n", {longLine}, {longLine}},
        {longLine, {}, {longLine}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompleteLines(c.text), c.dropped) << c.text.substr(0, 20);
        EXPECT_EQ(CompleteLines(c.text, UnendedLine::KeptUnlessEmpty), c.kept)
            << c.text.substr(0, 20);
    }
}

TEST(OwnRecipeList, LongRecordsAreListedWhole) {
    TempDataDir dir;
    // 500 characters of name: beyond the 500-character line the list once read.
    const std::string longName(500, 'L');
    WriteScrambled("pers.txt", Record("Scurta", "xet1.txt") + Record(longName, "xet2.txt") + "\n" +
                                   "unfinished#xet3.txt");
    const auto records = ReadOwnRecipeList();
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 3u) << "two records and an empty line; no piece of a record";
    EXPECT_EQ((*records)[1], PersonalRecord(longName, "xet2.txt"));
    EXPECT_EQ(FileNameFromEntry((*records)[1]), "xet2.txt");
    EXPECT_EQ((*records)[2], "");
}

TEST(OwnRecipesWatch, ListsWhatWasAddedAndRefillsWhenTheListShrank) {
    TempDataDir dir;
    OwnRecipesWatch watch;
    EXPECT_FALSE(watch.Start()) << "pers.txt missing";
    EXPECT_EQ(watch.KnownSize(), 0);
    EXPECT_EQ(watch.Tick().kind, OwnRecipesWatch::Change::Kind::None);

    WriteScrambled("virt-dir.txt", "m A\nh B\n");
    OwnRecipeFields cleaned;
    ASSERT_EQ(WriteWorkingFile({"", "Ciorba", "", ""}, cleaned), WorkingFileResult::Written);
    ASSERT_EQ(SaveOwnRecipe(SaveMode::NewRecipe, cleaned).result, StoreResult::Stored);
    auto change = watch.Tick();
    EXPECT_EQ(change.kind, OwnRecipesWatch::Change::Kind::Grown);
    EXPECT_TRUE(change.read);
    EXPECT_EQ(change.records, Lines{PersonalRecord("Ciorba", "xet1.txt")});
    EXPECT_EQ(watch.KnownSize(), DataFileSize("pers.txt"));
    EXPECT_EQ(watch.Tick().kind, OwnRecipesWatch::Change::Kind::None) << "one listing per growth";

    ASSERT_EQ(WriteWorkingFile({"", "Ardei", "", ""}, cleaned), WorkingFileResult::Written);
    ASSERT_EQ(SaveOwnRecipe(SaveMode::NewRecipe, cleaned).result, StoreResult::Stored);
    change = watch.Tick();
    EXPECT_EQ(change.records, Lines{PersonalRecord("Ardei", "xet2.txt")}) << "only the new one";

    WriteScrambled("pers.txt", Record("Ardei", "xet2.txt"));
    change = watch.Tick();
    EXPECT_EQ(change.kind, OwnRecipesWatch::Change::Kind::Shrunk);
    EXPECT_EQ(change.records, Lines{PersonalRecord("Ardei", "xet2.txt")});

    // A closed and reopened window starts from the known size and takes it anew.
    OwnRecipesWatch reopened = watch;
    WriteScrambled("pers.txt", Record("A", "xet1.txt") + Record("B", "xet2.txt"));
    const auto all = reopened.Start();
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 2u);
    EXPECT_EQ(reopened.KnownSize(), DataFileSize("pers.txt"));

    // A list that vanishes while the window is open changes nothing; at the next opening it
    // holds no bytes, so a list that appears later is listed whole, never from the middle.
    std::remove("pers.txt");
    EXPECT_EQ(reopened.Tick().kind, OwnRecipesWatch::Change::Kind::None);
    EXPECT_GT(reopened.KnownSize(), 0);
    EXPECT_FALSE(reopened.Start());
    EXPECT_EQ(reopened.KnownSize(), 0);
    WriteScrambled("pers.txt",
                   Record("A", "xet1.txt") + Record("B", "xet2.txt") + Record("C", "xet3.txt"));
    EXPECT_EQ(reopened.Tick().records.size(), 3u);
}

TEST(MainWindowWatch, ShortenedListRules) {
    TempDataDir dir;
    EXPECT_EQ(OwnRecipeListSize(), -1);
    EXPECT_FALSE(CheckOwnRecipeList(0)) << "pers.txt missing: nothing to do";

    const std::string three =
        Record("A", "xet1.txt") + Record("B", "xet2.txt") + Record("C", "xet3.txt");
    WriteScrambled("pers.txt", three);
    const long long known = static_cast<long long>(three.size());
    EXPECT_EQ(CheckOwnRecipeList(0).value_or(-1), known) << "grown: reload";
    EXPECT_FALSE(CheckOwnRecipeList(known)) << "same size: no reload";

    // Empty, equal and longer shortened lists are never applied.
    for (const std::string& shortened : {std::string(), three, three + Record("D", "xet4.txt")}) {
        WriteScrambled("tmp.dat", shortened);
        EXPECT_FALSE(CheckOwnRecipeList(known));
        EXPECT_EQ(ReadBack("pers.txt", true), three);
    }

    const std::string two = Record("A", "xet1.txt") + Record("C", "xet3.txt");
    WriteScrambled("tmp.dat", two);
    EXPECT_EQ(CheckOwnRecipeList(known).value_or(-1), static_cast<long long>(two.size()));
    EXPECT_EQ(ReadBack("pers.txt", true), two);
    EXPECT_FALSE(Exists("tmp.dat")) << "applied once, then removed";

    // A later, longer list is never cut back.
    WriteScrambled("pers.txt", two + Record("E", "xet5.txt"));
    EXPECT_TRUE(CheckOwnRecipeList(static_cast<long long>(two.size())));
    EXPECT_EQ(ReadBack("pers.txt", true), two + Record("E", "xet5.txt"));
}
