#include "planning/plan.h"

#include "catalogue/recipe_model.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/fold.h"
#include "core/report.h"
#include "core/scramble.h"
#include "core/store_lock.h"
#include "planning/plan_file.h"
#include "viewing/calories.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include <nlohmann/json.hpp>

namespace savorel {

namespace {

using Json = nlohmann::json;
using namespace std::chrono;

constexpr std::string_view kPlanMagic = "savorel-plan";

struct MealWords {
    const char* name; // Windows-1250
    const char* key;
};
constexpr MealWords kMealWords[] = {
    {"mic dejun", "mic-dejun"}, {"pr\xE2nz", "pranz"}, {"cin\xE3", "cina"}, {"gustare", "gustare"}};

constexpr const char* kWeekdays[] = {"luni",   "mar\xFEi",         "miercuri",   "joi",
                                     "vineri", "s\xE2mb\xE3t\xE3", "duminic\xE3"};

std::string Whole(double value) {
    char buffer[64];
    const double rounded = std::round(value);
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 0);
    if (r.ec != std::errc())
        return "0";
    std::string text(buffer, r.ptr);
    return text == "-0" ? "0" : text;
}

std::string Number(long long value) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

void SortEntries(Plan& plan) {
    std::stable_sort(
        plan.entries.begin(), plan.entries.end(),
        [](const PlanEntry& a, const PlanEntry& b) { return SlotBefore(a.cooked, b.cooked); });
}

PlanEntry Clamped(PlanEntry entry) {
    entry.portions = std::clamp(entry.portions, 1, kPlanPortionsLimit);
    if (entry.leftovers.size() > kPlanEatenLimit - 1)
        entry.leftovers.resize(kPlanEatenLimit - 1);
    if (entry.title.size() > kPlanTextLimit)
        entry.title.resize(kPlanTextLimit);
    return entry;
}

bool InWeek(Date day, Date monday) {
    const auto d = sys_days(day) - sys_days(monday);
    return d.count() >= 0 && d.count() < 7;
}

// ---- the file ----

Json SlotJson(const MealSlot& slot) {
    return Json{{"day", DateText(slot.day)}, {"meal", MealKey(slot.meal)}};
}

std::string Utf8(const std::string& cp1250) {
    return Cp1250ToUtf8(cp1250);
}

struct Reader {
    std::string error;

    bool Fail(std::string why) {
        if (error.empty())
            error = std::move(why);
        return false;
    }

    bool Text(const Json& object, const char* key, std::string& out, bool required) {
        const auto it = object.find(key);
        if (it == object.end())
            return !required || Fail(std::string("\"") + key + "\" lipseste");
        if (!it->is_string())
            return Fail(std::string("\"") + key + "\" nu este un text");
        const std::string& value = it->get_ref<const std::string&>();
        if (value.size() > kPlanTextLimit)
            return Fail(std::string("\"") + key + "\" este prea lung");
        out = Utf8ToCp1250Folded(value);
        return true;
    }

    bool Integer(const Json& object, const char* key, long long low, long long high, long long& out,
                 bool required) {
        const auto it = object.find(key);
        if (it == object.end())
            return !required || Fail(std::string("\"") + key + "\" lipseste");
        if (!it->is_number_integer())
            return Fail(std::string("\"") + key + "\" nu este un numar intreg");
        long long value = 0;
        if (it->is_number_unsigned()) {
            const auto u = it->get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(high))
                return Fail(std::string("\"") + key + "\" este prea mare");
            value = static_cast<long long>(u);
        } else {
            value = it->get<long long>();
        }
        if (value < low || value > high)
            return Fail(std::string("\"") + key + "\" iese din limite");
        out = value;
        return true;
    }

    bool Slot(const Json& object, MealSlot& slot) {
        if (!object.is_object())
            return Fail("o masa nu este un obiect");
        std::string day, meal;
        if (!Text(object, "day", day, true) || !Text(object, "meal", meal, true))
            return false;
        const auto date = ParseDay(day);
        if (!date)
            return Fail("ziua \"" + day + "\" nu este o data");
        const auto m = ParseMeal(meal);
        if (!m)
            return Fail("masa \"" + meal + "\" nu exista");
        slot = {*date, *m};
        return true;
    }
};

} // namespace

// ---- meals and dates ----

std::string MealName(Meal meal) {
    return kMealWords[static_cast<int>(meal)].name;
}

std::string MealKey(Meal meal) {
    return kMealWords[static_cast<int>(meal)].key;
}

std::optional<Meal> ParseMeal(std::string_view text) {
    std::string folded = Folded(text);
    std::replace(folded.begin(), folded.end(), '-', ' ');
    for (const Meal meal : kMeals) {
        std::string key = MealKey(meal);
        std::replace(key.begin(), key.end(), '-', ' ');
        if (folded == Folded(key) || folded == Folded(MealName(meal)))
            return meal;
    }
    return std::nullopt;
}

std::string DateText(Date day) {
    char buffer[16];
    const int y = static_cast<int>(day.year());
    if (y < 0 || y > 9999)
        return "0000-00-00";
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", y, static_cast<unsigned>(day.month()),
                  static_cast<unsigned>(day.day()));
    return buffer;
}

std::optional<Date> ParseDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (!IsAsciiDigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
    const int y = std::stoi(std::string(text.substr(0, 4)));
    const unsigned m = static_cast<unsigned>(std::stoi(std::string(text.substr(5, 2))));
    const unsigned d = static_cast<unsigned>(std::stoi(std::string(text.substr(8, 2))));
    const Date date{year(y), month(m), day(d)};
    if (!date.ok() || y < 1)
        return std::nullopt;
    return date;
}

int WeekdayIndex(Date day) {
    const weekday w{sys_days(day)};
    return static_cast<int>((w.c_encoding() + 6) % 7);
}

Date MondayOf(Date day) {
    return Date{sys_days(day) - days(WeekdayIndex(day))};
}

Date AddDays(Date day, int count) {
    return Date{sys_days(day) + days(count)};
}

std::string WeekdayName(Date day) {
    return kWeekdays[WeekdayIndex(day)];
}

bool SlotBefore(const MealSlot& a, const MealSlot& b) {
    if (a.day != b.day)
        return a.day < b.day;
    return static_cast<int>(a.meal) < static_cast<int>(b.meal);
}

std::vector<MealSlot> EatenAt(const PlanEntry& entry) {
    std::vector<MealSlot> slots{entry.cooked};
    slots.insert(slots.end(), entry.leftovers.begin(), entry.leftovers.end());
    return slots;
}

std::vector<MealSlot> LeftoverLunches(const MealSlot& cooked, int count) {
    std::vector<MealSlot> slots;
    for (int i = 1; i <= count && slots.size() + 1 < kPlanEatenLimit; ++i)
        slots.push_back({AddDays(cooked.day, i), Meal::Lunch});
    return slots;
}

// ---- the plan in memory ----

std::uint64_t AddEntry(Plan& plan, PlanEntry entry) {
    entry = Clamped(std::move(entry));
    for (const PlanEntry& e : plan.entries)
        plan.nextId = std::max(plan.nextId, e.id + 1);
    entry.id = plan.nextId++;
    const std::uint64_t id = entry.id;
    plan.entries.push_back(std::move(entry));
    SortEntries(plan);
    return id;
}

bool RemoveEntry(Plan& plan, std::uint64_t id) {
    const auto it = std::find_if(plan.entries.begin(), plan.entries.end(),
                                 [id](const PlanEntry& e) { return e.id == id; });
    if (it == plan.entries.end())
        return false;
    plan.entries.erase(it);
    return true;
}

bool MoveEntry(Plan& plan, std::uint64_t id, const MealSlot& to) {
    const auto it = std::find_if(plan.entries.begin(), plan.entries.end(),
                                 [id](const PlanEntry& e) { return e.id == id; });
    if (it == plan.entries.end())
        return false;
    const days shift = sys_days(to.day) - sys_days(it->cooked.day);
    it->cooked = to;
    for (MealSlot& slot : it->leftovers)
        slot.day = Date{sys_days(slot.day) + shift};
    SortEntries(plan);
    return true;
}

const PlanEntry* FindEntry(const Plan& plan, std::uint64_t id) {
    for (const PlanEntry& e : plan.entries)
        if (e.id == id)
            return &e;
    return nullptr;
}

std::vector<const PlanEntry*> EntriesEatenInWeek(const Plan& plan, Date monday) {
    std::vector<const PlanEntry*> found;
    for (const PlanEntry& e : plan.entries) {
        const auto slots = EatenAt(e);
        if (std::any_of(slots.begin(), slots.end(),
                        [&](const MealSlot& s) { return InWeek(s.day, monday); }))
            found.push_back(&e);
    }
    return found;
}

std::vector<const PlanEntry*> EntriesCookedInWeek(const Plan& plan, Date monday) {
    std::vector<const PlanEntry*> found;
    for (const PlanEntry& e : plan.entries)
        if (InWeek(e.cooked.day, monday))
            found.push_back(&e);
    return found;
}

std::vector<const PlanEntry*> EntriesCookedOn(const Plan& plan, const std::vector<Date>& days) {
    std::vector<const PlanEntry*> found;
    for (const PlanEntry& e : plan.entries)
        if (std::find(days.begin(), days.end(), e.cooked.day) != days.end())
            found.push_back(&e);
    return found;
}

// ---- the file's text ----

std::string PlanFileText(const Plan& plan) {
    Json people = Json::array();
    for (const Person& p : plan.household.people) {
        Json person{{"name", Utf8(p.name)}};
        if (p.dailyGoal > 0)
            person["goal"] = p.dailyGoal;
        people.push_back(std::move(person));
    }
    Json entries = Json::array();
    for (const PlanEntry& e : plan.entries) {
        Json leftovers = Json::array();
        for (const MealSlot& s : e.leftovers)
            leftovers.push_back(SlotJson(s));
        entries.push_back(Json{{"id", e.id},
                               {"day", DateText(e.cooked.day)},
                               {"meal", MealKey(e.cooked.meal)},
                               {"recipe", Utf8(e.recipeFile)},
                               {"title", Utf8(e.title)},
                               {"portions", e.portions},
                               {"leftovers", std::move(leftovers)}});
    }
    const Json file{{std::string(kPlanMagic), 1},
                    {"nextId", plan.nextId},
                    {"household", std::move(people)},
                    {"entries", std::move(entries)}};
    return file.dump(1, '\t', false, Json::error_handler_t::replace) + "\n";
}

std::optional<Plan> ParsePlanText(std::string_view text, std::string* error) {
    Reader reader;
    const auto fail = [&](std::string why) -> std::optional<Plan> {
        reader.Fail(std::move(why));
        if (error)
            *error = reader.error;
        return std::nullopt;
    };
    if (text.size() > kPlanFileLimit)
        return fail("fisierul este mai mare de " + Number(kPlanFileLimit >> 20) + " MiB");
    bool tooDeep = false;
    Json::parser_callback_t depthCheck = [&](int depth, Json::parse_event_t, Json&) {
        if (depth > kPlanDepthLimit)
            tooDeep = true;
        return !tooDeep;
    };
    Json json = Json::parse(text.begin(), text.end(), depthCheck, false);
    if (tooDeep)
        return fail("mai mult de " + Number(kPlanDepthLimit) + " niveluri de obiecte");
    if (json.is_discarded())
        return fail("nu este un text JSON intreg");
    if (!json.is_object())
        return fail("nu este un obiect JSON");
    const auto magic = json.find(std::string(kPlanMagic));
    if (magic == json.end() || !magic->is_number_integer() || magic->get<long long>() != 1)
        return fail("nu este un plan Savorel (versiunea 1)");
    Plan plan;
    long long nextId = 1;
    if (!reader.Integer(json, "nextId", 1, 1LL << 53, nextId, false))
        return fail("");
    plan.nextId = static_cast<std::uint64_t>(nextId);

    const auto people = json.find("household");
    if (people != json.end()) {
        if (!people->is_array())
            return fail("\"household\" nu este o lista");
        if (people->size() > kPlanPeopleLimit)
            return fail("mai mult de " + Number(kPlanPeopleLimit) + " persoane");
        for (const Json& p : *people) {
            if (!p.is_object())
                return fail("o persoana nu este un obiect");
            Person person;
            long long goal = 0;
            if (!reader.Text(p, "name", person.name, true) ||
                !reader.Integer(p, "goal", 0, kPlanGoalLimit, goal, false))
                return fail("");
            person.dailyGoal = static_cast<int>(goal);
            plan.household.people.push_back(std::move(person));
        }
    }
    const auto entries = json.find("entries");
    if (entries != json.end()) {
        if (!entries->is_array())
            return fail("\"entries\" nu este o lista");
        if (entries->size() > kPlanEntryLimit)
            return fail("mai mult de " + Number(kPlanEntryLimit) + " retete planificate");
        for (const Json& e : *entries) {
            if (!e.is_object())
                return fail("o reteta planificata nu este un obiect");
            PlanEntry entry;
            long long id = 0, portions = 1;
            if (!reader.Integer(e, "id", 1, 1LL << 53, id, true) || !reader.Slot(e, entry.cooked) ||
                !reader.Text(e, "recipe", entry.recipeFile, true) ||
                !reader.Text(e, "title", entry.title, false) ||
                !reader.Integer(e, "portions", 1, kPlanPortionsLimit, portions, true))
                return fail("");
            if (!IsSafeDataName(entry.recipeFile))
                return fail("numele de fisier \"" + entry.recipeFile +
                            "\" nu este din dosarul de date");
            entry.id = static_cast<std::uint64_t>(id);
            entry.portions = static_cast<int>(portions);
            if (FindEntry(plan, entry.id))
                return fail("numarul " + Number(id) + " apare de doua ori");
            const auto leftovers = e.find("leftovers");
            if (leftovers != e.end()) {
                if (!leftovers->is_array())
                    return fail("\"leftovers\" nu este o lista");
                if (leftovers->size() + 1 > kPlanEatenLimit)
                    return fail("o reteta mancata la mai mult de " + Number(kPlanEatenLimit) +
                                " mese");
                for (const Json& s : *leftovers) {
                    MealSlot slot;
                    if (!reader.Slot(s, slot))
                        return fail("");
                    entry.leftovers.push_back(slot);
                }
            }
            plan.nextId = std::max(plan.nextId, entry.id + 1);
            plan.entries.push_back(std::move(entry));
        }
    }
    SortEntries(plan);
    if (error)
        error->clear();
    return plan;
}

// ---- the file in the data folder ----

PlanResult LoadPlan() {
    PlanResult result;
    std::string text;
    switch (ReadKeptFile(
        kPlanFile, kPlanFileLimit, text, result.message, result.keptAs,
        [](std::string_view t, std::string* why) { return ParsePlanText(t, why).has_value(); })) {
    case KeptFileRead::Missing:
        return result;
    case KeptFileRead::Busy:
        result.status = PlanStatus::Busy;
        return result;
    case KeptFileRead::Damaged:
        result.status = PlanStatus::Damaged;
        return result;
    case KeptFileRead::Read:
        break;
    }
    result.plan = *ParsePlanText(text);
    return result;
}

PlanResult ChangePlan(const std::function<bool(Plan&)>& change) {
    PlanResult result;
    StoreLock lock;
    if (!lock.Held()) {
        result.status = PlanStatus::Busy;
        result.message = kStoreBusy;
        return result;
    }
    result = LoadPlan();
    if (result.status == PlanStatus::Busy)
        return result;
    if (result.status == PlanStatus::Damaged && result.keptAs.empty()) {
        result.status = PlanStatus::NotWritten; // never written over a file not kept aside
        return result;
    }
    std::string damaged = result.message;
    const std::string keptAs = result.keptAs;
    Plan changed = result.plan;
    if (!change(changed)) {
        result.status = PlanStatus::NotFound;
        return result;
    }
    const WriteResult written =
        WriteFileAtomically(kPlanFile, ScrambleBytes(PlanFileText(changed)));
    if (!written) {
        result.status = PlanStatus::NotWritten;
        result.message = "Planul nu a putut fi scris (" + std::string(kPlanFile) +
                         "): " + WriteFailureText(written);
        if (!damaged.empty())
            result.message = damaged + "\n" + result.message;
        return result;
    }
    result.plan = std::move(changed);
    result.status = keptAs.empty() ? PlanStatus::Ok : PlanStatus::Damaged;
    result.message = damaged;
    result.keptAs = keptAs;
    return result;
}

PlanResult AddToPlan(const PlanEntry& entry) {
    std::uint64_t id = 0;
    PlanResult result = ChangePlan([&](Plan& plan) {
        id = AddEntry(plan, entry);
        return true;
    });
    if (result.status == PlanStatus::Ok || result.status == PlanStatus::Damaged)
        result.id = id;
    return result;
}

PlanResult RemoveFromPlan(std::uint64_t id) {
    return ChangePlan([id](Plan& plan) { return RemoveEntry(plan, id); });
}

PlanResult MoveInPlan(std::uint64_t id, const MealSlot& to) {
    return ChangePlan([&](Plan& plan) { return MoveEntry(plan, id, to); });
}

PlanResult SetHousehold(const Household& household) {
    return ChangePlan([&](Plan& plan) {
        plan.household = household;
        if (plan.household.people.size() > kPlanPeopleLimit)
            plan.household.people.resize(kPlanPeopleLimit);
        for (Person& p : plan.household.people) {
            p.dailyGoal = std::clamp(p.dailyGoal, 0, kPlanGoalLimit);
            if (p.name.size() > kPlanTextLimit)
                p.name.resize(kPlanTextLimit);
        }
        return true;
    });
}

// ---- calories ----

RecipeCalories CaloriesOfRecipe(const std::string& recipeFile, int portions) {
    RecipeCalories calories;
    std::string text;
    if (!IsSafeDataName(recipeFile) || !ReadWholeDataFile(recipeFile, text))
        return calories;
    text = ScrambleBytes(text);
    const Recipe recipe = ReadRecipe(text);
    calories.found = true;
    calories.title = ListTitleOf(recipe);
    CalorieState state;
    CollectingReporter quiet;
    const int servings = std::clamp(portions, 1, kPlanPortionsLimit);
    if (IsLosslessText(text)) {
        const CalorieInput input = CalorieInputOf(recipe);
        CalculateFromTokens(input.tokens, input.servings, state, quiet, servings);
    } else if (!CalculateFromBookText(text, state, quiet, servings)) {
        calories.partial = true;
        return calories;
    }
    if (state.tableMissing) {
        calories.partial = true;
        return calories;
    }
    const int eaters = state.servings > 0 ? state.servings : servings;
    calories.perPortion = state.total / eaters;
    calories.partial = state.notUnderstood.find_first_not_of(' ') != std::string::npos;
    return calories;
}

const RecipeCalories& CalorieCache::Of(const std::string& recipeFile, int portions) {
    for (const auto& [key, value] : m_known)
        if (key.first == recipeFile && key.second == portions)
            return value;
    m_known.emplace_back(std::make_pair(recipeFile, portions),
                         CaloriesOfRecipe(recipeFile, portions));
    return m_known.back().second;
}

WeekCalories CaloriesOfWeek(const Plan& plan, Date monday, CalorieCache* cache) {
    CalorieCache local;
    CalorieCache& known = cache ? *cache : local;
    WeekCalories week;
    for (int i = 0; i < 7; ++i)
        week.days[static_cast<std::size_t>(i)].day = AddDays(monday, i);
    for (const PlanEntry* entry : EntriesEatenInWeek(plan, monday)) {
        const RecipeCalories& kcal = known.Of(entry->recipeFile, entry->portions);
        for (const MealSlot& slot : EatenAt(*entry)) {
            if (!InWeek(slot.day, monday))
                continue;
            DayCalories& day = week.days[static_cast<std::size_t>(
                (sys_days(slot.day) - sys_days(monday)).count())];
            if (!kcal.found) {
                day.missing = true;
                continue;
            }
            day.perPerson += kcal.perPortion;
            day.perMeal[static_cast<std::size_t>(slot.meal)] += kcal.perPortion;
            day.partial = day.partial || kcal.partial;
        }
    }
    for (const DayCalories& day : week.days) {
        week.total += day.perPerson;
        week.partial = week.partial || day.partial;
        week.missing = week.missing || day.missing;
    }
    return week;
}

std::string DayCaloriesText(const DayCalories& day, const Person* person) {
    std::string text = Whole(day.perPerson) + " kcal";
    if (person && person->dailyGoal > 0)
        text += " / " + Number(person->dailyGoal) + " kcal";
    if (day.partial)
        text += " (par\xFEial)";
    if (day.missing)
        text += " (re\xFE"
                "et\xE3 lips\xE3)";
    return text;
}

std::string PlanWeekText(const Plan& plan, Date monday, CalorieCache* cache) {
    CalorieCache local;
    CalorieCache& known = cache ? *cache : local;
    const WeekCalories week = CaloriesOfWeek(plan, monday, &known);
    std::string out =
        "S\xE3pt\xE3m\xE2na " + DateText(monday) + " - " + DateText(AddDays(monday, 6)) + "\n";
    if (!plan.household.people.empty()) {
        out += "Gospod\xE3ria:";
        for (std::size_t i = 0; i < plan.household.people.size(); ++i) {
            const Person& p = plan.household.people[i];
            out += (i ? ", " : " ") + p.name;
            if (p.dailyGoal > 0)
                out += " (" + Number(p.dailyGoal) + " kcal)";
        }
        out += "\n";
    }
    const auto entries = EntriesEatenInWeek(plan, monday);
    for (int i = 0; i < 7; ++i) {
        const Date day = AddDays(monday, i);
        const DayCalories& kcal = week.days[static_cast<std::size_t>(i)];
        out += "\n" + WeekdayName(day) + " " + DateText(day) + "\n";
        for (const Meal meal : kMeals) {
            std::string line;
            for (const PlanEntry* e : entries) {
                const auto slots = EatenAt(*e);
                for (std::size_t k = 0; k < slots.size(); ++k) {
                    if (!(slots[k] == MealSlot{day, meal}))
                        continue;
                    const RecipeCalories& rc = known.Of(e->recipeFile, e->portions);
                    line += "  " + MealName(meal) + ": ";
                    if (k > 0)
                        line += "resturi: ";
                    line += e->title.empty() ? e->recipeFile : e->title;
                    line += " [" + Number(static_cast<long long>(e->id)) + "]";
                    if (k == 0)
                        line += ", " + Number(e->portions) + " por\xFEii g\xE3tite";
                    if (!rc.found)
                        line += " - LIPS\xC3 (" + e->recipeFile + ")";
                    else
                        line += ", " + Whole(rc.perPortion) + " kcal/por\xFEie" +
                                (rc.partial ? " (par\xFEial)" : "");
                    line += "\n";
                }
            }
            out += line;
        }
        if (plan.household.people.empty()) {
            out += "  Pe persoan\xE3: " + DayCaloriesText(kcal, nullptr) + "\n";
        } else {
            for (const Person& p : plan.household.people)
                out += "  " + p.name + ": " + DayCaloriesText(kcal, &p) + "\n";
        }
    }
    out += "\nTotal s\xE3pt\xE3m\xE2n\xE3: " + Whole(week.total) + " kcal de persoan\xE3";
    if (week.partial)
        out += " (par\xFEial)";
    out += "\n";
    return out;
}

// ---- iCalendar ----

std::string ICalEscape(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += ' '; // controls are not allowed in TEXT
        } else {
            out += c;
        }
    }
    return out;
}

std::string ICalLine(std::string_view line) {
    std::string out;
    std::size_t limit = 75; // octets of the first line; continuations begin with a blank
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never inside a UTF-8 character
        if (cut == 0)
            cut = limit;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;
    }
    out.append(line);
    out += "\r\n";
    return out;
}

namespace {

std::string ICalStamp(system_clock::time_point stamp) {
    const std::time_t t = system_clock::to_time_t(stamp);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &utc);
    return buffer;
}

struct MealTime {
    int startHour, startMinute, endHour, endMinute;
};
constexpr MealTime kMealTimes[] = {{8, 0, 8, 30}, {13, 0, 14, 0}, {19, 0, 20, 0}, {16, 30, 17, 0}};

std::string LocalTime(Date day, int hour, int minute) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02uT%02d%02d00", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()), hour,
                  minute);
    return buffer;
}

} // namespace

std::string PlanICalendar(const Plan& plan, Date monday, system_clock::time_point stamp) {
    CalorieCache known;
    const std::string dtstamp = ICalStamp(stamp);
    std::string out = ICalLine("BEGIN:VCALENDAR") + ICalLine("VERSION:2.0") +
                      ICalLine("PRODID:-//Savorel//Planul saptamanii//RO") +
                      ICalLine("CALSCALE:GREGORIAN");
    const auto entries = EntriesEatenInWeek(plan, monday);
    for (int i = 0; i < 7; ++i) {
        const Date day = AddDays(monday, i);
        for (const Meal meal : kMeals) {
            std::string summary, description;
            double kcal = 0;
            for (const PlanEntry* e : entries) {
                const auto slots = EatenAt(*e);
                for (std::size_t k = 0; k < slots.size(); ++k) {
                    if (!(slots[k] == MealSlot{day, meal}))
                        continue;
                    const RecipeCalories& rc = known.Of(e->recipeFile, e->portions);
                    const std::string title = Utf8(e->title.empty() ? e->recipeFile : e->title);
                    summary += (summary.empty() ? "" : ", ") + title;
                    std::string line = title;
                    if (k > 0)
                        line += " (resturi)";
                    else
                        line += " - " + Number(e->portions) + Utf8(" por\xFEii g\xE3tite");
                    if (!rc.found)
                        line += Utf8(" - lips\xE3");
                    else
                        line += " - " + Whole(rc.perPortion) + Utf8(" kcal/por\xFEie");
                    description += (description.empty() ? "" : "\n") + line;
                    kcal += rc.found ? rc.perPortion : 0;
                }
            }
            if (summary.empty())
                continue;
            description += "\n" + Whole(kcal) + Utf8(" kcal de persoan\xE3");
            const MealTime& t = kMealTimes[static_cast<int>(meal)];
            out += ICalLine("BEGIN:VEVENT");
            out += ICalLine("UID:savorel-plan-" + DateText(day) + "-" + MealKey(meal) + "@savorel");
            out += ICalLine("DTSTAMP:" + dtstamp);
            out += ICalLine("DTSTART:" + LocalTime(day, t.startHour, t.startMinute));
            out += ICalLine("DTEND:" + LocalTime(day, t.endHour, t.endMinute));
            out += ICalLine("SUMMARY:" + ICalEscape(Utf8(MealName(meal)) + ": " + summary));
            out += ICalLine("DESCRIPTION:" + ICalEscape(description));
            out += ICalLine("END:VEVENT");
        }
    }
    out += ICalLine("END:VCALENDAR");
    return out;
}

} // namespace savorel
