// Reading recipes from other programs' files and saved web pages: the sample pages of
// tests/samples/import (each with the result expected of it), the tolerant JSON reader and
// its limits, character references, markup inside the data, and yields, times and fractions.
#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/records.h"
#include "personal/exchange.h"
#include "personal/html_entities.h"
#include "personal/lenient_json.h"
#include "personal/store.h"
#include "personal/web_page.h"
#include "support/support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <iostream>

using namespace savorel;
using namespace savorel::testing;
using Json = nlohmann::ordered_json;

namespace {

// The sample pages of the recipe import, each with the result expected of it.
constexpr const char* kImportSamples = EXCHANGE_SAMPLES_DIR "/../../samples/import";

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : " | ") + part;
    return out;
}

// The differences between a recipe read and what its sample expects, as text; empty when
// it is as expected. Only the keys the expectation names are compared.
std::string Differences(const ForeignRecipe& recipe, const Json& expected) {
    const Recipe& m = recipe.model;
    std::string out;
    const auto text = [&](const char* key, const std::string& actual) {
        if (expected.contains(key) && expected[key].get<std::string>() != actual)
            out += std::string(key) + ": \"" + actual + "\" instead of \"" +
                   expected[key].get<std::string>() + "\"\n";
    };
    text("title", m.title);
    text("author", m.author);
    text("description", m.facts.description);
    text("image", m.facts.image);
    text("url", m.facts.sourceUrl);
    text("prepTime", m.facts.prepTime);
    text("cookTime", m.facts.cookTime);
    text("totalTime", m.facts.totalTime);
    text("category", m.facts.category);
    text("keywords", m.facts.keywords);
    text("identifier", m.facts.identifier);
    text("language", m.facts.language);
    text("yieldNote", m.facts.yieldNote);
    text("fields.ingredients", Cp1250ToUtf8(recipe.fields.ingredients));
    if (expected.contains("servings") && expected["servings"].get<int>() != m.servings)
        out += "servings: " + std::to_string(m.servings) + "\n";
    if (expected.contains("refused") && expected["refused"].get<bool>() == recipe.refusal.empty())
        out += "refusal: \"" + recipe.refusal + "\"\n";
    if (expected.contains("note")) {
        const std::string note = expected["note"].get<std::string>();
        bool found = false;
        for (const std::string& n : recipe.notes)
            found = found || n.find(note) != std::string::npos;
        if (!found)
            out += "no note with \"" + note + "\" among: " + Join(recipe.notes) + "\n";
    }
    if (expected.contains("steps")) {
        const auto steps = expected["steps"].get<std::vector<std::string>>();
        if (steps != m.steps)
            out += "steps: " + Join(m.steps) + "\n";
    }
    if (expected.contains("sections")) {
        std::string want, got;
        for (const Json& s : expected["sections"])
            want += (s.contains("heading") ? s["heading"].get<std::string>() + ": " : "") +
                    Join(s["items"].get<std::vector<std::string>>()) + "\n";
        for (const RecipeSection& s : m.sections)
            got += (s.hasHeading ? s.heading + ": " : "") + Join(s.items) + "\n";
        if (want != got)
            out += "sections:\n" + got + "instead of:\n" + want;
    }
    return out;
}

// Every sample with its expectation; the pass rate is printed for the record.
TEST(ImportSamples, EachPageGivesWhatItsExpectationSays) {
    const std::filesystem::path folder = kImportSamples;
    int samples = 0, passed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".expected.json"))
            continue;
        const std::filesystem::path expectation =
            folder / (entry.path().stem().string() + ".expected.json");
        ASSERT_TRUE(std::filesystem::exists(expectation)) << name << " has no expectation";
        const Json expected = Json::parse(ReadBack(expectation.string()));
        ++samples;
        std::vector<ForeignRecipe> recipes;
        std::string error;
        const bool read = ParseRecipeDocument(ReadBack(entry.path().string()), recipes, error);
        std::string problems;
        if (expected.contains("error")) {
            if (read || error.find(expected["error"].get<std::string>()) == std::string::npos)
                problems = "error: \"" + error + "\"\n";
        } else if (!read) {
            problems = "refused: " + error + "\n";
        } else if (recipes.size() != expected["recipes"].size()) {
            problems = std::to_string(recipes.size()) + " recipes\n";
        } else {
            for (std::size_t i = 0; i < recipes.size(); ++i)
                problems += Differences(recipes[i], expected["recipes"][i]);
        }
        EXPECT_EQ("", problems) << name;
        passed += problems.empty();
    }
    std::cout << "import samples: " << passed << " of " << samples << " as expected\n";
    EXPECT_GE(samples, 12);
}

// The tolerant reader against what the JSON means: strict JSON as a strict reader reads it,
// the common sloppiness of pages read as meant, and refusals with a place and a reason.
TEST(LenientJson, ReadsWhatPagesWriteAndRefusesWithAReason) {
    const struct {
        const char* text;
        const char* meaning; // strict JSON of the value, or "" for a refusal
        const char* error;   // part of the refusal's message
    } cases[] = {
        {R"({"a": [1, 2.5, -3, true, null, "x\u00e2\ud83d\ude00"]})",
         R"({"a": [1, 2.5, -3, true, null, "xâ😀"]})", ""},
        {"{\"a\": \"line\nbreak\ttab\"}", R"({"a": "line\nbreak\ttab"})", ""},
        {R"({"a": [1, 2,], "b": {"c": 1,},})", R"({"a": [1, 2], "b": {"c": 1}})", ""},
        {R"({"a": "it\'s"};)", R"({"a": "it's"})", ""},
        {"/* theme */ {\"a\": 1} // end", R"({"a": 1})", ""},
        {"<!--\n{\"a\": 1}\n-->", R"({"a": 1})", ""},
        {R"({"a": 1} {"b": 2})", R"([{"a": 1}, {"b": 2}])", ""},
        {R"({"a": 1, "a": 2})", R"({"a": 2})", ""},
        {"{\"a\": \"\xC3(\"}", "{\"a\": \"\xEF\xBF\xBD(\"}", ""},
        {R"({"a": 1e-400})", R"({"a": 0.0})", ""},
        {R"({"a": 18446744073709551616})", R"({"a": 1.8446744073709552e19})", ""},
        {R"({"a": 1e400})", "", "la linia 1, coloana 7: numarul 1e400 este prea mare"},
        {"{\"a\":\n [1 2]}", "", "la linia 2, coloana 5: se astepta ',' sau ']'"},
        {R"({"a": "open)", "", "sirul de caractere nu se inchide"},
        {R"({"a": 01})", "", "zero in fata"},
        {R"({a: 1})", "", "se astepta un nume intre ghilimele"},
        {"[1, /* never closed", "", "comentariul /* nu se inchide"},
        {R"({"a": tru})", "", "caracter neasteptat 't'"},
    };
    for (const auto& c : cases) {
        Json value;
        std::string error;
        const LenientJsonResult result = ParseLenientJson(c.text, value, error);
        if (*c.meaning) {
            ASSERT_EQ(LenientJsonResult::Value, result) << c.text << ": " << error;
            EXPECT_EQ(Json::parse(c.meaning), value) << c.text;
        } else {
            EXPECT_EQ(LenientJsonResult::Error, result) << c.text;
            EXPECT_NE(std::string::npos, error.find(c.error)) << c.text << ": " << error;
        }
    }
    for (const char* empty : {"", "  \n", "<!-- {\"@type\": \"Recipe\"} -->", "/* */ ;"}) {
        Json value;
        std::string error;
        EXPECT_EQ(LenientJsonResult::Empty, ParseLenientJson(empty, value, error)) << empty;
    }
}

// A file nested 100,000 deep (200 KB) and one too large are refused before anything is
// built, with a message; nothing throws and the stack holds.
TEST(LenientJson, DeepAndLargeDocumentsAreRefusedCleanly) {
    const std::string deepYield = R"({"@type": "Recipe", "name": "x", "recipeYield": )" +
                                  std::string(100000, '[') + std::string(100000, ']') + "}";
    const std::string deepAuthor = R"({"@type": "Recipe", "name": "x", "author": )" +
                                   std::string(50000, '[') + "{" + std::string(50000, '{') + "}";
    for (const std::string& doc : {deepYield, deepAuthor}) {
        std::vector<ForeignRecipe> recipes;
        std::string error;
        EXPECT_FALSE(ParseRecipeDocument(doc, recipes, error));
        EXPECT_NE(std::string::npos, error.find("niveluri")) << error;
        EXPECT_TRUE(recipes.empty());
        // Inside a page: the block refuses itself, the page has no other recipe.
        std::string page = "<html><script type=\"application/ld+json\">" + doc + "</script>";
        EXPECT_FALSE(ParseRecipeDocument(page, recipes, error));
        EXPECT_NE(std::string::npos, error.find("niveluri")) << error;
    }
    Json value;
    std::string error;
    EXPECT_EQ(LenientJsonResult::Error,
              ParseLenientJson(std::string(kLenientJsonSizeLimit + 1, ' '), value, error));
    EXPECT_NE(std::string::npos, error.find("MB")) << error;
    // The limit itself is allowed.
    const std::string deepest =
        std::string(kLenientJsonDepthLimit, '[') + std::string(kLenientJsonDepthLimit, ']');
    EXPECT_EQ(LenientJsonResult::Value, ParseLenientJson(deepest, value, error)) << error;
    EXPECT_EQ(LenientJsonResult::Error, ParseLenientJson("[" + deepest + "]", value, error));
}

TEST(HtmlText, ReferencesAreDecodedOnceAndMarkupStaysText) {
    const std::pair<const char*, const char*> references[] = {
        {"&acirc;&icirc;&abreve;&scedil;&tcedil;&eacute;&ouml;", "âîăşţéö"},
        {"&amp;lt; &amp;amp;", "&lt; &amp;"},
        {"&#537;&#x21B;&#X103; &#128; &#0; &#x110000; &#xD800;", "șță € \uFFFD \uFFFD \uFFFD"},
        {"&AElig;&zwnj;&NotNestedGreaterGreater;&acE;", "Æ\u200C\u2AA2\u0338\u223E\u0333"},
        {"&lt&gt &amp done", "<> & done"},
        {"?a=1&copy=2&not;&notit; &notin;", "?a=1&copy=2¬&notit; ∉"},
        {"&nosuchname; & ; &#; &#x;", "&nosuchname; & ; &#; &#x;"},
        {"no references", "no references"},
    };
    for (const auto& [in, out] : references)
        EXPECT_EQ(out, DecodeHtmlEntities(in)) << in;
    EXPECT_EQ("&#x103;&#x2AA2;&#x338; &#x26; &#38; &nosuch;",
              NamedEntitiesAsNumeric("&abreve;&NotNestedGreaterGreater; &amp &#38; &nosuch;"));
    EXPECT_EQ("a&#x26;b &#x26;lt;", NamedEntitiesAsNumeric("a&amp;b &amp;lt;"));

    const std::pair<const char*, const char*> fragments[] = {
        {"<p>Unu</p><p>Doi<br>Trei</p>", "\nUnu\n\nDoi\nTrei\n"},
        {"<b>200 g</b> smântână", "200 g smântână"},
        {"1 cup flour <sau> 2 cups", "1 cup flour <sau> 2 cups"},
        {"&lt;img src=x&gt; &amp;lt;", "<img src=x> &lt;"},
        {"a <!-- ascuns --> b<script>alert(1)</script><style>p{}</style>", "a  b"},
        {"x &abreve; <i>y</i> &#x219;", "x ă y ș"},
        {"<ul><li>1</li><li>2</li></ul>", "\n\n1\n\n2\n\n"},
        {"3 < 4 <", "3 < 4 <"},
        {"<custom-card>ok</custom-card><section>s</section>", "ok\ns\n"},
    };
    for (const auto& [in, out] : fragments)
        EXPECT_EQ(out, HtmlFragmentText(in)) << in;
}

std::vector<ForeignRecipe> Parse(const std::string& doc) {
    std::vector<ForeignRecipe> recipes;
    std::string error;
    EXPECT_TRUE(ParseRecipeDocument(doc, recipes, error)) << doc << ": " << error;
    return recipes;
}

TEST(ImportFacts, TimesAreIsoDurationsOrNothing) {
    const struct {
        const char* written;
        const char* kept;
        bool noted;
    } cases[] = {
        {"PT15M", "PT15M", false},
        {"pt1h30m", "PT1H30M", false},
        {"P0DT1H", "P0DT1H", false},
        {"PT90M", "PT90M", false},
        {"P1DT2H", "P1DT2H", false},
        {"PT0.5H", "PT0.5H", false},
        {"PT0M", "", false},
        {"P0D", "", false},
        {"PT", "", true},
        {"PT-5M", "", true},
        {"PT5M1H", "", true},
        {"P400D", "", true},
        {"PT15", "", true},
        {"PTM", "", true},
        {"30 de minute", "30 de minute", false},
    };
    for (const auto& c : cases) {
        const auto recipes =
            Parse(std::string(R"({"@type": "Recipe", "name": "T", "prepTime": ")") + c.written +
                  R"(", "recipeIngredient": ["sare"]})");
        ASSERT_EQ(1u, recipes.size());
        EXPECT_EQ(c.kept, recipes[0].model.facts.prepTime) << c.written;
        bool noted = false;
        for (const std::string& note : recipes[0].notes)
            noted = noted || note.find("prepTime") != std::string::npos;
        EXPECT_EQ(c.noted, noted) << c.written;
    }
}

// Only web addresses are kept as the image: nothing imported may name a file here.
TEST(ImportFacts, ImagesAreWebAddressesOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {R"("https://a.example/x.jpg")", "https://a.example/x.jpg"},
        {R"(["", {"@type": "ImageObject", "contentUrl": "http://a.example/y.png"}])",
         "http://a.example/y.png"},
        {R"({"@id": "HTTPS://A.example/z.webp"})", "HTTPS://A.example/z.webp"},
        {R"("pers.txt")", ""},
        {R"("file:///etc/passwd")", ""},
        {R"("/wp-content/uploads/x.jpg")", ""},
        {R"("https://a.example/x.jpg\" onerror=\"x")", ""},
    };
    for (const auto& [image, kept] : cases) {
        const auto recipes = Parse(std::string(R"({"@type": "Recipe", "name": "I", "image": )") +
                                   image + R"(, "recipeIngredient": ["sare"]})");
        EXPECT_EQ(kept, recipes.at(0).model.facts.image) << image;
    }
}

// Markup written as text in the data stays text on the recipe page: escaped there, nothing
// of it live, the page whole to its end.
TEST(ImportFacts, EscapedMarkupIsShownAsText) {
    const auto recipes = Parse(ReadBack(std::string(kImportSamples) + "/entities_ro.html"));
    ASSERT_EQ(1u, recipes.size());
    EXPECT_FALSE(BookLayoutHolds(recipes[0])); // "#", "~" and "<sau>" need the lossless form
    const std::string page = RenderRecipePageText("test", recipes[0].model);
    EXPECT_EQ(std::string::npos, page.find("<img")) << page;
    EXPECT_EQ(std::string::npos, page.find("<!-- comentariu")) << page;
    EXPECT_EQ(std::string::npos, page.find("<sau>")) << page;
    EXPECT_NE(std::string::npos, page.find("&lt;img src=x onerror=alert(1)&gt;")) << page;
    EXPECT_NE(std::string::npos, page.find("200 g făină &lt;sau&gt; 2 căni")) << page;
    EXPECT_NE(std::string::npos, page.find("ardei #2")) << page;
    EXPECT_NE(std::string::npos, page.find("(&lt;100°C)")) << page;
    EXPECT_TRUE(page.ends_with("</html>")) << page;
}

// "1½ kg" doubled is "3 kg", as "1 1/2 kg" is.
TEST(ImportFacts, FractionsAsWrittenScale) {
    const std::pair<const char*, const char*> cases[] = {
        {"1½ kg cartofi", "3 kg cartofi"}, {"1 1/2 kg cartofi", "3 kg cartofi"},
        {"½ kg cartofi", "1 kg cartofi"},  {"1 ½ kg cartofi", "3 kg cartofi"},
        {"¾ l lapte", "1,5 l lapte"},
    };
    for (const auto& [item, doubled] : cases)
        EXPECT_EQ(doubled, ScaleUtf8Item(item, 2.0)) << item;
}

} // namespace

namespace {

// A range of servings is scaled from its first number and keeps its text through the
// lossless form; a yield of things keeps its text and states no servings.
TEST(ImportFacts, YieldNotesSurviveTheLosslessForm) {
    const std::pair<const char*, int> cases[] = {
        {R"("4-6 portions")", 4}, {R"("Makes 24 cookies")", 0}, {R"("Serves 4")", 4}};
    for (const auto& [yield, servings] : cases) {
        const auto recipes =
            Parse(std::string(R"({"@type": "Recipe", "name": "Y", "recipeYield": )") + yield +
                  R"(, "recipeIngredient": ["sare"]})");
        const Recipe& model = recipes.at(0).model;
        EXPECT_EQ(servings, model.servings) << yield;
        const auto again = ReadLosslessRecipe(LosslessRecipeText(model));
        ASSERT_TRUE(again.has_value()) << yield;
        EXPECT_EQ(model.servings, again->servings) << yield;
        EXPECT_EQ(model.facts.yieldNote, again->facts.yieldNote) << yield;
        EXPECT_EQ(LosslessRecipeText(model), LosslessRecipeText(*again)) << yield;
    }
}

// Pages that say the same recipe in JSON-LD and in microdata give it once; microdata counts
// only where the blocks have none.
TEST(ImportFacts, MicrodataOnlyWhereTheBlocksHaveNoRecipe) {
    const std::string microdata =
        R"(<div itemscope itemtype="https://schema.org/Recipe"><b itemprop="name">Micro</b>)"
        R"(<span itemprop="recipeIngredient">1 ou</span></div>)";
    const std::string block =
        R"(<script type="application/ld+json">{"@type": "Recipe", "name": "Bloc", )"
        R"("recipeIngredient": ["1 ou"]}</script>)";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"<html><body>" + microdata, {"Micro"}},
        {"<html><head>" + block + "</head><body>" + microdata, {"Bloc"}},
        {"<html><body>" + microdata + microdata, {"Micro", "Micro"}},
    };
    for (const auto& [page, titles] : cases) {
        std::vector<std::string> got;
        for (const ForeignRecipe& r : Parse(page))
            got.push_back(r.model.title);
        EXPECT_EQ(titles, got) << page;
    }
}

} // namespace

namespace {

// A recipe of a name or a yield alone is reported, not stored as an empty recipe; the one
// beside it that has a step is stored.
TEST(ImportFacts, RecipesWithNothingToCookAreReportedNotStored) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    const ImportReport report = ImportRecipeFile(std::string(kImportSamples) + "/only_yield.json");
    ASSERT_TRUE(report.error.empty()) << report.error;
    ASSERT_EQ(3u, report.recipes.size());
    EXPECT_EQ(kImportEmpty, report.recipes[0].reason);
    EXPECT_EQ(kImportEmpty, report.recipes[1].reason);
    EXPECT_FALSE(report.recipes[0].stored || report.recipes[1].stored);
    EXPECT_TRUE(report.recipes[2].stored) << report.recipes[2].reason;
    EXPECT_EQ(1, report.StoredCount());
    EXPECT_EQ(1u, ReadListFile(kOwnRecipeList).value_or(std::vector<std::string>()).size());
    const std::string text = ImportReportText("only_yield.json", report);
    EXPECT_NE(std::string::npos, text.find("1 importate, 0 actualizate, 2 s\xe3rite")) << text;
}

} // namespace

namespace {

// Texts past the model's limits are cut between characters, never inside one.
TEST(ImportFacts, LongTextsAreCutBetweenCharacters) {
    const std::string name = std::string(2998, 'a') + "ăăă";
    const auto recipes = Parse(R"({"@type": "Recipe", "name": ")" + name +
                               R"(", "recipeIngredient": [")" + name + R"("]})");
    const Recipe& model = recipes.at(0).model;
    EXPECT_EQ(std::string(2998, 'a'), model.title);
    ASSERT_EQ(1u, ItemCount(model));
    EXPECT_EQ(std::string(2998, 'a'), model.sections.at(0).items.at(0));
}

} // namespace

namespace {

// Microdata as its rules read it: a nested item's properties are its own, not the outer
// item's; values from content=, datetime=, src (or the address a lazy image keeps aside),
// href; several names in one itemprop; script blocks gathered whatever the case of "type".
TEST(WebPageReading, MicrodataItemsAndBlocks) {
    const std::string html =
        R"(<html><head><SCRIPT Type="Application/LD+JSON; charset=utf-8">{"a": "</p>"}</SCRIPT>)"
        R"(</head><body><div itemscope itemtype="https://schema.org/Recipe">)"
        R"(<h1 itemprop="name">Tocăniţă</h1>)"
        R"(<div itemprop="author" itemscope itemtype="https://schema.org/Person">)"
        R"(<span itemprop="name">Ana</span></div>)"
        R"(<meta itemprop="totalTime" content="PT1H"><time itemprop="cookTime" datetime="PT50M">50</time>)"
        R"(<img itemprop="image" src="data:," data-lazy-src="https://x.example/t.jpg">)"
        R"(<a itemprop="url" href="https://x.example/t">aici</a>)"
        R"(<span itemprop="recipeIngredient ingredients">1 &abreve;</span></div>)"
        R"(<p itemprop="name">outside every item</p></body></html>)";
    WebPage page;
    std::string error;
    ASSERT_TRUE(ReadWebPage(html, page, error)) << error;
    EXPECT_EQ((std::vector<std::string>{R"({"a": "</p>"})"}), page.jsonLdBlocks);
    ASSERT_EQ(2u, page.items.size());
    EXPECT_TRUE(page.items[0].topLevel);
    EXPECT_FALSE(page.items[1].topLevel);
    EXPECT_EQ("https://schema.org/Person", page.items[1].type);
    std::vector<std::string> outer;
    for (const auto& [key, value] : page.items[0].properties)
        outer.push_back(key + "=" +
                        (value.item >= 0 ? "#" + std::to_string(value.item) : value.text));
    EXPECT_EQ(
        (std::vector<std::string>{"name=Tocăniţă", "author=#1", "totalTime=PT1H", "cookTime=PT50M",
                                  "image=https://x.example/t.jpg", "url=https://x.example/t",
                                  "recipeIngredient=1 ă", "ingredients=1 ă"}),
        outer);
    ASSERT_EQ(1u, page.items[1].properties.size());
    EXPECT_EQ("Ana", page.items[1].properties[0].second.text);
}

} // namespace

namespace {

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (NextUtf8(text, i) == 0xFFFD && text.substr(at, 3) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

// A page that declares UTF-8 and holds broken bytes gives UTF-8 all the same, each broken
// byte a replacement character.
TEST(WebPageReading, BrokenBytesOfAPageBecomeReplacementCharacters) {
    const std::string html =
        "<!DOCTYPE html>\n<h\xFF\xFF\xFFtml><head><meta charset=\"utf-8\"></head><body>"
        "<div itemscope itemtype=\"https://schema.org/Recipe\"><h1 itemprop=\"name\">Pl&"
        "\xD9"
        "259;cint\xC4</h1><span itemprop=\"recipeIngredient\">1 m\xE3r</span></div>";
    for (const ForeignRecipe& recipe : Parse(html)) {
        EXPECT_TRUE(IsUtf8(recipe.model.title)) << recipe.model.title;
        for (const std::string_view item : AllItems(recipe.model))
            EXPECT_TRUE(IsUtf8(item)) << item;
    }
    WebPage page;
    std::string error;
    ASSERT_TRUE(ReadWebPage(html, page, error));
    ASSERT_EQ(1u, page.items.size());
    for (const auto& [key, value] : page.items[0].properties)
        EXPECT_TRUE(IsUtf8(value.text)) << key << ": " << value.text;
}

} // namespace
