// Importing many recipes as one change of the store: whole or nothing on a full disk, the
// duplicate rules (identical, differs, update), the recipe folder tree out and back in.
#include "core/cp1250.h"
#include "core/files.h"
#include "core/records.h"
#include "personal/exchange.h"
#include "personal/recipe_folders.h"
#include "personal/store.h"
#include "support/support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>

using namespace savorel;
using namespace savorel::testing;
using Json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

struct FaultHookGuard {
    explicit FaultHookGuard(WriteFaultHook hook) { SetWriteFaultHook(std::move(hook)); }
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

std::vector<ForeignRecipe> Parse(const std::string& json) {
    std::vector<ForeignRecipe> recipes;
    std::string error;
    EXPECT_TRUE(ParseRecipeDocument(json, recipes, error)) << error << "\n" << json;
    return recipes;
}

std::string RecipeJson(const std::string& name, const std::string& step,
                       const std::string& extra = "") {
    return R"({"@context": "https://schema.org", "@type": "Recipe", "name": ")" + name +
           R"(", "recipeIngredient": ["500 g făină", "2 ouă"], "recipeInstructions": [")" + step +
           "\"]" + extra + "}";
}

// The data folder's files other than the lock, by name.
std::map<std::string, std::string> Files(const std::string& folder = ".") {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file() && e.path().filename() != "savorel.lock")
            files[fs::relative(e.path(), folder).string()] = ReadBack(e.path().string());
    return files;
}

int LinesNaming(const std::string& list, const std::string& file) {
    int n = 0;
    for (const std::string& line : CompleteLines(ReadBack(list, true)))
        n += line.find(file) != std::string::npos;
    return n;
}

} // namespace

// A write failing at any point of a batch (a recipe file, the catalogue, pers.txt) leaves
// each recipe stored whole or not at all, says which, and leaves no temporary file behind.
TEST(ImportBatch, AFullDiskAnywhereLeavesEachRecipeWholeOrAbsent) {
    const std::string doc = "[" + RecipeJson("Unu", "Fierbe.") + "," +
                            RecipeJson("Doi", "Coace.", R"(, "inLanguage": "ro")") + "," +
                            RecipeJson("Trei", "Prăjeşte.") + "]";
    const std::vector<ForeignRecipe> recipes = Parse(doc);
    ASSERT_EQ(3u, recipes.size());
    bool sawPartial = false, sawNothing = false, sawAll = false;
    for (int failing = 1; failing <= 8; ++failing) {
        TempDataDir dir;
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
        WriteScrambled("pers.txt", "");
        const auto before = Files();
        int writes = 0;
        ImportReport report;
        {
            FaultHookGuard fault([&](std::size_t) { return ++writes != failing; });
            report = StoreForeignRecipes(recipes);
        }
        ASSERT_EQ(3u, report.recipes.size());
        int stored = 0;
        for (const ImportedRecipe& r : report.recipes) {
            if (r.stored) {
                ++stored;
                EXPECT_EQ(ImportOutcome::Stored, r.outcome);
                EXPECT_TRUE(Exists(r.fileName)) << failing;
                EXPECT_EQ(1, LinesNaming("virt-dir.txt", r.fileName)) << failing;
                EXPECT_EQ(1, LinesNaming("pers.txt", r.fileName)) << failing;
            } else {
                EXPECT_EQ(ImportOutcome::Refused, r.outcome);
                EXPECT_NE(std::string::npos, r.reason.find(kStoreNotWritten)) << r.reason;
            }
        }
        EXPECT_EQ(stored, static_cast<int>(ReadListFile(kOwnRecipeList)->size())) << failing;
        const auto after = Files();
        for (const auto& [name, bytes] : after)
            EXPECT_EQ(std::string::npos, name.find(".txt.")) << "temporary copy " << name;
        if (stored == 0) {
            EXPECT_EQ(before, after)
                << "nothing changed when nothing was stored, fault " << failing;
        }
        sawNothing = sawNothing || stored == 0;
        sawPartial = sawPartial || (stored > 0 && stored < 3);
        sawAll = sawAll || stored == 3;
    }
    // A failing recipe file costs that recipe; a failing list costs the batch.
    EXPECT_TRUE(sawPartial);
    EXPECT_TRUE(sawNothing);
    EXPECT_TRUE(sawAll);
}

TEST(ImportBatch, NewRecipesTakeFreeNamesAndTheOwnCategoryOnce) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n    i Veche ~ xet4.txt\n");
    WritePlain("xet5.txt", "not listed, still the user's");
    fs::create_directory("sterse");
    WritePlain("sterse/xet6.txt", "deleted");
    const OwnRecipeBatchOutcome out = StoreOwnRecipes(
        {{"\n#\nA\n#\napa\n#\nfierbe", "A", ""}, {"\n#\nB\n#\napa\n#\nfierbe", "B", ""}});
    ASSERT_EQ(2u, out.results.size());
    EXPECT_EQ(StoreResult::Stored, out.results[0]);
    EXPECT_EQ((std::vector<std::string>{"xet7.txt", "xet8.txt"}), out.fileNames);
    EXPECT_EQ(Utf8ToCp1250("m Supe\nh Ciorbe\n    i Veche ~ xet4.txt\nm Reţete proprii\n"
                           "  h Reţetele mele\n") +
                  CatalogueEntry("A", "xet7.txt") + "\n" + CatalogueEntry("B", "xet8.txt") + "\n",
              ReadBack("virt-dir.txt", true));
    EXPECT_EQ(PersonalRecord("A", "xet7.txt") + "\n" + PersonalRecord("B", "xet8.txt") + "\n",
              ReadBack("pers.txt", true));
    EXPECT_EQ("not listed, still the user's", ReadBack("xet5.txt"));
    // An update of a recipe no record names is a recipe deleted meanwhile.
    const OwnRecipeBatchOutcome gone = StoreOwnRecipes({{"x", "X", "xet5.txt"}});
    EXPECT_EQ(StoreResult::RecipeDeleted, gone.results[0]);
    EXPECT_EQ("not listed, still the user's", ReadBack("xet5.txt"));
}

// The duplicate rules: what meets an own recipe again, and what becomes of it.
TEST(ImportDuplicates, IdenticalSkippedDifferentReportedOrUpdated) {
    const struct {
        const char* what;
        std::string again; // imported after the first
        bool update;
        ImportOutcome outcome;
        bool secondFile; // a second own recipe appears
    } cases[] = {
        {"the same recipe",
         RecipeJson("Cozonac", "Frământă.", R"(, "identifier": "id-1", "url": "https://a.ro/c")"),
         false, ImportOutcome::Identical, false},
        {"the same recipe without its facts", RecipeJson("Cozonac", "Frământă."), false,
         ImportOutcome::Differs, false},
        {"same identifier, steps changed",
         RecipeJson("Cozonac", "Frământă bine.", R"(, "identifier": "id-1")"), false,
         ImportOutcome::Differs, false},
        {"same identifier, updated",
         RecipeJson("Cozonac", "Frământă bine.", R"(, "identifier": "id-1")"), true,
         ImportOutcome::Updated, false},
        {"same source, title changed",
         RecipeJson("Cozonac moldovenesc", "Frământă.", R"(, "url": "https://a.ro/c")"), true,
         ImportOutcome::Updated, false},
        {"same title, ingredients and steps, another author",
         RecipeJson("Cozonac", "Frământă.", R"(, "author": "Ana")"), true, ImportOutcome::Updated,
         false},
        {"steps changed, nothing shared", RecipeJson("Cozonac", "Altfel."), true,
         ImportOutcome::Stored, true},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
        const ImportReport first = StoreForeignRecipes(Parse(RecipeJson(
            "Cozonac", "Frământă.", R"(, "identifier": "id-1", "url": "https://a.ro/c")")));
        ASSERT_EQ(1, first.StoredCount()) << c.what;
        const std::string before = ReadBack("xet1.txt", true);
        ImportOptions options;
        options.update = c.update;
        const ImportReport again = StoreForeignRecipes(Parse(c.again), options);
        ASSERT_EQ(1u, again.recipes.size());
        const ImportedRecipe& r = again.recipes.front();
        EXPECT_EQ(c.outcome, r.outcome) << c.what << ": " << r.reason;
        EXPECT_EQ(c.secondFile, Exists("xet2.txt")) << c.what;
        EXPECT_EQ(c.secondFile ? 2u : 1u, ReadListFile(kOwnRecipeList)->size()) << c.what;
        if (c.outcome == ImportOutcome::Updated) {
            EXPECT_EQ("xet1.txt", r.fileName);
            const auto model = ReadLosslessRecipe(ReadBack("xet1.txt", true));
            ASSERT_TRUE(model) << c.what;
            // The identifier stays with the recipe through the update.
            EXPECT_EQ("id-1", model->facts.identifier) << c.what;
            EXPECT_NE(before, ReadBack("xet1.txt", true)) << c.what;
        } else if (!c.secondFile) {
            EXPECT_EQ(before, ReadBack("xet1.txt", true)) << c.what;
        }
        if (c.outcome == ImportOutcome::Differs) {
            EXPECT_EQ(kImportDiffers, r.reason);
        }
    }
}

// An update that changes the title renames the recipe in both lists, in place.
TEST(ImportDuplicates, AnUpdatedTitleIsRenamedInBothLists) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    ASSERT_EQ(2, StoreForeignRecipes(
                     Parse("[" + RecipeJson("Supă", "Fierbe.", R"(, "identifier": "s")") + "," +
                           RecipeJson("Tort", "Coace.", R"(, "identifier": "t")") + "]"))
                     .StoredCount());
    ImportOptions update;
    update.update = true;
    const ImportReport report = StoreForeignRecipes(
        Parse(RecipeJson("Supă de pui", "Fierbe.", R"(, "identifier": "s")")), update);
    ASSERT_EQ(ImportOutcome::Updated, report.recipes.front().outcome);
    EXPECT_EQ(PersonalRecord(Utf8ToCp1250("Supă de pui"), "xet1.txt") + "\n" +
                  PersonalRecord("Tort", "xet2.txt") + "\n",
              ReadBack("pers.txt", true));
    const std::string catalogue = ReadBack("virt-dir.txt", true);
    EXPECT_NE(std::string::npos,
              catalogue.find(CatalogueEntry(Utf8ToCp1250("Supă de pui"), "xet1.txt") + "\n"));
    EXPECT_NE(std::string::npos, catalogue.find(CatalogueEntry("Tort", "xet2.txt") + "\n"));
    EXPECT_EQ(1, LinesNaming("virt-dir.txt", "xet1.txt"));
}

// An own recipe the editor saved in the book layout, exported, edited elsewhere and imported
// again: it updates the recipe instead of making a second copy.
TEST(ImportDuplicates, AnEditedExportUpdatesTheRecipeItCameFrom) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    ASSERT_EQ(WorkingFileResult::Written,
              SaveFromEditor(SaveMode::NewRecipe,
                             {"Ion", "Ciorba", "4 portii; 1 l apa; sare", "Se fierbe."})
                  .written);
    std::vector<std::string> unreadable;
    const std::string json = ExportRecipes(*ExportEntries(true), unreadable);
    // Unchanged, it is the same recipe.
    EXPECT_EQ(ImportOutcome::Identical, StoreForeignRecipes(Parse(json)).recipes.front().outcome);
    Json edited = Json::parse(json);
    edited[0]["recipeInstructions"][0]["text"] = "Se fierbe o ora.";
    ImportOptions update;
    update.update = true;
    const ImportReport report = StoreForeignRecipes(Parse(edited.dump()), update);
    ASSERT_EQ(ImportOutcome::Updated, report.recipes.front().outcome)
        << report.recipes.front().reason;
    EXPECT_EQ(1u, ReadListFile(kOwnRecipeList)->size());
    EXPECT_FALSE(Exists("xet2.txt"));
    const Recipe back = ReadRecipe(ReadBack("xet1.txt", true));
    EXPECT_EQ((std::vector<std::string>{"Se fierbe o ora."}), back.steps);
    EXPECT_EQ(4, ServingsOf(back).value_or(0));
}

TEST(RecipeFolders, NamesAreSafeUniqueAndUtf8) {
    std::set<std::string> taken;
    const std::pair<std::string, const char*> cases[] = {
        {"Ciorbă de perişoare", "Ciorbă de perişoare"},
        {"Ciorbă de perişoare", "Ciorbă de perişoare (2)"},
        {"CIORBĂ DE PERIŞOARE", "CIORBĂ DE PERIŞOARE"}, // not ASCII in the letters that differ
        {"Supă/ciorbă: 1/2", "Supă ciorbă 1 2"},
        {"..ascunsă.", "ascunsă"},
        {"", "Rețetă"},
        {"...", "Rețetă (2)"},
        {"a\tb\nc\x7F", "a b c"},
        {std::string("bad \xC3 byte \xED\xA0\x80 end"), "bad byte end"},
        {"Tort", "Tort"},
        {"tort", "tort (2)"},
    };
    for (const auto& [title, expected] : cases)
        EXPECT_EQ(expected, RecipeFolderName(title, taken)) << title;
    // A long title is cut at a letter's boundary, within the limit.
    std::string longTitle;
    for (int i = 0; i < 150; ++i)
        longTitle += "ă";
    const std::string cut = RecipeFolderName(longTitle, taken);
    EXPECT_LE(cut.size(), kFolderNameLimit);
    EXPECT_EQ(0u, cut.size() % 2);
    EXPECT_EQ(cut, longTitle.substr(0, cut.size()));
}

// Own recipes out as a folder tree, into a fresh data folder, and out again: the same bytes.
// Into the folder they came from: every one identical.
TEST(RecipeFolders, ExportImportExportGivesTheSameBytes) {
    const std::string out1 = fs::temp_directory_path() / "savorel-folders-1";
    const std::string out2 = fs::temp_directory_path() / "savorel-folders-2";
    fs::remove_all(out1);
    fs::remove_all(out2);
    {
        TempDataDir a;
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
        ASSERT_EQ(WorkingFileResult::Written,
                  SaveFromEditor(SaveMode::NewRecipe,
                                 {"Ion", "Ciorba", "4 portii; 1 l apa; sare", "Se fierbe."})
                      .written);
        const ImportReport stored = StoreForeignRecipes(Parse(
            "[" +
            RecipeJson("Crème brûlée", "Coace.",
                       R"(, "recipeCategory": "Desert", "prepTime": "PT20M", "recipeYield": 6)") +
            "," + RecipeJson("Ciorba", "Altfel.") + "]"));
        ASSERT_EQ(2, stored.StoredCount());
        const FolderExportResult result = ExportRecipeFolders(*ExportEntries(true), out1);
        EXPECT_TRUE(result.failure.empty()) << result.failure;
        EXPECT_EQ(3u, result.written);
        EXPECT_TRUE(Exists(out1 + "/Ciorba/recipe.json"));
        EXPECT_TRUE(Exists(out1 + "/Ciorba (2)/recipe.json"));
        EXPECT_TRUE(Exists(out1 + "/Crème brûlée/recipe.json"));
        const Json one = Json::parse(ReadBack(out1 + "/Crème brûlée/recipe.json"));
        EXPECT_TRUE(one.is_object());
        EXPECT_EQ("Desert", one["recipeCategory"]);
        EXPECT_EQ("", one["image"]);
        EXPECT_EQ("", one["description"]);
        const ImportReport back = ImportRecipeFile(out1);
        ASSERT_TRUE(back.error.empty()) << back.error;
        EXPECT_EQ(3, back.Count(ImportOutcome::Identical));
    }
    TempDataDir b;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    const ImportReport imported = ImportRecipeFile(out1);
    ASSERT_TRUE(imported.error.empty()) << imported.error;
    EXPECT_EQ(3, imported.StoredCount());
    const FolderExportResult again = ExportRecipeFolders(*ExportEntries(true), out2);
    EXPECT_TRUE(again.failure.empty()) << again.failure;
    EXPECT_EQ(Files(out1), Files(out2));
    fs::remove_all(out1);
    fs::remove_all(out2);
}

// A tree's files read in the order of their names, each on its own: a broken one is noted and
// passed over, an empty tree refused.
TEST(RecipeFolders, TreeFilesAreReadOneByOne) {
    std::vector<ForeignRecipe> recipes;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(RecipesFromFolderFiles({{"b", RecipeJson("B", "x")},
                                        {"a", RecipeJson("A", "x")},
                                        {"c", "{not json"},
                                        {"d", R"({"@type": "Thing", "x": 1e400})"}},
                                       recipes, notes, error));
    ASSERT_EQ(2u, recipes.size());
    EXPECT_EQ("A", recipes[0].model.title);
    EXPECT_EQ("B", recipes[1].model.title);
    // A number out of range is a broken file, never an exception out of the import.
    ASSERT_EQ(2u, notes.size());
    EXPECT_EQ(0u, notes[0].find("c/recipe.json: ")) << notes[0];
    EXPECT_EQ(0u, notes[1].find("d/recipe.json: ")) << notes[1];
    EXPECT_FALSE(RecipesFromFolderFiles({}, recipes, notes, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(RecipesFromFolderFiles({{"c", "[]"}}, recipes, notes, error));
}

// What the export says of a recipe's place and what it leaves out.
TEST(RecipeExport, OwnRecipesKeepTheirOwnPlaceAndEveryObjectIsComplete) {
    TempDataDir dir;
    // An older data folder: own recipes appended after the pickles.
    WriteScrambled("virt-dir.txt", Utf8ToCp1250("m Băuturi şi conserve\nh Murături şi conserve\n"
                                                "    i Castraveţi ~ RET001.TXT\n"));
    WriteScrambled("RET001.TXT", "#\nCastraveti\n#\n1 kg castraveti\n#\nSe pun.");
    ASSERT_EQ(WorkingFileResult::Written,
              SaveFromEditor(SaveMode::NewRecipe, {"", "Ciorba", "1 l apa", "Se fierbe."}).written);
    ASSERT_EQ(1, StoreForeignRecipes(
                     Parse(RecipeJson("Pâine", "Coace.", R"(, "recipeCategory": "Brutărie")")))
                     .StoredCount());
    std::vector<std::string> unreadable;
    const Json all = Json::parse(ExportRecipes(*ExportEntries(false), unreadable));
    ASSERT_EQ(3u, all.size());
    std::map<std::string, Json> byName;
    for (const Json& r : all)
        byName[r["name"]] = r;
    EXPECT_EQ("Băuturi şi conserve", byName["Castraveti"]["recipeCategory"]);
    EXPECT_EQ("Reţete proprii", byName["Ciorba"]["recipeCategory"]);
    EXPECT_EQ("Reţetele mele", byName["Ciorba"]["keywords"]);
    EXPECT_EQ("Brutărie", byName["Pâine"]["recipeCategory"]);
    for (const Json& r : all) {
        for (const char* key : {"name", "image", "description", "inLanguage", "identifier",
                                "recipeIngredient", "recipeInstructions"})
            EXPECT_TRUE(r.contains(key)) << key << " in " << r.dump();
        EXPECT_EQ("ro", r["inLanguage"]);
    }
    // Steps headed by a line ending in ":" are a HowToSection.
    const std::string sectioned = "#\nCozonac\n#\n1 kg faina\n#\nAluatul:\r\nFramanta.\r\n"
                                  "Lasa sa creasca.\r\nUmplutura:\r\nMacina nuca.";
    const Json steps =
        Json::parse(RecipeJsonLd({"RET002.TXT", "", ""}, sectioned, {}))["recipeInstructions"];
    ASSERT_EQ(2u, steps.size());
    EXPECT_EQ("HowToSection", steps[0]["@type"]);
    EXPECT_EQ("Aluatul", steps[0]["name"]);
    EXPECT_EQ(2u, steps[0]["itemListElement"].size());
    EXPECT_EQ("Macina nuca.", steps[1]["itemListElement"][0]["text"]);
}
