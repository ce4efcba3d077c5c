#include "search/search.h"

#include "core/report.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace savorel;
using savorel::testing::TempDataDir;
using savorel::testing::WriteScrambled;

namespace {

std::vector<std::string> Keys(std::string_view field) {
    SearchKeyList list;
    EXPECT_TRUE(ParseKeys(field, list)) << field;
    return list.keys;
}

std::string ManyKeys(int n) {
    std::string field;
    for (int i = 1; i <= n; ++i)
        field += "k" + std::to_string(i) + "+";
    return field;
}

SearchKeys MakeKeys(std::string_view allowed, std::string_view forbidden,
                    std::string_view required) {
    SearchKeys keys;
    // The twenty-key limit has tests of its own; here the keys are what matters.
    (void)ParseKeys(allowed, keys.allowed);
    (void)ParseKeys(forbidden, keys.forbidden);
    (void)ParseKeys(required, keys.required);
    return keys;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(ParseKeys, SeparatorsBlanksAndLineBreaks) {
    const struct {
        const char* field;
        Strings keys;
    } cases[] = {
        {"varza+carne de porc", {"varza", "carne de porc"}},
        {"varza,carne de porc", {"varza", "carne de porc"}},
        // Blanks and tabs at the ends of a key are dropped, those inside it stay.
        {"varza + carne de  porc ,  ", {"varza", "carne de  porc"}},
        {" + \t, ", {}},
        {"+varza++", {"varza"}},
        {"+,+,,", {}},
        {"", {}},
        {"var\r\nza", {"varza"}},
        {"var\nza+\r\n+pui", {"varza", "pui"}},
        {"\tpui\t", {"pui"}},
        {"VarZa", {"VarZa"}},
        // Longer than a 19-character slot: kept whole, so it finds what was typed.
        {"carne tocata de porc si vita", {"carne tocata de porc si vita"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Keys(c.field), c.keys) << "field: " << c.field;
}

TEST(ParseKeys, TwentyKeysAtMostPerList) {
    SearchKeyList twenty;
    EXPECT_TRUE(ParseKeys(ManyKeys(20), twenty)); // the trailing "+" makes no 21st key
    EXPECT_EQ(twenty.Count(), 20u);

    SearchKeyList list;
    EXPECT_FALSE(ParseKeys(ManyKeys(21), list));
    ASSERT_EQ(list.Count(), 20u);
    EXPECT_EQ(list.keys.front(), "k1");
    EXPECT_EQ(list.keys.back(), "k20");

    SearchKeyList unterminated;
    EXPECT_FALSE(ParseKeys(ManyKeys(20) + "last", unterminated));
    EXPECT_EQ(unterminated.keys.back(), "k20");
}

TEST(ContainsKey, WindowByWindowFolded) {
    const std::string text = "Ciorba de Varza cu oua";
    auto has = [&](std::string_view key) { return ContainsKey(text.data(), text.size(), key); };
    EXPECT_TRUE(has("VARZA"));
    EXPECT_TRUE(has("varza"));
    EXPECT_TRUE(has("ou"));   // inside a longer word
    EXPECT_TRUE(has("oua"));  // at the very end
    EXPECT_TRUE(has("CIOR")); // at the very start
    EXPECT_FALSE(has("ouaa"));
    EXPECT_FALSE(has("varza  cu"));
    // Only the first `length` characters are examined.
    EXPECT_FALSE(ContainsKey(text.data(), 8, "de"));
    EXPECT_TRUE(ContainsKey(text.data(), 9, "de"));
    EXPECT_FALSE(ContainsKey("ab", 2, "abc"));
    // Signs next to the letters are compared as themselves: "[" is not "{".
    EXPECT_FALSE(ContainsKey("[", 1, "{"));
    EXPECT_FALSE(ContainsKey("@", 1, "`"));
    // Romanian letters fold to their plain letter (Windows-1250 capital and small a-breve).
    EXPECT_TRUE(ContainsKey("\xC3", 1, "\xE3"));
    EXPECT_TRUE(ContainsKey("x\xE3y", 3, "XAY"));
    EXPECT_FALSE(ContainsKey("\x9A", 1, "s")); // s caron is not Romanian: not folded
}

// The rule as stated, one key and one window at a time.
bool NaiveMatches(const std::string& text, const SearchKeys& keys) {
    auto has = [&](const std::string& key) { return ContainsKey(text.data(), text.size(), key); };
    for (const auto& k : keys.forbidden.keys)
        if (has(k))
            return false;
    for (const auto& k : keys.required.keys)
        if (!has(k))
            return false;
    if (keys.allowed.Empty())
        return true;
    for (const auto& k : keys.allowed.keys)
        if (has(k))
            return true;
    return false;
}

// The scan folds each recipe once and looks for all keys in one pass; on any text and keys it
// must answer exactly what the window-by-window comparison answers.
TEST(TextMatches, OnePassScanAgreesWithTheWindowRule) {
    std::mt19937 random(20240601);
    const std::string alphabet = "aAbB[{@` \xC3\xE3\n";
    auto draw = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s.push_back(alphabet[random() % alphabet.size()]);
        return s;
    };
    auto drawList = [&](SearchKeyList& list) {
        const std::size_t n = random() % 3;
        for (std::size_t i = 0; i < n; ++i)
            list.keys.push_back(draw(1 + random() % 3));
    };
    int passed = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string text = draw(random() % 40);
        SearchKeys keys;
        drawList(keys.allowed);
        drawList(keys.forbidden);
        drawList(keys.required);
        const bool expected = NaiveMatches(text, keys);
        passed += expected;
        ASSERT_EQ(TextMatches(text, keys), expected) << "round " << round << " text '" << text;
    }
    EXPECT_GT(passed, 2000); // both answers were exercised
    EXPECT_LT(passed, 18000);
}

TEST(TextMatches, ForbiddenRequiredAllowed) {
    const std::string recipe = "Sarmale\nvarza murata, carne de porc, orez, ceapa\nSe fierb.";
    const struct {
        const char* allowed;
        const char* forbidden;
        const char* required;
        bool passes;
    } cases[] = {
        {"", "", "", true},
        {"pui+vita", "", "", false},                    // none of the allowed keys
        {"pui+varza", "", "", true},                    // allowed means any of them
        {"", "", "varza+orez", true},                   // every required key
        {"", "", "varza+pui", false},                   // one required key missing
        {"varza", "ceapa", "orez", false},              // forbidden beats required and allowed
        {"", "smantana", "", true},                     // forbidden absent
        {"", "SMANTANA+Ceapa", "", false},              // case folded
        {"", "", "se fierb", true},                     // found in the preparation too
        {"", "", "sarmale", true},                      // and in the title
        {"", "", "varza murata, carne de vita", false}, // "," separates two keys
        {"", "", "varza  +  orez ", true},              // blanks at the ends dropped
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextMatches(recipe, MakeKeys(c.allowed, c.forbidden, c.required)), c.passes)
            << c.allowed << " / " << c.forbidden << " / " << c.required;

    // A missing recipe is examined as an empty text.
    EXPECT_TRUE(TextMatches("", MakeKeys("", "", "")));
    EXPECT_TRUE(TextMatches("", MakeKeys("", "varza", "")));
    EXPECT_FALSE(TextMatches("", MakeKeys("varza", "", "")));
    EXPECT_FALSE(TextMatches("", MakeKeys("", "", "varza")));
}

TEST(SearchLines, OwnLineRule) {
    EXPECT_EQ(SplitSearchLines(""), Strings{});
    EXPECT_EQ(SplitSearchLines("a\n"), Strings{"a"});
    EXPECT_EQ(SplitSearchLines("a\r\nb"), (Strings{"a", "b"})); // last line without a line feed
    EXPECT_EQ(SplitSearchLines("a\n\nb\r\n"), (Strings{"a", "", "b"}));
    EXPECT_EQ(SplitSearchLines("x\r"), Strings{"x"});

    const std::string longLine = std::string(2000, 'x') + "i Rest ~ R.TXT\n";
    const Strings split = SplitSearchLines(longLine);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0], std::string(2000, 'x'));
    EXPECT_EQ(split[1], "i Rest ~ R.TXT"); // nothing of the longer line is lost
    // Carriage returns are not counted against the limit.
    EXPECT_EQ(SplitSearchLines(std::string(1999, 'y') + "\r\r\ny").size(), 2u);
}

TEST(SearchLines, RecipeLines) {
    const struct {
        const char* line;
        bool isRecipe;
        const char* name;
        const char* file;
    } cases[] = {
        {"i Ciorba de burta ~ RET002.TXT", true, "Ciorba de burta ", "RET002.TXT"},
        {"i Name of dish   ~   RET005.TXT   extra", true, "Name of dish   ", "RET005.TXTextra"},
        {" \t i\t Sarmale~\tRET010.TXT\r", true, "Sarmale", "RET010.TXT"},
        {"i Zacusca ~ RET1.TXT\tx y", true, "Zacusca ", "RET1.TXT\txy"},
        {"iPapanasi~RET3.TXT", true, "Papanasi", "RET3.TXT"},
        {"i Fara fisier ~", true, "Fara fisier ", ""},
        {"i Fara tilda RET4.TXT", false, "", ""},
        {"m Supe", false, "", ""},
        {"h Ciorbe", false, "", ""},
        {"# i Comentariu ~ RET1.TXT", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto recipe = ParseSearchLine(c.line);
        ASSERT_EQ(recipe.has_value(), c.isRecipe) << c.line;
        if (!recipe)
            continue;
        EXPECT_EQ(recipe->name, c.name) << c.line;
        EXPECT_EQ(recipe->fileName, c.file) << c.line;
    }
}

TEST(SearchResults, EntryCarriesTheFileNameAfterSeventySixBlanks) {
    const std::string entry = ResultEntry("Ciorba de burta ", "RET002.TXT");
    EXPECT_EQ(entry, "Ciorba de burta " + std::string(76, ' ') + "#RET002.TXT");
    EXPECT_EQ(FileNameOfResult(entry), "RET002.TXT");
    EXPECT_EQ(FileNameOfResult("no separator"), "");
    EXPECT_EQ(SearchCountMessage(0), "Am gasit un numar de 0 retete convenind acestor criterii!!!");
    EXPECT_EQ(SearchCountMessage(740),
              "Am gasit un numar de 740 retete convenind acestor criterii!!!");
}

namespace {

TEST(TextMatches, DiacriticsOnEitherSideOrBoth) {
    // Windows-1250: ceap\xE3 = ceapa with a-breve, br\xE2nz\xE3, \xBAnitel, \xFEelin\xE3.
    const struct {
        const char* text;
        const char* key;
        bool found;
    } cases[] = {
        {"2 cepe, ceapa verde", "ceap\xE3", true},
        {"2 cepe, ceap\xE3 verde", "ceapa", true},
        {"2 cepe, ceap\xE3 verde", "CEAP\xC3", true},
        {"BR\xC2NZ\xC3 de vaci", "br\xE2nz\xE3", true},
        {"branza de vaci", "BR\xC2NZA", true},
        {"\xAANITEL", "snitel", true},
        {"snitel", "\xBAnitel", true},
        {"\xFE"
         "elin\xE3",
         "TELINA", true},
        {"telina",
         "\xDE"
         "elin\xE3",
         true},
        {"f\xEEn", "FIN", true},
        {"ceap\xE3", "ceapaa", false},
        {"branza de vaci", "br\xE2nz\xE3  de", false}, // blanks inside a key are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextMatches(c.text, MakeKeys("", "", c.key)), c.found)
            << c.text << " / " << c.key;
}

// A small book: two categories, a recipe listed twice, a missing file, a name with blanks,
// CRLF line ends and a last line without a line feed.
void WriteBook() {
    WriteScrambled("virt-dir.txt", "m Supe\r\n"
                                   "  h Ciorbe\r\n"
                                   "    i Ciorba de varza ~ RET001.TXT\r\n"
                                   "    i Ciorba de pui ~ RET002.TXT\r\n"
                                   "m Preferate\n"
                                   "h Iarna\n"
                                   "i Sarmale ~ RET003.TXT\n"
                                   "i Ciorba de varza (iar) ~ RET001.TXT\n"
                                   "i Pierduta ~ RET404.TXT\n"
                                   "i Fara tilda RET002.TXT\n"
                                   "i Papanasi ~ ret004.txt");
    WriteScrambled("RET001.TXT", "#\nCiorba de varza\n#\n1 varza; 200 g afumatura\n#\nSe fierbe.");
    WriteScrambled("RET002.TXT", "#\nCiorba de pui\n#\n1 pui; 2 morcovi\n#\nSe acreste cu bors.");
    WriteScrambled("RET003.TXT",
                   "#\nSarmale\n#\nvarza murata; carne de porc; orez\n#\nCu mamaliga.");
    WriteScrambled("RET004.TXT", "#\nPapanasi\n#\nbranza; oua; faina\n#\nSe prajesc.");
}

struct Outcome {
    int count = 0;
    std::vector<SearchMatch> matches;
    CollectingReporter reporter;
};

void Search(Outcome& o, const SearchFields& fields) {
    o.count = RunSearch(fields, o.reporter, [&](const SearchMatch& m) { o.matches.push_back(m); });
}

std::vector<std::string> Messages(const CollectingReporter& r, BoxForm form) {
    std::vector<std::string> texts;
    for (const auto& e : r.entries)
        if (e.form == form)
            texts.push_back(e.text);
    return texts;
}

} // namespace

TEST(RunSearch, EmptyFieldsListEveryRecipeLineInCatalogueOrder) {
    TempDataDir dir;
    WriteBook();
    Outcome o;
    Search(o, {});
    ASSERT_EQ(o.count, 6); // the line without "~" names no file and is passed over
    ASSERT_EQ(o.matches.size(), 6u);
    const Strings names = {"Ciorba de varza ",       "Ciorba de pui ", "Sarmale ",
                           "Ciorba de varza (iar) ", "Pierduta ",      "Papanasi "};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(o.matches[i].name, names[i]);
        EXPECT_EQ(o.matches[i].recipeNumber, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(o.matches[5].fileName, "ret004.txt"); // found although spelled in small letters
    // The missing recipe is reported once, as a caption-only box, and passes as empty text.
    EXPECT_EQ(Messages(o.reporter, BoxForm::CaptionOnly), Strings{" Cannot open the file "});
    EXPECT_TRUE(Messages(o.reporter, BoxForm::Owned).empty());
}

TEST(RunSearch, KeysAgainstTheBook) {
    TempDataDir dir;
    WriteBook();
    const struct {
        SearchFields fields;
        Strings files;
    } cases[] = {
        // The recipe listed twice passes twice; the missing one needs no key to pass.
        {{"VARZA", "", ""}, {"RET001.TXT", "RET003.TXT", "RET001.TXT"}},
        {{"varza+pui", "porc", ""}, {"RET001.TXT", "RET002.TXT", "RET001.TXT"}},
        {{"", "varza", ""}, {"RET002.TXT", "RET404.TXT", "ret004.txt"}},
        {{"", "", "bors"}, {"RET002.TXT"}}, // only in the preparation
        {{"", "", "mama\nliga"}, {"RET003.TXT"}},
        {{"", "", "trufe"}, {}},
        {{"", "", "  m\xE3m\xE3lig\xE3 "}, {"RET003.TXT"}}, // trimmed, folded
        {{"PAPANA\xAAI", "", ""}, {"ret004.txt"}},
    };
    for (const auto& c : cases) {
        Outcome o;
        Search(o, c.fields);
        Strings files;
        for (const auto& m : o.matches)
            files.push_back(m.fileName);
        EXPECT_EQ(files, c.files) << c.fields.allowed << "/" << c.fields.forbidden << "/"
                                  << c.fields.required;
        EXPECT_EQ(o.count, static_cast<int>(c.files.size()));
    }
}

TEST(RunSearch, LimitsOfFieldsKeysAndExaminedText) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "i Lunga ~ RET001.TXT\n");
    // "cheie" ends exactly at the 9999th character; "dincolo" starts just before the limit.
    std::string text(9994, '.');
    text += "cheiedincolo";
    WriteScrambled("RET001.TXT", text);

    Outcome inside;
    Search(inside, {"", "", "cheie"});
    EXPECT_EQ(inside.count, 1);
    Outcome beyond;
    Search(beyond, {"", "", "dincolo"});
    EXPECT_EQ(beyond.count, 0);

    // 21 keys in two fields: the message once per field, before the scan, which still runs.
    Outcome many;
    SearchKeys used;
    many.count = RunSearch({ManyKeys(21), ManyKeys(25), ""}, many.reporter, nullptr, &used);
    EXPECT_EQ(Messages(many.reporter, BoxForm::Owned),
              (Strings{kKeyLimitMessage, kKeyLimitMessage}));
    EXPECT_EQ(used.allowed.Count(), 20u);
    EXPECT_EQ(used.forbidden.Count(), 20u);
    EXPECT_EQ(many.count, 0);

    // A field is read as at most 299 characters: a key typed after that is not taken.
    Outcome cut;
    (void)RunSearch({"", "", std::string(299, '+') + "trufe"}, cut.reporter, nullptr, &used);
    EXPECT_TRUE(used.required.Empty());
}

TEST(RunSearch, MissingCatalogueEndsTheSearchWithoutACount) {
    TempDataDir dir;
    Outcome o;
    Search(o, {ManyKeys(22), "", ""});
    EXPECT_EQ(o.count, -1);
    EXPECT_EQ(Messages(o.reporter, BoxForm::Owned),
              (Strings{kKeyLimitMessage, " \n Cannot open virt-dir.txt\n"}));
    EXPECT_TRUE(o.matches.empty());
}

TEST(RunSearch, FileNamesOutsideTheDataFolderAreNeverOpened) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "i Iesire ~ ../RET001.TXT\ni Absolut ~ /etc/passwd\n");
    WriteScrambled("../RET001.TXT", "varza");
    Outcome o;
    Search(o, {"", "", "varza"});
    EXPECT_EQ(o.count, 0);
    EXPECT_EQ(Messages(o.reporter, BoxForm::CaptionOnly).size(), 2u);
    std::remove("../RET001.TXT");
}

TEST(RecipeMatches, ReadsTheFileAndReportsAMissingOne) {
    TempDataDir dir;
    WriteScrambled("RET001.TXT", "#\nCiorba\n#\nvarza\n#\n");
    CollectingReporter reporter;
    EXPECT_TRUE(RecipeMatches("RET001.TXT", MakeKeys("", "", "Varza"), reporter));
    EXPECT_FALSE(RecipeMatches("RET001.TXT", MakeKeys("", "VARZA", ""), reporter));
    EXPECT_TRUE(reporter.entries.empty());
    EXPECT_TRUE(RecipeMatches("RET404.TXT", MakeKeys("", "varza", ""), reporter));
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].form, BoxForm::CaptionOnly);

    std::string text;
    EXPECT_TRUE(ReadExaminedText("ret001.txt", text));
    EXPECT_EQ(text, "#\nCiorba\n#\nvarza\n#\n");
}
