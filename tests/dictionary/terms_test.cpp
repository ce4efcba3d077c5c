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
