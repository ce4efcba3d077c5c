#include "viewing/recipe_view.h"

#include "catalogue/page.h"
#include "core/cp1250.h"

namespace savorel {

std::string PageRecipePathFrom(std::string_view page) {
    std::size_t i = page.empty() ? 0 : 1;
    for (int dash = 0; dash < 2; ++dash) {
        const std::size_t at = page.find('-', i);
        if (at == std::string_view::npos)
            return {};
        i = at + 1;
    }
    const std::size_t end = std::min(page.find('-', i), page.size());
    return std::string(page.substr(i, std::min(end - i, kPageRecipePathLimit)));
}

PageFavourite FavouriteFromPage(std::string_view page) {
    PageFavourite result;
    const std::size_t bold = page.find("<b>");
    if (bold != std::string_view::npos) {
        const std::size_t start = bold + 3;
        const std::size_t end = std::min(page.find('<', start), page.size());
        result.title = std::string(page.substr(start, std::min(end - start, kFavouriteTitleLimit)));
        // A UTF-8 page escapes its title; the favourites list holds Windows-1250 names.
        if (PageIsUtf8(page))
            result.title =
                Utf8ToCp1250Folded(UnescapedFromPage(page.substr(
                                       start, std::min(end - start, kLosslessFileLimit))))
                    .substr(0, kFavouriteTitleLimit);
    }
    const std::size_t open = page.find('<');
    if (open == std::string_view::npos || page.substr(open + 1, 3) != "!--")
        return result;
    const std::size_t start = open + 4;
    const std::size_t end = page.find('-', start);
    if (end == std::string_view::npos)
        return result; // the end of the page came first
    result.fileName = std::string(page.substr(start, std::min(end - start, kFavouriteFileLimit)));
    result.ok = true;
    return result;
}

PlainRecipeFields ParsePlainRecipe(std::string_view copy) {
    return PlainFieldsOf(ReadRecipe(copy));
}

} // namespace savorel
