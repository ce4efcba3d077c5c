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
// The same as the book spells it, Windows-1250: "4 por\xFEii", "24 de por\xFEii", "1 por\xFEie".
std::string BookServingsText(int servings);

// A leading quantity in one of the forms the calorie calculator reads: "2", "1/2", "1,5",
// "1.5", "1 1/2". `begin` and `end` delimit it within the text it was read from.
struct LeadingQuantity {
    double value = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};
std::optional<LeadingQuantity> ParseLeadingQuantity(std::string_view text);

// How a scaled quantity is rounded and written, after the unit or thing it counts:
// - Whole: g and ml, whole units, never less than 1;
// - Decimal: kg and l, a decimal comma in steps of 0,1 from 1 up, 0,05 from 0,1 and 0,01 below;
// - Spoon: spoons and cups, quarters below 3, halves below 10, whole numbers after, at least 1/4;
// - WholePiece: eggs, yolks, cloves, leaves, slices, pinches, whole numbers, at least 1;
// - Piece: any other thing counted, halves below 5, whole numbers after, at least 1/2.
enum class QuantityStyle { Whole, Decimal, Spoon, WholePiece, Piece };

// The style for the word that follows a quantity ("linguri", "kg", "ceapa"); Piece for a word
// the book does not use as a unit. Compared with case and diacritics folded.
QuantityStyle StyleOfUnit(std::string_view word);

// A quantity rounded and written as a cook writes it in `style`: "188", "1,1", "1 1/2", "3/4".
// Zero, a negative number or NaN is written "0".
std::string FormatQuantity(double value, QuantityStyle style);

// An item with its leading quantity multiplied by `factor`, rounded in the style of the word
// after it, that word made to agree with the new number ("1 lingura", "2 linguri") and "de"
// put in or taken out before a noun as Romanian writes it after 20 and more ("20 de linguri",
// never after g, ml, kg and l). Items without a leading quantity, and every item at factor 1,
// come back unchanged.
std::string ScaleItemText(std::string_view item, double factor);

// The line a scaled page puts before the preparation when the preparation names a quantity of
// something the items measure ("in cei 3 l de apa"): the method is written for `own` servings.
// Empty when the preparation names none.
std::string ServingsNote(std::string_view recipeText, int own);
struct Recipe;
std::string ServingsNote(const Recipe& recipe, int own);
// ScaleItemText for a UTF-8 item (a lossless recipe's).
std::string ScaleUtf8Item(std::string_view item, double factor);

// The recipe page for `wanted` servings of a recipe that states its own: the servings item
// reads "M portii" spelled as the recipe spells it, the quantities are scaled and the
// preparation is introduced by its ServingsNote. At the recipe's own number, or for a recipe
// that states no servings, it is the page of the recipe as written, byte for byte.
std::string RenderServingsPage(std::string_view sourceName, std::string_view recipeText,
                               int wanted);
std::string RenderServingsPage(std::string_view sourceName, const Recipe& recipe, int wanted);

// The singular and plural the book writes a unit or counted word in ("lingura" ->
// "lingură", "linguri"); no value for a word the table of units does not hold.
struct UnitForms {
    std::string singular;
    std::string plural;
};
std::optional<UnitForms> UnitFormsOf(std::string_view word);

} // namespace savorel
