#include "planning/shopping.h"

#include "catalogue/recipe_model.h"
#include "catalogue/servings.h"
#include "core/collate.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/fold.h"
#include "core/records.h"
#include "core/scramble.h"
#include "core/store_lock.h"
#include "planning/plan_file.h"
#include "viewing/calories.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <nlohmann/json.hpp>

namespace savorel {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kStateMagic = "savorel-cumparaturi";

constexpr const char* kSectionNames[kSectionCount] = {"legume \xBAi fructe",
                                                      "carne \xBAi pe\xBAte",
                                                      "lactate \xBAi ou\xE3",
                                                      "panifica\xFEie",
                                                      ("b\xE3"
                                                       "c\xE3nie"),
                                                      "conserve",
                                                      "condimente",
                                                      "b\xE3uturi"};

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

bool OneOf(const std::string& folded, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](const char* w) { return folded == Folded(w); });
}

bool IsMassUnit(const std::string& folded) {
    return OneOf(folded, {"g", "gr", "kg", "gram", "grame", "kilogram", "kilograme"});
}

bool IsVolumeUnit(const std::string& folded) {
    return OneOf(folded, {"ml", "cl", "dl", "l", "litru", "litri"});
}

// Salt, pepper and water: every kitchen has them.
bool IsStaple(const std::string& food) {
    const std::string f = Folded(food);
    return OneOf(f, {"sare", "piper", "apa", "apa rece", "apa calda", "apa fierbinte",
                     "sare grunjoasa", "piper negru", "piper macinat", "piper negru macinat"});
}

// The forms of a unit, of its first word for one of several ("vârf de cuţit": "vârfuri de
// cuţit").
std::optional<UnitForms> FormsOfUnit(const std::string& unit) {
    if (auto forms = UnitFormsOf(unit))
        return forms;
    const std::size_t blank = unit.find(' ');
    if (blank == std::string::npos)
        return std::nullopt;
    auto forms = UnitFormsOf(unit.substr(0, blank));
    if (forms) {
        forms->singular += unit.substr(blank);
        forms->plural += unit.substr(blank);
    }
    return forms;
}

// The same unit in its singular and plural counts as one ("lingura", "linguri").
std::string UnitKey(const std::string& unit) {
    if (const auto forms = FormsOfUnit(unit))
        return Folded(forms->singular);
    return Folded(unit);
}

// The tables name many foods in both numbers ("ceapă" and "cepe", "căţel de usturoi" and
// "căţei de usturoi"): a list has one line for both, under the plural, when the tables know it.
std::string CanonicalFood(const std::string& food, const SectionTable& sections) {
    const std::size_t blank = food.find(' ');
    const auto forms = UnitFormsOf(food.substr(0, blank));
    if (!forms || EqualsFolded(forms->singular, forms->plural))
        return food;
    const std::string plural =
        forms->plural + (blank == std::string::npos ? std::string() : food.substr(blank));
    return sections.Names(plural) && !EqualsFolded(plural, food) ? plural : food;
}

struct Measured {
    MeasureKind kind = MeasureKind::Unit;
    std::string unit;
    double amount = 0;
};

// How an ingredient the calculator read adds up, or nothing when it cannot be.
std::optional<Measured> MeasureOf(const IngredientReading& r) {
    if (!r.matched || !r.understood || r.tableMissing)
        return std::nullopt;
    if (!r.hasNumber)
        return Measured{MeasureKind::Unit, "", 0}; // "sare dupa gust": named, not measured
    if (!(r.quantity >= 0) || !std::isfinite(r.quantity))
        return std::nullopt;
    if (r.stated) {
        const std::string su = Folded(r.statedUnit);
        const double each = static_cast<double>(r.statedQuantity);
        if (IsMassUnit(su))
            return Measured{MeasureKind::Mass, "g",
                            r.quantity * each * static_cast<double>(r.statedUnitMass)};
        if (IsVolumeUnit(su)) {
            const float ml = MillilitresOfUnit(r.statedUnit);
            return Measured{MeasureKind::Volume, "ml",
                            r.quantity * each *
                                static_cast<double>(ml > 0 ? ml : r.statedUnitMass)};
        }
        return std::nullopt;
    }
    const std::string unit = Folded(r.unit);
    if (!unit.empty() && r.unitMass > 0) {
        if (IsMassUnit(unit))
            return Measured{MeasureKind::Mass, "g", r.quantity * static_cast<double>(r.unitMass)};
        if (IsVolumeUnit(unit)) {
            const float ml = MillilitresOfUnit(r.unit);
            return Measured{MeasureKind::Volume, "ml",
                            r.quantity * static_cast<double>(ml > 0 ? ml : r.unitMass)};
        }
        if (r.byDensity && r.mass > 0)
            return Measured{MeasureKind::Mass, "g", r.quantity * static_cast<double>(r.mass)};
        return Measured{MeasureKind::Unit, r.unit, r.quantity};
    }
    if (!unit.empty() && UnitKey(r.unit) != Folded("bucat\xE3"))
        return Measured{MeasureKind::Unit, r.unit, r.quantity};
    return Measured{MeasureKind::Pieces, "", r.quantity};
}

char KindLetter(MeasureKind kind) {
    switch (kind) {
    case MeasureKind::Mass:
        return 'g';
    case MeasureKind::Volume:
        return 'v';
    case MeasureKind::Pieces:
        return 'p';
    case MeasureKind::Unit:
        break;
    }
    return 'u';
}

std::string LineKey(const std::string& food, const Measured& m) {
    return Folded(food) + "|" + KindLetter(m.kind) + "|" + UnitKey(m.unit);
}

bool Contains(const std::vector<std::string>& list, const std::string& key) {
    return std::find(list.begin(), list.end(), key) != list.end();
}

// The ingredients of a recipe as the calculator takes them, and the servings it states.
struct RecipeTokens {
    std::vector<std::string> tokens;
    int stated = 0;
};

RecipeTokens TokensOf(const std::string& text, const Recipe& recipe) {
    RecipeTokens out;
    if (IsLosslessText(text)) {
        const CalorieInput input = CalorieInputOf(recipe);
        out.tokens = input.tokens;
        out.stated = input.servings;
        return out;
    }
    const std::string& ingredients = recipe.storedIngredients;
    const auto stated = ServingsOfIngredients(ingredients);
    out.tokens = CalorieTokensOf(ingredients);
    if (stated && !out.tokens.empty()) {
        out.tokens.erase(out.tokens.begin());
        out.stated = stated->servings;
    }
    return out;
}

std::string Utf8(const std::string& cp1250) {
    return Cp1250ToUtf8(cp1250);
}

std::string ShareText(const ShoppingLine& line, const ShoppingShare& share) {
    const std::string amount = AmountText(line.kind, line.unit, share.amount);
    return amount.empty() ? share.title : amount + " " + share.title;
}

} // namespace

std::string SectionName(ShopSection section) {
    return kSectionNames[static_cast<int>(section)];
}

std::optional<ShopSection> ParseSectionName(std::string_view name) {
    for (int i = 0; i < kSectionCount; ++i)
        if (EqualsFolded(Trim(name), kSectionNames[i]))
            return static_cast<ShopSection>(i);
    return std::nullopt;
}

ShopSection SectionTable::Of(std::string_view food) const {
    const std::string key = Folded(Trim(food));
    for (const auto& [name, section] : foods)
        if (name == key)
            return section;
    return ShopSection::Grocery;
}

bool SectionTable::Names(std::string_view food) const {
    const std::string key = Folded(Trim(food));
    return std::any_of(foods.begin(), foods.end(), [&](const auto& f) { return f.first == key; });
}

SectionTable ParseSectionTable(std::string_view text) {
    SectionTable table;
    table.found = true;
    if (text.size() > kSectionTableLimit) {
        table.problems.push_back("the table is larger than " +
                                 std::to_string(kSectionTableLimit >> 10) +
                                 " KiB: only its start is read");
        text = text.substr(0, kSectionTableLimit);
    }
    std::optional<ShopSection> current;
    std::size_t number = 0;
    for (const std::string& raw : CompleteLines(text, UnendedLine::KeptUnlessEmpty)) {
        if (++number > kSectionTableLines) {
            table.problems.push_back("more than " + std::to_string(kSectionTableLines) +
                                     " lines: the rest is not read");
            break;
        }
        const std::string where = "line " + std::to_string(number) + ": ";
        if (raw.size() > kSectionLineLimit) {
            table.problems.push_back(where + "longer than " + std::to_string(kSectionLineLimit) +
                                     " characters");
            continue;
        }
        const std::string line = Trim(raw);
        if (line.empty())
            continue;
        if (line.front() == '[') {
            current = line.back() == ']' ? ParseSectionName(line.substr(1, line.size() - 2))
                                         : std::nullopt;
            if (!current)
                table.problems.push_back(where + "no such section \"" + line + "\"");
            continue;
        }
        if (!current) {
            table.problems.push_back(where + "a food before any section");
            continue;
        }
        if (table.Names(line)) {
            table.problems.push_back(where + "\"" + line + "\" is listed twice");
            continue;
        }
        table.foods.emplace_back(Folded(line), *current);
    }
    return table;
}

SectionTable LoadSectionTable() {
    std::string bytes;
    const long long size = DataFileSize(kSectionTableFile);
    if (size < 0 || static_cast<unsigned long long>(size) > kSectionTableLimit ||
        !ReadWholeDataFile(kSectionTableFile, bytes)) {
        SectionTable table;
        table.problems.push_back(size > 0 ? "the table is too large" : "cannot be opened");
        return table;
    }
    return ParseSectionTable(ScrambleBytes(bytes));
}

namespace {

void AddSource(std::vector<ShoppingSource>& sources, const PlanEntry& e) {
    for (ShoppingSource& s : sources)
        if (s.recipeFile == e.recipeFile) {
            s.portions = std::min(s.portions + e.portions, 999);
            return;
        }
    sources.push_back({e.recipeFile, e.title, e.portions});
}

} // namespace

std::vector<ShoppingSource> SourcesOfWeek(const Plan& plan, Date monday) {
    std::vector<ShoppingSource> sources;
    for (const PlanEntry* e : EntriesCookedInWeek(plan, monday))
        AddSource(sources, *e);
    return sources;
}

std::vector<ShoppingSource> SourcesOfDays(const Plan& plan, const std::vector<Date>& days) {
    std::vector<ShoppingSource> sources;
    for (const PlanEntry* e : EntriesCookedOn(plan, days))
        AddSource(sources, *e);
    return sources;
}

ShoppingList BuildShoppingList(const std::vector<ShoppingSource>& sources,
                               const ShoppingState& state, const SectionTable* sections) {
    SectionTable loaded;
    if (!sections) {
        loaded = LoadSectionTable();
        sections = &loaded;
    }
    ShoppingList list;
    list.sources = sources;
    std::map<std::string, ShoppingLine> lines;
    std::vector<std::string> order; // keys in the order first met
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const ShoppingSource& source = sources[i];
        std::string text;
        if (!IsSafeDataName(source.recipeFile) || !ReadWholeDataFile(source.recipeFile, text)) {
            list.missing.push_back(source);
            continue;
        }
        text = ScrambleBytes(text);
        const Recipe recipe = ReadRecipe(text);
        const std::string title = recipe.hasTitle ? ListTitleOf(recipe) : source.title;
        list.sources[i].title = title; // the title it has now
        const RecipeTokens input = TokensOf(text, recipe);
        const double factor = input.stated > 0 && source.portions > 0
                                  ? static_cast<double>(source.portions) / input.stated
                                  : 1.0;
        UnmergedRecipe unmerged{source.recipeFile, title, {}};
        for (const std::string& token : input.tokens) {
            const std::string written = Trim(token);
            if (written.empty())
                continue;
            const IngredientReading reading = ReadIngredient(token, factor);
            list.tableMissing = list.tableMissing || reading.tableMissing;
            const auto measured = MeasureOf(reading);
            if (!measured) {
                unmerged.items.push_back({ScaleItemText(written, factor)});
                continue;
            }
            const std::string food = CanonicalFood(reading.food, *sections);
            const std::string key = LineKey(food, *measured);
            auto [it, added] = lines.try_emplace(key);
            ShoppingLine& line = it->second;
            if (added) {
                order.push_back(key);
                line.key = key;
                line.food = food;
                line.kind = measured->kind;
                line.unit =
                    measured->kind == MeasureKind::Unit && !measured->unit.empty()
                        ? (FormsOfUnit(measured->unit) ? FormsOfUnit(measured->unit)->singular
                                                       : measured->unit)
                        : measured->unit;
                line.section = sections->Of(food);
                line.staple = IsStaple(food);
            }
            line.amount += measured->amount;
            auto share =
                std::find_if(line.shares.begin(), line.shares.end(), [&](const ShoppingShare& s) {
                    return s.recipeFile == source.recipeFile;
                });
            if (share == line.shares.end())
                line.shares.push_back({source.recipeFile, title, measured->amount});
            else
                share->amount += measured->amount;
        }
        if (!unmerged.items.empty())
            list.unmerged.push_back(std::move(unmerged));
    }
    for (const std::string& key : order) {
        ShoppingLine& line = lines[key];
        line.atHome = Contains(state.atHome, key);
        line.ticked = Contains(state.ticked, key);
        if (line.staple || line.atHome)
            list.atHome.push_back(line);
        else
            list.sections[static_cast<std::size_t>(line.section)].push_back(line);
    }
    const auto byFood = [](const ShoppingLine& a, const ShoppingLine& b) {
        const int c = CompareRomanian(a.food, b.food);
        return c != 0 ? c < 0 : a.key < b.key;
    };
    for (auto& section : list.sections)
        std::sort(section.begin(), section.end(), byFood);
    std::sort(list.atHome.begin(), list.atHome.end(), byFood);
    return list;
}

std::string AmountText(MeasureKind kind, const std::string& unit, double amount) {
    switch (kind) {
    case MeasureKind::Mass:
        if (amount >= 1000)
            return FormatQuantity(amount / 1000, QuantityStyle::Decimal) + " kg";
        return FormatQuantity(amount, QuantityStyle::Whole) + " g";
    case MeasureKind::Volume:
        if (amount >= 1000)
            return FormatQuantity(amount / 1000, QuantityStyle::Decimal) + " l";
        return FormatQuantity(amount, QuantityStyle::Whole) + " ml";
    case MeasureKind::Pieces:
        return FormatQuantity(amount, QuantityStyle::Piece);
    case MeasureKind::Unit:
        break;
    }
    if (unit.empty() || amount <= 0)
        return amount > 0 ? FormatQuantity(amount, QuantityStyle::Piece) : std::string();
    const std::string number = FormatQuantity(amount, StyleOfUnit(unit));
    const auto forms = FormsOfUnit(unit);
    if (!forms)
        return number + " " + unit;
    // "1/2 legătură", "1 legătură", "1 1/2 legături"
    const bool one = number == "1" || (number.find('/') != std::string::npos &&
                                       number.find(' ') == std::string::npos);
    return number + " " + (one ? forms->singular : forms->plural);
}

std::string AmountText(const ShoppingLine& line) {
    return AmountText(line.kind, line.unit, line.amount);
}

std::string LineText(const ShoppingLine& line) {
    const std::string amount = AmountText(line);
    std::string text = line.food;
    // "1 ceapă", "1/2 ceapă", "3 cepe": one piece or less is named in the singular.
    const bool atMostOne = amount == "1" || (amount.find('/') != std::string::npos &&
                                             amount.find(' ') == std::string::npos);
    if (line.kind == MeasureKind::Pieces && atMostOne) {
        const std::size_t blank = line.food.find(' ');
        const std::string first = line.food.substr(0, blank);
        const auto forms = UnitFormsOf(first);
        if (forms && EqualsFolded(forms->plural, first))
            text = forms->singular +
                   (blank == std::string::npos ? std::string() : line.food.substr(blank));
    }
    if (!amount.empty())
        text += " " + amount;
    text += " (";
    for (std::size_t i = 0; i < line.shares.size(); ++i)
        text += (i ? ", " : "") + ShareText(line, line.shares[i]);
    return text + ")";
}

std::string ShoppingListText(const ShoppingList& list) {
    std::string out = "Lista de cump\xE3r\xE3turi\n";
    if (!list.sources.empty()) {
        out += "Re\xFE"
               "ete:";
        for (std::size_t i = 0; i < list.sources.size(); ++i) {
            const ShoppingSource& s = list.sources[i];
            out += (i ? "; " : " ") + (s.title.empty() ? s.recipeFile : s.title);
            if (s.portions > 0)
                out += " (" + BookServingsText(std::min(s.portions, kMaxServings)) + ")";
        }
        out += "\n";
    }
    const auto box = [](bool ticked) { return ticked ? "[x] " : "[ ] "; };
    for (int i = 0; i < kSectionCount; ++i) {
        const auto& lines = list.sections[static_cast<std::size_t>(i)];
        if (lines.empty())
            continue;
        out += "\n" + SectionName(static_cast<ShopSection>(i)) + "\n";
        for (const ShoppingLine& line : lines)
            out += std::string("  ") + box(line.ticked) + LineText(line) + "\n";
    }
    if (!list.unmerged.empty()) {
        out += "\nde ad\xE3ugat dup\xE3 re\xFE"
               "et\xE3 (nu s-au putut aduna)\n";
        for (const UnmergedRecipe& r : list.unmerged) {
            out += "  " + r.title + ":\n";
            for (const UnmergedItem& item : r.items)
                out += "    [ ] " + item.text + "\n";
        }
    }
    if (!list.atHome.empty()) {
        out += "\nam acas\xE3 (sare, piper, ap\xE3 \xBAi ce a\xFEi marcat)\n";
        for (const ShoppingLine& line : list.atHome)
            out += std::string("  ") + box(line.ticked) + LineText(line) + "\n";
    }
    if (!list.missing.empty()) {
        out += "\nre\xFE"
               "ete lips\xE3 (nu apar \xEEn list\xE3)\n";
        for (const ShoppingSource& s : list.missing)
            out += "  " + (s.title.empty() ? s.recipeFile : s.title) + " (" + s.recipeFile + ")\n";
    }
    return out;
}

namespace {

std::string StampText(std::chrono::system_clock::time_point stamp) {
    const std::time_t t = std::chrono::system_clock::to_time_t(stamp);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &utc);
    return buffer;
}

std::string HashHex(std::string_view text) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
    return buffer;
}

std::string Todo(const std::string& uid, const std::string& stamp, const std::string& summary,
                 const std::string& category, bool completed) {
    std::string out = ICalLine("BEGIN:VTODO");
    out += ICalLine("UID:savorel-shop-" + uid + "@savorel");
    out += ICalLine("DTSTAMP:" + stamp);
    out += ICalLine("SUMMARY:" + ICalEscape(summary));
    out += ICalLine("CATEGORIES:" + ICalEscape(category));
    out += ICalLine(completed ? "STATUS:COMPLETED" : "STATUS:NEEDS-ACTION");
    out += ICalLine("END:VTODO");
    return out;
}

} // namespace

std::string ShoppingICalendar(const ShoppingList& list,
                              std::chrono::system_clock::time_point stamp) {
    const std::string dtstamp = StampText(stamp);
    std::string out = ICalLine("BEGIN:VCALENDAR") + ICalLine("VERSION:2.0") +
                      ICalLine("PRODID:-//Savorel//Lista de cumparaturi//RO");
    for (int i = 0; i < kSectionCount; ++i)
        for (const ShoppingLine& line : list.sections[static_cast<std::size_t>(i)])
            out += Todo(HashHex(line.key), dtstamp, Utf8(LineText(line)),
                        Utf8(SectionName(static_cast<ShopSection>(i))), line.ticked);
    for (const UnmergedRecipe& r : list.unmerged)
        for (std::size_t k = 0; k < r.items.size(); ++k)
            out += Todo(HashHex(r.recipeFile + "|" + std::to_string(k) + "|" + r.items[k].text),
                        dtstamp, Utf8(r.items[k].text + " (" + r.title + ")"),
                        Utf8(SectionName(ShopSection::Grocery)), false);
    // What is at home is not to be bought: it stays out of the to-do list.
    out += ICalLine("END:VCALENDAR");
    return out;
}

// ---- the state file ----

std::string ShoppingStateText(const ShoppingState& state) {
    Json sources = Json::array();
    for (const ShoppingSource& s : state.sources)
        sources.push_back(Json{
            {"recipe", Utf8(s.recipeFile)}, {"title", Utf8(s.title)}, {"portions", s.portions}});
    Json ticked = Json::array(), atHome = Json::array();
    for (const std::string& k : state.ticked)
        ticked.push_back(Utf8(k));
    for (const std::string& k : state.atHome)
        atHome.push_back(Utf8(k));
    const Json file{{std::string(kStateMagic), 1},
                    {"sources", std::move(sources)},
                    {"ticked", std::move(ticked)},
                    {"atHome", std::move(atHome)}};
    return file.dump(1, '\t', false, Json::error_handler_t::replace) + "\n";
}

std::optional<ShoppingState> ParseShoppingState(std::string_view text, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<ShoppingState> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (text.size() > kShoppingStateLimit)
        return fail("fisierul este prea mare");
    bool tooDeep = false;
    Json::parser_callback_t depthCheck = [&](int depth, Json::parse_event_t, Json&) {
        if (depth > kPlanDepthLimit)
            tooDeep = true;
        return !tooDeep;
    };
    const Json json = Json::parse(text.begin(), text.end(), depthCheck, false);
    if (tooDeep)
        return fail("prea multe niveluri de obiecte");
    if (json.is_discarded() || !json.is_object())
        return fail("nu este un obiect JSON intreg");
    const auto magic = json.find(std::string(kStateMagic));
    if (magic == json.end() || !magic->is_number_integer() || magic->get<long long>() != 1)
        return fail("nu este o lista de cumparaturi Savorel (versiunea 1)");
    ShoppingState state;
    const auto keys = [&](const char* name, std::vector<std::string>& out) {
        const auto it = json.find(name);
        if (it == json.end())
            return true;
        if (!it->is_array() || it->size() > kShoppingStateItems)
            return false;
        for (const Json& k : *it) {
            if (!k.is_string() || k.get_ref<const std::string&>().size() > kPlanTextLimit)
                return false;
            out.push_back(Utf8ToCp1250Folded(k.get_ref<const std::string&>()));
        }
        return true;
    };
    if (!keys("ticked", state.ticked))
        return fail("\"ticked\" nu este o lista de texte in limite");
    if (!keys("atHome", state.atHome))
        return fail("\"atHome\" nu este o lista de texte in limite");
    const auto sources = json.find("sources");
    if (sources != json.end()) {
        if (!sources->is_array() || sources->size() > kShoppingStateItems)
            return fail("\"sources\" nu este o lista in limite");
        for (const Json& s : *sources) {
            if (!s.is_object())
                return fail("o reteta a listei nu este un obiect");
            const auto recipe = s.find("recipe");
            const auto title = s.find("title");
            const auto portions = s.find("portions");
            if (recipe == s.end() || !recipe->is_string() ||
                recipe->get_ref<const std::string&>().size() > kPlanTextLimit)
                return fail("o reteta a listei nu are fisier");
            ShoppingSource source;
            source.recipeFile = Utf8ToCp1250Folded(recipe->get_ref<const std::string&>());
            if (!IsSafeDataName(source.recipeFile))
                return fail("fisierul \"" + source.recipeFile + "\" nu este din dosarul de date");
            if (title != s.end()) {
                if (!title->is_string() ||
                    title->get_ref<const std::string&>().size() > kPlanTextLimit)
                    return fail("titlul unei retete nu este un text in limite");
                source.title = Utf8ToCp1250Folded(title->get_ref<const std::string&>());
            }
            if (portions != s.end()) {
                if (!portions->is_number_integer() || portions->get<long long>() < 0 ||
                    portions->get<long long>() > 999)
                    return fail("portiile unei retete nu sunt un numar de la 0 la 999");
                source.portions = static_cast<int>(portions->get<long long>());
            }
            state.sources.push_back(std::move(source));
        }
    }
    if (error)
        error->clear();
    return state;
}

ShoppingStateResult LoadShoppingState() {
    ShoppingStateResult result;
    std::string text;
    switch (ReadKeptFile(kShoppingStateFile, kShoppingStateLimit, text, result.message,
                         result.keptAs, [](std::string_view t, std::string* why) {
                             return ParseShoppingState(t, why).has_value();
                         })) {
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
    result.state = *ParseShoppingState(text);
    return result;
}

ShoppingStateResult ChangeShoppingState(const std::function<void(ShoppingState&)>& change) {
    ShoppingStateResult result;
    StoreLock lock;
    if (!lock.Held()) {
        result.status = PlanStatus::Busy;
        result.message = kStoreBusy;
        return result;
    }
    result = LoadShoppingState();
    if (result.status == PlanStatus::Busy)
        return result;
    if (result.status == PlanStatus::Damaged && result.keptAs.empty()) {
        result.status = PlanStatus::NotWritten;
        return result;
    }
    ShoppingState changed = result.state;
    change(changed);
    const WriteResult written =
        WriteFileAtomically(kShoppingStateFile, ScrambleBytes(ShoppingStateText(changed)));
    if (!written) {
        result.status = PlanStatus::NotWritten;
        result.message += (result.message.empty() ? "" : "\n") + std::string("Lista ") +
                          kShoppingStateFile +
                          " nu a putut fi scrisa: " + WriteFailureText(written);
        return result;
    }
    result.state = std::move(changed);
    return result;
}

namespace {

void SetMember(std::vector<std::string>& list, const std::string& key, bool present) {
    const auto it = std::find(list.begin(), list.end(), key);
    if (present && it == list.end() && list.size() < kShoppingStateItems)
        list.push_back(key);
    else if (!present && it != list.end())
        list.erase(it);
}

} // namespace

ShoppingStateResult SetTicked(const std::string& key, bool ticked) {
    return ChangeShoppingState([&](ShoppingState& s) { SetMember(s.ticked, key, ticked); });
}

ShoppingStateResult SetAtHome(const std::string& key, bool atHome) {
    return ChangeShoppingState([&](ShoppingState& s) { SetMember(s.atHome, key, atHome); });
}

ShoppingStateResult SetShoppingSources(const std::vector<ShoppingSource>& sources) {
    return ChangeShoppingState([&](ShoppingState& s) {
        s.sources = sources;
        if (s.sources.size() > kShoppingStateItems)
            s.sources.resize(kShoppingStateItems);
    });
}

ShoppingStateResult ClearShoppingList() {
    return ChangeShoppingState([](ShoppingState& s) { s = ShoppingState{}; });
}

} // namespace savorel
