#pragma once

// The calorie calculator: reads a recipe's ingredients, looks each one up in the three
// tables of the data folder and writes the calorie page hastemele.html.
#include "core/report.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr const char* kCaloriePageName = "hastemele.html";
inline constexpr const char* kFoodTableFile = "zcalorii.txt";
inline constexpr const char* kUnitTableFile = "zunitmas.txt";
inline constexpr const char* kPieceTableFile = "zbucati.txt";
// Two optional tables that tell a measured volume's mass from the food measured: the
// millilitres a unit of zunitmas.txt holds (a spoon, a cup, ml, l) and the grams one
// millilitre of a food weighs (oil 0.92, flour about 0.67). Where either is silent, or missing,
// the unit weighs what zunitmas.txt says.
inline constexpr const char* kVolumeTableFile = "zvolum.txt";
inline constexpr const char* kDensityTableFile = "zdensit.txt";
inline constexpr const char* kArgumentNotFound = "argument file not found";
inline constexpr const char* kBadFileFormat = "bad fileformat (must exist a #text#text2#text3)";
inline constexpr const char* kTokenTooBig = "t of in use too big";
inline constexpr std::size_t kTokenLimit = 2996;
// No unit named in an ingredient.
inline constexpr float kNoUnit = -25000.0f;

// Position of the first occurrence of `phrase` plus one, compared folded (case and Romanian
// diacritics), or 0; the occurrence is overwritten with blanks.
std::size_t FindAndBlank(std::string& text, std::string_view phrase);

// The first number of `text` (digits, "/", "." and ","), blanked; 1 when there is none.
float ParseQuantity(std::string& text);

// How the calculator takes the number of a table line. A number that does not convert
// leaves the previous line's value in force. One that converts to something no table can
// mean (nan, inf, beyond single precision such as 1e39, below zero) would make the total
// "inf" or "nan", or turn two negative factors into a positive product: its line is passed
// over by every lookup, as if it were not in the table.
enum class TableNumber { NotANumber, Usable, Unusable };
[[nodiscard]] TableNumber ConvertTableNumber(std::string_view text, float& value);

// One line of a table file: its number and its name part (the pushed-back blank, the name,
// then `trailingBlanks` blanks), and whether its number can be used. Answers false at the
// end of the file.
struct TableLine {
    float number = 0;
    std::string field;
    bool usable = true;
};
[[nodiscard]] bool ReadTableLine(std::FILE* f, TableLine& line, float& current, int trailingBlanks);

// Looks up the mass of the unit named in `text` (blanked), or kNoUnit; `unitField`, when
// given, receives the field of the unit found (empty when none).
float LookUpUnitMass(std::string& text, Reporter& reporter, bool& tableMissing,
                     std::string* unitField = nullptr);
// The mass of one piece of the food whose field is `foodField`, or -1.
float LookUpPieceMass(std::string_view foodField, Reporter& reporter, bool& tableMissing);
// The mass of one unit (field `unitField`, `tableMass` as zunitmas.txt gives it) of the food
// whose field is `foodField`: its millilitres times the food's grams per millilitre when both
// tables know them, else `tableMass`.
float UnitMassOfFood(std::string_view unitField, std::string_view foodField, float tableMass);

// State of one calculation.
struct CalorieState {
    double total = 0.0;
    std::string notUnderstood;
    std::string page;
    bool tableMissing = false; // a table could not be opened: the calculation ends
    // Counts for the book's authors: tokens evaluated, matched to a food, matched with a mass,
    // and the words no table recognised.
    int tokens = 0;
    int matchedTokens = 0;
    int tokensWithMass = 0;
    std::vector<std::string> leftoverWords;
    // Words of counted ingredients that only describe them ("macinata", "de casa"): not
    // reported on the page, counted here so that an author sees what was passed over.
    std::vector<std::string> describingWords;
    // The servings the page is written for; 0 when the recipe states none.
    int servings = 0;
};

// Evaluates one ingredient: its line on the page, the total and the list of what was not
// understood. `factor` scales its quantity to other servings. A measure in parentheses
// ("1 conserva (400 g) rosii") is the mass of one unit or piece. Once the ingredient is
// counted, what is left of it is listed only when it holds a number or names a food.
void EvaluateIngredient(std::string_view token, CalorieState& state, Reporter& reporter,
                        double factor = 1.0);

// Cuts the ingredients text into tokens and evaluates each, then writes the trailer. When the
// first item states servings it is skipped, the quantities are scaled to `servings` (1..99;
// anything else keeps the recipe's own number) and a per-portion line follows the total.
void CalculateFromIngredients(std::string_view ingredients, CalorieState& state, Reporter& reporter,
                              int servings = 0);

// The tokens of an ingredients text as the calculator cuts it: at ";" "#" and "," "." not after
// a digit; what precedes a ":" is dropped, blanks at a token's start too.
std::vector<std::string> CalorieTokensOf(std::string_view ingredients);
// Evaluates given tokens, one ingredient each, then writes the trailer. `stated` is the servings
// the recipe states (0 for none); `servings` as above.
void CalculateFromTokens(const std::vector<std::string>& tokens, int stated, CalorieState& state,
                         Reporter& reporter, int servings = 0);
// The calculation for the unscrambled text of a recipe in the book layout: its marker check
// (reported), then its ingredients. False when it has no ingredients text to read.
[[nodiscard]] bool CalculateFromBookText(std::string_view text, CalorieState& state,
                                         Reporter& reporter, int servings = 0);

// The whole calculation for the recipe file `recipeFile` of the data folder: writes
// `tempFolderText` + hastemele.html and answers whether it was written. Messages are
// caption-only boxes.
[[nodiscard]] bool CalculateCalories(const std::string& recipeFile,
                                     const std::string& tempFolderText, Reporter& reporter,
                                     CalorieState* result = nullptr, int servings = 0);

// The calculator's reading of one ingredient, as EvaluateIngredient counts it, for whoever
// adds ingredients up (the shopping list). Names are the tables' fields without the blanks
// at their ends.
struct IngredientReading {
    bool matched = false;    // a food of zcalorii.txt was found
    bool hasNumber = false;  // the ingredient states a quantity
    bool understood = false; // matched, and nothing that matters is left over
    bool tableMissing = false;
    std::string food;
    float foodKcal = 0;       // kcal in 100 g of the food, as zcalorii.txt gives it
    double quantity = 0;      // as written, times the factor (1 when none is written)
    std::string unit;         // the unit of zunitmas.txt found, empty when none
    float unitMass = kNoUnit; // its mass as zunitmas.txt gives it, or kNoUnit
    // A measure in parentheses ("1 conserva (400 g) rosii"): its quantity and unit.
    bool stated = false;
    float statedQuantity = 0;
    std::string statedUnit;
    float statedUnitMass = 0;
    // Grams of one unit or piece as the calculation takes them, -1 when unknown, and whether
    // they come from the unit's millilitres and the food's density.
    float mass = -1.0f;
    bool byDensity = false;
};
IngredientReading ReadIngredient(std::string_view token, double factor = 1.0);

// The millilitres a unit of zunitmas.txt holds by zvolum.txt (named as the table names it,
// blanks at its ends aside), or -1; and a food's grams per millilitre by zdensit.txt, or -1.
float MillilitresOfUnit(std::string_view unit);
float DensityOfFood(std::string_view food);

} // namespace savorel
