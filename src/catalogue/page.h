#pragma once

#include "catalogue/recipe_model.h"
#include "core/report.h"

#include <functional>
#include <string>
#include <string_view>

namespace savorel {

inline constexpr const char* kRecipePageName = "reteta.htm";
inline constexpr const char* kRecipeCopyName = "reteta.txt";
inline constexpr const char* kCannotOpenInput = "Cannot open the input file...  ";
inline constexpr const char* kCannotOpenOutput = "Cannot open the output file...  ";

// The recipe page for an unscrambled recipe text; `sourceName` goes into the leading comment.
std::string RenderRecipePageText(std::string_view sourceName, std::string_view recipeText);
// The same page with each ingredient item's text (after its heading) replaced by what
// `rewrite` answers for it; `index` counts the items from 0.
using ItemRewrite = std::function<std::string(std::size_t index, std::string_view text)>;
std::string RenderRecipePageText(std::string_view sourceName, std::string_view recipeText,
                                 const ItemRewrite& rewrite);

// The page of a recipe model. The book form gives the page above byte for byte; the lossless
// form gives a UTF-8 page (kUtf8PageHead after the leading comment) in which every recipe text
// is escaped, each item stands on its own line, and the steps are a numbered list. For the
// lossless form `rewrite` index 0 is the servings line when the recipe states servings.
std::string RenderRecipePageText(std::string_view sourceName, const Recipe& recipe,
                                 const ItemRewrite& rewrite = nullptr);

// What follows the leading comment of a UTF-8 page.
inline constexpr std::string_view kUtf8PageHead = "<html><head><meta charset=\"utf-8\"></head>";
// Whether a page is one of those UTF-8 pages.
bool PageIsUtf8(std::string_view page);
// Text made safe inside a page: & < > " and ' as entities.
std::string EscapedForPage(std::string_view text);
// The text back from EscapedForPage.
std::string UnescapedFromPage(std::string_view text);

// Reads the scrambled recipe file `sourceName` of the data folder and writes the page as
// tempFolderText + "reteta.htm". Failures go to the reporter in the given form; answers
// whether the page was written. `page`, when given, receives the page written.
[[nodiscard]] bool RenderRecipePage(const std::string& sourceName,
                                    const std::string& tempFolderText, BoxForm form,
                                    Reporter& reporter, std::string* page = nullptr);

// Reads a scrambled data file and unscrambles it; false when it cannot be opened.
[[nodiscard]] bool ReadRecipeText(const std::string& sourceName, std::string& text);

// The byte copy reteta.txt of the recipe file in the temporary folder. `copy`, when given,
// receives the bytes written.
[[nodiscard]] bool WriteRecipeCopy(const std::string& sourceName, const std::string& tempFolderText,
                                   std::string* copy = nullptr);

// What a recipe window is opened on: the recipe chosen and what was written for it. The
// windows act on these, never on whatever lies in the temporary folder later, which a second
// copy of the program may have replaced by then.
struct OpenedRecipe {
    std::string sourceName;
    std::string folderText; // the temporary folder the page went into
    std::string page;       // reteta.htm as written
    std::string copy;       // reteta.txt as written (scrambled)
    bool copyWritten = false;
};

// What opens the recipe window, or its plain fallback, once the page exists.
class RecipeWindows {
public:
    virtual ~RecipeWindows() = default;
    // -1 when the recipe window cannot be created.
    [[nodiscard]] virtual int RunRecipeView(const OpenedRecipe& recipe) = 0;
    virtual void RunPlainRecipe(const OpenedRecipe& recipe) = 0;
};

enum class Opener {
    MainWindow, // the folder held since start-up, caption-only messages
    ListWindow  // own recipes, favourites, search: cook.ini read now, owned messages
};

// The sequence after a recipe is chosen: page, copy, recipe window (or the plain one).
// Stops when the page was not written; answers whether the windows ran.
[[nodiscard]] bool OpenRecipe(const std::string& sourceName, Opener opener,
                              const std::string& mainTempFolder, Reporter& reporter,
                              RecipeWindows* windows);

} // namespace savorel
