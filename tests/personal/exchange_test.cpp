// schema.org Recipe JSON-LD in and out: the shapes recipe sites and recipe programs write, the
// store's rules on import, and own recipes surviving a trip out and back in.
#include "catalogue/recipe.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/records.h"
#include "core/scramble.h"
#include "personal/exchange.h"
#include "personal/store.h"
#include "support/support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

using namespace savorel;
using namespace savorel::testing;
using Json = nlohmann::json;

namespace {

// Expectations are written in UTF-8 for the eye; the store holds Windows-1250.
std::string W(std::string_view utf8) {
    return Utf8ToCp1250(utf8);
}

std::string Sample(const std::string& name) {
    return ReadBack(std::string(EXCHANGE_SAMPLES_DIR) + "/" + name);
}

struct SampleCase {
    const char* file;
    std::size_t count;
    // The first recipe found, as own recipe fields.
    const char* name;
    const char* author;
    const char* ingredients;
    const char* preparation;
    const char* note; // part of a note expected on it, or ""
};

void PrintTo(const SampleCase& c, std::ostream* os) {
    *os << c.file;
}

class SampleDocuments : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleDocuments, BecomeOwnRecipeFields) {
    const SampleCase& c = GetParam();
    std::vector<ForeignRecipe> recipes;
    std::string error;
    ASSERT_TRUE(ParseRecipeDocument(Sample(c.file), recipes, error)) << error;
    ASSERT_EQ(c.count, recipes.size());
    const OwnRecipeFields& f = recipes.front().fields;
    EXPECT_EQ(W(c.name), f.name);
    EXPECT_EQ(W(c.author), f.author);
    EXPECT_EQ(W(c.ingredients), f.ingredients);
    EXPECT_EQ(W(c.preparation), f.preparation);
    const auto& notes = recipes.front().notes;
    if (*c.note == '\0') {
        EXPECT_TRUE(notes.empty()) << notes.front();
    } else {
        ASSERT_EQ(1u, notes.size());
        EXPECT_NE(std::string::npos, notes.front().find(W(c.note))) << notes.front();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SampleDocuments,
    ::testing::Values(
        // One object: yield as text, comma-below letters, typographic quotes and dashes, an
        // ellipsis, a fraction, and a character the code page cannot hold.
        SampleCase{"object.json", 1, "Salată de vinete \"de casă\"", "Ioana Ştefănescu",
                   "4 porţii; 3 vinete mari; 1 ceapă; 100 ml ulei - de floarea-soarelui; "
                   "1/2 linguriţă sare ?",
                   "Coace vinetele pe plită.\r\nCurăţă-le şi toacă-le cu ceapa...", "U+1F9C2"},
        // An array: yield as a number, authors as people, headings kept with their items,
        // HowToStep texts with a line break.
        SampleCase{"array.json", 2, "Chiftele cu sos", "Ana, Mihai",
                   "6 porţii; Pentru chiftele: 500 g carne tocată; 1 ou; Pentru sos: 400 ml suc "
                   "de roşii",
                   "Formează chiftelele.\r\nFierbe sucul\r\ncu chiftelele.", ""},
        // An @graph with other nodes, @type as a list, yield as a list, HowToSection. The
        // yield ["2", "2 cozonaci"] counts cakes, not people: a note, no servings.
        SampleCase{"graph.jsonld", 1, "Cozonac cu nucă", "Elena", "1 kg făină; 300 g nucă",
                   "Aluatul:\r\nFrământă aluatul.\r\nLasă-l să crească.\r\nUmplutura:\r\nMacină "
                   "nuca.",
                   "2 cozonaci"},
        // A saved page: only ld+json blocks count, markup and character references go.
        SampleCase{"page.html", 1, "Papanaşi & smântână", "",
                   "8 porţii; 500 g brânză de vaci; 2 ouă; 200 g smântână",
                   "Amestecă brânza cu ouăle.\r\nPrăjeşte papanaşii.", ""},
        // Missing fields: a name alone, and a yield without a number (said so).
        SampleCase{"missing.json", 2, "Doar numele", "", "", "", "o tavă"}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(RecipeExchange, RefusedDocumentsStoreNothing) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    const std::pair<const char*, const char*> cases[] = {
        {"malformed.json", "nu este JSON valid"},
        {"noschema.json", "nicio reteta"},
    };
    for (const auto& [file, words] : cases) {
        const ImportReport report =
            ImportRecipeFile(std::string(EXCHANGE_SAMPLES_DIR) + "/" + file);
        EXPECT_NE(std::string::npos, report.error.find(words)) << file << ": " << report.error;
        EXPECT_TRUE(report.recipes.empty()) << file;
    }
    // A page whose one ld+json block is broken is refused whole, as is a missing file.
    std::vector<ForeignRecipe> recipes;
    std::string error;
    EXPECT_FALSE(ParseRecipeDocument(
        "<html><script type=\"application/ld+json\">{\"@type\": \"Recipe\",</script></html>",
        recipes, error));
    EXPECT_NE(std::string::npos, error.find("blocul application/ld+json nr. 1")) << error;
    EXPECT_FALSE(ImportRecipeFile("no-such-file.json").error.empty());
    EXPECT_FALSE(Exists("pers.txt"));
    EXPECT_FALSE(Exists("xet1.txt"));
    EXPECT_EQ("m Supe\nh Ciorbe\n", ReadBack("virt-dir.txt", true));
}

TEST(RecipeExchange, TransliteratesWhatTheCodePageLacks) {
    const std::pair<const char*, const char*> cases[] = {
        {"ș ț Ș Ț", "ş ţ Ş Ţ"},           {"‘a’ “b” „c” «d»", "'a' \"b\" \"c\" \"d\""},
        {"1–2 — 3‑4 −5", "1-2 - 3-4 -5"}, {"ceapa… ¼ ¾ ⅓", "ceapa... 1/4 3/4 1/3"},
        {"200\u00A0g\u200B", "200 g"},    {"180 °C, 2×", "180 °C, 2×"},
    };
    for (const auto& [in, out] : cases) {
        std::vector<std::string> unheld;
        EXPECT_EQ(W(out), TransliterateToCp1250(in, unheld)) << in;
        EXPECT_TRUE(unheld.empty()) << in;
    }
    std::vector<std::string> unheld;
    EXPECT_EQ("? ? ?", TransliterateToCp1250("★ 😀 ★", unheld));
    EXPECT_EQ((std::vector<std::string>{"U+2605", "U+1F600"}), unheld);
}

// A yield becomes the book's servings item, "de" included from 20 up; an item that already
// states servings is kept as written.
TEST(RecipeExchange, YieldBecomesTheBooksServingsItem) {
    const struct {
        const char* yield;
        const char* ingredients;
        const char* expected;
    } cases[] = {
        {"1", R"(["sare"])", "1 porţie; sare"},
        {"\"19 servings\"", R"(["sare"])", "19 porţii; sare"},
        {"20", R"(["sare"])", "20 de porţii; sare"},
        {"\"24 portions\"", R"(["sare"])", "24 de porţii; sare"},
        {"30", R"(["30 de porţii", "sare"])", "30 de porţii; sare"},
        {"24", R"(["24 porţii", "sare"])", "24 porţii; sare"},
    };
    for (const auto& c : cases) {
        const std::string doc = std::string(R"({"@type": "Recipe", "name": "Zacuscă", )") +
                                "\"recipeYield\": " + c.yield +
                                ", \"recipeIngredient\": " + c.ingredients + "}";
        std::vector<ForeignRecipe> recipes;
        std::string error;
        ASSERT_TRUE(ParseRecipeDocument(doc, recipes, error)) << error;
        ASSERT_EQ(1u, recipes.size());
        EXPECT_EQ(W(c.expected), recipes.front().fields.ingredients) << doc;
    }
}

// An own recipe file read back as the editor's fields, in either form (Windows-1250; a
// lossless recipe's items joined by "; ", its steps by line breaks).
OwnRecipeFields StoredFields(const std::string& file) {
    const std::string text = ReadBack(file, true);
    if (!IsLosslessText(text)) {
        const LoadedOwnRecipe own = ParseOwnRecipe(text);
        return {own.author, own.name, own.ingredients, own.preparation};
    }
    const auto model = ReadLosslessRecipe(text);
    if (!model)
        return {};
    OwnRecipeFields fields{Utf8ToCp1250Folded(model->author), ListTitleOf(*model), "", ""};
    if (const auto servings = ServingsOf(*model))
        fields.ingredients =
            W("") + std::to_string(*servings) + (*servings == 1 ? " portie" : " portii");
    for (const RecipeSection& section : model->sections) {
        if (section.hasHeading)
            fields.ingredients += (fields.ingredients.empty() ? "" : "; ") +
                                  Utf8ToCp1250Folded(section.heading) + ":";
        for (const std::string& item : section.items)
            fields.ingredients +=
                (fields.ingredients.empty() || fields.ingredients.back() == ':' ? "" : "; ") +
                Utf8ToCp1250Folded(item);
    }
    for (const std::string& step : model->steps)
        fields.preparation += (fields.preparation.empty() ? "" : "\r\n") + Utf8ToCp1250Folded(step);
    return fields;
}

// Items that hold nothing once converted (zero-width characters, soft hyphens, no-break
// blanks) are dropped as empty items are, wherever they stand among the others.
TEST(RecipeExchange, ItemsOfInvisibleCharactersAreNoItems) {
    const struct {
        const char* ingredients;
        const char* expected;
    } cases[] = {
        {R"(["\u200B"])", ""},
        {R"(["\u200B\u200C\u200D\uFEFF\u00AD"])", ""},
        {R"(["sare", "\u200B", "piper"])", "sare; piper"},
        {R"(["Sos:", "\u00A0\u200B\u00A0", "ulei"])", "Sos: ulei"},
        {R"("\u200B")", ""},
        {R"(["\u00A0sare\u00A0\u00A0fina\u200B"])", "sare fina"},
    };
    for (const auto& c : cases) {
        const std::string doc = std::string(R"({"@type": "Recipe", "name": "Zacuscă", )") +
                                "\"recipeIngredient\": " + c.ingredients + "}";
        std::vector<ForeignRecipe> recipes;
        std::string error;
        ASSERT_TRUE(ParseRecipeDocument(doc, recipes, error)) << error;
        ASSERT_EQ(1u, recipes.size());
        EXPECT_EQ(W(c.expected), recipes.front().fields.ingredients) << c.ingredients;
    }
}

TEST(RecipeExchange, StoresEachOnceWithTheStoresLimitsAndReports) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    const std::string array = std::string(EXCHANGE_SAMPLES_DIR) + "/array.json";
    const ImportReport first = ImportRecipeFile(array);
    ASSERT_TRUE(first.error.empty()) << first.error;
    ASSERT_EQ(2u, first.recipes.size());
    EXPECT_EQ(2, first.StoredCount());
    EXPECT_EQ("xet1.txt", first.recipes[0].fileName);
    EXPECT_EQ("xet2.txt", first.recipes[1].fileName);
    EXPECT_EQ("Ana, Mihai", StoredFields("xet1.txt").author);
    EXPECT_EQ(6, ServingsOfRecipe(ReadBack("xet1.txt", true)));
    EXPECT_NE(std::string::npos, ReadBack("virt-dir.txt", true).find("~ xet2.txt"));

    // The same recipes again: passed over, nothing written.
    const ImportReport again = ImportRecipeFile(array);
    EXPECT_EQ(0, again.StoredCount());
    for (const ImportedRecipe& r : again.recipes)
        EXPECT_EQ(kImportDuplicate, r.reason);
    EXPECT_FALSE(Exists("xet3.txt"));
    const std::string text = ImportReportText("array.json", again);
    EXPECT_NE(std::string::npos,
              text.find(W("sărită: Chiftele cu sos: ") + std::string(kImportDuplicate)))
        << text;
    EXPECT_NE(std::string::npos, text.find(W("0 importate, 0 actualizate, 2 sărite"))) << text;

    // The same name with other ingredients is another recipe; the store's checks still hold.
    ForeignRecipe other, nameless, huge;
    other.fields = {"", "Chiftele cu sos", "300 g carne", ""};
    nameless.fields = {"", "", "1 ou", ""};
    huge.fields = {"", "Lunga", std::string(kIngredientsFieldLimit + 1, 'a'), ""};
    const ImportReport mixed = StoreForeignRecipes({other, nameless, huge});
    ASSERT_EQ(3u, mixed.recipes.size());
    EXPECT_TRUE(mixed.recipes[0].stored);
    EXPECT_EQ(kNameMissing, mixed.recipes[1].reason);
    EXPECT_EQ(kIngredientsTooLong, mixed.recipes[2].reason);
    EXPECT_EQ(3u, ReadListFile(kOwnRecipeList)->size());
}

// Own recipes as the editor saves them, out through the export and into an empty data folder.
TEST(RecipeExchange, OwnRecipesSurviveARoundTrip) {
    const OwnRecipeFields originals[] = {
        {"Maria Popescu", W("Plăcintă cu brânză"),
         W("6 porţii; Aluat: 500 g făină, 250 ml lapte; Umplutură: 500 g brânză; 2 ouă."),
         W("Frământă aluatul.\r\nÎntinde foaia, pune umplutura şi coace 40 de minute.")},
        {"", "Supa simpla", "1 l apa; 2 morcovi; sare", "Se fierbe totul."},
        {"Ion", W("Ţuică fiartă"), W("1 portie; 100 ml ţuică; zahăr"), "Se incalzeste."},
    };
    std::string json;
    {
        TempDataDir source;
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
        for (const OwnRecipeFields& f : originals)
            ASSERT_EQ(WorkingFileResult::Written, SaveFromEditor(SaveMode::NewRecipe, f).written);
        const auto entries = ExportEntries(true);
        ASSERT_TRUE(entries);
        ASSERT_EQ(3u, entries->size());
        std::vector<std::string> unreadable;
        json = ExportRecipes(*entries, unreadable);
        EXPECT_TRUE(unreadable.empty());
    }
    TempDataDir target;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    std::vector<ForeignRecipe> parsed;
    std::string error;
    ASSERT_TRUE(ParseRecipeDocument(json, parsed, error)) << error;
    const ImportReport report = StoreForeignRecipes(parsed);
    ASSERT_EQ(3, report.StoredCount());
    // The items after the servings item: that one is written anew from recipeYield.
    const auto items = [](const std::string& ingredients) {
        const auto servings = ServingsOfIngredients(ingredients);
        std::vector<std::string> out;
        for (const IngredientItem& i : SplitIngredientItems(
                 std::string_view(ingredients).substr(servings ? servings->prefixLength : 0))) {
            std::string text = (i.hasHeading ? i.heading + ":" : "") + i.text;
            std::erase_if(text, [](char c) { return c == ' '; });
            if (!text.empty())
                out.push_back(text);
        }
        return out;
    };
    for (std::size_t n = 0; n < 3; ++n) {
        const auto back = std::make_optional(StoredFields("xet" + std::to_string(n + 1) + ".txt"));
        const OwnRecipeFields& o = originals[n];
        EXPECT_EQ(o.name, back->name);
        EXPECT_EQ(o.author, back->author);
        EXPECT_EQ(items(o.ingredients), items(back->ingredients)) << back->ingredients;
        EXPECT_EQ(o.preparation, back->preparation);
        const auto servingsOf = [](const std::string& ingredients) {
            const auto s = ServingsOfIngredients(ingredients);
            return s ? s->servings : 0;
        };
        EXPECT_EQ(servingsOf(o.ingredients), servingsOf(back->ingredients)) << back->ingredients;
    }
}

// The figure per portion is the nearest whole number, never the one below it.
TEST(RecipeExchange, ExportedKcalPerPortionIsRounded) {
    const std::string book = W("#\nSupă\n#\n4 porţii; 500 g fasole\n#\nFierbe.");
    const std::pair<double, const char*> cases[] = {
        {1003.0, "251 kcal"}, {1002.0, "251 kcal"}, {1001.0, "250 kcal"}, {3.9, "1 kcal"}};
    for (const auto& [total, expected] : cases) {
        const Json recipe = Json::parse(RecipeJsonLd({"RET009.TXT", "", ""}, book, {true, total}));
        EXPECT_EQ(expected, recipe["nutrition"]["calories"]) << total;
    }
}

TEST(RecipeExchange, ExportedObjectFollowsTheSchema) {
    const std::string book = W("#\nCiorbă de fasole\n#\n4 porţii; Pentru ciorbă: 500 g fasole; "
                               "1 ceapă\n#\nFierbe fasolea.\r\n\r\nAdaugă ceapa.");
    const Json perPortion =
        Json::parse(RecipeJsonLd({"RET009.TXT", "Supe", "Ciorbe"}, book, {true, 1001.6}));
    EXPECT_EQ("https://schema.org", perPortion["@context"]);
    EXPECT_EQ("Recipe", perPortion["@type"]);
    EXPECT_EQ("Ciorbă de fasole", perPortion["name"]);
    EXPECT_EQ("RET009.TXT", perPortion["identifier"]);
    EXPECT_EQ("Supe", perPortion["recipeCategory"]);
    EXPECT_EQ("Ciorbe", perPortion["keywords"]);
    EXPECT_EQ("4 porţii", perPortion["recipeYield"]);
    EXPECT_EQ(Json({"Pentru ciorbă:", "500 g fasole", "1 ceapă"}), perPortion["recipeIngredient"]);
    EXPECT_EQ(Json::parse(R"([{"@type":"HowToStep","text":"Fierbe fasolea."},
                               {"@type":"HowToStep","text":"Adaugă ceapa."}])"),
              perPortion["recipeInstructions"]);
    EXPECT_EQ("NutritionInformation", perPortion["nutrition"]["@type"]);
    EXPECT_EQ("250 kcal", perPortion["nutrition"]["calories"]);
    EXPECT_FALSE(perPortion.contains("author"));
    EXPECT_FALSE(perPortion.contains("caloriesWholeRecipe"));

    // No servings: the whole recipe's figure under a name that says so; an author when the
    // file names one; no figure at all when not every ingredient was understood.
    const std::string own = "Ana\n#\nOua fierte\n#\n2 oua\n#\nSe fierb.";
    const Json whole = Json::parse(RecipeJsonLd({"xet1.txt", "", ""}, own, {true, 155.0}));
    EXPECT_EQ("155 kcal", whole["caloriesWholeRecipe"]);
    EXPECT_FALSE(whole.contains("nutrition"));
    EXPECT_FALSE(whole.contains("recipeYield"));
    EXPECT_FALSE(whole.contains("recipeCategory"));
    EXPECT_EQ(Json({{"@type", "Person"}, {"name", "Ana"}}), whole["author"]);
    const Json unknown = Json::parse(RecipeJsonLd({"xet1.txt", "", ""}, own, {false, 155.0}));
    EXPECT_FALSE(unknown.contains("caloriesWholeRecipe"));
    EXPECT_FALSE(unknown.contains("nutrition"));
}

} // namespace
