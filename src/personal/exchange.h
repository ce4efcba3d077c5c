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

struct ImportedRecipe {
    std::string name; // Windows-1250
    bool stored = false;
    std::string fileName; // the own recipe file written
    std::string reason;   // why it was not stored (or stored only in part)
    std::vector<std::string> notes;
};

struct ImportReport {
    std::string error; // the document as a whole was refused: nothing stored
    std::vector<ImportedRecipe> recipes;
    int StoredCount() const;
};

inline constexpr const char* kImportDuplicate =
    "exista deja printre retetele proprii (acelasi nume si aceleasi ingrediente)";

// Stores parsed recipes as new own recipes, under the store's lock, passing over those
// whose name and ingredients match an own recipe already there (or one stored just before).
[[nodiscard]] ImportReport StoreForeignRecipes(const std::vector<ForeignRecipe>& recipes);

// Reads a document from a path of the file system and imports it.
[[nodiscard]] ImportReport ImportRecipeFile(const std::string& path);

// The report as lines of Windows-1250 text, one per recipe and a closing count.
std::string ImportReportText(std::string_view label, const ImportReport& report);

} // namespace savorel
