#include "search/quick_search.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace savorel;
using savorel::testing::TempDataDir;
using savorel::testing::Utf8ToCp1250;
using savorel::testing::WriteScrambled;

namespace {

struct Recipe {
    const char* title; // UTF-8
    const char* ingredients;
};

const Recipe kBook[] = {
    {"Ciorbă de burtă", "500 g burtă; 2 cepe; smântână"},
    {"Sarmale în foi de varză", "1 kg carne tocată; orez; ceapă"},
    {"Ceapă umplută", "6 cepe mari; carne"},
    {"Salată de boeuf", "cartofi; morcovi; maioneză"},
    {"Plăcintă cu brânză", "făină; brânză de vaci; ouă"},
    {"Ţuică fiartă", "ţuică; zahăr"},
};

QuickIndex BookIndex() {
    QuickIndex index;
    for (int i = 0; const Recipe& r : kBook)
        index.Add(Utf8ToCp1250(r.title), "R" + std::to_string(i++) + ".TXT",
                  Utf8ToCp1250(r.ingredients));
    return index;
}

// Titles of the answer, titles first, as shown.
std::vector<std::string> Answer(const QuickIndex& index, std::string_view queryUtf8) {
    QuickSearch search(index);
    search.SetQuery(Utf8ToCp1250(queryUtf8));
    search.Run();
    std::vector<std::string> titles;
    for (std::size_t i = 0; i < search.MatchCount(); ++i)
        titles.emplace_back(index.Title(search.Match(i)));
    return titles;
}

std::vector<std::string> Cp(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* s : utf8)
        out.push_back(Utf8ToCp1250(s));
    return out;
}

} // namespace

// Case and diacritics folded away, every word somewhere, titles before ingredients.
TEST(QuickSearch, FindsByTitleAndIngredientFolded) {
    const QuickIndex index = BookIndex();
    const struct {
        const char* query;
        std::vector<std::string> expected;
    } cases[] = {
        {"sarmale", Cp({"Sarmale în foi de varză"})},
        {"SARMALE", Cp({"Sarmale în foi de varză"})},
        {"ciorbă burtă", Cp({"Ciorbă de burtă"})},
        {"ciorba burta", Cp({"Ciorbă de burtă"})},
        {"  burta   ciorba  ", Cp({"Ciorbă de burtă"})},
        // The title that holds it first, then the recipes that only use it.
        {"ceapa", Cp({"Ceapă umplută", "Sarmale în foi de varză"})},
        {"cepe", Cp({"Ciorbă de burtă", "Ceapă umplută"})},
        {"branza", Cp({"Plăcintă cu brânză"})},
        {"tuica", Cp({"Ţuică fiartă"})},
        {"ţuică", Cp({"Ţuică fiartă"})},
        // One word in the title, the other among the ingredients.
        {"sarmale orez", Cp({"Sarmale în foi de varză"})},
        {"carne", Cp({"Sarmale în foi de varză", "Ceapă umplută"})},
        {"carne cartofi", {}},
        {"xyz", {}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Answer(index, c.query), c.expected) << c.query;
}

TEST(QuickSearch, WordsAreFoldedBoundedAndSplitAtBlanks) {
    EXPECT_EQ(QuickWords(Utf8ToCp1250(" Ciorbă\tde  BURTĂ ")),
              (std::vector<std::string>{"CIORBA", "DE", "BURTA"}));
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "w" + std::to_string(i) + " ";
    EXPECT_EQ(QuickWords(many).size(), kQuickWordLimit);
    const std::string longWord(1000, 'a');
    const auto words = QuickWords(longWord);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].size(), kQuickQueryLimit);
}

// Only the ingredients count: not the prologue, not the title piece, not the preparation.
TEST(QuickSearch, IngredientsOfTheExaminedText) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"AUTOR\n#\nTITLU\n#\nCEAPA; SARE\n#\nSE FIERBE CU MORCOV", "\nCEAPA; SARE\n"},
        {"#\nTITLU\n#\nCEAPA", "\nCEAPA"}, // no third mark: to the end
        {"#\nTITLU\n#\n#\nSE FIERBE", "\n"},
        {"#\nTITLU FARA INGREDIENTE", ""},
        {"FARA MARCAJ", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IngredientsOfExamined(c.text), std::string_view(c.expected)) << c.text;
    const std::string huge = "#T#" + std::string(20000, 'X');
    EXPECT_EQ(IngredientsOfExamined(huge).size(), kQuickIngredientLimit);
}

// Typing and erasing letter by letter, answered from earlier answers, gives what a fresh
// search over everything gives, in the same order.
TEST(QuickSearch, NarrowingAndRememberedAnswersEqualAFreshSearch) {
    QuickIndex index;
    std::mt19937 random(7);
    const char letters[] = "abcde ";
    auto word = [&](int n) {
        std::string w;
        for (int i = 0; i < n; ++i)
            w += letters[random() % 6];
        return w;
    };
    for (int i = 0; i < 3000; ++i)
        index.Add(word(12), "F" + std::to_string(i), word(30));
    QuickSearch typed(index);
    std::string query;
    std::size_t narrowed = 0;
    for (int step = 0; step < 400; ++step) {
        if (!query.empty() && random() % 3 == 0)
            query.pop_back();
        else if (query.size() < 8)
            query += letters[random() % 6];
        else
            query.clear();
        typed.SetQuery(query);
        if (typed.CandidateCount() < index.Size())
            ++narrowed;
        typed.Run();
        QuickSearch fresh(index);
        fresh.SetQuery(query);
        fresh.Run();
        ASSERT_EQ(typed.TitleMatches(), fresh.TitleMatches()) << query;
        ASSERT_EQ(typed.OtherMatches(), fresh.OtherMatches()) << query;
    }
    EXPECT_GT(narrowed, 100u); // the short cut was taken, not only the full scan
}

// Ingredients read while a query is half answered start it again: nothing found earlier is
// left out, nothing is listed twice.
TEST(QuickSearch, QueryStartsAgainWhenTheIndexGrows) {
    TempDataDir dir;
    CategoryTable table;
    table.categories.push_back({"Supe", {{"Ciorbe", {}}}});
    auto& recipes = table.categories[0].subcategories[0].recipes;
    for (int i = 0; i < 50; ++i) {
        const std::string file = "RET" + std::to_string(i) + ".TXT";
        recipes.push_back({"Supa " + std::to_string(i), file});
        if (i != 7) // one file is missing: it is listed by its title only
            WriteScrambled(file, "#\nSupa\n#\n" + std::string(i % 2 ? "ceapa" : "praz") +
                                     "\n#\nSe fierbe cu ceapa.");
    }
    QuickIndex index;
    index.Reset(table);
    EXPECT_FALSE(index.Complete());
    QuickSearch search(index);
    search.SetQuery("ceapa");
    EXPECT_FALSE(search.Step(10));
    index.ReadIngredients(20);
    search.Run();
    EXPECT_EQ(search.MatchCount(), 9u); // the odd ones of the 20 read, 7 missing
    while (!index.ReadIngredients(7)) {
    }
    search.SetQuery("ceapa");
    search.Run();
    ASSERT_EQ(search.MatchCount(), 24u);
    EXPECT_EQ(search.Match(0), 1u);
    EXPECT_EQ(search.Match(23), 49u);
    search.SetQuery("supa 7");
    search.Run();
    EXPECT_EQ(search.TitleMatches(), (std::vector<std::uint32_t>{7, 17, 27, 37, 47}));
    EXPECT_EQ(index.FileName(search.Match(0)), "RET7.TXT");
    EXPECT_EQ(index.Place(search.Match(0)).recipe, 7);
    EXPECT_TRUE(index.FoldedIngredients(7).empty());
}
