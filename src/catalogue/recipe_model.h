#pragma once

// A recipe as the program understands it, whatever file it came from. Two file forms exist:
// the book's layout (Windows-1250, fields between "#", items cut at ";" "," "." and headings
// at ":"), which every book recipe and every older own recipe uses, and a lossless form for
// own recipes that layout cannot hold (one schema.org Recipe JSON object, UTF-8). One reader
// and one writer per form; the page, the plain window, the editor, the calorie calculator, the
// search, the term finder, favourites and the export read the model.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

enum class RecipeForm {
    Book,    // the text fields are Windows-1250 bytes, as the file holds them
    Lossless // the text fields are UTF-8
};

struct RecipeSection {
    bool hasHeading = false;
    std::string heading;
    std::vector<std::string> items; // each item one line of text
};

// What may come with a recipe from elsewhere; empty when it did not.
struct RecipeFacts {
    std::string sourceUrl;
    std::string image;    // a file of the data folder
    std::string prepTime; // as written (ISO 8601 durations such as "PT15M", or free text)
    std::string cookTime;
    std::string totalTime;
    std::string category;
    std::string keywords;
    std::string description;
    std::string language;
    std::string identifier; // stays with the recipe through export and import
    std::string yieldNote;  // a yield that is no number of servings ("2 borcane")
    bool Empty() const;
};

struct Recipe {
    RecipeForm form = RecipeForm::Book;
    std::string author;
    std::string title;
    bool hasTitle = false;
    std::vector<RecipeSection> sections;
    // Book form: the preparation as the file holds it after the separator character. Lossless
    // form: empty; the steps hold it.
    std::string preparation;
    std::vector<std::string> steps;
    bool hasPreparation = false;
    // Lossless form: the servings stated (0 for none). In the book form the first item states
    // them ("4 portii") and this stays 0; ServingsOf answers for both.
    int servings = 0;
    RecipeFacts facts;
    // Book form: the ingredients between the second and third "#" exactly as stored, which the
    // calorie calculator cuts by its own rule.
    std::string storedIngredients;
    // Book form: the whole text as stored, which the search and the term finder read as it is.
    std::string storedText;
};

// Limits of the lossless reader: a file larger than this or nested deeper is refused.
inline constexpr std::size_t kLosslessFileLimit = 4u << 20;
inline constexpr int kLosslessDepthLimit = 32;
inline constexpr std::size_t kLosslessItemLimit = 5000; // items, steps and sections each

// Whether an unscrambled recipe text is in the lossless form: it begins (after blanks) with
// "{" and the key "@context". A book recipe begins with its prologue or "#".
bool IsLosslessText(std::string_view text);

// The book layout read as the page generator reads it.
Recipe ReadBookRecipe(std::string_view text);

// The lossless form; no value (and `error` says why) for text that is no such recipe.
std::optional<Recipe> ReadLosslessRecipe(std::string_view text, std::string* error = nullptr);

// Either form. A lossless file that cannot be read is read as the book layout reads any text,
// so that what it holds is still shown rather than lost.
Recipe ReadRecipe(std::string_view text);

// The lossless file text (UTF-8 JSON, unscrambled) for a recipe of that form.
std::string LosslessRecipeText(const Recipe& recipe);

// Servings the recipe states, if any.
std::optional<int> ServingsOf(const Recipe& recipe);

// All items in order, sections flattened.
std::vector<std::string_view> AllItems(const Recipe& recipe);
std::size_t ItemCount(const Recipe& recipe);

// Text in the recipe's form as Windows-1250 (folded where the lossless text needs it).
std::string Cp1250Of(const Recipe& recipe, std::string_view text);

// The ingredients as the calorie calculator takes them, Windows-1250: for the book form the
// stored ingredients text (the calculator cuts it), for the lossless form one token per item,
// its punctuation made blanks (a decimal comma or point aside).
struct CalorieInput {
    bool cut = true;                 // true: `text` is to be cut; false: `tokens` are the items
    std::string text;                // book form
    std::vector<std::string> tokens; // lossless form, headings left out
    int servings = 0;                // lossless form: the servings stated, or 0
};
CalorieInput CalorieInputOf(const Recipe& recipe);

// What the ingredient search examines, Windows-1250: the book file's text as it stands, or
// the lossless recipe's title, author, headings, items, steps and description, one per line.
std::string SearchTextOf(const Recipe& recipe);
std::string LosslessRecipeSearchText(const Recipe& recipe); // SearchTextOf's lossless half
// The search text of a lossless file read in one pass without building the model; the same
// as SearchTextOf(ReadLosslessRecipe(text)) for every file LosslessRecipeText writes. No
// value for text that is not well-formed enough to scan.
std::optional<std::string> LosslessSearchText(std::string_view text);
// The same into `out`, whose room is kept from call to call; false (and `out` empty) where
// the other gives no value.
bool LosslessSearchTextInto(std::string_view text, std::string& out);

// The text in which dictionary terms are looked for (Windows-1250, the author left out).
std::string TermsTextOf(const Recipe& recipe);

// The name the lists carry: the title in Windows-1250, one line, letters the code page lacks
// folded to their base letter.
std::string ListTitleOf(const Recipe& recipe);

// The three fields of the plain window, as the form's text (Windows-1250 or UTF-8).
struct PlainFields {
    bool utf8 = false;
    std::string title;
    std::string ingredients;
    std::string preparation;
};
inline constexpr std::size_t kPlainPreparationLimit = 9999;
PlainFields PlainFieldsOf(const Recipe& recipe);

// An ingredients field as the user typed it, one item per line: blank lines are left out, a
// line ending in ":" is the heading of the items after it, ";" also separates items.
std::vector<RecipeSection> SectionsFromLines(std::string_view utf8);
// The same sections as editor text: each heading a line ending in ":", each item a line.
std::string LinesFromSections(const std::vector<RecipeSection>& sections);

// A time fact as a reader reads it: "PT1H30M" -> "1 h 30 min"; other text as it stands.
std::string ReadableDuration(std::string_view text);

} // namespace savorel
