// The week plan and the shopping list on the command line.
#include "catalogue/recipe_model.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/scramble.h"
#include "planning/plan.h"
#include "planning/shopping.h"
#include "tools/cookbook.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <iostream>

namespace cookbook {

using namespace savorel;

namespace {

Date TodayDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{std::chrono::year(local.tm_year + 1900),
                std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                std::chrono::day(static_cast<unsigned>(local.tm_mday))};
}

bool ParseCount(const std::string& text, long long low, long long high, long long& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && value >= low &&
           value <= high;
}

// Options "--name VALUE" of a command; anything else is a positional argument.
struct Options {
    std::vector<std::pair<std::string, std::string>> named;
    std::vector<std::string> positional;
    std::string problem;

    const std::string* Get(const char* name) const {
        const std::string* found = nullptr;
        for (const auto& [key, value] : named)
            if (key == name)
                found = &value;
        return found;
    }
};

Options ReadOptions(const Args& args, std::size_t from, std::initializer_list<const char*> known) {
    Options options;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            bool isKnown = false;
            for (const char* k : known)
                isKnown = isKnown || a == k;
            if (!isKnown) {
                options.problem = "unknown option " + a;
                return options;
            }
            if (i + 1 >= args.size()) {
                options.problem = a + " needs a value";
                return options;
            }
            options.named.emplace_back(a, args[i + 1]);
            ++i;
        } else {
            options.positional.push_back(a);
        }
    }
    return options;
}

// The Monday of --week DATE, or of this week.
bool WeekOf(const Options& options, Date& monday, std::string& problem) {
    const std::string* week = options.Get("--week");
    if (!week) {
        monday = MondayOf(TodayDate());
        return true;
    }
    const auto day = ParseDay(*week);
    if (!day) {
        problem = "--week needs a date YYYY-MM-DD";
        return false;
    }
    monday = MondayOf(*day);
    return true;
}

int Reported(const char* what, const std::string& message, PlanStatus status) {
    if (!message.empty())
        std::cerr << "cookbook " << what << ": " << Cp1250ToUtf8(message) << "\n";
    return status == PlanStatus::Ok || status == PlanStatus::Damaged ? kOk : kFailure;
}

// A recipe of the data folder and its title, or the failure already reported.
int RecipeTitle(const char* command, const std::string& file, std::string& title) {
    std::string text;
    if (!IsSafeDataName(file) || !ReadWholeDataFile(file, text))
        return Failure(std::string("cookbook ") + command + ": no recipe " + file +
                       " in the data folder");
    title = ListTitleOf(ReadRecipe(ScrambleBytes(text)));
    return kOk;
}

int PlanShow(const Args& args) {
    const Options options = ReadOptions(args, 1, {"--week"});
    const Command& command = FindCommand("plan");
    if (!options.problem.empty() || !options.positional.empty())
        return UsageError(command,
                          options.problem.empty() ? "too many arguments" : options.problem);
    Date monday;
    std::string problem;
    if (!WeekOf(options, monday, problem))
        return UsageError(command, problem);
    const PlanResult loaded = LoadPlan();
    if (Reported("plan", loaded.message, loaded.status) != kOk)
        return kFailure;
    if (const WriteResult w = WriteOutput("-", PlanWeekText(loaded.plan, monday)); !w)
        return Failure("cookbook plan: " + CannotWrite("-", w));
    return kOk;
}

int PlanAdd(const Args& args) {
    const Options options =
        ReadOptions(args, 1, {"--day", "--meal", "--recipe", "--portii", "--resturi"});
    const Command& command = FindCommand("plan");
    if (!options.problem.empty() || !options.positional.empty())
        return UsageError(command,
                          options.problem.empty() ? "too many arguments" : options.problem);
    const std::string* day = options.Get("--day");
    const std::string* meal = options.Get("--meal");
    const std::string* recipe = options.Get("--recipe");
    if (!day || !meal || !recipe)
        return UsageError(command, "plan add needs --day, --meal and --recipe");
    PlanEntry entry;
    const auto date = ParseDay(*day);
    if (!date)
        return UsageError(command, "--day needs a date YYYY-MM-DD");
    const auto m = ParseMeal(*meal);
    if (!m)
        return UsageError(command, "--meal is one of mic-dejun, pranz, cina, gustare");
    entry.cooked = {*date, *m};
    long long portions = 0, leftovers = 0;
    if (const std::string* p = options.Get("--portii");
        p && !ParseCount(*p, 1, kPlanPortionsLimit, portions))
        return UsageError(command, "--portii needs a number from 1 to 99");
    if (const std::string* r = options.Get("--resturi");
        r && !ParseCount(*r, 0, kPlanEatenLimit - 1, leftovers))
        return UsageError(command, "--resturi needs a number of later lunches from 0 to 13");
    entry.recipeFile = *recipe;
    if (const int missing = RecipeTitle("plan", entry.recipeFile, entry.title); missing != kOk)
        return missing;
    if (portions == 0) {
        std::string text;
        if (ReadWholeDataFile(entry.recipeFile, text))
            portions = ServingsOf(ReadRecipe(ScrambleBytes(text))).value_or(1);
    }
    entry.portions = static_cast<int>(portions);
    entry.leftovers = LeftoverLunches(entry.cooked, static_cast<int>(leftovers));
    const PlanResult result = AddToPlan(entry);
    if (Reported("plan", result.message, result.status) != kOk)
        return kFailure;
    std::cout << "added [" << result.id << "] " << DateText(entry.cooked.day) << " "
              << MealKey(entry.cooked.meal) << " " << entry.recipeFile << " (" << entry.portions
              << ")\n";
    return kOk;
}

int PlanRemove(const Args& args) {
    const Options options = ReadOptions(args, 1, {"--id", "--day", "--meal", "--recipe"});
    const Command& command = FindCommand("plan");
    if (!options.problem.empty() || !options.positional.empty())
        return UsageError(command,
                          options.problem.empty() ? "too many arguments" : options.problem);
    long long id = 0;
    const std::string* idText = options.Get("--id");
    const std::string* day = options.Get("--day");
    const std::string* meal = options.Get("--meal");
    const std::string* recipe = options.Get("--recipe");
    std::optional<MealSlot> slot;
    if (idText) {
        if (!ParseCount(*idText, 1, 1LL << 53, id))
            return UsageError(command, "--id needs the number plan show gives in [ ]");
    } else {
        if (!day || !meal)
            return UsageError(command, "plan remove needs --id, or --day and --meal");
        const auto date = ParseDay(*day);
        const auto m = ParseMeal(*meal);
        if (!date || !m)
            return UsageError(command, "--day needs YYYY-MM-DD and --meal one of mic-dejun, "
                                       "pranz, cina, gustare");
        slot = MealSlot{*date, *m};
    }
    int removed = 0;
    const PlanResult result = ChangePlan([&](Plan& plan) {
        if (!slot)
            return RemoveEntry(plan, static_cast<std::uint64_t>(id)) && ++removed > 0;
        std::vector<std::uint64_t> ids;
        for (const PlanEntry& e : plan.entries)
            if (e.cooked == *slot && (!recipe || EqualsIgnoreAsciiCase(e.recipeFile, *recipe)))
                ids.push_back(e.id);
        for (const std::uint64_t i : ids)
            removed += RemoveEntry(plan, i) ? 1 : 0;
        return removed > 0;
    });
    if (result.status == PlanStatus::NotFound)
        return Failure("cookbook plan: the plan holds no such entry");
    if (Reported("plan", result.message, result.status) != kOk)
        return kFailure;
    std::cout << "removed " << removed << "\n";
    return kOk;
}

int PlanMove(const Args& args) {
    const Options options = ReadOptions(args, 1, {"--id", "--day", "--meal"});
    const Command& command = FindCommand("plan");
    const std::string* idText = options.Get("--id");
    const std::string* day = options.Get("--day");
    const std::string* meal = options.Get("--meal");
    long long id = 0;
    if (!options.problem.empty() || !options.positional.empty() || !idText || !day || !meal)
        return UsageError(command, "plan move needs --id, --day and --meal");
    const auto date = ParseDay(*day);
    const auto m = ParseMeal(*meal);
    if (!ParseCount(*idText, 1, 1LL << 53, id) || !date || !m)
        return UsageError(command, "plan move needs a number, YYYY-MM-DD and a meal");
    const PlanResult result = MoveInPlan(static_cast<std::uint64_t>(id), {*date, *m});
    if (result.status == PlanStatus::NotFound)
        return Failure("cookbook plan: the plan holds no such entry");
    return Reported("plan", result.message, result.status);
}

int PlanHousehold(const Args& args) {
    const Command& command = FindCommand("plan");
    Household household;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string text;
        if (const int usage = TextArgument(command, args[i], text); usage != kOk)
            return usage;
        Person person;
        const std::size_t colon = text.rfind(':');
        person.name = text.substr(0, colon);
        if (colon != std::string::npos) {
            long long goal = 0;
            if (!ParseCount(text.substr(colon + 1), 0, kPlanGoalLimit, goal))
                return UsageError(command, "a goal after \":\" is kcal a day, 0 to 20000");
            person.dailyGoal = static_cast<int>(goal);
        }
        if (person.name.empty() || person.name.size() > kPlanTextLimit)
            return UsageError(command, "each person is NAME or NAME:KCAL");
        household.people.push_back(std::move(person));
    }
    if (household.people.size() > kPlanPeopleLimit)
        return UsageError(command, "at most 50 people");
    const PlanResult result = SetHousehold(household);
    return Reported("plan", result.message, result.status);
}

int PlanIcal(const Args& args) {
    const Options options = ReadOptions(args, 1, {"--week"});
    const Command& command = FindCommand("plan");
    if (!options.problem.empty() || options.positional.size() != 1)
        return UsageError(command,
                          options.problem.empty() ? "plan ical needs one FILE" : options.problem);
    Date monday;
    std::string problem;
    if (!WeekOf(options, monday, problem))
        return UsageError(command, problem);
    const PlanResult loaded = LoadPlan();
    if (Reported("plan", loaded.message, loaded.status) != kOk)
        return kFailure;
    const std::string out = options.positional[0] == "-" ? "-" : CallerPath(options.positional[0]);
    const std::string ical = PlanICalendar(loaded.plan, monday, std::chrono::system_clock::now());
    if (const WriteResult w = WriteOutput(out, ical, true); !w)
        return Failure("cookbook plan: " + CannotWrite(out, w));
    return kOk;
}

} // namespace

int RunPlan(const Args& args) {
    const Command& command = FindCommand("plan");
    if (args.empty())
        return UsageError(command, "needs show, add, remove, move, household or ical");
    const std::string& what = args[0];
    if (what == "show")
        return PlanShow(args);
    if (what == "add")
        return PlanAdd(args);
    if (what == "remove")
        return PlanRemove(args);
    if (what == "move")
        return PlanMove(args);
    if (what == "household")
        return PlanHousehold(args);
    if (what == "ical")
        return PlanIcal(args);
    return UsageError(command, "no such plan command " + what);
}

int RunShop(const Args& args) {
    const Command& command = FindCommand("shop");
    std::vector<ShoppingSource> sources;
    std::optional<Date> week;
    std::vector<Date> days;
    std::string ical, text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--week" || a == "--days" || a == "--ical" || a == "--text" || a == "--portii") {
            if (!hasValue)
                return UsageError(command, a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--week") {
                const auto d = ParseDay(v);
                if (!d)
                    return UsageError(command, "--week needs a date YYYY-MM-DD");
                week = MondayOf(*d);
            } else if (a == "--days") {
                for (std::size_t at = 0; at <= v.size();) {
                    const std::size_t comma = std::min(v.find(',', at), v.size());
                    const auto d = ParseDay(v.substr(at, comma - at));
                    if (!d)
                        return UsageError(command, "--days needs dates YYYY-MM-DD,YYYY-MM-DD");
                    days.push_back(*d);
                    at = comma + 1;
                }
            } else if (a == "--ical") {
                ical = v;
            } else if (a == "--text") {
                text = v;
            } else {
                long long portions = 0;
                if (sources.empty())
                    return UsageError(command, "--portii follows a RECIPE");
                if (!ParseCount(v, 1, kPlanPortionsLimit, portions))
                    return UsageError(command, "--portii needs a number from 1 to 99");
                sources.back().portions = static_cast<int>(portions);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError(command, "unknown option " + a);
        } else {
            ShoppingSource source;
            source.recipeFile = a;
            if (const int missing = RecipeTitle("shop", a, source.title); missing != kOk)
                return missing;
            sources.push_back(std::move(source));
        }
    }
    if ((week ? 1 : 0) + (days.empty() ? 0 : 1) + (sources.empty() ? 0 : 1) != 1)
        return UsageError(command, "give --week DATE, --days DATES or recipes");
    if (week || !days.empty()) {
        const PlanResult loaded = LoadPlan();
        if (Reported("shop", loaded.message, loaded.status) != kOk)
            return kFailure;
        sources = week ? SourcesOfWeek(loaded.plan, *week) : SourcesOfDays(loaded.plan, days);
    }
    const ShoppingStateResult state = LoadShoppingState();
    if (!state.message.empty())
        std::cerr << "cookbook shop: " << Cp1250ToUtf8(state.message) << "\n";
    const ShoppingList list = BuildShoppingList(sources, state.state);
    if (list.tableMissing)
        return Failure("cookbook shop: a calorie table of the data folder cannot be read");
    const std::string plain = ShoppingListText(list);
    if (!ical.empty()) {
        const std::string out = ical == "-" ? "-" : CallerPath(ical);
        if (const WriteResult w =
                WriteOutput(out, ShoppingICalendar(list, std::chrono::system_clock::now()), true);
            !w)
            return Failure("cookbook shop: " + CannotWrite(out, w));
    }
    if (!text.empty()) {
        const std::string out = text == "-" ? "-" : CallerPath(text);
        if (const WriteResult w = WriteOutput(out, Cp1250ToUtf8(plain), true); !w)
            return Failure("cookbook shop: " + CannotWrite(out, w));
    }
    if (ical.empty() && text.empty())
        if (const WriteResult w = WriteOutput("-", plain); !w)
            return Failure("cookbook shop: " + CannotWrite("-", w));
    return kOk;
}

} // namespace cookbook
