// The week plan and the shopping list over the shipped book: every food has a shop section,
// the list agrees with a reference computation written here, the calculator's reading agrees
// with its own totals, and `cookbook plan` / `cookbook shop` give the figures the logic gives.
#include "support/support.h"

#include "catalogue/recipe_model.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/records.h"
#include "core/scramble.h"
#include "planning/plan.h"
#include "planning/shopping.h"
#include "viewing/calories.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sys/wait.h>

using namespace savorel;
using namespace savorel::testing;
namespace fs = std::filesystem;

namespace {

// A copy of the packed book as the data folder, for the test's life.
class BookCopy {
public:
    BookCopy() {
        fs::copy(BOOK_DATA_DIR, m_dir.path(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

private:
    TempDataDir m_dir;
};

std::vector<std::string> RecipeFiles() {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(BOOK_DATA_DIR)) {
        const std::string name = e.path().filename().string();
        if (name.size() == 10 && name.compare(0, 3, "RET") == 0)
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Twenty-one recipes spread over the book: a week of breakfasts, lunches and dinners.
std::vector<std::string> WeekRecipes() {
    const std::vector<std::string> all = RecipeFiles();
    std::vector<std::string> chosen;
    for (std::size_t i = 0; chosen.size() < 21 && i < all.size(); i += all.size() / 21)
        chosen.push_back(all[i]);
    return chosen;
}

std::string Plain(const std::string& name) {
    return ReadBack(std::string(BOOK_DATA_DIR) + "/" + name, true);
}

// ---- the reference: the book's items read by a plain rule of their own ----

std::string RefFold(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z')
            out += static_cast<char>(c + 32);
        else if (c == 0xE3 || c == 0xC3 || c == 0xE2 || c == 0xC2)
            out += 'a';
        else if (c == 0xEE || c == 0xCE)
            out += 'i';
        else if (c == 0xBA || c == 0xAA)
            out += 's';
        else if (c == 0xFE || c == 0xDE)
            out += 't';
        else
            out += ch;
    }
    return out;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : std::string(text) + " ") {
        if (c == ' ') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// "2", "1,5", "0.75", "1/2", "1 1/2": the value and the words it took.
std::optional<std::pair<double, std::size_t>> RefQuantity(const std::vector<std::string>& w) {
    const auto one = [](const std::string& s) -> std::optional<double> {
        const std::size_t slash = s.find('/');
        if (slash != std::string::npos) {
            const std::string a = s.substr(0, slash), b = s.substr(slash + 1);
            if (a.empty() || b.empty() || a.find_first_not_of("0123456789") != std::string::npos ||
                b.find_first_not_of("0123456789") != std::string::npos || std::stod(b) == 0)
                return std::nullopt;
            return std::stod(a) / std::stod(b);
        }
        if (s.empty() || s.find_first_not_of("0123456789,.") != std::string::npos ||
            !std::isdigit(static_cast<unsigned char>(s[0])))
            return std::nullopt;
        std::string dotted = s;
        std::replace(dotted.begin(), dotted.end(), ',', '.');
        return std::stod(dotted);
    };
    if (w.empty())
        return std::nullopt;
    const auto first = one(w[0]);
    if (!first)
        return std::nullopt;
    if (w.size() > 1 && w[1].find('/') != std::string::npos && w[0].find('/') == std::string::npos)
        if (const auto fraction = one(w[1]))
            return std::make_pair(*first + *fraction, std::size_t{2});
    return std::make_pair(*first, std::size_t{1});
}

// Foods the tables name in both numbers, which a list shows as one, under the plural.
const char* const kSameFood[][2] = {
    {"conservă fasole cannellini", "conserve fasole cannellini"},
    {"conservă fasole neagră", "conserve fasole neagră"},
    {"conservă fasole roşie", "conserve fasole roşie"},
    {"conservă fasole albă", "conserve fasole albă"},
    {"pulpă de curcan cu os", "pulpe de curcan cu os"},
    {"ştiulete de porumb", "ştiuleţi de porumb"},
    {"antricot de vită", "antricoate de vită"},
    {"căţel de usturoi", "căţei de usturoi"},
    {"pulpă de curcan", "pulpe de curcan"},
    {"felie de pâine", "felii de pâine"},
    {"ciolan de porc", "ciolane de porc"},
    {"limbă de mare", "limbi de mare"},
    {"limbă de porc", "limbi de porc"},
    {"piept de raţă", "piepturi de raţă"},
    {"lup de mare", "lupi de mare"},
    {"castravete", "castraveţi"},
    {"păstârnac", "păstârnaci"},
    {"portocală", "portocale"},
    {"dovlecel", "dovlecei"},
    {"gălbenuş", "gălbenuşuri"},
    {"piersică", "piersici"},
    {"calamar", "calamari"},
    {"banană", "banane"},
    {"cartof", "cartofi"},
    {"doradă", "dorade"},
    {"gutuie", "gutui"},
    {"hering", "heringi"},
    {"lămâie", "lămâi"},
    {"morcov", "morcovi"},
    {"şalotă", "şalote"},
    {"vânătă", "vinete"},
    {"albuş", "albuşuri"},
    {"ceapă", "cepe"},
    {"gulie", "gulii"},
    {"lipie", "lipii"},
    {"prună", "prune"},
    {"roşie", "roşii"},
    {"pară", "pere"},
    {"măr", "mere"},
    {"ou", "ouă"},
};

std::string SameFood(const std::string& folded) {
    for (const auto& pair : kSameFood)
        if (RefFold(Utf8ToCp1250(pair[0])) == folded)
            return RefFold(Utf8ToCp1250(pair[1]));
    return folded;
}

struct RefKey {
    std::string food;
    char kind; // 'g' grams, 'v' millilitres, 'p' pieces
    bool operator<(const RefKey& o) const { return food != o.food ? food < o.food : kind < o.kind; }
};

struct Reference {
    std::map<RefKey, std::map<std::string, double>> amounts; // per recipe file
    std::set<std::string> tainted; // foods some item names in a way this rule does not read
};

Reference ReferenceList(const std::vector<std::pair<std::string, int>>& recipes) {
    std::vector<std::string> foods;
    for (const std::string& line :
         CompleteLines(Plain("zcalorii.txt"), UnendedLine::KeptUnlessEmpty))
        if (const std::size_t blank = line.find(' '); blank != std::string::npos)
            foods.push_back(RefFold(line.substr(blank + 1)));
    std::set<std::string> units;
    for (const std::string& line :
         CompleteLines(Plain("zunitmas.txt"), UnendedLine::KeptUnlessEmpty))
        if (const std::size_t blank = line.find(' '); blank != std::string::npos)
            units.insert(RefFold(line.substr(blank + 1)));
    Reference ref;
    for (const auto& [file, portions] : recipes) {
        const Recipe recipe = ReadRecipe(Plain(file));
        const auto items = AllItems(recipe);
        const int stated = ServingsOf(recipe).value_or(0);
        const double factor = stated > 0 ? static_cast<double>(portions) / stated : 1.0;
        for (std::size_t i = stated > 0 ? 1 : 0; i < items.size(); ++i) {
            const std::string item = RefFold(items[i]);
            const std::string padded = " " + item + " ";
            std::string food;
            for (const std::string& f : foods)
                if (padded.find(" " + f + " ") != std::string::npos) {
                    food = f;
                    break;
                }
            if (food.empty())
                continue;
            const std::string named = food;
            food = SameFood(food);
            const std::vector<std::string> w = Words(item);
            const auto quantity = RefQuantity(w);
            if (!quantity || item.find('(') != std::string::npos ||
                item.find(" si ") != std::string::npos) {
                ref.tainted.insert(food);
                continue;
            }
            const std::string unit = quantity->second < w.size() ? w[quantity->second] : "";
            double amount = quantity->first * factor;
            char kind = 'p';
            if (unit == "g")
                kind = 'g';
            else if (unit == "kg")
                kind = 'g', amount *= 1000;
            else if (unit == "ml")
                kind = 'v';
            else if (unit == "l")
                kind = 'v', amount *= 1000;
            else if (units.count(unit) || named.find(unit) != 0) {
                // another unit, or words before the food: not this rule's to read
                ref.tainted.insert(food);
                continue;
            }
            ref.amounts[{food, kind}][file] += amount;
        }
    }
    return ref;
}

char KindOf(MeasureKind kind) {
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

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CommandResult Cookbook(const std::string& args) {
    const std::string command =
        std::string("timeout 20 '") + COOKBOOK_EXE + "' --data . " + args + " >out.log 2>err.log";
    const int status = std::system(command.c_str());
    CommandResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadBack("out.log");
    r.err = ReadBack("err.log");
    return r;
}

} // namespace

TEST(PlanningBook, EveryFoodOfTheTablesHasAShopSection) {
    const SectionTable table = ParseSectionTable(Plain(kSectionTableFile));
    EXPECT_TRUE(table.problems.empty()) << table.problems.front();
    std::set<std::string> foods;
    for (const std::string& line :
         CompleteLines(Plain("zcalorii.txt"), UnendedLine::KeptUnlessEmpty)) {
        const std::string food = line.substr(line.find(' ') + 1);
        foods.insert(RefFold(food));
        EXPECT_TRUE(table.Names(food)) << Cp1250ToUtf8(food) << " has no shop section";
    }
    // And the table names nothing the calorie tables do not know.
    for (const auto& [food, section] : table.foods)
        EXPECT_TRUE(foods.count(RefFold(food))) << food;
    EXPECT_EQ(table.foods.size(), foods.size());
    // Spot checks that the sections mean what they say.
    EXPECT_EQ(table.Of("unt"), ShopSection::DairyEggs);
    EXPECT_EQ(table.Of("ceap\xE3"), ShopSection::Produce);
    EXPECT_EQ(table.Of("piept de pui"), ShopSection::MeatFish);
    EXPECT_EQ(table.Of("p\xE2ine"), ShopSection::Bakery);
    EXPECT_EQ(table.Of("f\xE3in\xE3"), ShopSection::Grocery);
    EXPECT_EQ(table.Of("bulion"), ShopSection::Tins);
    EXPECT_EQ(table.Of("boia dulce"), ShopSection::Spices);
    EXPECT_EQ(table.Of("vin alb"), ShopSection::Drinks);
}

TEST(PlanningBook, TheReadingOfEveryIngredientAddsUpToTheCalculatorsTotal) {
    BookCopy book;
    int recipes = 0, tokens = 0;
    for (const std::string& file : RecipeFiles()) {
        std::string text;
        ASSERT_TRUE(ReadWholeDataFile(file, text));
        text = ScrambleBytes(text);
        for (const int servings : {0, 3}) {
            CalorieState state;
            CollectingReporter quiet;
            ASSERT_TRUE(CalculateFromBookText(text, state, quiet, servings)) << file;
            const Recipe recipe = ReadRecipe(text);
            std::vector<std::string> list = CalorieTokensOf(recipe.storedIngredients);
            const auto stated = ServingsOfIngredients(recipe.storedIngredients);
            if (stated)
                list.erase(list.begin());
            const double factor =
                stated && servings ? static_cast<double>(servings) / stated->servings : 1.0;
            long double sum = 0;
            for (const std::string& token : list) {
                const IngredientReading r = ReadIngredient(token, factor);
                ASSERT_FALSE(r.tableMissing);
                if (!r.matched)
                    continue;
                ++tokens;
                const long double product = static_cast<long double>(r.foodKcal * 0.01f) *
                                            static_cast<long double>(r.quantity) *
                                            static_cast<long double>(r.mass);
                if (product >= 0 && std::isfinite(static_cast<double>(product)))
                    sum += product;
            }
            EXPECT_NEAR(static_cast<double>(sum), state.total, 1e-6 * std::max(1.0, state.total))
                << file << " for " << servings;
        }
        ++recipes;
    }
    EXPECT_GT(recipes, 100);
    EXPECT_GT(tokens, 2000);
}

TEST(PlanningBook, TheListAgreesWithAReferenceLineByLine) {
    BookCopy book;
    std::vector<std::pair<std::string, int>> chosen;
    std::vector<ShoppingSource> sources;
    int portions = 2;
    for (const std::string& file : WeekRecipes()) {
        chosen.emplace_back(file, portions);
        sources.push_back({file, "", portions});
        portions = portions % 7 + 1; // 3, 4, ... 7, 1, 2: scaled up and down
    }
    const Reference ref = ReferenceList(chosen);
    const ShoppingList list = BuildShoppingList(sources);
    ASSERT_FALSE(list.tableMissing);
    EXPECT_TRUE(list.missing.empty());
    std::map<RefKey, const ShoppingLine*> lines;
    const auto index = [&](const ShoppingLine& line) {
        lines[{RefFold(line.food), KindOf(line.kind)}] = &line;
    };
    for (const auto& section : list.sections)
        for (const ShoppingLine& line : section)
            index(line);
    for (const ShoppingLine& line : list.atHome)
        index(line);
    int compared = 0, merged = 0;
    for (const auto& [key, perRecipe] : ref.amounts) {
        if (ref.tainted.count(key.food))
            continue;
        const auto found = lines.find(key);
        ASSERT_NE(found, lines.end()) << key.food << " " << key.kind;
        const ShoppingLine& line = *found->second;
        double total = 0;
        for (const auto& [file, amount] : perRecipe)
            total += amount;
        // Exact to the unit shown: the same words, and the sums within float reading.
        EXPECT_NEAR(line.amount, total, 1e-4 * std::max(1.0, total)) << LineText(line);
        EXPECT_EQ(AmountText(line), AmountText(line.kind, line.unit, total)) << LineText(line);
        ASSERT_EQ(line.shares.size(), perRecipe.size()) << Cp1250ToUtf8(LineText(line));
        for (const ShoppingShare& share : line.shares) {
            ASSERT_TRUE(perRecipe.count(share.recipeFile)) << share.recipeFile;
            EXPECT_NEAR(share.amount, perRecipe.at(share.recipeFile), 1e-4 * std::max(1.0, total));
        }
        ++compared;
        merged += perRecipe.size() > 1;
    }
    std::cout << "reference: " << compared << " lines compared, " << merged
              << " of them merged from several recipes\n";
    EXPECT_GE(compared, 40);
    EXPECT_GE(merged, 10);
}

TEST(PlanningBook, CookbookPlanAndShopForAHouseholdOfThree) {
    BookCopy book;
    CommandResult r = Cookbook("plan household Ana:2000 Mihai:2500 Ioana:1800");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> recipes = WeekRecipes();
    ASSERT_EQ(recipes.size(), 21u);
    const char* meals[] = {"mic-dejun", "pranz", "cina"};
    for (std::size_t i = 0; i < recipes.size(); ++i) {
        const std::string day = "2026-12-" + std::to_string(14 + i / 3);
        r = Cookbook("plan add --day " + day + " --meal " + meals[i % 3] + " --recipe " +
                     recipes[i] + " --portii 3" + (i == 2 ? " --resturi 1" : ""));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.rfind("added [" + std::to_string(i + 1) + "]", 0), 0u) << r.out;
    }
    r = Cookbook("plan show --week 2026-12-16");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The figures the logic gives, the same in the command's words.
    const PlanResult loaded = LoadPlan();
    ASSERT_EQ(loaded.plan.entries.size(), 21u);
    const Date monday{std::chrono::year(2026), std::chrono::month(12), std::chrono::day(14)};
    EXPECT_EQ(r.out, Cp1250ToUtf8(PlanWeekText(loaded.plan, monday)));
    const WeekCalories week = CaloriesOfWeek(loaded.plan, monday);
    // Tuesday's lunch is its own recipe and Monday dinner's leftovers.
    EXPECT_NEAR(week.days[1].perMeal[static_cast<int>(Meal::Lunch)],
                CaloriesOfRecipe(recipes[4], 3).perPortion +
                    CaloriesOfRecipe(recipes[2], 3).perPortion,
                1e-6);
    for (const DayCalories& day : week.days)
        EXPECT_GT(day.perPerson, 0);
    EXPECT_NE(r.out.find("Ana: " + Cp1250ToUtf8(DayCaloriesText(week.days[0],
                                                                &loaded.plan.household.people[0]))),
              std::string::npos)
        << r.out;

    r = Cookbook("shop --week 2026-12-14 --text list.txt --ical list.ics");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const ShoppingList list = BuildShoppingList(SourcesOfWeek(loaded.plan, monday));
    EXPECT_EQ(ReadBack("list.txt"), Cp1250ToUtf8(ShoppingListText(list)));
    const std::string ics = ReadBack("list.ics");
    EXPECT_EQ(ics.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(ics.find("BEGIN:VTODO"), std::string::npos);
    r = Cookbook("shop --week 2026-12-14");
    EXPECT_EQ(r.out, Cp1250ToUtf8(ShoppingListText(list)));

    r = Cookbook("plan ical week.ics --week 2026-12-14");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::size_t events = 0;
    const std::string plan = ReadBack("week.ics");
    for (std::size_t at = plan.find("BEGIN:VEVENT"); at != std::string::npos;
         at = plan.find("BEGIN:VEVENT", at + 1))
        ++events;
    EXPECT_EQ(events, 21u); // the leftovers join Tuesday's lunch

    // Recipes given on the command line, each for its portions.
    r = Cookbook("shop " + recipes[0] + " --portii 6 " + recipes[1]);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Cp1250ToUtf8(ShoppingListText(
                         BuildShoppingList({{recipes[0], "", 6}, {recipes[1], "", 0}}))));

    // A recipe deleted after it was planned shows as missing; nothing crashes or drops it.
    fs::remove(recipes[4]);
    r = Cookbook("plan show --week 2026-12-14");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(Cp1250ToUtf8("LIPS\xC3 (" + recipes[4] + ")")), std::string::npos)
        << r.out;
    r = Cookbook("shop --week 2026-12-14");
    EXPECT_NE(r.out.find(Cp1250ToUtf8("re\xFE"
                                      "ete lips\xE3")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(recipes[4]), std::string::npos);

    // Removing by number and by meal; refusing what does not exist.
    r = Cookbook("plan remove --id 1");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = Cookbook("plan remove --id 1");
    EXPECT_EQ(r.exitCode, 1);
    r = Cookbook("plan remove --day 2026-12-14 --meal cina");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "removed 1\n");
    EXPECT_EQ(LoadPlan().plan.entries.size(), 19u);
    struct Bad {
        const char* args;
        int exit;
        const char* says;
    };
    for (const Bad b :
         {Bad{"plan add --day 2026-12-14 --meal cina --recipe RET999.TXT", 1, "no recipe"},
          Bad{"plan add --day 2026-02-30 --meal cina --recipe RET001.TXT", 2, "--day"},
          Bad{"plan add --day 2026-12-14 --meal brunch --recipe RET001.TXT", 2, "--meal"},
          Bad{"plan add --day 2026-12-14 --meal cina --recipe RET001.TXT --portii 0", 2,
              "--portii"},
          Bad{"plan add --day 2026-12-14 --meal cina --recipe ../x", 1, "no recipe"},
          Bad{"plan show --week", 2, "needs a value"}, Bad{"plan fly", 2, "no such plan command"},
          Bad{"shop", 2, "give --week"}, Bad{"shop --week 2026-12-14 RET001.TXT", 2, "give --week"},
          Bad{"shop --portii 3", 2, "follows a RECIPE"},
          Bad{"plan household Ana:abc", 2, "kcal"}}) {
        r = Cookbook(b.args);
        EXPECT_EQ(r.exitCode, b.exit) << b.args;
        EXPECT_NE(r.err.find(b.says), std::string::npos) << b.args << ": " << r.err;
    }
    EXPECT_EQ(LoadPlan().plan.entries.size(), 19u);
}
