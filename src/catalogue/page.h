#pragma once

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

// Reads the scrambled recipe file `sourceName` of the data folder and writes the page as
// tempFolderText + "reteta.htm". Failures go to the reporter in the given form; answers
// whether the page was written.
bool RenderRecipePage(const std::string& sourceName, const std::string& tempFolderText,
                      BoxForm form, Reporter& reporter);

// Reads a scrambled data file and unscrambles it; false when it cannot be opened.
bool ReadRecipeText(const std::string& sourceName, std::string& text);

// The byte copy reteta.txt of the recipe file in the temporary folder.
bool WriteRecipeCopy(const std::string& sourceName, const std::string& tempFolderText);

// What opens the recipe window, or its plain fallback, once the page exists.
class RecipeWindows {
public:
    virtual ~RecipeWindows() = default;
    // -1 when the recipe window cannot be created.
    virtual int RunRecipeView() = 0;
    virtual void RunPlainRecipe() = 0;
};

enum class Opener {
    MainWindow, // the folder held since start-up, caption-only messages
    ListWindow  // own recipes, favourites, search: cook.ini read now, owned messages
};

// The sequence after a recipe is chosen: page, copy, recipe window (or the plain one).
// Stops when the page was not written; answers whether the windows ran.
bool OpenRecipe(const std::string& sourceName, Opener opener, const std::string& mainTempFolder,
                Reporter& reporter, RecipeWindows* windows);

} // namespace savorel
