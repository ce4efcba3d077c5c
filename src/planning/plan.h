#pragma once

// The week plan: who eats (the household), and which recipe is cooked for which meal of
// which day, for how many portions, and over which meals it is eaten. The plan is the user's
// data: one file of the data folder (kPlanFile), changed only under the store's lock by
// re-reading it, changing what was asked and writing it back, so that two copies of the
// program editing at once lose nothing.
//
// Texts of the model (names, titles) are Windows-1250 as everywhere in the logic; the file
// holds them as UTF-8 JSON.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

// The plan file (UTF-8 JSON, scrambled as every data file). Backups keep it.
inline constexpr const char* kPlanFile = "plan.txt";

// Limits of the plan file reader; a file beyond them is reported as damaged.
inline constexpr std::size_t kPlanFileLimit = 4u << 20;
inline constexpr std::size_t kPlanEntryLimit = 20000;
inline constexpr std::size_t kPlanPeopleLimit = 50;
inline constexpr std::size_t kPlanEatenLimit = 14;  // meals one cooking is eaten over
inline constexpr std::size_t kPlanTextLimit = 1000; // bytes of one name or title
inline constexpr int kPlanDepthLimit = 8;
inline constexpr int kPlanPortionsLimit = 99;
inline constexpr int kPlanGoalLimit = 20000; // kcal a day

using Date = std::chrono::year_month_day;

enum class Meal { Breakfast = 0, Lunch = 1, Dinner = 2, Snack = 3 };
inline constexpr std::array<Meal, 4> kMeals = {Meal::Breakfast, Meal::Lunch, Meal::Dinner,
                                               Meal::Snack};

// "mic dejun", "prânz", "cină", "gustare" (Windows-1250).
std::string MealName(Meal meal);
// The key the file and the command line use: "mic-dejun", "pranz", "cina", "gustare".
std::string MealKey(Meal meal);
// A key or a name (folded: case and diacritics aside; "mic dejun" and "mic-dejun" alike).
std::optional<Meal> ParseMeal(std::string_view text);

// YYYY-MM-DD, and back (only dates that exist).
std::string DateText(Date day);
std::optional<Date> ParseDay(std::string_view text);
// The Monday of the week `day` falls in, and `day` moved by whole days.
Date MondayOf(Date day);
Date AddDays(Date day, int days);
// Monday 0 ... Sunday 6.
int WeekdayIndex(Date day);
// "luni", "marţi", ... "duminică" (Windows-1250).
std::string WeekdayName(Date day);

struct Person {
    std::string name;  // Windows-1250
    int dailyGoal = 0; // kcal a day; 0 for none
    bool operator==(const Person&) const = default;
};

struct Household {
    std::vector<Person> people;
    bool operator==(const Household&) const = default;
};

// A meal of a day.
struct MealSlot {
    Date day;
    Meal meal = Meal::Lunch;
    bool operator==(const MealSlot&) const = default;
};
bool SlotBefore(const MealSlot& a, const MealSlot& b);

// One recipe cooked for a meal.
struct PlanEntry {
    std::uint64_t id = 0;            // given by the plan when added; stable across copies
    MealSlot cooked;                 // the day and meal it is cooked for, eaten first
    std::string recipeFile;          // the recipe's file in the data folder
    std::string title;               // its title when planned (Windows-1250): shown when it is gone
    int portions = 1;                // portions cooked (1..kPlanPortionsLimit)
    std::vector<MealSlot> leftovers; // later meals the rest is eaten at, in order
    bool operator==(const PlanEntry&) const = default;
};

// Every meal the entry is eaten at: the cooked one, then the leftovers.
std::vector<MealSlot> EatenAt(const PlanEntry& entry);

// The slots leftovers of a meal go to as people cook: the next day's lunch, then the lunch
// after that, `count` of them.
std::vector<MealSlot> LeftoverLunches(const MealSlot& cooked, int count);

struct Plan {
    Household household;
    std::vector<PlanEntry> entries; // kept in slot order, then in the order added
    std::uint64_t nextId = 1;
    bool operator==(const Plan&) const = default;
};

// Changes of a plan in memory. Add gives the entry its id (answered) and keeps the order;
// entries with portions or leftovers beyond the limits are clamped to them. Remove and Move
// answer false when no entry has that id. Move takes the leftovers along by the same number
// of days.
std::uint64_t AddEntry(Plan& plan, PlanEntry entry);
bool RemoveEntry(Plan& plan, std::uint64_t id);
bool MoveEntry(Plan& plan, std::uint64_t id, const MealSlot& to);
const PlanEntry* FindEntry(const Plan& plan, std::uint64_t id);

// The entries eaten at some meal of the seven days from `monday`, and those cooked there.
std::vector<const PlanEntry*> EntriesEatenInWeek(const Plan& plan, Date monday);
std::vector<const PlanEntry*> EntriesCookedInWeek(const Plan& plan, Date monday);
// The entries cooked on one of `days`.
std::vector<const PlanEntry*> EntriesCookedOn(const Plan& plan, const std::vector<Date>& days);

// The file's text (UTF-8 JSON, unscrambled) and its reading. The reader never throws: a text
// beyond the limits, not JSON, or not a plan answers no value and says why in `error`.
std::string PlanFileText(const Plan& plan);
std::optional<Plan> ParsePlanText(std::string_view text, std::string* error = nullptr);

enum class PlanStatus {
    Ok,         // read (a missing file reads as an empty plan) or changed and written
    Damaged,    // the file could not be read; it was renamed aside (see `keptAs`)
    Busy,       // another copy held the store's lock for the whole wait (kStoreBusy)
    NotWritten, // the file could not be written (see `message`); it is as it was
    NotFound    // a change named an entry the plan no longer holds; nothing written
};

struct PlanResult {
    PlanStatus status = PlanStatus::Ok;
    Plan plan;            // the plan as read, or as written after the change
    std::string message;  // for the user, Windows-1250; empty when all went well
    std::string keptAs;   // with Damaged: the name the damaged file now has
    std::uint64_t id = 0; // with AddToPlan: the new entry's id
};

// Reads the plan of the data folder. A damaged file is renamed aside under the store's lock
// ("plan.txt.stricat-N") and reported; the answer then holds an empty plan.
PlanResult LoadPlan();

// Under the store's lock: re-reads the file, applies `change` (false: nothing to write, the
// status says NotFound) and writes the file back. A damaged file is kept aside first, as
// LoadPlan does, and the change applied to an empty plan.
PlanResult ChangePlan(const std::function<bool(Plan&)>& change);
PlanResult AddToPlan(const PlanEntry& entry);
PlanResult RemoveFromPlan(std::uint64_t id);
PlanResult MoveInPlan(std::uint64_t id, const MealSlot& to);
PlanResult SetHousehold(const Household& household);

// Calories. A recipe's per-portion kcal as the calculator counts them for the portions
// cooked (its quantities scaled as the recipe window scales them).
struct RecipeCalories {
    bool found = false;   // false: the recipe file is missing or unreadable
    bool partial = false; // some ingredient was not understood: the figure is a floor
    double perPortion = 0;
    std::string title; // the recipe's title now (Windows-1250), when found
};
RecipeCalories CaloriesOfRecipe(const std::string& recipeFile, int portions);

// Remembers each recipe's calories for one computation (a week reads a recipe once).
class CalorieCache {
public:
    const RecipeCalories& Of(const std::string& recipeFile, int portions);

private:
    std::vector<std::pair<std::pair<std::string, int>, RecipeCalories>> m_known;
};

// What one person eats on a day: a portion of every entry eaten at one of its meals.
struct DayCalories {
    Date day;
    double perPerson = 0;
    bool partial = false;            // a recipe of the day was only partly understood
    bool missing = false;            // a recipe of the day is gone: not counted
    std::array<double, 4> perMeal{}; // by Meal
};
struct WeekCalories {
    std::array<DayCalories, 7> days;
    double total = 0; // per person, the seven days
    bool partial = false;
    bool missing = false;
};
WeekCalories CaloriesOfWeek(const Plan& plan, Date monday, CalorieCache* cache = nullptr);

// A day's figure beside a person's goal: "1850 kcal / 2000 kcal" with " (parţial)" when partly
// understood; without a goal, the figure alone (Windows-1250).
std::string DayCaloriesText(const DayCalories& day, const Person* person);

// The week as plain text (Windows-1250): each day, its meals and their recipes ("lipsă" for a
// recipe that is gone), the calories per person beside each goal, the week's total.
std::string PlanWeekText(const Plan& plan, Date monday, CalorieCache* cache = nullptr);

// The week as iCalendar (UTF-8, CRLF, folded and escaped by RFC 5545): one VEVENT per meal that
// has recipes, its summary the recipes. `stamp` is the DTSTAMP (UTC) of every event.
std::string PlanICalendar(const Plan& plan, Date monday,
                          std::chrono::system_clock::time_point stamp);

// RFC 5545 text: a TEXT value escaped (backslash, ";", ",", line breaks), and a content line
// folded at 75 octets (never inside a UTF-8 character) and ended with CRLF.
std::string ICalEscape(std::string_view utf8);
std::string ICalLine(std::string_view line);

} // namespace savorel
