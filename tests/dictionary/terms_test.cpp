#include "dictionary/terms.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace savorel;

namespace {

using Strings = std::vector<std::string>;

// Windows-1250 throughout: \xE3 a-breve, \xEE i-circumflex, \xBA s-cedilla, \xFE t-cedilla.
const std::vector<DictionaryEntry> kEntries = {
    {"carne", "Muschi."},
    {"carne tocata", "Carne trecuta prin masina."},
    {"a cali", "A praji usor."},
    {"a amesteca", "A uni."},
    {"a fierbe", "A gati in apa."},
    {"a se umfla", "A creste."},
    {"a lega un sos", "A ingrosa."},
    {"sos", "Zeama groasa."},
    {"ou", "Al gainii."},
    {"carne", "A doua explicatie, niciodata gasita."},
    {"marar ", "Verdeata."},
    {"a subtia", "A face mai subtire."},
};

Strings Used(std::string_view recipe) {
    const TermFinder finder(kEntries);
    Strings words;
    for (const std::size_t e : finder.UsedBy(recipe))
        words.push_back(kEntries[e].word);
    return words;
}

} // namespace

TEST(Terms, EntriesUsedByARecipe) {
    const struct {
        const char* recipe;
        Strings used;
    } cases[] = {
        // The author before the first "#" is no part of the recipe's text.
        {"Carne Ou#\nPui#\n1 pui#\nSe fierbe.", {"a fierbe"}},
        // Longer entries win over those they contain; order of first use; each once.
        {"#Sos#200 g carne tocat\xE3; carne#Carne tocata cu sos.",
         {"sos", "carne tocata", "carne"}},
        {"#x#y#Leag\xE3 un sos.", {"sos"}}, // "leaga" is no form of "a lega"
        {"#x#y#Apoi lega un sos.", {"a lega un sos"}},
        // Verb forms: infinitive, imperative, "se ...", conjugated, participle; folded.
        {"#x#y#C\xE3le\xBAte ceapa.", {"a cali"}},
        {"#x#y#Se c\xE3le\xBAte ceapa.", {"a cali"}},
        {"#x#y#C\xE3li\xFEi ceapa, apoi c\xE3lim, c\xE3lit\xE3.", {"a cali"}},
        {"#x#y#AMESTEC\xC3 bine.", {"a amesteca"}},
        {"#x#y#Amesteca\xFEi, amestec\xE2nd; amestecate.", {"a amesteca"}},
        {"#x#y#Se fierb\xE2nd, se umfl\xE3.", {"a fierbe", "a se umfla"}},
        {"#x#y#Amesteca-l cu ou\xE3.", {"a amesteca"}}, // "oua" is not "ou"
        {"#x#y#Sub\xFEiaz\xE3 sosul, apoi sub\xFEiat.", {"a subtia"}},
        {"#x#y#Amesteciaz\xE3.", {}}, // "-iaza" only after a stem in "i"
        // Whole words only; blanks and line breaks inside a phrase are alike.
        {"#x#y#Carnea, sosul, ouat.", {}},
        {"#x#y#carne\n  tocata", {"carne tocata"}},
        {"#x#y#marar", {"marar "}}, // blanks at the ends of an entry word do not count
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Used(c.recipe), c.used) << c.recipe;
}

TEST(Terms, SpansCoverTheWordsAsWritten) {
    const TermFinder finder(kEntries);
    const std::string text = "Se c\xE3le\xBAte carne  tocat\xE3.";
    const auto spans = finder.Find(text);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(text.substr(spans[0].begin, spans[0].end - spans[0].begin), "c\xE3le\xBAte");
    EXPECT_EQ(text.substr(spans[1].begin, spans[1].end - spans[1].begin), "carne  tocat\xE3");
    EXPECT_EQ(kEntries[spans[1].entry].word, "carne tocata");
}

TEST(Terms, AMultiWordEntryNeverMatchesTheStartOfALongerWord) {
    const struct {
        const char* recipe;
        Strings used;
    } cases[] = {
        {"#x#y#Carne tocat\xE3rie.", {"carne"}},
        {"#x#y#Carne tocataie", {"carne"}},
        {"#x#y#Apoi lega un sosul.", {}},
        {"#x#y#Apoi lega un sos.", {"a lega un sos"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Used(c.recipe), c.used) << c.recipe;
}

TEST(Terms, AWordListedAsItStandsWinsOverTheSameFormOfAVerb) {
    // The verb first in the dictionary, so that file order alone would pick it.
    const std::vector<DictionaryEntry> entries = {
        {"a cl\xE3ti", "A trece prin ap\xE3."},
        {"cl\xE3tite", "Foi subtiri."},
    };
    const TermFinder finder(entries);
    const auto pancakes = finder.Find("Umple cl\xE3titele, apoi cl\xE3tite cu dulcea\xFE\xE3.");
    ASSERT_EQ(1u, pancakes.size());
    EXPECT_EQ(1u, pancakes[0].entry);
    const auto rinse = finder.Find("Cl\xE3te\xBAte orezul, apoi cl\xE3tit.");
    ASSERT_EQ(2u, rinse.size());
    EXPECT_EQ(0u, rinse[0].entry);
    EXPECT_EQ(0u, rinse[1].entry);
}
