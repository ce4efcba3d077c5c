#pragma once

// Recipes in and out as schema.org Recipe in JSON-LD, the form recipe web sites embed and
// recipe managers read and write. Export turns book and own recipe files into UTF-8 JSON;
// import takes such JSON (or a saved web page holding it) and stores each recipe as an own
// recipe through the personal store. JSON itself stays inside exchange.cpp.
#include "catalogue/recipe_model.h"
#include "personal/store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

// ---- export ----

// A recipe file to export and its place in the catalogue (Windows-1250 text).
struct ExportEntry {
    std::string fileName;
    std::string category;
    std::string subcategory;
    // An own recipe (pers.txt names it): exported with the category it came with, or the own
    // recipes' one, wherever its catalogue line was appended.
    bool own = false;
};

// What the calorie calculator made of a recipe, as far as the export carries it.
struct ExportCalories {
    bool known = false; // every ingredient was understood: the total is the recipe's own
    double total = 0.0;
};

// The catalogue's recipes once each, in catalogue order (own recipes among them, where their
// lines joined it), or only the own recipes of pers.txt in their order. No value when the
// catalogue cannot be read (without `ownOnly`).
[[nodiscard]] std::optional<std::vector<ExportEntry>> ExportEntries(bool ownOnly);

// One schema.org Recipe object, as UTF-8 JSON text, for the unscrambled text of a recipe file.
std::string RecipeJsonLd(const ExportEntry& entry, std::string_view recipeText,
                         const ExportCalories& calories);
std::string RecipeJsonLd(const ExportEntry& entry, const Recipe& recipe,
                         const ExportCalories& calories);

// The calorie figure of a recipe text, from the tables of the data folder.
ExportCalories CaloriesForExport(std::string_view recipeText);

// The JSON array of every entry whose file can be read; `unreadable` receives the others.
std::string ExportRecipes(const std::vector<ExportEntry>& entries,
                          std::vector<std::string>& unreadable);

// ---- import ----

// A recipe found in a JSON-LD document, as own recipe fields (Windows-1250), with what its
// conversion could not carry over.
struct ForeignRecipe {
    OwnRecipeFields fields;
    std::vector<std::string> notes;
    // The whole recipe (UTF-8), kept in the lossless form when the fields above cannot hold
    // it exactly; one without a title marker (made from fields alone) is stored as the fields.
    Recipe model;
    // Why the recipe is not to be stored (it holds nothing but a name or a yield), or empty.
    std::string refusal;
};

inline constexpr const char* kImportEmpty =
    "nu are nici ingrediente, nici mod de preparare (doar nume sau numar de portii)";

// Whether the book layout holds an imported recipe exactly: Windows-1250 text, items that its
// cutting rule leaves whole, and no facts beyond the recipe itself.
bool BookLayoutHolds(const ForeignRecipe& recipe);

// The Recipe objects of a document: JSON holding one object, an array or an "@graph" (read
// leniently: see lenient_json.h), or an HTML page (read by its declared character set) with
// <script type="application/ld+json"> blocks, each read on its own, or with microdata Recipe
// items where its blocks hold no recipe. False, with `error` set, when the document is not
// JSON or holds no Recipe (a page's message names its first broken block): then nothing of
// it may be stored.
[[nodiscard]] bool ParseRecipeDocument(std::string_view bytes, std::vector<ForeignRecipe>& recipes,
                                       std::string& error);

// UTF-8 text as Windows-1250: s and t with comma below become the cedilla forms, typographic
// quotes, dashes, ellipses and the like their ASCII counterparts, common fractions "1/2";
// anything else becomes "?" and is added to `unheld` once (as "U+XXXX").
std::string TransliterateToCp1250(std::string_view utf8, std::vector<std::string>& unheld);

// What became of one recipe of an import.
enum class ImportOutcome {
    Stored,    // a new own recipe
    Updated,   // it replaced the own recipe it matched, which differed
    Identical, // the own recipe it matches holds the same: passed over
    Differs,   // it matches an own recipe that differs, and updates were not asked for
    Refused    // the store's checks refused it, or it could not be written
};

struct ImportedRecipe {
    std::string name; // Windows-1250
    ImportOutcome outcome = ImportOutcome::Refused;
    bool stored = false;  // Stored or Updated
    std::string fileName; // the own recipe file written (or matched)
    std::string reason;   // why it was not stored (or stored only in part)
    std::vector<std::string> notes;
};

struct ImportReport {
    std::string error; // the document as a whole was refused: nothing stored
    std::vector<ImportedRecipe> recipes;
    int StoredCount() const;
    int Count(ImportOutcome outcome) const;
};

// Windows-1250 text of the report.
inline constexpr const char* kImportDuplicate = "exist\xe3 deja printre re\xfe"
                                                "etele proprii, la fel";
inline constexpr const char* kImportDiffers = "exist\xe3 deja printre re\xfe"
                                              "etele proprii, diferit\xe3; neactualizat\xe3";

// A recipe is the same as an own recipe when it carries the same identifier, the same source
// address, or the same title, ingredients and steps. It is identical when nothing a reader
// sees differs (title, author, servings, ingredients, steps, times, description, image,
// source, yield); the category, keywords and language follow the recipe's place and are no
// difference. An own recipe in the book layout, exported, carries its file name as
// identifier: that matches it again only together with its title.
struct ImportPlan {
    struct Planned {
        ImportedRecipe result; // as far as known before storing
        std::string text;      // the file text to store
        std::string listName;  // the name the lists carry
        std::string replaces;  // the own recipe file it matches, or empty
    };
    std::vector<Planned> recipes;
    int differing = 0; // recipes that would update an own recipe
};

// Compares parsed recipes with the own recipes (each file read once) and with each other.
[[nodiscard]] ImportPlan PlanImport(const std::vector<ForeignRecipe>& recipes);

struct ImportOptions {
    bool update = false;    // recipes that differ replace the own recipe they match
    BatchProgress progress; // told after each recipe; false stops the import
};

// Stores a plan as one batch of the store (StoreOwnRecipes): linear, one lock, one sync.
[[nodiscard]] ImportReport StoreImportPlan(const ImportPlan& plan, const ImportOptions& options);

// PlanImport and StoreImportPlan in one.
[[nodiscard]] ImportReport StoreForeignRecipes(const std::vector<ForeignRecipe>& recipes,
                                               const ImportOptions& options = {});

// The recipes of a path: a document, or a folder laid out as ExportRecipeFolders writes it
// (each NAME/recipe.json of it). False, with `error` set, when nothing can be read from it.
[[nodiscard]] bool ReadRecipePath(const std::string& path, std::vector<ForeignRecipe>& recipes,
                                  std::vector<std::string>& notes, std::string& error);

// Reads a document (or a recipe folder tree) from a path of the file system and imports it.
[[nodiscard]] ImportReport ImportRecipeFile(const std::string& path,
                                            const ImportOptions& options = {});

// The report as lines of Windows-1250 text, one per recipe and a closing count.
std::string ImportReportText(std::string_view label, const ImportReport& report);
// One line of it for a recipe, without its line feed (notes on lines of their own after it).
std::string ImportReportLine(const ImportedRecipe& recipe);
// The closing count.
std::string ImportReportSummary(const ImportReport& report);

} // namespace savorel
