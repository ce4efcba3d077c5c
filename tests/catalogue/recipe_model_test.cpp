#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "catalogue/recipe_model.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/scramble.h"
#include "personal/store.h"
#include "search/search.h"
#include "viewing/calories.h"
#include "viewing/recipe_view.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace savorel;
using namespace savorel::testing;

namespace {

Recipe SampleRecipe() {
    Recipe r;
    r.form = RecipeForm::Lossless;
    r.hasTitle = r.hasPreparation = true;
    r.title = "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
              "e \"de cas\xc4\x83\"";
    r.author = "Ana \xe2\x80\x9eMaria\xe2\x80\x9d";
    r.sections = {
        {false,
         "",
         {"3 c\xc4\x83\xc5\xa3"
          "ei de usturoi, pisa\xc5\xa3i",
          "1 lb. chicken"}},
        {true, "Sos", {"to serve: tofu", "1 jalape\xc3\xb1o", "100 ml sm\xc3\xb8r \\ lapte"}},
        {true, "", {}}};
    r.steps = {"Se \xc3\xaenc\xc4\x83lze\xc8\x99te cuptorul la 180\xc2\xb0"
               "C.",
               "Se coace 40 de minute."};
    r.servings = 6;
    r.facts.sourceUrl = "https://example.org/a?b=1&c=<2>";
    r.facts.prepTime = "PT15M";
    r.facts.cookTime = "PT1H30M";
    r.facts.description = "Desert \xe2\x80\x94 u\xc8\x99or.\nPe dou\xc4\x83 r\xc3\xa2nduri.";
    r.facts.identifier = "savorel:0123456789abcdef0123456789abcdef";
    r.facts.category = "Deserturi";
    r.facts.keywords = "crem\xc4\x83, cuptor";
    r.facts.language = "ro";
    return r;
}

void ExpectSameRecipe(const Recipe& a, const Recipe& b) {
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.author, b.author);
    ASSERT_EQ(a.sections.size(), b.sections.size());
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        EXPECT_EQ(a.sections[i].hasHeading, b.sections[i].hasHeading) << i;
        EXPECT_EQ(a.sections[i].heading, b.sections[i].heading) << i;
        EXPECT_EQ(a.sections[i].items, b.sections[i].items) << i;
    }
    EXPECT_EQ(a.steps, b.steps);
    EXPECT_EQ(a.servings, b.servings);
    EXPECT_EQ(a.facts.sourceUrl, b.facts.sourceUrl);
    EXPECT_EQ(a.facts.prepTime, b.facts.prepTime);
    EXPECT_EQ(a.facts.cookTime, b.facts.cookTime);
    EXPECT_EQ(a.facts.description, b.facts.description);
    EXPECT_EQ(a.facts.identifier, b.facts.identifier);
    EXPECT_EQ(a.facts.category, b.facts.category);
    EXPECT_EQ(a.facts.keywords, b.facts.keywords);
    EXPECT_EQ(a.facts.language, b.facts.language);
}

TEST(RecipeModel, TheLosslessFormKeepsEveryPieceThroughAWriteAndARead) {
    const Recipe original = SampleRecipe();
    const std::string text = LosslessRecipeText(original);
    ASSERT_TRUE(IsLosslessText(text));
    std::string error;
    const auto read = ReadLosslessRecipe(text, &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(RecipeForm::Lossless, read->form);
    ExpectSameRecipe(original, *read);
    // Written again, the same bytes: a load and save changes nothing.
    EXPECT_EQ(text, LosslessRecipeText(*read));
    // The text is other programs' schema.org Recipe: the items a plain list, one per item.
    EXPECT_NE(std::string::npos, text.find("\"recipeIngredient\""));
    EXPECT_NE(std::string::npos, text.find("\"1 lb. chicken\""));
}

TEST(RecipeModel, TheBookFormGivesTheItemsItsPageShows) {
    const std::string text = "\n#\nTort#6 portii; 200 g faina, 3 oua; Crema: 1,5 l lapte. zahar#\n"
                             "Se amesteca.";
    const Recipe r = ReadBookRecipe(text);
    EXPECT_EQ(RecipeForm::Book, r.form);
    EXPECT_EQ("Tort", r.title);
    ASSERT_EQ(2u, r.sections.size());
    EXPECT_EQ((std::vector<std::string>{"6 portii", " 200 g faina", " 3 oua"}),
              r.sections[0].items);
    EXPECT_TRUE(r.sections[1].hasHeading);
    EXPECT_EQ(" Crema", r.sections[1].heading);
    EXPECT_EQ((std::vector<std::string>{" 1,5 l lapte", " zahar"}), r.sections[1].items);
    EXPECT_EQ(6, ServingsOf(r));
    EXPECT_EQ(text, SearchTextOf(r));
    EXPECT_FALSE(IsLosslessText(text));
    // Text that only looks like JSON stays the book's.
    EXPECT_FALSE(IsLosslessText("{ \"name\": 1 }"));
    EXPECT_TRUE(IsLosslessText(" \n{\n\t\"@context\": 1}"));
}

// The page as the book's rule writes it, built here from the rule itself.
std::string ReferenceBookPage(const std::string& name, std::string_view text) {
    std::string page =
        "<!--" + name + "--><html><BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>";
    const std::size_t h1 = text.find('#');
    if (h1 == std::string_view::npos)
        return page + "\n<hr>\n</BODY>\n</html>";
    const std::size_t h2 = text.find('#', h1 + 1);
    if (h2 == std::string_view::npos)
        return page + "\n<hr>\n</BODY>\n</html>";
    std::string title;
    for (char c : text.substr(h1 + 1, h2 - h1 - 1))
        if (c != '\r' && c != '\n' && title.size() < kTitleLimit)
            title += c;
    page += "<b>" + title + "</b><hr>\n";
    const std::size_t h3 = text.find('#', h2 + 1);
    std::string ingredients;
    for (char c : text.substr(h2 + 1, (h3 == std::string_view::npos ? text.size() : h3) - h2 - 1))
        if (c != '\r' && ingredients.size() < kIngredientsLimit)
            ingredients += c == '\n' ? ' ' : c;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= ingredients.size(); ++i) {
        const bool end = i == ingredients.size();
        const char c = end ? ';' : ingredients[i];
        const bool cut = c == ';' || ((c == '.' || c == ',') && i > 0 &&
                                      !(ingredients[i - 1] >= '0' && ingredients[i - 1] <= '9'));
        if (!cut || (end && start >= ingredients.size()))
            continue;
        std::string item = ingredients.substr(start, i - start);
        start = i + 1;
        const std::size_t colon = item.find(':');
        if (colon != std::string::npos) {
            page += "<p><b>" + item.substr(0, std::min(colon, kItemLimit)) + "</b>\n";
            item = item.substr(colon + 1);
        }
        page += "<li>" + item.substr(0, kItemLimit) + "\n";
    }
    page += "\n<hr>";
    if (h3 != std::string_view::npos && h3 + 2 <= text.size())
        for (char c : text.substr(h3 + 2))
            page += (c == '\r' || c == '\n') ? ' ' : c;
    return page + "\n</BODY>\n</html>";
}

TEST(RecipeModel, EveryBookRecipePageIsWrittenByteForByteAsBefore) {
    std::size_t checked = 0;
    // The book's sources beside the tests (the test programs share one set of definitions).
    const std::filesystem::path book =
        std::filesystem::path(EXCHANGE_SAMPLES_DIR) / ".." / ".." / ".." / "book";
    for (const auto& entry : std::filesystem::directory_iterator(book)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("RET", 0) != 0)
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string text = bytes.str();
        ASSERT_EQ(ReferenceBookPage(name, text), RenderRecipePageText(name, text)) << name;
        const Recipe r = ReadRecipe(text);
        EXPECT_EQ(RecipeForm::Book, r.form) << name;
        // The calorie calculator still cuts the stored ingredients by its own rule.
        const std::size_t second = text.find('#', text.find('#') + 1);
        EXPECT_EQ(text.substr(second + 1, text.find('#', second + 1) - second - 1),
                  CalorieInputOf(r).text)
            << name;
        ++checked;
    }
    EXPECT_GE(checked, 740u);
}

TEST(RecipeModel, ALosslessPageEscapesMarkupAndKeepsEveryItemWhole) {
    Recipe r = SampleRecipe();
    r.title = "<script>alert(1)</script> & co";
    r.sections[0].items.push_back("<img src=x onerror=alert(2)>");
    r.steps.push_back("&lt;!-- <b>nu</b>");
    const std::string page = RenderRecipePageText("xet3.txt", r);
    EXPECT_TRUE(PageIsUtf8(page));
    EXPECT_TRUE(page.starts_with(std::string("<!--xet3.txt-->") + std::string(kUtf8PageHead)));
    for (const char* live : {"<script", "<img src=x", "<b>nu</b>", "&lt;!--", "c=<2>"})
        EXPECT_EQ(std::string::npos, page.find(live)) << live;
    for (const char* shown :
         {"<b>&lt;script&gt;alert(1)&lt;/script&gt; &amp; co</b>",
          "&lt;img src=x onerror=alert(2)&gt;", "&amp;lt;!-- &lt;b&gt;nu&lt;/b&gt;",
          "<li>3 c\xc4\x83\xc5\xa3"
          "ei de usturoi, pisa\xc5\xa3i\n",
          "<li>1 lb. chicken\n", "<p><b>Sos</b>\n<li>to serve: tofu\n", "<li>6 por\xc5\xa3ii\n",
          "<ol>\n<li>Se \xc3\xaenc\xc4\x83lze\xc8\x99te",
          "Sursa: https://example.org/a?b=1&amp;c=&lt;2&gt;", "Preparare: 15 min", "1 h 30 min"})
        EXPECT_NE(std::string::npos, page.find(shown)) << shown;
    EXPECT_FALSE(PageIsUtf8(RenderRecipePageText("RET001.TXT", ReadBookRecipe("#a#b#c"))));
    // The favourites list takes the title in Windows-1250, unescaped.
    const PageFavourite favourite = FavouriteFromPage(page);
    EXPECT_EQ("<script>alert(1)</script> & co", favourite.title);
    EXPECT_EQ("xet3.txt", favourite.fileName);
}

TEST(RecipeModel, ServingsScaleTheItemsOfALosslessPage) {
    const Recipe r = SampleRecipe();
    const std::string page = RenderServingsPage("xet3.txt", r, 3);
    EXPECT_NE(std::string::npos, page.find("<li>3 por\xc5\xa3ii\n"));
    EXPECT_NE(std::string::npos, page.find("<li>50 ml sm\xc3\xb8r"));
    EXPECT_NE(std::string::npos, page.find("<li>1/2 lb. chicken"));
    EXPECT_EQ(RenderRecipePageText("xet3.txt", r), RenderServingsPage("xet3.txt", r, 6));
}

TEST(Cp1250Folding, LettersTheCodePageLacksLoseOnlyTheirMarks) {
    const std::pair<const char*, const char*> cases[] = {
        {"Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
         "e",
         "Creme brul\xe9"
         "e"},
        {"jalape\xc3\xb1o", "jalapeno"},
        {"sm\xc3\xb8r, \xc3\xa5l, \xc5\x93uf, \xc5\x92uvre", "smor, al, oeuf, OEuvre"},
        {"350\xc2\xb0"
         "F",
         "350\xb0"
         "F"},
        {"1\xc2\xbd cup, \xc2\xbc tsp", "1 1/2 cup, 1/4 tsp"},
        {"ro\xc8\x99ii \xc8\x9b"
         "el\xc4\x83 \xc3\xae\xc3\xa2",
         "ro\xbaii \xfe"
         "el\xe3 \xee\xe2"},
        {"a\xe2\x80\x8b"
         "b\xef\xbb\xbf"
         "c",
         "abc"},
        {"x\xf0\x9f\x8d\xb0y \xd0\xb1", "xy "},
        {"bad \xff\xc3 end", "bad  end"},
        {"\xe2\x80\x9e"
         "citat\xe2\x80\x9d \xe2\x80\x93 \xe2\x80\xa6",
         "\x84"
         "citat\x94 \x96 \x85"},
    };
    for (const auto& [utf8, cp1250] : cases) {
        const std::string folded = Utf8ToCp1250Folded(utf8);
        EXPECT_EQ(cp1250, folded) << utf8;
        EXPECT_EQ(std::string::npos, folded.find('?')) << utf8;
    }
    EXPECT_EQ('e', Cp1250CharFolded(U'\u00e8'));
    EXPECT_EQ('?', Cp1250CharFolded(U'\u4e2d'));
}

TEST(RecipeModel, IngredientLinesBecomeItemsAndHeadings) {
    const auto sections =
        SectionsFromLines("200 g f\xc4\x83in\xc4\x83\n2 ou\xc4\x83, b\xc4\x83tute\n\n  Sos :  \n"
                          "1 lb. chicken; to serve: tofu\r\n1 lg. zah\xc4\x83r;;\n");
    ASSERT_EQ(2u, sections.size());
    EXPECT_FALSE(sections[0].hasHeading);
    EXPECT_EQ(
        (std::vector<std::string>{"200 g f\xc4\x83in\xc4\x83", "2 ou\xc4\x83, b\xc4\x83tute"}),
        sections[0].items);
    EXPECT_TRUE(sections[1].hasHeading);
    EXPECT_EQ("Sos", sections[1].heading);
    EXPECT_EQ((std::vector<std::string>{"1 lb. chicken", "to serve: tofu", "1 lg. zah\xc4\x83r"}),
              sections[1].items);
    EXPECT_EQ(sections.size(), SectionsFromLines(LinesFromSections(sections)).size());
    EXPECT_EQ(LinesFromSections(sections),
              LinesFromSections(SectionsFromLines(LinesFromSections(sections))));
}

TEST(RecipeModel, TheSearchScanOfALosslessFileFindsWhatTheModelHolds) {
    Recipe a = SampleRecipe();
    Recipe b;
    b.form = RecipeForm::Lossless;
    b.title = "\"\\/\b\f\t\x7f \xf0\x9f\x98\x80 ok";
    b.sections = {{true, "H\xc3\xa8", {"\\u0041"}}};
    for (const Recipe* r : {&a, &b}) {
        const std::string text = LosslessRecipeText(*r);
        const auto scanned = LosslessSearchText(text);
        ASSERT_TRUE(scanned);
        EXPECT_EQ(SearchTextOf(*ReadLosslessRecipe(text)), *scanned);
    }
    EXPECT_NE(std::string::npos, LosslessSearchText(LosslessRecipeText(a))->find("jalapeno"));
    // The JSON's own words are no recipe text.
    EXPECT_EQ(std::string::npos,
              LosslessSearchText(LosslessRecipeText(a))->find("recipeIngredient"));
    EXPECT_FALSE(LosslessSearchText("{\"name\": \"x\""));
    EXPECT_FALSE(LosslessSearchText(std::string(100, '[')));
}

TEST(RecipeModel, TheLosslessReaderRefusesWhatIsNoRecipeAndReadsOtherProgramsShapes) {
    std::string error;
    const std::string deep =
        "{\"@context\":1,\"a\":" + std::string(40, '[') + std::string(40, ']') + "}";
    EXPECT_FALSE(ReadLosslessRecipe(deep, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadLosslessRecipe("[1,2]"));
    EXPECT_FALSE(ReadLosslessRecipe("{\"@context\": \"x\", "));
    EXPECT_FALSE(ReadLosslessRecipe(std::string(kLosslessFileLimit + 1, ' ')));
    // A broken lossless file is still shown, as any text is.
    EXPECT_EQ(RecipeForm::Book, ReadRecipe("{\"@context\": \"x\", ").form);

    const auto r = ReadLosslessRecipe(R"({"@context":"https://schema.org","@type":"Recipe",
        "name":"Sup\u0103\n de pui","author":[{"@type":"Person","name":"A"},{"name":"B"}],
        "recipeYield":4,"image":[{"url":"poza.jpg"}],"recipeCategory":["Supe","Ciorbe"],
        "recipeIngredient":["1 pui",2,"",{"x":1}," 2 morcovi "],
        "recipeInstructions":[{"@type":"HowToSection","name":"Fierbere","itemListElement":[
            {"@type":"HowToStep","text":"Se fierbe."},"Se strecoar\u0103."]}]})");
    ASSERT_TRUE(r);
    EXPECT_EQ("Sup\xc4\x83  de pui", r->title);
    EXPECT_EQ("A, B", r->author);
    EXPECT_EQ(4, r->servings);
    EXPECT_EQ("poza.jpg", r->facts.image);
    EXPECT_EQ("Supe, Ciorbe", r->facts.category);
    ASSERT_EQ(1u, r->sections.size());
    EXPECT_EQ((std::vector<std::string>{"1 pui", "2", "2 morcovi"}), r->sections[0].items);
    EXPECT_EQ((std::vector<std::string>{"Se fierbe.", "Se strecoar\xc4\x83."}), r->steps);

    const auto jars = ReadLosslessRecipe(R"({"@context":1,"recipeYield":"2 borcane de 800 ml",
        "savorelSections":[{"heading":"A","items":99},{"items":-1},7]})");
    ASSERT_TRUE(jars);
    EXPECT_EQ(0, jars->servings);
    EXPECT_EQ("2 borcane de 800 ml", jars->facts.yieldNote);
    EXPECT_EQ(2u, jars->sections.size()); // counts beyond the items give empty sections, no crash
}

TEST(RecipeModel, DurationsReadAsACookSaysThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"PT15M", "15 min"},     {"PT1H30M", "1 h 30 min"},
        {"PT90M", "1 h 30 min"}, {"P1DT2H", "1 zi 2 h"},
        {"PT0M", "0 min"},       {"20 de minute", "20 de minute"},
        {"PTXM", "PTXM"},        {"PT99999999999999999999M", "PT99999999999999999999M"}};
    for (const auto& [iso, readable] : cases)
        EXPECT_EQ(readable, ReadableDuration(iso)) << iso;
}

class OwnRecipeFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::make_unique<TempDataDir>();
        WriteScrambled("virt-dir.txt", "m Re\xfe"
                                       "ete proprii\n  h Re\xfe"
                                       "etele mele\n");
        WriteScrambled("zcalorii.txt", "340 faina\n143 oua\n884 ulei\n40 ceapa\n389 zahar\n"
                                       "60 lapte\n717 unt\n");
        WriteScrambled("zunitmas.txt", "1000 kg\n1 g\n15 linguri\n15 lingura\n1 ml\n1000 l\n");
        WriteScrambled("zbucati.txt", "55 oua ou\n100 ceapa cepe\n");
    }
    std::unique_ptr<TempDataDir> m_dir;
};

TEST_F(OwnRecipeFolder, IngredientsOnePerLineAllReachTheCaloriePage) {
    TypedRecipe typed{"Ana", "Cozonac",
                      "500 g faina\n3 oua\n100 ml ulei\n2 cepe\n200 g zahar\n"
                      "1 l lapte\n50 g unt",
                      "Se framanta.", 0};
    ASSERT_TRUE(NeedsLosslessForm(typed, false));
    const EditorSaveResult lines =
        SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {}));
    ASSERT_EQ(WorkingFileResult::Written, lines.written);
    ASSERT_EQ(StoreResult::Stored, lines.outcome.result);

    typed.name = "Cozonac 2";
    typed.ingredients = "500 g faina; 3 oua; 100 ml ulei; 2 cepe; 200 g zahar; 1 l lapte; 50 g unt";
    ASSERT_FALSE(NeedsLosslessForm(typed, false));
    const EditorSaveResult semicolons = SaveFromEditor(
        SaveMode::NewRecipe, {typed.author, typed.name, typed.ingredients, typed.preparation});
    ASSERT_EQ(StoreResult::Stored, semicolons.outcome.result);

    CollectingReporter quiet;
    CalorieState byLines, bySemicolons;
    ASSERT_TRUE(CalculateCalories(lines.outcome.fileName, ".", quiet, &byLines));
    ASSERT_TRUE(CalculateCalories(semicolons.outcome.fileName, ".", quiet, &bySemicolons));
    EXPECT_EQ(7, byLines.tokens);
    EXPECT_EQ(bySemicolons.matchedTokens, byLines.matchedTokens);
    EXPECT_DOUBLE_EQ(bySemicolons.total, byLines.total);
    EXPECT_GT(byLines.total, 3000.0);

    // An item is one ingredient however it is punctuated: its describing words stay with it.
    typed.name = "Omleta";
    typed.ingredients = "3 oua, batute; 1,5 kg faina.\nto serve: 200 g ceapa";
    const EditorSaveResult punctuated =
        SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {}));
    CalorieState state;
    ASSERT_TRUE(CalculateCalories(punctuated.outcome.fileName, ".", quiet, &state));
    EXPECT_EQ(3, state.matchedTokens) << state.notUnderstood;
    EXPECT_NEAR(3 * 55 * 1.43 + 1500 * 3.4 + 2 * 100 * 0.4, state.total, 0.05);

    // The lists carry the title in Windows-1250; the file keeps it whole.
    typed.name = "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
                 "e";
    typed.ingredients = "1 l lapte";
    ASSERT_TRUE(NeedsLosslessForm(typed, false));
    const EditorSaveResult accented =
        SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {}));
    ASSERT_EQ(StoreResult::Stored, accented.outcome.result);
    std::string catalogue;
    ASSERT_TRUE(ReadWholeDataFile("virt-dir.txt", catalogue));
    catalogue = ScrambleBytes(catalogue);
    EXPECT_NE(std::string::npos, catalogue.find("i Creme brul\xe9"
                                                "e        ~ " +
                                                accented.outcome.fileName));
    EXPECT_EQ(std::string::npos, catalogue.find('?'));
    const auto loaded = LoadLosslessOwnRecipe(accented.outcome.fileName);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(typed.name, loaded->typed.name);
    EXPECT_TRUE(loaded->facts.identifier.starts_with("savorel:"));
    EXPECT_EQ(40u, loaded->facts.identifier.size());

    // The search finds it by its folded words, and not by the JSON around them.
    SearchFields fields;
    fields.required = "creme brul";
    std::vector<std::string> found;
    ASSERT_EQ(1,
              RunSearch(fields, quiet, [&](const SearchMatch& m) { found.push_back(m.fileName); }));
    EXPECT_EQ(accented.outcome.fileName, found.at(0));
    fields.required = "recipeIngredient";
    EXPECT_EQ(0, RunSearch(fields, quiet, nullptr));
}

TEST_F(OwnRecipeFolder, TheEditorsLimitsAndMessagesHoldForTheLosslessForm) {
    TypedRecipe typed{"", "\xf0\x9f\x8d\xb0", "1 ou\n2 ou\xc4\x83", "", 0};
    EXPECT_EQ(WorkingFileResult::NameEmpty,
              SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {})).written);
    typed.name = std::string(501, 'x');
    EXPECT_EQ(WorkingFileResult::NameTooLong,
              SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {})).written);
    // Limits count characters: 500 two-byte letters are allowed.
    typed.name.clear();
    for (int i = 0; i < 500; ++i)
        typed.name += "\xc4\x83";
    EXPECT_EQ(WorkingFileResult::Written,
              SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {})).written);
    typed.name = "Gol";
    typed.ingredients = "\n\n";
    typed.preparation = " \n ";
    EXPECT_EQ(WorkingFileResult::ContentEmpty,
              SaveLosslessFromEditor(SaveMode::NewRecipe, RecipeFromTyped(typed, {})).written);
    // A book-form file's own line breaks, loaded and kept, keep the book form.
    typed.ingredients = "1 ou\r\n2 oua";
    EXPECT_FALSE(NeedsLosslessForm(typed, true));
    EXPECT_TRUE(NeedsLosslessForm(typed, false));
}

} // namespace
