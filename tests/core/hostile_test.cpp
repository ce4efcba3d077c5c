// Data folders that users copy around, edit by hand or that someone prepared against us.
#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/scramble.h"
#include "dictionary/dictionary.h"
#include "personal/own_list.h"
#include "search/search.h"
#include "support/support.h"
#include "viewing/calories.h"
#include "viewing/favourites.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace savorel;
using namespace savorel::testing;

namespace {

// Writes `chunk` scrambled, repeated until the file holds `total` bytes.
void WriteRepeated(const char* name, const std::string& chunk, std::size_t total) {
    const std::string scrambled = ScrambleBytes(chunk);
    std::FILE* f = std::fopen(name, "wb");
    ASSERT_TRUE(f);
    for (std::size_t written = 0; written < total; written += scrambled.size())
        std::fwrite(scrambled.data(), 1, scrambled.size(), f);
    std::fclose(f);
}

std::string Garbage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

} // namespace

TEST(HostileFolder, HugeCatalogueAndHugeLinesStayWithinTheLimits) {
    TempDataDir dir;
    // 100 MB of recipe lines in one subcategory: the table stops growing at its limit.
    std::string chunk = "m Supe\nh Ciorbe\n";
    while (chunk.size() < (1 << 20))
        chunk += "i Ciorba ~ RET001.TXT\n";
    WriteRepeated("virt-dir.txt", chunk, 100u << 20);
    CategoryTable table;
    CollectingReporter reporter;
    std::vector<CatalogueProblem> problems;
    ASSERT_TRUE(LoadCatalogue(table, reporter, &problems));
    std::size_t entries = 0;
    for (const auto& c : table.categories)
        for (const auto& s : c.subcategories)
            entries += 1 + s.recipes.size();
    EXPECT_EQ(kMaxCatalogueEntries, entries);
    EXPECT_LE(table.categories.size(), kMaxCategories);

    // One line of 10 MB: read in pieces of the line limit, never held whole.
    WriteRepeated("virt-dir.txt", "m" + std::string(1 << 20, 'x'), 10u << 20);
    ASSERT_TRUE(LoadCatalogue(table, reporter, nullptr));
    ASSERT_EQ(1u, table.categories.size());
    EXPECT_EQ(kCatalogueNameLimit, table.categories[0].name.size());
}

TEST(HostileFolder, HundredThousandCategoriesKeepEleven) {
    TempDataDir dir;
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "m Categoria " + std::to_string(i) + "\nh S\ni R ~ R.TXT\n";
    WriteScrambled("virt-dir.txt", text);
    CategoryTable table;
    CollectingReporter reporter;
    std::vector<CatalogueProblem> problems;
    ASSERT_TRUE(LoadCatalogue(table, reporter, &problems));
    EXPECT_EQ(kMaxCategories, table.categories.size());
    EXPECT_EQ("Categoria 10", table.categories.back().name);
    EXPECT_EQ(1u, problems.size()); // said once, not a hundred thousand times
}

TEST(HostileFolder, BinaryGarbageInEveryFile) {
    TempDataDir dir;
    const char* files[] = {"virt-dir.txt", "RET001.TXT", "dict.txt", "zcalorii.txt", "zunitmas.txt",
                           "zbucati.txt",  "pers.txt",   "pref.txt", "cook.ini"};
    for (unsigned seed = 1; seed <= 5; ++seed) {
        for (const char* name : files)
            WritePlain(name, Garbage(20000, seed * 31 + static_cast<unsigned>(name[0])));
        CategoryTable table;
        CollectingReporter reporter;
        (void)LoadCatalogue(table, reporter, nullptr);
        EXPECT_LE(table.categories.size(), kMaxCategories);
        std::string text;
        ASSERT_TRUE(ReadRecipeText("RET001.TXT", text));
        const std::string page = RenderRecipePageText("RET001.TXT", text);
        EXPECT_EQ(0u, page.find("<!--RET001.TXT-->"));
        (void)CalculateCalories("RET001.TXT", dir.path() + "/", reporter);
        std::string explanation;
        (void)DictionaryLookup("ciorba", explanation);
        (void)ReadDictionaryWords();
        (void)ReadOwnRecipeList();
        (void)ReadFavourites();
        IsFavourite("RET001.TXT");
        SearchFields fields{"a+b", "c", "d"};
        EXPECT_GE(RunSearch(fields, reporter, [](const SearchMatch&) {}), 0);
    }
}

TEST(HostileFolder, NamesAndLinksLeadingOutsideCannotBeOpened) {
    TempDataDir outside;
    WriteScrambled("secret.txt", "#\nSecret\n#\nx\n#\ny");
    const std::string secret = outside.path() + "/secret.txt";
    TempDataDir dir;
    WriteScrambled("RET002.TXT", "#\nInside\n#\nx\n#\ny");
    ASSERT_EQ(0, ::symlink(secret.c_str(), "RET001.TXT"));
    ASSERT_EQ(0, ::symlink("RET002.TXT", "RET003.TXT"));
    for (const std::string& name :
         {std::string("RET001.TXT"), secret, std::string("../x/RET002.TXT"), std::string(".."),
          std::string("/etc/passwd")}) {
        EXPECT_FALSE(OpenDataFile(name, "rb")) << name;
        EXPECT_EQ(-1, DataFileSize(name)) << name;
        WriteScrambled("virt-dir.txt", "i Dincolo ~ " + name + "\n");
        CollectingReporter searched;
        EXPECT_EQ(0, RunSearch({"", "", "x"}, searched, nullptr)) << name;
        EXPECT_EQ(1u, searched.entries.size()) << name; // the recipe cannot be opened
        CollectingReporter reporter;
        EXPECT_FALSE(RenderRecipePage(name, dir.path() + "/", BoxForm::Owned, reporter)) << name;
        EXPECT_EQ("Cannot open the input file...  ", reporter.entries.at(0).text);
    }
    // A link that stays inside the data folder is an ordinary file.
    std::string text;
    EXPECT_TRUE(ReadRecipeText("RET003.TXT", text));
    EXPECT_NE(std::string::npos, text.find("Inside"));
    // Writing through a planted link never replaces the file outside.
    ASSERT_EQ(0, ::symlink(secret.c_str(), "pref.txt"));
    EXPECT_EQ(AddFavouriteResult::NotWritten, AddFavouriteRecord("T", "RET002.TXT"));
    EXPECT_EQ(ScrambleBytes("#\nSecret\n#\nx\n#\ny"), ReadBack(secret));
}

// A folder beside the data folder whose name begins with the data folder's own ("savorel"
// and "savorel-old") is outside all the same.
TEST(HostileFolder, ALinkIntoASiblingFolderOfTheSameNameStartIsOutside) {
    TempDataDir dir;
    const std::string sibling = dir.path() + "-old";
    ASSERT_TRUE(std::filesystem::create_directory(sibling));
    WriteScrambled(sibling + "/RET009.TXT", "#\nVechi\n#\nx\n#\ny");
    ASSERT_EQ(0, ::symlink((sibling + "/RET009.TXT").c_str(), "RET009.TXT"));
    const bool opened = static_cast<bool>(OpenDataFile("RET009.TXT", "rb"));
    const long long size = DataFileSize("RET009.TXT");
    std::filesystem::remove_all(sibling);
    EXPECT_FALSE(opened);
    EXPECT_EQ(-1, size);
}

TEST(HostileFolder, CatalogueNamingItselfAndADictionaryOfAMillionLines) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m A\nh B\ni Bucla ~ virt-dir.txt\n");
    CollectingReporter reporter;
    EXPECT_TRUE(RenderRecipePage("virt-dir.txt", dir.path() + "/", BoxForm::Owned, reporter));
    WriteRepeated("dict.txt", "cuvant#explicatie\n", 1000000 * 18);
    WriteScrambled("extra", "");
    std::string explanation;
    EXPECT_EQ(LookupResult::NotFound, DictionaryLookup("altceva", explanation));
    EXPECT_EQ(LookupResult::Found, DictionaryLookup("CUVANT", explanation));
    EXPECT_EQ("explicatie", explanation);
}

TEST(HostileFolder, FavouritesWithAHundredThousandDuplicates) {
    TempDataDir dir;
    WriteRepeated("pref.txt", "Ciorba" + std::string(55, ' ') + "#RET001.TXT\n", 100000 * 68);
    EXPECT_TRUE(IsFavourite("ret001.txt"));
    EXPECT_EQ(RemoveFavouriteResult::Removed,
              RemoveFavourite("Ciorba" + std::string(55, ' ') + "#RET001.TXT"));
    EXPECT_EQ("", ReadBack("pref.txt", true));
}

TEST(HostileFolder, CookIniNamingAMissingFolder) {
    TempDataDir dir;
    WritePlain("cook.ini", "/no/such/folder/");
    WriteScrambled("RET001.TXT", "#\nT\n#\ni\n#\np");
    CollectingReporter reporter;
    EXPECT_FALSE(OpenRecipe("RET001.TXT", Opener::ListWindow, "", reporter, nullptr));
    EXPECT_EQ("Cannot open the output file...  ", reporter.entries.at(0).text);
    EXPECT_FALSE(std::filesystem::exists("/no/such/folder"));
}

// cook.ini may name any folder. Someone else's plain folder is refused, so nobody can have us
// replace files there; a shared sticky folder such as /tmp is where pages normally go.
TEST(HostileFolder, CookIniNamingAnotherUsersFolder) {
    TempDataDir dir;
    const std::string other = dir.path() + "/other";
    std::filesystem::create_directory(other);
    ::chmod(other.c_str(), 0777);
    if (::chown(other.c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    WritePlain("cook.ini", other + "/");
    WriteScrambled("RET001.TXT", "#\nT\n#\n100 g faina\n#\np");
    for (const char* table : {"zcalorii.txt", "zunitmas.txt", "zbucati.txt"})
        WriteScrambled(table, "");

    CollectingReporter reporter;
    EXPECT_FALSE(OpenRecipe("RET001.TXT", Opener::ListWindow, "", reporter, nullptr));
    EXPECT_FALSE(CalculateCalories("RET001.TXT", other + "/", reporter));
    ASSERT_EQ(2u, reporter.entries.size());
    EXPECT_EQ("Cannot open the output file...  ", reporter.entries[0].text);
    EXPECT_EQ("hastemele.html", reporter.entries[1].text);
    EXPECT_TRUE(std::filesystem::is_empty(other));

    ::chmod(other.c_str(), 01777);
    reporter.entries.clear();
    EXPECT_TRUE(OpenRecipe("RET001.TXT", Opener::ListWindow, "", reporter, nullptr));
    EXPECT_TRUE(CalculateCalories("RET001.TXT", other + "/", reporter));
    EXPECT_TRUE(reporter.entries.empty());
    EXPECT_TRUE(std::filesystem::exists(other + "/reteta.htm"));
    EXPECT_TRUE(std::filesystem::exists(other + "/hastemele.html"));
}

namespace {

// A regression would hang on the FIFO or read the device without end: the alarm's default
// action ends the test program instead, which fails the test.
struct HangGuard {
    HangGuard() { ::alarm(20); }
    ~HangGuard() { ::alarm(0); }
};

// Puts a special file of `kind` under `name`; false when this machine does not allow it.
bool PlantSpecialFile(const std::string& kind, const char* name) {
    if (kind == "fifo")
        return ::mkfifo(name, 0644) == 0;
    if (kind == "device") // /dev/zero: read without end, never an end of file
        return ::mknod(name, S_IFCHR | 0644, makedev(1, 5)) == 0;
    return ::mkdir(name, 0755) == 0; // "folder"
}

} // namespace

// What every reader answers when its file is missing, it answers for a FIFO, a device node or
// a folder in that file's place, at once.
TEST(HostileFolder, SpecialFilesAreAnsweredAsMissingFiles) {
    HangGuard guard;
    struct Reader {
        const char* file;
        std::function<std::string()> run; // the messages and results of one read
    };
    const std::string tables = "zcalorii.txt zunitmas.txt zbucati.txt";
    const Reader readers[] = {
        {"virt-dir.txt",
         [] {
             CategoryTable table;
             CollectingReporter reporter;
             const bool loaded = LoadCatalogue(table, reporter);
             SearchFields fields{"a", "", ""};
             const int found = RunSearch(fields, reporter, [](const SearchMatch&) {});
             std::string said = std::to_string(loaded) + std::to_string(found);
             for (const auto& e : reporter.entries)
                 said += "|" + e.text;
             return said;
         }},
        {"RET001.TXT",
         [] {
             CollectingReporter reporter;
             WriteScrambled("virt-dir.txt", "i R ~ RET001.TXT\n");
             const int examined = RunSearch({"", "a", ""}, reporter, nullptr);
             const bool page = RenderRecipePage("RET001.TXT", "./", BoxForm::Owned, reporter);
             (void)CalculateCalories("RET001.TXT", "./", reporter);
             std::string said = std::to_string(examined) + std::to_string(page);
             for (const auto& e : reporter.entries)
                 said += "|" + e.text;
             return said;
         }},
        {"dict.txt",
         [] {
             std::string explanation;
             return std::to_string(static_cast<int>(DictionaryLookup("ciorba", explanation))) +
                    std::to_string(ReadDictionaryWords().has_value());
         }},
        {"pers.txt",
         [] {
             return std::to_string(ReadOwnRecipeList().has_value()) +
                    std::to_string(OwnRecipeListSize());
         }},
        {"pref.txt",
         [] {
             return std::to_string(ReadFavourites().has_value()) +
                    std::to_string(IsFavourite("RET002.TXT"));
         }},
        {"cook.ini", [] { return std::string(ReadCookIni().value_or("none")); }},
        {"zcalorii.txt",
         [] {
             CollectingReporter reporter;
             const bool written = CalculateCalories("RET002.TXT", "./", reporter);
             std::string said = std::to_string(written);
             for (const auto& e : reporter.entries)
                 said += "|" + e.text;
             return said;
         }},
    };
    for (const std::string kind : {"fifo", "folder", "device"}) {
        for (const Reader& reader : readers) {
            TempDataDir dir;
            WriteScrambled("virt-dir.txt", "m A\nh B\ni R ~ RET002.TXT\n");
            WriteScrambled("RET002.TXT", "#\nT\n#\n100 g faina\n#\np");
            WriteScrambled("pref.txt", "T#RET002.TXT\n");
            WriteScrambled("dict.txt", "ciorba#supa\n");
            for (const char* table : {"zcalorii.txt", "zunitmas.txt", "zbucati.txt"})
                WriteScrambled(table, "1 faina\n");
            std::remove(reader.file);
            const std::string missing = reader.run();
            if (!PlantSpecialFile(kind, reader.file)) {
                ASSERT_EQ("device", kind) << reader.file;
                GTEST_SKIP() << "making a device node needs root";
            }
            EXPECT_EQ(missing, reader.run()) << kind << " as " << reader.file;
            EXPECT_FALSE(OpenDataFile(reader.file, "r+b")) << kind << " as " << reader.file;
            EXPECT_EQ(-1, DataFileSize(reader.file)) << kind << " as " << reader.file;
        }
    }
    // The same for paths outside the data folder (temporary folder files).
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile("/dev/zero", bytes));
    EXPECT_FALSE(OpenPath("/dev/null", "rb"));
}
