#pragma once

// Servings: the ingredient item "N portii" that says how many a recipe feeds, and the
// scaling of a recipe's quantities to another number of servings.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace savorel {

inline constexpr int kMinServings = 1;
inline constexpr int kMaxServings = 99;

// The number of an item that states servings: blanks at its ends aside, a whole number from 1
// to 99, blanks, perhaps "de" and blanks ("24 de portii"), then "portii" (or "portie" for 1),
// in any case, with or without the Windows-1250 t-cedilla. No value for any other item.
std::optional<int> ParseServingsItem(std::string_view item);

// The servings a recipe states in the first item of its ingredients text, and how many bytes
// of that text belong to the item together with its separator and the blanks and line breaks
// after it (what the own recipe editor takes out of its ingredients field).
struct StatedServings {
    int servings = 0;
    std::size_t prefixLength = 0;
};
std::optional<StatedServings> ServingsOfIngredients(std::string_view ingredients);
// The same for a whole unscrambled recipe text.
std::optional<int> ServingsOfRecipe(std::string_view recipeText);

// The item written for `servings`: "N portii", or "1 portie".
std::string ServingsItemText(int servings);

// A leading quantity in one of the forms the calorie calculator reads: "2", "1/2", "1,5",
// "1.5", "1 1/2". `begin` and `end` delimit it within the text it was read from.
struct LeadingQuantity {
    double value = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};
std::optional<LeadingQuantity> ParseLeadingQuantity(std::string_view text);

// A quantity as a cook writes it: whole numbers whole; halves, thirds and quarters of small
// counts as fractions ("1/2", "1 1/2", "3/4"); masses and volumes in g and ml rounded to whole
// units (`wholeUnits`); anything else with a decimal comma and at most two decimals.
std::string FormatQuantity(double value, bool wholeUnits);

// An item (or calorie token) with its leading quantity multiplied by `factor`; items without a
// leading quantity come back unchanged.
std::string ScaleItemText(std::string_view item, double factor);

// The recipe page for `wanted` servings of a recipe that states its own: the servings item
// reads "M portii" and the quantities are scaled. At the recipe's own number, or for a recipe
// that states no servings, it is the page of the recipe as written, byte for byte.
std::string RenderServingsPage(std::string_view sourceName, std::string_view recipeText,
                               int wanted);
struct Recipe;
std::string RenderServingsPage(std::string_view sourceName, const Recipe& recipe, int wanted);

} // namespace savorel
