#include "search/search.h"

#include "core/report.h"
#include "support/reference.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstring>

#include <random>
#include <string>
#include <utility>
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

// Runs the search over a book of one recipe holding `text` (in the current data folder);
// true when the recipe passes.
bool Passes(std::string_view text, const SearchFields& fields) {
    WriteScrambled("virt-dir.txt", "i R ~ R.TXT\n");
    WriteScrambled("R.TXT", text);
    CollectingReporter reporter;
    const int count = RunSearch(fields, reporter, nullptr);
    EXPECT_TRUE(reporter.entries.empty());
    return count == 1;
}

using NameAndFile = std::pair<std::string, std::string>;

// What the search lists for `catalogue` with empty fields (every recipe line passes, its file
// there or not) against what the plain line rule says it must list.
void ExpectListedByThePlainRule(std::string_view catalogue) {
    WriteScrambled("virt-dir.txt", catalogue);
    std::vector<NameAndFile> listed, expected;
    CollectingReporter reporter;
    const int count = RunSearch(
        {}, reporter, [&](const SearchMatch& m) { listed.emplace_back(m.name, m.fileName); });
    EXPECT_EQ(count, static_cast<int>(listed.size()));
    for (const std::string& line : reference::SplitSearchLines(catalogue))
        if (const auto recipe = reference::ParseSearchLine(line))
            expected.emplace_back(recipe->name, recipe->fileName);
    EXPECT_EQ(listed, expected) << catalogue.substr(0, 80);
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

TEST(Search, KeysAreFoundWindowByWindowFolded) {
    TempDataDir dir;
    const struct {
        const char* text;
        const char* key;
        bool found;
    } cases[] = {
        {"Ciorba de Varza cu oua", "VARZA", true},
        {"Ciorba de Varza cu oua", "varza", true},
        {"Ciorba de Varza cu oua", "ou", true},   // inside a longer word
        {"Ciorba de Varza cu oua", "oua", true},  // at the very end
        {"Ciorba de Varza cu oua", "CIOR", true}, // at the very start
        {"Ciorba de Varza cu oua", "ouaa", false},
        {"Ciorba de Varza cu oua", "varza  cu", false},
        {"ab", "abc", false},
        // Signs next to the letters are compared as themselves: "[" is not "{".
        {"[", "{", false},
        {"@", "`", false},
        // Romanian letters fold to their plain letter (Windows-1250 capital and small a-breve).
        {"\xC3", "\xE3", true},
        {"x\xE3y", "XAY", true},
        {"\x9A", "s", false}, // s caron is not Romanian: not folded
        // Diacritics on either side or both: ceap\xE3 (a-breve), br\xE2nz\xE3, \xBAnitel,
        // \xFEelin\xE3.
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
    for (const auto& c : cases) {
        EXPECT_EQ(reference::ContainsKey(c.text, std::strlen(c.text), c.key), c.found)
            << c.text << " / " << c.key;
        EXPECT_EQ(Passes(c.text, {"", "", c.key}), c.found) << c.text << " / " << c.key;
    }
    // The plain rule looks at the first `length` characters only.
    EXPECT_FALSE(reference::ContainsKey("Ciorba de", 8, "de"));
    EXPECT_TRUE(reference::ContainsKey("Ciorba de", 9, "de"));
}

// The search folds each recipe once and looks for all keys in one pass over the stored bytes;
// on any text and keys it must answer exactly what the window-by-window rule answers: with
// short keys, and with keys of three characters or more (scanned eight places at a time) in
// longer texts.
TEST(RunSearch, OnePassScanAgreesWithTheWindowRule) {
    struct Draws {
        std::size_t shortestKey, longestKey, longestText;
    };
    for (const Draws d : {Draws{1, 3, 40}, Draws{3, 4, 100}}) {
        TempDataDir dir;
        std::mt19937 random(20240601);
        const std::string alphabet = "aAbB[{@` \xC3\xE3\n";
        auto draw = [&](std::size_t n, std::size_t letters) {
            std::string s;
            for (std::size_t i = 0; i < n; ++i)
                s.push_back(alphabet[random() % letters]);
            return s;
        };
        auto drawField = [&] { // up to two keys; a field holds no line feed
            std::string field;
            for (std::size_t i = random() % 3; i > 0; --i)
                field += draw(d.shortestKey + random() % (d.longestKey - d.shortestKey + 1),
                              alphabet.size() - 1) +
                         "+";
            return field;
        };
        constexpr int kTexts = 10;  // recipes of the book, rewritten in every round
        constexpr int kKeySets = 3; // searches over each round's recipes
        std::string catalogue;
        for (int t = 1; t <= kTexts; ++t)
            catalogue += "i T" + std::to_string(t) + " ~ T" + std::to_string(t) + ".TXT\n";
        WriteScrambled("virt-dir.txt", catalogue);
        int passed = 0;
        for (int round = 0; round < 400; ++round) {
            std::string texts[kTexts];
            for (int t = 0; t < kTexts; ++t) {
                texts[t] = draw(random() % (d.longestText + 1), alphabet.size());
                WriteScrambled("T" + std::to_string(t + 1) + ".TXT", texts[t]);
            }
            for (int k = 0; k < kKeySets; ++k) {
                const SearchFields fields{drawField(), drawField(), drawField()};
                SearchKeys used;
                CollectingReporter reporter;
                std::vector<int> found, expected;
                const int count = RunSearch(
                    fields, reporter,
                    [&](const SearchMatch& m) { found.push_back(m.recipeNumber); }, &used);
                ASSERT_EQ(count, static_cast<int>(found.size()));
                for (int t = 0; t < kTexts; ++t)
                    if (reference::TextMatches(texts[t], used))
                        expected.push_back(t + 1);
                passed += static_cast<int>(expected.size());
                ASSERT_EQ(found, expected)
                    << "keys of " << d.shortestKey << ", round " << round << ": " << fields.allowed
                    << " / " << fields.forbidden << " / " << fields.required;
            }
        }
        EXPECT_GT(passed, 1200) << d.shortestKey; // both answers were exercised, of 12,000
        EXPECT_LT(passed, 10800) << d.shortestKey;
    }
}

TEST(RunSearch, ForbiddenRequiredAllowed) {
    TempDataDir dir;
    const std::string recipe = "Sarmale\nvarza murata, carne de porc, orez, ceapa\nSe fierb.";
    const struct {
        std::string text;
        SearchFields fields;
        bool passes;
    } cases[] = {
        {recipe, {"", "", ""}, true},
        {recipe, {"pui+vita", "", ""}, false},                    // none of the allowed keys
        {recipe, {"pui+varza", "", ""}, true},                    // allowed means any of them
        {recipe, {"", "", "varza+orez"}, true},                   // every required key
        {recipe, {"", "", "varza+pui"}, false},                   // one required key missing
        {recipe, {"varza", "ceapa", "orez"}, false},              // forbidden beats the others
        {recipe, {"", "smantana", ""}, true},                     // forbidden absent
        {recipe, {"", "SMANTANA+Ceapa", ""}, false},              // case folded
        {recipe, {"", "", "se fierb"}, true},                     // found in the preparation too
        {recipe, {"", "", "sarmale"}, true},                      // and in the title
        {recipe, {"", "", "varza murata, carne de vita"}, false}, // "," separates two keys
        {recipe, {"", "", "varza  +  orez "}, true},              // blanks at the ends dropped
        // An empty recipe passes only what needs no key in it.
        {"", {"", "", ""}, true},
        {"", {"", "varza", ""}, true},
        {"", {"varza", "", ""}, false},
        {"", {"", "", "varza"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Passes(c.text, c.fields), c.passes)
            << c.fields.allowed << " / " << c.fields.forbidden << " / " << c.fields.required
            << " in '" << c.text << "'";
}

TEST(SearchLines, OwnLineRule) {
    using reference::SplitSearchLines;
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
    const std::string carriageReturns = std::string(1998, 'x') + "\r\ri R ~ R.TXT\n";
    EXPECT_EQ(SplitSearchLines(carriageReturns),
              (Strings{std::string(1998, 'x') + "i ", "R ~ R.TXT"}));

    // The program reads virt-dir.txt by the same rule.
    TempDataDir dir;
    for (const std::string& catalogue :
         {std::string("i A ~ A.TXT\r\ni B ~ B.TXT"), std::string("i A ~ A.TXT\n\ni B ~ B.TXT\r\n"),
          std::string("i X ~ X.TXT\r"), longLine, std::string(2000, 'x') + "\ni B ~ B.TXT",
          carriageReturns})
        ExpectListedByThePlainRule(catalogue);
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
    std::string catalogue;
    for (const auto& c : cases) {
        catalogue += c.line + std::string("\n");
        const auto recipe = reference::ParseSearchLine(c.line);
        ASSERT_EQ(recipe.has_value(), c.isRecipe) << c.line;
        if (!recipe)
            continue;
        EXPECT_EQ(recipe->name, c.name) << c.line;
        EXPECT_EQ(recipe->fileName, c.file) << c.line;
    }
    // The program reads the recipe lines of virt-dir.txt by the same rule.
    TempDataDir dir;
    ExpectListedByThePlainRule(catalogue);
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

TEST(RunSearch, ReadsEachRecipeAndReportsAMissingOne) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "i Ciorba ~ ret001.txt\ni Pierduta ~ RET404.TXT\n");
    WriteScrambled("RET001.TXT", "#\nCiorba\n#\nvarza\n#\n");
    const struct {
        SearchFields fields;
        std::vector<int> passing;
    } cases[] = {
        {{"", "", "Varza"}, {1}}, // found although named in small letters
        {{"", "VARZA", ""}, {2}}, // the missing recipe is examined as an empty text
    };
    for (const auto& c : cases) {
        Outcome o;
        Search(o, c.fields);
        std::vector<int> passing;
        for (const auto& m : o.matches)
            passing.push_back(m.recipeNumber);
        EXPECT_EQ(passing, c.passing) << c.fields.required << c.fields.forbidden;
        EXPECT_EQ(Messages(o.reporter, BoxForm::CaptionOnly), Strings{kSearchNoRecipe});
        EXPECT_EQ(o.reporter.entries.size(), 1u);
    }
}
