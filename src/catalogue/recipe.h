#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr std::size_t kTitleLimit = 2999;
inline constexpr std::size_t kIngredientsLimit = 9983;
inline constexpr std::size_t kItemLimit = 2999;

// A recipe file after unscrambling, cut into its pieces as the page generator reads it.
struct RecipePieces {
    std::string title;           // line breaks dropped
    std::string ingredients;     // line feeds as blanks, carriage returns dropped
    std::string preparation;     // raw, after the separator character
    bool hasTitle = false;       // the second "#" was reached
    bool hasPreparation = false; // the third "#" was reached
};

RecipePieces SplitRecipe(std::string_view text);

// Number of "#" in a recipe text; a well-formed recipe has exactly three.
std::size_t CountMarkers(std::string_view text);

struct IngredientItem {
    bool hasHeading = false;
    std::string heading;
    std::string text;
};

// Cuts an ingredients text at ";" and at "." or "," not preceded by a digit; an item holding
// ":" is a heading and its item text.
std::vector<IngredientItem> SplitIngredientItems(std::string_view ingredients);

} // namespace savorel
