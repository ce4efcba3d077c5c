#pragma once

// The user's own recipes: the working file reteta.tmp, the recipe files xetN.txt, the
// records of pers.txt and the entries appended to the catalogue.
#include "catalogue/recipe_model.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr const char* kWorkingFile = "reteta.tmp";
inline constexpr const char* kOwnRecipeList = "pers.txt";
// Where a deleted own recipe's file is kept.
inline constexpr const char* kDeletedFolder = "sterse";
// Between the fields of an own recipe file: line feed, "#", line feed.
inline constexpr std::string_view kOwnRecipeMarker = "\n#\n";
// Blanks between the name and the "#" of a pers.txt record: they push the file name out of
// sight in the list.
inline constexpr std::size_t kPersonalRecordFiller = 137;
inline constexpr std::string_view kCatalogueEntryLead = "             i ";
inline constexpr std::string_view kCatalogueEntryTilde = "        ~ ";

inline constexpr std::size_t kAuthorLimit = 500;
inline constexpr std::size_t kNameLimit = 500;
inline constexpr std::size_t kIngredientsFieldLimit = 1500;
inline constexpr std::size_t kPreparationFieldLimit = 8000;
// A preparation is loaded back for modification up to this many characters.
inline constexpr std::size_t kLoadedPreparationLimit = 10000;

inline constexpr const char* kFieldTooLong = "Numarul maxim de caractere admis este 500!";
inline constexpr const char* kNameMissing = "Reteta trebuie sa aiba un nume!!!";
inline constexpr const char* kContentMissing =
    "Reteta trebuie sa aiba ingrediente sau mod de preparare!!!";
inline constexpr const char* kIngredientsTooLong =
    "Numarul maxim de caractere admis pentru ingrediente este 1500!";
inline constexpr const char* kPreparationTooLong =
    "Numarul maxim de caractere admis pentru reteta este 8000!";
inline constexpr const char* kCatalogueUnreadable = "Cannot open the input file";
inline constexpr const char* kRecipeUnreadable = "Cannot open the file";
// A file the store had to write and could not (the data folder read-only, a full disk).
inline constexpr const char* kStoreNotWritten = "Cannot open the output file...";
// A modification whose recipe another copy of the program deleted meanwhile; the editor asks
// whether to keep the text as a new recipe.
inline constexpr const char* kRecipeDeletedMeanwhile =
    "Reteta a fost stearsa intre timp. O pastrati ca reteta noua?";

// The four fields of the editor as Windows-1250 text; the multi-line fields hold their line
// breaks as carriage return and line feed pairs.
struct OwnRecipeFields {
    std::string author;
    std::string name;
    std::string ingredients;
    std::string preparation;
};

enum class OwnRecipeField { Author, Name, Ingredients, Preparation };

// Every "#" and "~" becomes a blank, in the author also every "\". A line break in the name
// becomes a blank too: the name is one line of pers.txt and of the catalogue.
std::string CleanField(OwnRecipeField field, std::string_view text);

// The line breaks of a multi-line field as the store keeps them: each line feed not already
// preceded by a carriage return gets one.
std::string StoredLineBreaks(std::string_view text);

// The own recipe file for already cleaned fields.
std::string OwnRecipeText(const OwnRecipeFields& cleaned);
// One line of pers.txt, without its line feed.
std::string PersonalRecord(std::string_view name, std::string_view fileName);
// The catalogue line appended for a new recipe, without its line feed.
std::string CatalogueEntry(std::string_view name, std::string_view fileName);

enum class WorkingFileResult {
    Written,
    NotCreated, // reteta.tmp cannot be created
    NotWritten, // a write to it failed (a full disk): it must not be used
    AuthorTooLong,
    NameTooLong,
    NameEmpty,
    IngredientsTooLong,
    PreparationTooLong,
    ContentEmpty // the editor's save: ingredients and preparation both blank
};

// The message of a refused save, or nullptr.
const char* RefusalMessage(WorkingFileResult result);

// The editor's save up to the store: creates reteta.tmp, then checks, cleans and writes the
// fields in order. A refused field stops it; reteta.tmp then holds the fields before it.
// `cleaned` receives the fields written.
[[nodiscard]] WorkingFileResult WriteWorkingFile(const OwnRecipeFields& typed,
                                                 OwnRecipeFields& cleaned);

// "xet" + (the largest number of an own recipe file named in the catalogue, plus one) +
// ".txt", passing over numbers whose file exists already or whose deleted recipe is kept in
// "sterse/" (a window still showing the deleted one then never reaches a new recipe under its
// name). No value when the catalogue cannot be read.
[[nodiscard]] std::optional<std::string> NextOwnRecipeFileName();

// Where new own recipes go: the last category of the shipped catalogue and its one subcategory
// (Windows-1250).
inline constexpr const char* kOwnCategory = "Re\xfe"
                                            "ete proprii";
inline constexpr const char* kOwnSubcategory = "Re\xfe"
                                               "etele mele";
// Appends that category and subcategory to a catalogue that lacks them, once, so that the
// append of a new recipe files it there. False when the catalogue cannot be read or written.
[[nodiscard]] bool EnsureOwnRecipesSubcategory();

enum class SaveMode { NewRecipe, Modification };

enum class StoreResult {
    Stored,
    CatalogueUnreadable, // new recipe: nothing stored, the editor closes
    RecipeNotWritten,    // the recipe file could not be written: it is as it was
    ListsNotUpdated,     // the recipe file is stored, its catalogue line or record is not
    RecipeDeleted        // modification: the recipe was deleted meanwhile, nothing written
};

struct StoreOutcome {
    StoreResult result = StoreResult::Stored;
    std::string fileName;       // the recipe file written (or meant to be)
    bool fieldsEmptied = false; // a new recipe went into its file: the editor empties its fields
};

// The message for an outcome, or nullptr.
const char* StoreMessage(StoreResult result);

// Whether an own recipe still exists: its file is in the data folder and a record of
// pers.txt names it. Asked under the store's lock, it holds until the lock is let go.
bool OwnRecipeStillExists(const std::string& fileName);

// Stores the working file: as a new recipe (file, catalogue line, record), or over the
// recipe file `fileName` of a modification. Every replacement is atomic. A modification of a
// recipe that no longer exists (deleted by another copy of the program) writes nothing and
// answers RecipeDeleted. Takes the store's lock (nested under the editor's save).
[[nodiscard]] StoreOutcome SaveOwnRecipe(SaveMode mode, const OwnRecipeFields& cleaned,
                                         const std::string& fileName = std::string());

// The editor's whole save, as one change of the store under its lock, so that two copies of
// the program saving at once neither share reteta.tmp nor lose each other's records. A
// recipe with neither ingredients nor preparation (only blanks and line breaks) is refused
// after the other checks, so that a half-typed recipe never reaches the lists.
struct EditorSaveResult {
    bool busy = false; // another copy held the lock throughout: nothing was written
    WorkingFileResult written = WorkingFileResult::Written;
    StoreOutcome outcome; // when written
};
[[nodiscard]] EditorSaveResult SaveFromEditor(SaveMode mode, const OwnRecipeFields& typed,
                                              const std::string& fileName = std::string());

// An own recipe as the editor shows it for modification: the fields as they were saved, so
// that saving it unchanged writes the same file again.
struct LoadedOwnRecipe {
    std::string author;
    std::string name;
    std::string ingredients; // line breaks as saved (carriage return and line feed)
    std::string preparation; // line breaks as saved
};

// Parses the unscrambled text of an own recipe file: the fields between the markers.
LoadedOwnRecipe ParseOwnRecipe(std::string_view text);
// No value when the file cannot be opened.
[[nodiscard]] std::optional<LoadedOwnRecipe> LoadOwnRecipe(const std::string& fileName);

// The editor's fields as typed, UTF-8, line breaks as line feeds.
struct TypedRecipe {
    std::string author;
    std::string name;
    std::string ingredients; // the items, one per line or separated by ";"; not the servings
    std::string preparation;
    int servings = 0; // 0: none stated
};

// Whether typed fields need the lossless form: a letter Windows-1250 cannot hold, or more than
// one line of ingredients (unless `ingredientsAsLoaded`: a book-form file's own line breaks,
// loaded and left as they were).
bool NeedsLosslessForm(const TypedRecipe& typed, bool ingredientsAsLoaded);

// The lossless model of typed fields: each ingredient line an item ("Aluat:" a heading), the
// preparation's lines its steps. `kept` carries the facts of a recipe loaded for modification
// (its identifier above all); a new recipe gets an identifier of its own.
Recipe RecipeFromTyped(const TypedRecipe& typed, const RecipeFacts& kept);
// A new identifier for a recipe: "savorel:" and 32 hexadecimal digits.
std::string NewRecipeIdentifier();

// The editor's save of a lossless recipe, under the store's lock as SaveFromEditor: the same
// field limits (counted in characters) and messages, the same lists; the name the lists carry
// is the title folded to Windows-1250.
[[nodiscard]] EditorSaveResult SaveLosslessFromEditor(SaveMode mode, const Recipe& recipe,
                                                      const std::string& fileName = std::string());

// The editor's fields of a lossless own recipe file, or no value for any other file.
struct LoadedLosslessRecipe {
    TypedRecipe typed;
    RecipeFacts facts;
};
[[nodiscard]] std::optional<LoadedLosslessRecipe>
LoadLosslessOwnRecipe(const std::string& fileName);

// Whether the recipe file of a list entry exists and can be written, so that it can be
// opened for modification.
bool OwnRecipeModifiable(const std::string& fileName);

// The editor's checks and cleaning without its working file, for recipes stored in a batch:
// Written when the fields may be stored, otherwise the refusal the editor would give
// (ContentEmpty included).
WorkingFileResult CleanFields(const OwnRecipeFields& typed, OwnRecipeFields& cleaned);
// The same for a lossless recipe (limits counted in characters); `cleaned` receives the
// fields as the lists and the editor's limits see them.
WorkingFileResult CheckLosslessRecipe(const Recipe& recipe, OwnRecipeFields& cleaned);

// ---- many recipes at once (an import) ----

// One recipe of a batch: the file text to store and the name its list lines carry.
struct OwnRecipeBatchEntry {
    std::string text;     // the recipe file's unscrambled text
    std::string name;     // cleaned, Windows-1250, one line
    std::string replaces; // the own recipe file it updates; empty for a new recipe
};

struct OwnRecipeBatchOutcome {
    bool busy = false;                // another copy held the lock throughout: nothing written
    std::vector<StoreResult> results; // one per entry
    std::vector<std::string> fileNames;
    std::string failure; // why the batch stored nothing (a write failure, for the report)
};

// Told how far a batch is; answering false stops it before the next recipe (those not reached
// are answered RecipeNotWritten, those before are stored).
using BatchProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Stores recipes as one change of the store: the lock taken once, the catalogue and pers.txt
// read once, the recipe files written without a sync each, the file system synced once, then
// both lists replaced once. Each recipe is stored whole or not at all: when the lists cannot
// be written (a full disk), every recipe file the batch wrote is removed again and every
// updated file stays as it was. An update of an own recipe deleted meanwhile answers
// RecipeDeleted. The cost grows with the recipes stored and those already there, never with
// their product.
[[nodiscard]] OwnRecipeBatchOutcome StoreOwnRecipes(const std::vector<OwnRecipeBatchEntry>& batch,
                                                    const BatchProgress& progress = {});

} // namespace savorel
