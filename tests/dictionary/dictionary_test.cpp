#include "dictionary/dictionary.h"

#include "support/reference.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace savorel;
using savorel::testing::TempDataDir;
using savorel::testing::WriteScrambled;

namespace {

using Strings = std::vector<std::string>;

Strings Words(const std::vector<DictionaryEntry>& entries) {
    Strings words;
    for (const auto& e : entries)
        words.push_back(e.word);
    return words;
}

// Duplicate words, a line without "#", carriage returns, a "#" inside an explanation, a blank
// before a "#", and a last line without a line feed.
const char* const kDictionary = "a cali#A praji usor.\r\n"
                                "Fara separator aici\n"
                                "blat#Foaie de aluat; prima explicatie.\n"
                                "blat#A doua explicatie.\n"
                                "marar #Verdeata.\n"
                                "ro\rux#Sos # de faina.\r\n"
                                "\n"
                                "zacusca#Pasta de legume.";

// Looks `word` up in `dictionary` through the program's reader of dict.txt (written into the
// current data folder) and through the plain rule; both must give the same answer.
std::string Lookup(std::string_view word, const char* dictionary = kDictionary) {
    WriteScrambled("dict.txt", dictionary);
    std::string expected = "(unchanged)";
    const bool found = reference::FindExplanation(dictionary, word, expected);
    std::string explanation = "(unchanged)";
    EXPECT_EQ(DictionaryLookup(word, explanation),
              found ? LookupResult::Found : LookupResult::NotFound)
        << "'" << word << "'";
    EXPECT_EQ(explanation, expected) << "'" << word << "'";
    return explanation;
}

} // namespace

TEST(Dictionary, EntriesAndLines) {
    const auto entries = ParseDictionary(kDictionary);
    EXPECT_EQ(Words(entries), (Strings{"a cali", "blat", "blat", "marar ", "roux", "zacusca"}));
    EXPECT_EQ(entries[0].explanation, "A praji usor.");
    EXPECT_EQ(entries[4].explanation, "Sos # de faina.");
    EXPECT_EQ(entries[5].explanation, "Pasta de legume.");
    EXPECT_TRUE(ParseDictionary("").empty());
    EXPECT_TRUE(ParseDictionary("fara\nnimic\n").empty());
    EXPECT_EQ(Words(ParseDictionary("#gol\n")), Strings{""});
}

TEST(Dictionary, LookupRules) {
    TempDataDir dir;
    EXPECT_EQ(Lookup("A CALI"), "A praji usor.");                   // any letter case
    EXPECT_EQ(Lookup("blat"), "Foaie de aluat; prima explicatie."); // the first of two
    EXPECT_EQ(Lookup("zacusca"), "Pasta de legume.");               // last line, no line feed
    EXPECT_EQ(Lookup("roux"), "Sos # de faina.");                   // carriage return dropped
    EXPECT_EQ(Lookup("marar "), "Verdeata.");
    EXPECT_EQ(Lookup("marar"), "(unchanged)");   // the entry's word ends in a blank
    EXPECT_EQ(Lookup("a cali "), "(unchanged)"); // a typed trailing blank is kept
    EXPECT_EQ(Lookup("Fara separator aici"), "(unchanged)");
    EXPECT_EQ(Lookup("cali"), "(unchanged)"); // whole words only
    EXPECT_EQ(Lookup(""), "(unchanged)");
}

TEST(Dictionary, WordsWithAndWithoutDiacritics) {
    // Windows-1250: "a c\xE3li" is a-breve, "\xBAni\xFE" "el" s and t cedilla, "f\xE3in\xE3".
    const char* const dictionary = "a c\xE3li#Prajire usoara.\n"
                                   "branza#Din lapte.\n"
                                   "\xBAni\xFE"
                                   "el#Carne pane.\n";
    const struct {
        const char* typed;
        const char* explanation; // empty: not found
    } cases[] = {
        {"a cali", "Prajire usoara."},
        {"A C\xC3LI", "Prajire usoara."},
        {"a c\xE2li", "Prajire usoara."},
        {"br\xE2nz\xE3", "Din lapte."},
        {"BRANZA", "Din lapte."},
        {"snitel", "Carne pane."},
        {"\xAANI\xDE"
         "EL",
         "Carne pane."},
        {"a cal", ""},
        {"branz\xE3 ", ""},
    };
    TempDataDir dir;
    for (const auto& c : cases)
        EXPECT_EQ(Lookup(c.typed, dictionary), *c.explanation ? c.explanation : "(unchanged)")
            << c.typed;
    // The list keeps the words as written.
    const Strings written = {"a c\xE3li", "branza",
                             "\xBAni\xFE"
                             "el"};
    EXPECT_EQ(Words(ParseDictionary(dictionary)), written);
    EXPECT_EQ(ReadDictionaryWords().value_or(Strings{}), written);
}

TEST(Dictionary, FileLookupAndWordList) {
    TempDataDir dir;
    std::string explanation = "before";
    EXPECT_EQ(DictionaryLookup("blat", explanation), LookupResult::CannotOpen);
    EXPECT_EQ(explanation, "before");
    EXPECT_FALSE(ReadDictionaryWords().has_value());

    WriteScrambled("dict.txt", kDictionary);
    EXPECT_EQ(DictionaryLookup("BLAT", explanation), LookupResult::Found);
    EXPECT_EQ(explanation, "Foaie de aluat; prima explicatie.");
    EXPECT_EQ(DictionaryLookup("sarmale", explanation), LookupResult::NotFound);
    EXPECT_EQ(explanation, "Foaie de aluat; prima explicatie.");
    const auto words = ReadDictionaryWords();
    ASSERT_TRUE(words.has_value());
    EXPECT_EQ(*words, (Strings{"a cali", "blat", "blat", "marar ", "roux", "zacusca"}));

    // A dictionary with Windows line ends reads the same through the program's own reader.
    WriteScrambled("dict.txt", "blat#Foaie de aluat.\r\nroux#Faina in unt.\r\n");
    EXPECT_EQ(DictionaryLookup("roux", explanation), LookupResult::Found);
    EXPECT_EQ(explanation, "Faina in unt.");
    EXPECT_EQ(*ReadDictionaryWords(), (Strings{"blat", "roux"}));

    // Something that cannot be opened for reading and writing counts as no dictionary.
    std::filesystem::remove("dict.txt");
    std::filesystem::create_directory("dict.txt");
    EXPECT_EQ(DictionaryLookup("blat", explanation), LookupResult::CannotOpen);
    EXPECT_FALSE(ReadDictionaryWords().has_value());
}

TEST(Dictionary, TrimmingAMarkedWord) {
    const struct {
        std::string marked;
        std::string word;
    } cases[] = {
        {"zahar, ", "zahar"},  // "," at L-2
        {"zahar; ", "zahar"},  // ";" at L-2
        {"zahar;  ", "zahar"}, // ";" at L-3
        {"zahar.", "zahar."},  // a last "." is at L-1: no step looks there
        {"zahar  ", "zahar "}, // one trailing blank only
        {"a.bc;de", "a"},      // ";" at L-3, then "." at the new L-3
        {"ab,.;cd", "ab"},     // ";" at L-3; then L-3 holds "b", but "," sits at L-2
        {"x;.", "x"},          // L-3 holds "x"; ";" at L-2
        {"", ""},
        {" ", ""},
        {",", ","}, // positions L-3 and L-2 lie before the text
        {", ", ""}, // "," at L-2 = 0
        {";x", ""},
        {"ab", "ab"},
        {"zahar", "zahar"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimMarkedWord(c.marked), c.word) << "'" << c.marked << "'";
    EXPECT_EQ(TrimMarkedWord(std::string(1000, 'a')), std::string(989, 'a'));
    EXPECT_EQ(TrimMarkedWord(std::string(987, 'a') + ", " + "tail"), std::string(987, 'a'));
}

TEST(Dictionary, TypedWordsTrimmedAndMatchedFolded) {
    const struct {
        const char* word;
        const char* typed;
        bool starts;
    } rows[] = {
        {"f\xE3in\xE3", "fai", true},
        {"f\xE3in\xE3", "  F\xC3I\t", true},
        {"f\xE3in\xE3", "f\xE3in\xE3", true},
        {"f\xE3in\xE3", "faina de", false},
        {"blat", "", false},
        {"blat", "   ", false},
        {"blat", "lat", false},
        {"bl", "blat", false},
        {"\xBAni\xFE"
         "el",
         "snit", true},
        {"ceap\xE3", "c e", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(WordStartsWith(r.word, r.typed), r.starts) << r.word << " / " << r.typed;
    EXPECT_EQ(TrimTypedWord(" \tmarar  "), "marar");
    EXPECT_EQ(TrimTypedWord("ou de prepelita "), "ou de prepelita");
    EXPECT_EQ(TrimTypedWord(" \t "), "");
}
