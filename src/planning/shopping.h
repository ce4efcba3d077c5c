#pragma once

// The shopping list: the ingredients of planned or chosen recipes, scaled to the portions
// cooked and added up by food where the calculator's reading of them allows (grams with
// kilograms, millilitres with litres, pieces with pieces, spoons as grams where the tables
// know the food's mass per millilitre), grouped by the shop section the book gives each food.
// What cannot be added up is listed as written, under its recipe.
//
// Texts are Windows-1250, as the calculator reads them.
#include "planning/plan.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

// The book's table of shop sections (Windows-1250, scrambled in the data folder): lines
// "[section]" followed by the foods of that section, one per line, as zcalorii.txt names them.
inline constexpr const char* kSectionTableFile = "zraioane.txt";
inline constexpr std::size_t kSectionTableLimit = 1u << 20;
inline constexpr std::size_t kSectionTableLines = 50000;
inline constexpr std::size_t kSectionLineLimit = 300;

// The ticked lines, the "am acasă" marks and the list's recipes, kept until the list is
// cleared (UTF-8 JSON, scrambled). Backups keep it.
inline constexpr const char* kShoppingStateFile = "cumparaturi.txt";
inline constexpr std::size_t kShoppingStateLimit = 1u << 20;
inline constexpr std::size_t kShoppingStateItems = 10000;

// The sections in shop order; a food the table does not name goes to "băcănie".
enum class ShopSection {
    Produce,   // legume şi fructe
    MeatFish,  // carne şi peşte
    DairyEggs, // lactate şi ouă
    Bakery,    // panificaţie
    Grocery,   // băcănie
    Tins,      // conserve
    Spices,    // condimente
    Drinks     // băuturi
};
inline constexpr int kSectionCount = 8;
std::string SectionName(ShopSection section);                       // Windows-1250
std::optional<ShopSection> ParseSectionName(std::string_view name); // folded

// The section table as read: each food (folded, blanks at its ends trimmed) with its section.
struct SectionTable {
    std::vector<std::pair<std::string, ShopSection>> foods;
    std::vector<std::string> problems; // "line N: why", for `cookbook check` and the tests
    bool found = false;
    // The section of a food as zcalorii.txt names it; Grocery when none is given.
    ShopSection Of(std::string_view food) const;
    bool Names(std::string_view food) const;
};
// Parses the table's unscrambled text with its limits (a text beyond them keeps what came
// before and says so in `problems`).
SectionTable ParseSectionTable(std::string_view text);
// Reads kSectionTableFile of the data folder.
SectionTable LoadSectionTable();

// A recipe to shop for and how many portions of it are cooked (planned twice: the sum).
struct ShoppingSource {
    std::string recipeFile;
    std::string title; // as planned or chosen (Windows-1250), shown when the recipe is gone
    int portions = 0;  // 0: the recipe's own servings
    bool operator==(const ShoppingSource&) const = default;
};
// The recipes cooked in the week from `monday`, or on chosen days, with their portions added
// up per recipe, in the order first planned.
std::vector<ShoppingSource> SourcesOfWeek(const Plan& plan, Date monday);
std::vector<ShoppingSource> SourcesOfDays(const Plan& plan, const std::vector<Date>& days);

// How the amount of a line is measured.
enum class MeasureKind {
    Mass,   // grams (g, kg, and spoons or cups where the food's density is known)
    Volume, // millilitres (ml, cl, dl, l)
    Pieces, // counted things ("3 ouă", "2 cepe")
    Unit    // a unit with no mass or volume to convert by (spoons of an unknown density, cans,
            // bunches, sachets): added up only with the same unit
};

// One recipe's share of a line, in the line's measure.
struct ShoppingShare {
    std::string recipeFile;
    std::string title;
    double amount = 0;
};

struct ShoppingLine {
    std::string key;  // food and measure: what ticks and "am acasă" marks name
    std::string food; // as zcalorii.txt names it (Windows-1250)
    MeasureKind kind = MeasureKind::Mass;
    std::string unit;  // "g", "ml", "" for pieces, the unit's name for Unit
    double amount = 0; // the sum of the shares
    std::vector<ShoppingShare> shares;
    ShopSection section = ShopSection::Grocery;
    bool staple = false; // salt, pepper, water: every kitchen has them
    bool atHome = false; // marked "am acasă"
    bool ticked = false;
};

// An ingredient that could not be added up: as the scaled recipe writes it.
struct UnmergedItem {
    std::string text;
};
struct UnmergedRecipe {
    std::string recipeFile;
    std::string title;
    std::vector<UnmergedItem> items;
};

struct ShoppingList {
    // Lines to buy, by section in shop order, foods in Romanian order within each.
    std::array<std::vector<ShoppingLine>, kSectionCount> sections;
    // Staples and what is marked "am acasă", listed last.
    std::vector<ShoppingLine> atHome;
    std::vector<UnmergedRecipe> unmerged;
    std::vector<ShoppingSource> missing; // recipes that are gone: nothing of them is listed
    std::vector<ShoppingSource> sources;
    bool tableMissing = false; // a calorie table could not be read: nothing could be merged
};

// Kept between runs: what is ticked and marked, by line key.
struct ShoppingState {
    std::vector<ShoppingSource> sources; // the list's recipes
    std::vector<std::string> ticked;
    std::vector<std::string> atHome;
    bool operator==(const ShoppingState&) const = default;
};
std::string ShoppingStateText(const ShoppingState& state);
std::optional<ShoppingState> ParseShoppingState(std::string_view text,
                                                std::string* error = nullptr);
struct ShoppingStateResult {
    PlanStatus status = PlanStatus::Ok;
    ShoppingState state;
    std::string message;
    std::string keptAs;
};
// As the plan: a damaged file is kept aside and reported; changes re-read, change and write
// under the store's lock.
ShoppingStateResult LoadShoppingState();
ShoppingStateResult ChangeShoppingState(const std::function<void(ShoppingState&)>& change);
ShoppingStateResult SetTicked(const std::string& key, bool ticked);
ShoppingStateResult SetAtHome(const std::string& key, bool atHome);
ShoppingStateResult SetShoppingSources(const std::vector<ShoppingSource>& sources);
// Forgets the list: its recipes, its ticks and its marks.
ShoppingStateResult ClearShoppingList();

// The list for `sources`, with the state's ticks and marks applied. `sections` defaults to the
// data folder's table.
ShoppingList BuildShoppingList(const std::vector<ShoppingSource>& sources,
                               const ShoppingState& state = {},
                               const SectionTable* sections = nullptr);

// A line's amount as a cook writes it: "600 g", "1,2 kg" (from 1000 g), "750 ml", "1,5 l",
// "3" pieces, "2 linguri".
std::string AmountText(const ShoppingLine& line);
std::string AmountText(MeasureKind kind, const std::string& unit, double amount);
// "unt 600 g (150 g Ciorbă..., 450 g Cozonac)" (Windows-1250).
std::string LineText(const ShoppingLine& line);

// The list as plain text (Windows-1250): sections, then what was not added up under each
// recipe, then what is at home, then the missing recipes. Ticked lines are marked "[x]".
std::string ShoppingListText(const ShoppingList& list);
// The list as iCalendar to-dos (UTF-8, CRLF, RFC 5545): one VTODO per line, ticked ones
// COMPLETED, the section as CATEGORIES.
std::string ShoppingICalendar(const ShoppingList& list,
                              std::chrono::system_clock::time_point stamp);

} // namespace savorel
