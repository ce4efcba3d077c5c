#include "viewing/recipe_view.h"

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
    PlainRecipeFields fields;
    std::size_t i = copy.find('#');
    if (i == std::string_view::npos)
        return fields;
    ++i;
    auto field = [&](std::string& out) {
        while (i < copy.size() && copy[i] != '#') {
            if (copy[i] != '\r' && copy[i] != '\n')
                out.push_back(copy[i]);
            ++i;
        }
        if (i < copy.size())
            ++i;
    };
    const bool titleEnded = copy.find('#', i) != std::string_view::npos;
    field(fields.title);
    if (!titleEnded)
        return fields;
    const bool ingredientsEnded = copy.find('#', i) != std::string_view::npos;
    field(fields.ingredients);
    if (!ingredientsEnded)
        return fields;
    for (; i < copy.size() && fields.preparation.size() < kPlainPreparationLimit; ++i)
        fields.preparation.push_back(copy[i] == '\r' || copy[i] == '\n' ? ' ' : copy[i]);
    return fields;
}

} // namespace savorel
