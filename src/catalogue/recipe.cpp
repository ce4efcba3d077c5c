#include "catalogue/recipe.h"

#include "core/files.h"

#include <algorithm>

namespace savorel {

RecipePieces SplitRecipe(std::string_view text) {
    RecipePieces pieces;
    std::size_t i = text.find('#');
    if (i == std::string_view::npos)
        return pieces;
    ++i;
    for (; i < text.size() && text[i] != '#'; ++i)
        if (text[i] != '\r' && text[i] != '\n' && pieces.title.size() < kTitleLimit)
            pieces.title.push_back(text[i]);
    if (i >= text.size()) {
        pieces.title.clear();
        return pieces;
    }
    pieces.hasTitle = true;
    for (++i; i < text.size() && text[i] != '#'; ++i) {
        if (text[i] == '\r' || pieces.ingredients.size() >= kIngredientsLimit)
            continue;
        pieces.ingredients.push_back(text[i] == '\n' ? ' ' : text[i]);
    }
    if (i >= text.size())
        return pieces;
    pieces.hasPreparation = true;
    // One separator character follows the third "#".
    if (i + 2 <= text.size())
        pieces.preparation = std::string(text.substr(std::min(i + 2, text.size())));
    return pieces;
}

std::size_t CountMarkers(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '#'));
}

std::vector<IngredientItem> SplitIngredientItems(std::string_view text) {
    std::vector<IngredientItem> items;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size()) {
            const char c = text[end];
            if (c == ';')
                break;
            if ((c == '.' || c == ',') && end > 0 && !IsAsciiDigit(text[end - 1]))
                break;
            ++end;
        }
        const std::string_view item = text.substr(pos, end - pos);
        IngredientItem out;
        const std::size_t colon = item.find(':');
        if (colon != std::string_view::npos) {
            out.hasHeading = true;
            out.heading = std::string(item.substr(0, std::min(colon, kItemLimit)));
            out.text = std::string(item.substr(colon + 1, kItemLimit));
        } else {
            out.text = std::string(item.substr(0, kItemLimit));
        }
        items.push_back(std::move(out));
        pos = end + 1;
    }
    return items;
}

} // namespace savorel
