#pragma once

// What the recipe windows read back from the files OpenRecipe left in the temporary folder.
#include "catalogue/recipe_model.h"

#include <string>
#include <string_view>

namespace savorel {

inline constexpr std::size_t kPageRecipePathLimit = 499;
inline constexpr std::size_t kFavouriteTitleLimit = 499;
inline constexpr std::size_t kFavouriteFileLimit = 799;

// The recipe file named by the page's leading comment: after the first byte, past two "-",
// up to the next "-". Empty when the page holds no such text.
std::string PageRecipePathFrom(std::string_view page);

// The title and file name a favourite is recorded under, read from the page shown: the
// title after the first "<b>" up to the next "<", the file name from the leading "<!--".
struct PageFavourite {
    bool ok = false; // false when the page has no leading comment
    std::string title;
    std::string fileName;
};
PageFavourite FavouriteFromPage(std::string_view page);

// The three fields of the plain recipe window, from the unscrambled recipe copy, in either form.
using PlainRecipeFields = PlainFields;
PlainRecipeFields ParsePlainRecipe(std::string_view copy);

} // namespace savorel
