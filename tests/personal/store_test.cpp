#include "catalogue/catalogue.h"
#include "core/files.h"
#include "core/scramble.h"
#include "personal/store.h"
#include "support/read_only_folder.h"
#include "support/support.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace savorel;
using savorel::testing::AsOtherUser;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::ReadOnlyFolder;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

// As the shipped catalogue ends: with the own recipes' category, where new recipes go.
const std::string kCatalogue = "m Supe\nh Ciorbe\ni Ciorba de burta ~ RET001.TXT\n"
                               "m Re\xfe"
                               "ete proprii\n  h Re\xfe"
                               "etele mele\n";

std::string Plain(const std::string& path) {
    return ReadBack(path, true);
}

// The editor's save as the window runs it: working file, then the store.
StoreOutcome Save(const OwnRecipeFields& typed, SaveMode mode = SaveMode::NewRecipe,
                  const std::string& fileName = std::string()) {
    OwnRecipeFields cleaned;
    EXPECT_EQ(WriteWorkingFile(typed, cleaned), WorkingFileResult::Written);
    return SaveOwnRecipe(mode, cleaned, fileName);
}

int FilesIn(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

struct FaultHookGuard {
    explicit FaultHookGuard(WriteFaultHook hook) { SetWriteFaultHook(std::move(hook)); }
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

} // namespace

TEST(OwnRecipeStore, FirstSaveWritesTheThreeFilesByteForByte) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    const StoreOutcome out = Save({"Ana", "Ciorba", "1 l apa; sare", "Se fierbe"});
    EXPECT_EQ(out.result, StoreResult::Stored);
    EXPECT_EQ(out.fileName, "xet1.txt");
    EXPECT_TRUE(out.fieldsEmptied);
    const std::string recipe = "Ana\n#\nCiorba\n#\n1 l apa; sare\n#\nSe fierbe";
    EXPECT_EQ(Plain("xet1.txt"), recipe);
    EXPECT_EQ(Plain("reteta.tmp"), recipe);
    EXPECT_EQ(Plain("virt-dir.txt"), kCatalogue + "             i Ciorba        ~ xet1.txt\n");
    EXPECT_EQ(Plain("pers.txt"), "Ciorba" + std::string(137, ' ') + "#xet1.txt\n");
    EXPECT_EQ(FilesIn("."), 4) << "no temporary file may be left behind";

    // The appended line is a recipe of the last subcategory for the catalogue reader.
    CategoryTable table;
    CollectingReporter reporter;
    ASSERT_TRUE(LoadCatalogue(table, reporter));
    const CatalogueRecipe* added = table.Recipe(1, 0, 0);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->name, "Ciorba        ");
    EXPECT_EQ(added->fileName, "xet1.txt");
}

TEST(OwnRecipeStore, EmptyOptionalFieldsMakeAValidFile) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    Save({"", "Paine", "", ""});
    EXPECT_EQ(Plain("xet1.txt"), "\n#\nPaine\n#\n\n#\n");
}

TEST(OwnRecipeStore, MarkersAreCleanedFromEveryField) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    OwnRecipeFields cleaned;
    ASSERT_EQ(WriteWorkingFile({"A#n~a\\", "Sup#a~ \\ta", "1#2~3\\", "x#y~z\\"}, cleaned),
              WorkingFileResult::Written);
    EXPECT_EQ(cleaned.author, "A n a ");
    EXPECT_EQ(cleaned.name, "Sup a  \\ta");
    EXPECT_EQ(cleaned.ingredients, "1 2 3\\");
    EXPECT_EQ(cleaned.preparation, "x y z\\");
    ASSERT_EQ(SaveOwnRecipe(SaveMode::NewRecipe, cleaned).result, StoreResult::Stored);
    const std::string file = Plain("xet1.txt");
    EXPECT_EQ(std::count(file.begin(), file.end(), '#'), 3);
    EXPECT_EQ(file.find('~'), std::string::npos);
    EXPECT_EQ(Plain("pers.txt"), "Sup a  \\ta" + std::string(137, ' ') + "#xet1.txt\n");

    // A name of markers only is a name of blanks, and is saved.
    ASSERT_EQ(WriteWorkingFile({"", "#~#", "", ""}, cleaned), WorkingFileResult::Written);
    EXPECT_EQ(cleaned.name, "   ");
    // A line break in the name would split its record in two.
    ASSERT_EQ(WriteWorkingFile({"", "a\r\nb", "", ""}, cleaned), WorkingFileResult::Written);
    EXPECT_EQ(cleaned.name, "a  b");
}

TEST(OwnRecipeStore, HighBytesAndTheByteThatScramblesToZeroSurvive) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    const char zeroing = static_cast<char>(ScrambleTable[0]);
    // a-breve, s-cedilla, t-cedilla, i-circumflex in Windows-1250
    const std::string name = std::string("Ciorb\xe3 ") + zeroing + "\xba\xfe\xee";
    const std::string preparation = std::string("Se ") + zeroing + " fierbe";
    Save({"", name, "", preparation});
    const std::string stored = ReadBack("xet1.txt");
    EXPECT_NE(stored.find('\0'), std::string::npos);
    EXPECT_EQ(Plain("xet1.txt"), "\n#\n" + name + "\n#\n\n#\n" + preparation);
    const auto loaded = LoadOwnRecipe("xet1.txt");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->name, name);
    EXPECT_EQ(loaded->preparation, preparation);
}

TEST(OwnRecipeStore, ARefusalLeavesTheWorkingFileWithTheFieldsBeforeIt) {
    TempDataDir dir;
    OwnRecipeFields cleaned;
    EXPECT_EQ(WriteWorkingFile({"Ana", "", "", ""}, cleaned), WorkingFileResult::NameEmpty);
    EXPECT_EQ(Plain("reteta.tmp"), "Ana\n#\n");
    EXPECT_EQ(WriteWorkingFile({"Ana", "N", "i", std::string(8001, 'p')}, cleaned),
              WorkingFileResult::PreparationTooLong);
    EXPECT_EQ(Plain("reteta.tmp"), "Ana\n#\nN\n#\ni\n#\n");
}

TEST(NextOwnRecipeFileName, FollowsTheLargestNumberInTheCatalogue) {
    TempDataDir dir;
    EXPECT_FALSE(NextOwnRecipeFileName()) << "no catalogue";
    struct Case {
        const char* catalogue;
        const char* next;
    } cases[] = {
        {"m A\nh B\ni R ~ RET001.TXT\n", "xet1.txt"},
        {"i a ~ xet9.txt\ni b ~ xet10.txt\ni c ~xet2.txt\n", "xet11.txt"},
        {"i a ~    xet3.txt trailing\r\n", "xet4.txt"},
        {"i a ~ xetabc.txt\n", "xet1.txt"},          // no digits: counts as 0
        {"i a ~ XET7.TXT\n", "xet1.txt"},            // only the lower-case letters count
        {"i a ~ 12xet5.txt\n", "xet13.txt"},         // the first run of digits
        {"i a ~ RET1.TXT ~ xet6.txt\n", "xet2.txt"}, // one text, holding "xet"; its first digits
        {"i a ~ xet8.txt", "xet9.txt"},              // up to the end of the file
        {"i a ~ xet99999999999999999999999.txt\n", "xet1000000000000000000.txt"},
    };
    for (const Case& c : cases) {
        WriteScrambled("virt-dir.txt", c.catalogue);
        EXPECT_EQ(NextOwnRecipeFileName().value_or("none"), c.next) << c.catalogue;
    }
}

TEST(NextOwnRecipeFileName, NeverTakesTheNameOfAnExistingRecipeFile) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue + "i Mine ~ xet1.txt\n");
    WriteScrambled("xet1.txt", "mine");
    WriteScrambled("XET2.TXT", "uncatalogued, still the user's");
    EXPECT_EQ(NextOwnRecipeFileName().value_or(""), "xet3.txt");
    Save({"", "Nou", "", ""});
    EXPECT_EQ(Plain("XET2.TXT"), "uncatalogued, still the user's");
    EXPECT_EQ(Plain("xet3.txt"), "\n#\nNou\n#\n\n#\n");
}

TEST(NextOwnRecipeFileName, NeverGivesTheNameOfADeletedRecipeKeptInSterse) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue + "i Mine ~ xet1.txt\n");
    std::filesystem::create_directory("sterse");
    // xet2.txt was deleted: its catalogue line is gone, its file kept.
    WriteScrambled("sterse/xet2.txt", "deleted");
    EXPECT_EQ(NextOwnRecipeFileName().value_or(""), "xet3.txt");
    std::filesystem::remove("sterse/xet2.txt");
    EXPECT_EQ(NextOwnRecipeFileName().value_or(""), "xet2.txt");
}

// A modification stores only over a recipe that still exists: its file there and a record
// of pers.txt naming it. Otherwise nothing is written and the answer says it was deleted.
TEST(OwnRecipeFaults, AModificationOfADeletedRecipeWritesNothing) {
    const std::string record = PersonalRecord("Ciorba", "xet1.txt");
    const struct {
        const char* what;
        bool file;
        const char* list; // nullptr: no pers.txt
        StoreResult expected;
    } cases[] = {
        {"file and record", true, "", StoreResult::Stored},
        {"record in capitals", true, "upper", StoreResult::Stored},
        {"last record without its line feed", true, "unended", StoreResult::Stored},
        {"file gone, record left", false, "", StoreResult::RecipeDeleted},
        {"record gone, file left", true, "other", StoreResult::RecipeDeleted},
        {"no pers.txt", true, nullptr, StoreResult::RecipeDeleted},
        {"neither", false, "other", StoreResult::RecipeDeleted},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteScrambled("virt-dir.txt", kCatalogue + "i Ciorba ~ xet1.txt\n");
        if (c.file)
            WriteScrambled("xet1.txt", "Ana\n#\nCiorba\n#\napa\n#\nvechi");
        const std::string other = PersonalRecord("Alta", "xet7.txt") + "\n";
        if (c.list) {
            const std::string list = c.list;
            WriteScrambled("pers.txt", list == "other" ? other
                                       : list == "upper"
                                           ? other + PersonalRecord("Ciorba", "XET1.TXT") + "\n"
                                       : list == "unended" ? other + record
                                                           : record + "\n" + other);
        }
        const std::string before = c.file ? ReadBack("xet1.txt") : std::string();
        const std::string list = c.list ? ReadBack("pers.txt") : std::string();
        const std::string catalogue = ReadBack("virt-dir.txt");
        EXPECT_EQ(OwnRecipeStillExists("xet1.txt"), c.expected == StoreResult::Stored) << c.what;
        const StoreOutcome out =
            Save({"Ana", "Ciorba", "apa", "nou"}, SaveMode::Modification, "xet1.txt");
        EXPECT_EQ(out.result, c.expected) << c.what;
        EXPECT_EQ(out.fileName, "xet1.txt") << c.what;
        EXPECT_FALSE(out.fieldsEmptied) << c.what;
        if (c.expected == StoreResult::Stored) {
            EXPECT_EQ(Plain("xet1.txt"), "Ana\n#\nCiorba\n#\napa\n#\nnou") << c.what;
        } else {
            EXPECT_EQ(Exists("xet1.txt"), c.file) << c.what;
            if (c.file) {
                EXPECT_EQ(ReadBack("xet1.txt"), before) << c.what;
            }
        }
        if (c.list) {
            EXPECT_EQ(ReadBack("pers.txt"), list) << c.what;
        }
        EXPECT_EQ(Exists("pers.txt"), c.list != nullptr) << c.what;
        EXPECT_EQ(ReadBack("virt-dir.txt"), catalogue) << c.what;
        EXPECT_FALSE(Exists("xet2.txt")) << c.what;
    }
    EXPECT_STREQ(StoreMessage(StoreResult::RecipeDeleted),
                 "Reteta a fost stearsa intre timp. O pastrati ca reteta noua?");
    // A name that is no file of the data folder is refused as before, never "deleted".
    TempDataDir dir;
    EXPECT_EQ(Save({"", "X", "a", ""}, SaveMode::Modification, "../xet1.txt").result,
              StoreResult::RecipeNotWritten);
}

TEST(OwnRecipeStore, LoadGivesBackWhatTheEditorShows) {
    TempDataDir dir;
    WriteScrambled("xet4.txt", "Ana\r\n#\nCio\r\nrba\n#\n1 l apa\r\nsare\n#\nSe fierbe\r\nbine");
    const auto loaded = LoadOwnRecipe("xet4.txt");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->author, "Ana\r");
    EXPECT_EQ(loaded->name, "Ciorba");
    EXPECT_EQ(loaded->ingredients, "1 l apa\r\nsare");
    EXPECT_EQ(loaded->preparation, "Se fierbe\r\nbine");
    EXPECT_FALSE(LoadOwnRecipe("xet5.txt"));
    EXPECT_FALSE(LoadOwnRecipe("../xet4.txt"));

    // Parts the file does not reach are empty; the preparation is cut at its limit.
    EXPECT_EQ(ParseOwnRecipe("no marker").name, "");
    EXPECT_EQ(ParseOwnRecipe("a#Nume").name, "Nume");
    EXPECT_EQ(ParseOwnRecipe("a#Nume#ingr").ingredients, "ingr");
    EXPECT_EQ(ParseOwnRecipe("a#N#i#" + std::string(12000, 'p')).preparation.size(), 10000u);
    // Fields that end or begin with line breaks of their own keep them: only the marker's
    // line feeds go.
    const LoadedOwnRecipe edges = ParseOwnRecipe("\n#\n\n#\nsare\r\n\n#\n\r\nfierbe");
    EXPECT_EQ(edges.author, "");
    EXPECT_EQ(edges.name, "");
    EXPECT_EQ(edges.ingredients, "sare\r\n");
    EXPECT_EQ(edges.preparation, "\r\nfierbe");
}

TEST(OwnRecipeStore, ModificationRewritesOnlyTheRecipeFile) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    for (int i = 0; i < 4; ++i)
        Save({"Ana", "Reteta " + std::to_string(i + 1), "1 l apa\r\nsare", "Se fierbe\r\nbine"});
    const std::string catalogue = ReadBack("virt-dir.txt");
    const std::string list = ReadBack("pers.txt");
    const std::string third = ReadBack("xet3.txt");

    // Opening for modification and saving unchanged writes the same bytes: nothing joins,
    // nothing is emptied, no blank is added.
    const std::string before = ReadBack("xet4.txt");
    const auto loaded = LoadOwnRecipe("xet4.txt");
    ASSERT_TRUE(loaded);
    const StoreOutcome out =
        Save({loaded->author, loaded->name, loaded->ingredients, loaded->preparation},
             SaveMode::Modification, "xet4.txt");
    EXPECT_EQ(out.result, StoreResult::Stored);
    EXPECT_FALSE(out.fieldsEmptied);
    EXPECT_EQ(ReadBack("xet4.txt"), before);
    EXPECT_EQ(Plain("xet4.txt"), "Ana\n#\nReteta 4\n#\n1 l apa\r\nsare\n#\nSe fierbe\r\nbine");
    EXPECT_EQ(ReadBack("virt-dir.txt"), catalogue);
    EXPECT_EQ(ReadBack("pers.txt"), list);
    EXPECT_EQ(ReadBack("xet3.txt"), third);

    // And again: round trips never drift.
    const auto again = LoadOwnRecipe("xet4.txt");
    Save({again->author, again->name, again->ingredients, again->preparation},
         SaveMode::Modification, "xet4.txt");
    EXPECT_EQ(ReadBack("xet4.txt"), before);
}

TEST(OwnRecipeFaults, MissingCatalogueStoresNothingButTheWorkingFile) {
    TempDataDir dir;
    const StoreOutcome out = Save({"Ana", "Ciorba", "apa", "fierbe"});
    EXPECT_EQ(out.result, StoreResult::CatalogueUnreadable);
    EXPECT_STREQ(StoreMessage(out.result), "Cannot open the input file");
    EXPECT_FALSE(out.fieldsEmptied);
    EXPECT_EQ(Plain("reteta.tmp"), "Ana\n#\nCiorba\n#\napa\n#\nfierbe");
    EXPECT_EQ(FilesIn("."), 1) << "no recipe file, no catalogue, no pers.txt";
}

TEST(OwnRecipeFaults, ReadOnlyFolderChangesNothing) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    Save({"Ana", "Ciorba", "apa", "fierbe"});
    const std::string recipe = ReadBack("xet1.txt");
    const std::string list = ReadBack("pers.txt");
    {
        ReadOnlyFolder readOnly;
        // reteta.tmp exists from the first save and may itself still be writable.
        OwnRecipeFields cleaned;
        const WorkingFileResult w = WriteWorkingFile({"", "Alta", "", ""}, cleaned);
        EXPECT_TRUE(w == WorkingFileResult::NotCreated || w == WorkingFileResult::Written);
        EXPECT_EQ(SaveOwnRecipe(SaveMode::Modification, cleaned, "xet1.txt").result,
                  StoreResult::RecipeNotWritten);
        EXPECT_EQ(SaveOwnRecipe(SaveMode::NewRecipe, cleaned).result,
                  StoreResult::RecipeNotWritten);
        EXPECT_STREQ(StoreMessage(StoreResult::RecipeNotWritten), "Cannot open the output file...");
    }
    EXPECT_EQ(ReadBack("xet1.txt"), recipe);
    EXPECT_EQ(ReadBack("pers.txt"), list);
    EXPECT_FALSE(Exists("xet2.txt"));
    std::filesystem::remove("reteta.tmp");
    {
        ReadOnlyFolder readOnly;
        OwnRecipeFields cleaned;
        EXPECT_EQ(WriteWorkingFile({"", "Alta", "", ""}, cleaned), WorkingFileResult::NotCreated);
    }
}

TEST(OwnRecipeFaults, InterruptedReplacementKeepsTheOldRecipeWhole) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    Save({"Ana", "Ciorba", "apa", "fierbe"});
    const std::string before = ReadBack("xet1.txt");
    const std::string catalogue = ReadBack("virt-dir.txt");
    const std::string list = ReadBack("pers.txt");
    OwnRecipeFields cleaned;
    ASSERT_EQ(WriteWorkingFile({"", "Ciorba", "alta apa", "alt mod"}, cleaned),
              WorkingFileResult::Written);
    {
        // The new content is in its temporary file; the rename never happens.
        FaultHookGuard fail([](std::size_t) { return false; });
        EXPECT_EQ(SaveOwnRecipe(SaveMode::Modification, cleaned, "xet1.txt").result,
                  StoreResult::RecipeNotWritten);
        EXPECT_EQ(SaveOwnRecipe(SaveMode::NewRecipe, cleaned).result,
                  StoreResult::RecipeNotWritten);
    }
    EXPECT_EQ(ReadBack("xet1.txt"), before);
    EXPECT_EQ(ReadBack("virt-dir.txt"), catalogue);
    EXPECT_EQ(ReadBack("pers.txt"), list);
    EXPECT_FALSE(Exists("xet2.txt"));
    // The modification took the store's lock: its lock file stays, the temporary files go.
    EXPECT_TRUE(Exists("savorel.lock"));
    EXPECT_EQ(FilesIn("."), 5) << "the temporary files are removed";
}

TEST(OwnRecipeFaults, ListsThatCannotBeAppendedStayWholeAndTheFailureIsTold) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    Save({"", "Prima", "", ""});
    const std::string catalogue = ReadBack("virt-dir.txt");
    int writes = 0;
    {
        // The recipe file goes in; the catalogue append fails; pers.txt is appended.
        FaultHookGuard second([&writes](std::size_t) { return ++writes != 2; });
        const StoreOutcome out = Save({"", "A doua", "", ""});
        EXPECT_EQ(out.result, StoreResult::ListsNotUpdated);
        EXPECT_STREQ(StoreMessage(out.result), "Cannot open the output file...");
        EXPECT_TRUE(out.fieldsEmptied);
    }
    EXPECT_EQ(Plain("xet2.txt"), "\n#\nA doua\n#\n\n#\n");
    EXPECT_EQ(ReadBack("virt-dir.txt"), catalogue);
    EXPECT_EQ(Plain("pers.txt"), "Prima" + std::string(137, ' ') + "#xet1.txt\n" + "A doua" +
                                     std::string(137, ' ') + "#xet2.txt\n");
    // The next recipe does not take the uncatalogued file's name.
    Save({"", "A treia", "", ""});
    EXPECT_EQ(Plain("xet2.txt"), "\n#\nA doua\n#\n\n#\n");
    EXPECT_TRUE(Exists("xet3.txt"));
}

TEST(OwnRecipeFaults, UnreadableListIsNeverRewrittenWithOneRecord) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    WriteScrambled("pers.txt", "Veche" + std::string(137, ' ') + "#xet7.txt\n");
    const std::string list = ReadBack("pers.txt");
    OwnRecipeFields cleaned;
    ASSERT_EQ(WriteWorkingFile({"", "Noua", "", ""}, cleaned), WorkingFileResult::Written);
    ::chmod(".", 0777);
    ::chmod("pers.txt", 0);
    StoreOutcome out;
    {
        AsOtherUser other;
        out = SaveOwnRecipe(SaveMode::NewRecipe, cleaned);
    }
    ::chmod("pers.txt", 0644);
    EXPECT_EQ(out.result, StoreResult::ListsNotUpdated);
    EXPECT_EQ(ReadBack("pers.txt"), list);
    EXPECT_TRUE(Exists("xet1.txt"));
}

TEST(OwnRecipeFaults, DiskFullWhileWritingTheWorkingFileIsNoticed) {
    TempDataDir dir;
    OwnRecipeFields cleaned;
    // A file size limit makes the writes fail part-way, as a full disk does.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WorkingFileResult result = WriteWorkingFile({"Ana", "Ciorba", "apa", "fierbe"}, cleaned);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, WorkingFileResult::NotWritten);

    // A working file planted as a link to a device elsewhere is never written through.
    std::remove("reteta.tmp");
    ASSERT_EQ(::symlink("/dev/full", "reteta.tmp"), 0);
    EXPECT_EQ(WriteWorkingFile({"Ana", "Ciorba", "apa", "fierbe"}, cleaned),
              WorkingFileResult::NotCreated);
}

TEST(OwnRecipeFaults, AnUnterminatedLastLineIsEndedBeforeTheAppend) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue.substr(0, kCatalogue.size() - 1));
    Save({"", "Noua", "", ""});
    EXPECT_EQ(Plain("virt-dir.txt"), kCatalogue + "             i Noua        ~ xet1.txt\n");
}

// A data folder made before own recipes had a place of their own gets it before its next new
// recipe, once; the recipes appended before stay where they are.
TEST(OwnRecipeStore, AnOlderCatalogueGetsTheOwnSubcategoryOnce) {
    TempDataDir dir;
    const std::string older =
        "m Supe\nh Ciorbe\ni Veche ~ RET001.TXT\n             i Prima        ~ xet1.txt\n";
    WriteScrambled("virt-dir.txt", older);
    WriteScrambled("xet1.txt", "\n#\nPrima\n#\na\n#\nb");
    Save({"", "Doua", "", "x"});
    Save({"", "Treia", "", "y"});
    EXPECT_EQ(Plain("virt-dir.txt"), older + "m Re\xfe"
                                             "ete proprii\n  h Re\xfe"
                                             "etele mele\n"
                                             "             i Doua        ~ xet2.txt\n"
                                             "             i Treia        ~ xet3.txt\n");
    CategoryTable table;
    CollectingReporter reporter;
    ASSERT_TRUE(LoadCatalogue(table, reporter));
    ASSERT_EQ(2u, table.categories.size());
    EXPECT_EQ("Re\xfe"
              "etele mele",
              table.categories[1].subcategories.at(0).name);
    EXPECT_EQ(2u, table.categories[1].subcategories.at(0).recipes.size());
    EXPECT_EQ(2u, table.categories[0].subcategories.at(0).recipes.size());
}
