#include "planning/plan.h"

#include "core/files.h"
#include "core/scramble.h"
#include "core/store_lock.h"
#include "personal/backup.h"
#include "planning/shopping.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace savorel;
using namespace std::chrono;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::Utf8ToCp1250;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

Date D(int y, unsigned m, unsigned d) {
    return Date{year(y), month(m), day(d)};
}

PlanEntry Entry(const char* file, Date day, Meal meal, int portions, int leftovers = 0) {
    PlanEntry e;
    e.recipeFile = file;
    e.title = std::string("Re\xFE"
                          "eta ") +
              file;
    e.cooked = {day, meal};
    e.portions = portions;
    e.leftovers = LeftoverLunches(e.cooked, leftovers);
    return e;
}

// Tables in which every food is counted by grams or pieces with round numbers, so that sums
// can be worked out by hand.
void WriteTables() {
    WriteScrambled("zcalorii.txt", "700 unt\n350 faina\n140 ou\n");
    WriteScrambled("zunitmas.txt", "1000 kg\n1 g\n15 lingura\n15 linguri\n");
    WriteScrambled("zbucati.txt", "50 ou\n");
}

} // namespace

TEST(PlanDates, DaysWeeksAndMeals) {
    struct Case {
        const char* text;
        bool valid;
    };
    for (const Case c :
         {Case{"2026-12-14", true}, Case{"2024-02-29", true}, Case{"2026-02-29", false},
          Case{"2026-13-01", false}, Case{"2026-12-1", false}, Case{"2026/12/14", false},
          Case{"0000-01-01", false}, Case{"2026-12-14 ", false}, Case{"", false},
          Case{"20x6-12-14", false}})
        EXPECT_EQ(ParseDay(c.text).has_value(), c.valid) << c.text;
    EXPECT_EQ(DateText(*ParseDay("2026-01-05")), "2026-01-05");
    // Every day of a week that runs over a month and a year end has the same Monday.
    for (int i = 0; i < 7; ++i) {
        const Date day = AddDays(D(2026, 12, 28), i);
        EXPECT_EQ(MondayOf(day), D(2026, 12, 28)) << DateText(day);
        EXPECT_EQ(WeekdayIndex(day), i);
    }
    EXPECT_EQ(MondayOf(D(2027, 1, 4)), D(2027, 1, 4));
    EXPECT_EQ(WeekdayName(D(2026, 12, 20)), "duminic\xE3");
    EXPECT_EQ(WeekdayName(D(2026, 12, 15)), "mar\xFEi");

    struct MealCase {
        const char* text;
        std::optional<Meal> meal;
    };
    for (const MealCase c : {MealCase{"mic-dejun", Meal::Breakfast},
                             MealCase{"Mic dejun", Meal::Breakfast}, MealCase{"pranz", Meal::Lunch},
                             MealCase{"PR\xC2NZ", Meal::Lunch}, MealCase{"cin\xE3", Meal::Dinner},
                             MealCase{"gustare", Meal::Snack}, MealCase{"pr", std::nullopt},
                             MealCase{"", std::nullopt}, MealCase{"cina ", std::nullopt}})
        EXPECT_EQ(ParseMeal(c.text), c.meal) << c.text;
    for (const Meal m : kMeals) {
        EXPECT_EQ(ParseMeal(MealKey(m)), m);
        EXPECT_EQ(ParseMeal(MealName(m)), m);
    }
}

TEST(PlanModel, AddMoveRemoveKeepOrderAndLeftovers) {
    Plan plan;
    const auto dinner = AddEntry(plan, Entry("RET002.TXT", D(2026, 12, 14), Meal::Dinner, 4, 2));
    const auto lunch = AddEntry(plan, Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 3));
    const auto early = AddEntry(plan, Entry("RET003.TXT", D(2026, 12, 13), Meal::Snack, 200));
    EXPECT_EQ(dinner, 1u);
    EXPECT_EQ(lunch, 2u);
    EXPECT_EQ(early, 3u);
    ASSERT_EQ(plan.entries.size(), 3u);
    EXPECT_EQ(plan.entries[0].id, early);
    EXPECT_EQ(plan.entries[1].id, lunch);
    EXPECT_EQ(plan.entries[2].id, dinner);
    EXPECT_EQ(plan.entries[0].portions, kPlanPortionsLimit); // clamped
    // Leftovers go to the next days' lunches.
    EXPECT_EQ(EatenAt(*FindEntry(plan, dinner)),
              (std::vector<MealSlot>{{D(2026, 12, 14), Meal::Dinner},
                                     {D(2026, 12, 15), Meal::Lunch},
                                     {D(2026, 12, 16), Meal::Lunch}}));
    // The week of the 14th eats all but the Sunday before; it cooks two of them.
    EXPECT_EQ(EntriesEatenInWeek(plan, D(2026, 12, 14)).size(), 2u);
    EXPECT_EQ(EntriesCookedInWeek(plan, D(2026, 12, 7)).size(), 1u);

    // Moved to the Saturday's dinner, its leftovers move with it and end in the next week.
    ASSERT_TRUE(MoveEntry(plan, dinner, {D(2026, 12, 19), Meal::Dinner}));
    EXPECT_EQ(
        FindEntry(plan, dinner)->leftovers,
        (std::vector<MealSlot>{{D(2026, 12, 20), Meal::Lunch}, {D(2026, 12, 21), Meal::Lunch}}));
    EXPECT_EQ(EntriesEatenInWeek(plan, D(2026, 12, 21)).size(), 1u);
    EXPECT_EQ(plan.entries.back().id, dinner);

    EXPECT_FALSE(MoveEntry(plan, 99, {D(2026, 12, 19), Meal::Lunch}));
    EXPECT_FALSE(RemoveEntry(plan, 99));
    EXPECT_TRUE(RemoveEntry(plan, lunch));
    EXPECT_FALSE(RemoveEntry(plan, lunch));
    EXPECT_EQ(FindEntry(plan, lunch), nullptr);
    // Ids are never given twice, even after the last one is removed.
    EXPECT_TRUE(RemoveEntry(plan, early));
    EXPECT_EQ(AddEntry(plan, Entry("RET004.TXT", D(2026, 12, 15), Meal::Lunch, 2)), 4u);
    EXPECT_EQ(LeftoverLunches({D(2026, 12, 14), Meal::Lunch}, 100).size(), kPlanEatenLimit - 1);
}

TEST(PlanFile, TextRoundTrip) {
    Plan plan;
    plan.household.people = {{"Ana", 2000}, {"Mihai \xBAi \"Mo\"", 0}, {"Ioana", 1800}};
    AddEntry(plan, Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 6, 1));
    PlanEntry lossless = Entry("xet12.txt", D(2026, 12, 20), Meal::Breakfast, 1);
    lossless.title = "Cl\xE3tite cu \\ \xEEn \"ghilimele\"";
    AddEntry(plan, lossless);
    const std::string text = PlanFileText(plan);
    EXPECT_NE(text.find("\"title\": \"Cl\xC4\x83tite"), std::string::npos) << text; // UTF-8
    std::string error;
    const auto back = ParsePlanText(text, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, plan);
    EXPECT_EQ(PlanFileText(*back), text);
}

TEST(PlanFile, RefusesWhatIsNoPlanAndSaysWhy) {
    const std::string head = "{\"savorel-plan\":1,\"entries\":[";
    const std::string good = "{\"id\":1,\"day\":\"2026-12-14\",\"meal\":\"pranz\",\"recipe\":"
                             "\"RET001.TXT\",\"portions\":4}";
    ASSERT_TRUE(ParsePlanText(head + good + "]}"));
    std::string deep = "{\"savorel-plan\":1,\"x\":";
    for (int i = 0; i < 20; ++i)
        deep += "[";
    std::string many = head;
    for (std::size_t i = 1; i <= kPlanEntryLimit + 1; ++i)
        many += (i > 1 ? "," : "") + std::string("{\"id\":") + std::to_string(i) +
                ",\"day\":\"2026-12-14\",\"meal\":\"cina\",\"recipe\":\"R.TXT\",\"portions\":1}";
    many += "]}";
    struct Case {
        std::string text;
        const char* why;
    };
    const Case cases[] = {
        {"", "JSON"},
        {"{\"savorel-plan\":1,", "JSON"},
        {"[]", "obiect"},
        {"{\"entries\":[]}", "plan Savorel"},
        {"{\"savorel-plan\":2}", "plan Savorel"},
        {head + good + "," + good + "]}", "de doua ori"},
        {head + "{\"id\":1,\"day\":\"2026-02-30\",\"meal\":\"pranz\",\"recipe\":\"R.TXT\","
                "\"portions\":4}]}",
         "nu este o data"},
        {head + "{\"id\":1,\"day\":\"2026-02-03\",\"meal\":\"brunch\",\"recipe\":\"R.TXT\","
                "\"portions\":4}]}",
         "nu exista"},
        {head + "{\"id\":1,\"day\":\"2026-02-03\",\"meal\":\"cina\",\"recipe\":\"../"
                "pers.txt\",\"portions\":4}]}",
         "dosarul de date"},
        {head + "{\"id\":1,\"day\":\"2026-02-03\",\"meal\":\"cina\",\"recipe\":\"R.TXT\","
                "\"portions\":0}]}",
         "portions"},
        {head + "{\"id\":1,\"day\":\"2026-02-03\",\"meal\":\"cina\",\"recipe\":\"R.TXT\","
                "\"portions\":1e3}]}",
         "portions"},
        {head + "{\"id\":-1,\"day\":\"2026-02-03\",\"meal\":\"cina\",\"recipe\":\"R.TXT\","
                "\"portions\":1}]}",
         "id"},
        {head + "{\"id\":1,\"day\":\"2026-02-03\",\"meal\":\"cina\",\"portions\":1}]}", "recipe"},
        {head +
             "{\"id\":1,\"day\":\"2026-02-03\",\"meal\":\"cina\",\"recipe\":\"R.TXT\",\"portions\":"
             "1,"
             "\"leftovers\":[" +
             [] {
                 std::string s;
                 for (int i = 0; i < 14; ++i)
                     s += (i ? "," : "") +
                          std::string("{\"day\":\"2026-02-04\",\"meal\":\"pranz\"}");
                 return s;
             }() +
             "]}]}",
         "mese"},
        {"{\"savorel-plan\":1,\"household\":[{\"name\":\"A\",\"goal\":99999}]}", "goal"},
        {"{\"savorel-plan\":1,\"household\":{}}", "household"},
        {"{\"savorel-plan\":1,\"household\":[{\"name\":\"\xC3\"}]}", "JSON"}, // broken UTF-8
        {deep, "niveluri"},
        {many, "retete planificate"},
        {std::string(kPlanFileLimit + 1, ' '), "MiB"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParsePlanText(c.text, &error)) << c.text.substr(0, 200);
        EXPECT_NE(error.find(c.why), std::string::npos)
            << "error \"" << error << "\" for " << c.text.substr(0, 200);
    }
}

TEST(PlanStore, ChangesAreWrittenScrambledAndReadBack) {
    TempDataDir dir;
    PlanResult empty = LoadPlan();
    EXPECT_EQ(empty.status, PlanStatus::Ok);
    EXPECT_TRUE(empty.plan.entries.empty());
    EXPECT_FALSE(Exists(kPlanFile)); // reading writes nothing

    const PlanResult added = AddToPlan(Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 4));
    ASSERT_EQ(added.status, PlanStatus::Ok) << added.message;
    EXPECT_EQ(added.id, 1u);
    const std::string raw = ReadBack(kPlanFile);
    EXPECT_EQ(raw.find("savorel-plan"), std::string::npos); // scrambled as every data file
    EXPECT_EQ(ScrambleBytes(raw), PlanFileText(added.plan));
    ASSERT_EQ(SetHousehold({{{"Ana", 2000}, {"Dan", 25000}}}).status, PlanStatus::Ok);
    ASSERT_EQ(MoveInPlan(1, {D(2026, 12, 15), Meal::Dinner}).status, PlanStatus::Ok);
    const PlanResult read = LoadPlan();
    ASSERT_EQ(read.plan.entries.size(), 1u);
    EXPECT_EQ(read.plan.entries[0].cooked, (MealSlot{D(2026, 12, 15), Meal::Dinner}));
    EXPECT_EQ(read.plan.household.people[1].dailyGoal, kPlanGoalLimit); // clamped
    EXPECT_EQ(RemoveFromPlan(7).status, PlanStatus::NotFound);
    EXPECT_EQ(LoadPlan().plan, read.plan);
    EXPECT_EQ(RemoveFromPlan(1).status, PlanStatus::Ok);
    EXPECT_TRUE(LoadPlan().plan.entries.empty());

    // A write that fails leaves the file as it was and says so.
    const std::string before = ReadBack(kPlanFile);
    SetWriteFaultHook([](std::size_t) { return false; });
    const PlanResult failed = AddToPlan(Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 4));
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(failed.status, PlanStatus::NotWritten);
    EXPECT_NE(failed.message.find("nu a putut fi scris"), std::string::npos);
    EXPECT_EQ(ReadBack(kPlanFile), before);
}

TEST(PlanStore, DamagedFileIsKeptAsideNeverOverwritten) {
    TempDataDir dir;
    struct Case {
        std::string bytes;
        const char* why;
    };
    const Case cases[] = {
        {ScrambleBytes("{\"savorel-plan\":1,\"entries\":[{\"id\":"), "JSON"},
        {ScrambleBytes("[1,2,3]"), "obiect"},
        {std::string(kPlanFileLimit + 10, 'x'), "KiB"},
    };
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        WritePlain(kPlanFile, c.bytes);
        const PlanResult loaded = LoadPlan();
        EXPECT_EQ(loaded.status, PlanStatus::Damaged);
        const std::string kept = std::string(kPlanFile) + ".stricat-" + std::to_string(n);
        EXPECT_EQ(loaded.keptAs, kept);
        EXPECT_NE(loaded.message.find(c.why), std::string::npos) << loaded.message;
        EXPECT_NE(loaded.message.find(kept), std::string::npos) << loaded.message;
        EXPECT_EQ(ReadBack(kept), c.bytes);
        EXPECT_FALSE(Exists(kPlanFile));
    }
    // A change to a damaged plan keeps the file aside first, then starts afresh.
    WritePlain(kPlanFile, "garbage");
    const PlanResult changed = AddToPlan(Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 4));
    EXPECT_EQ(changed.status, PlanStatus::Damaged);
    EXPECT_EQ(changed.keptAs, std::string(kPlanFile) + ".stricat-4");
    EXPECT_EQ(ReadBack(changed.keptAs), "garbage");
    EXPECT_EQ(LoadPlan().plan.entries.size(), 1u);
    // A folder where the plan should be cannot be read; it is moved aside rather than lost.
    std::filesystem::remove(kPlanFile);
    std::filesystem::create_directory(kPlanFile);
    const PlanResult folder = LoadPlan();
    EXPECT_EQ(folder.status, PlanStatus::Damaged);
    EXPECT_TRUE(std::filesystem::is_directory(folder.keptAs));
}

TEST(PlanStore, TwoCopiesEditingAtOnceLoseNothing) {
    TempDataDir dir;
    constexpr int kEach = 30;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                const std::string file = "RET" + std::to_string(c) + std::to_string(i) + ".TXT";
                failures += AddToPlan(Entry(file.c_str(), D(2026, 12, 14 + i % 7), Meal::Dinner, 2))
                                .status != PlanStatus::Ok;
            }
            _exit(failures);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const PlanResult read = LoadPlan();
    ASSERT_EQ(read.status, PlanStatus::Ok);
    ASSERT_EQ(read.plan.entries.size(), 2u * kEach);
    std::vector<std::uint64_t> ids;
    for (const PlanEntry& e : read.plan.entries)
        ids.push_back(e.id);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(ids.back(), 2u * kEach);
}

TEST(PlanStore, BusyStoreWritesNothing) {
    TempDataDir dir;
    ASSERT_EQ(AddToPlan(Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 4)).status,
              PlanStatus::Ok);
    const std::string before = ReadBack(kPlanFile);
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        StoreLock lock;
        char c = lock.Held() ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(done[0], &c, 1);
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    const auto patience = StorePatience();
    SetStorePatience(milliseconds(100));
    const PlanResult busy = AddToPlan(Entry("RET002.TXT", D(2026, 12, 14), Meal::Dinner, 4));
    SetStorePatience(patience);
    const char go = 'g';
    ASSERT_EQ(write(done[1], &go, 1), 1);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(busy.status, PlanStatus::Busy);
    EXPECT_EQ(busy.message, kStoreBusy);
    EXPECT_EQ(ReadBack(kPlanFile), before);
    for (const int fd : {ready[0], ready[1], done[0], done[1]})
        close(fd);
}

TEST(PlanStore, BackupsKeepAndRestoreThePlan) {
    TempDataDir dir;
    EXPECT_TRUE(IsBackedUpName(kPlanFile));
    EXPECT_TRUE(IsBackedUpName(kShoppingStateFile));
    EXPECT_FALSE(IsBackedUpName(std::string(kPlanFile) + ".stricat-1"));
    ASSERT_EQ(AddToPlan(Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 4)).status,
              PlanStatus::Ok);
    const std::string planned = ReadBack(kPlanFile);
    ASSERT_EQ(BackupIfChanged("2026-12-10"), BackupResult::Made);
    EXPECT_EQ(ReadBack(std::string(kBackupFolder) + "/2026-12-10/" + kPlanFile), planned);
    ASSERT_EQ(RemoveFromPlan(1).status, PlanStatus::Ok);
    ASSERT_EQ(RestoreBackup("2026-12-10", "2026-12-11"), RestoreResult::Restored);
    EXPECT_EQ(ReadBack(kPlanFile), planned);
    EXPECT_EQ(LoadPlan().plan.entries.size(), 1u);
}

TEST(PlanCalories, PerPersonPerDayWithLeftoversGoalsAndMissingRecipes) {
    TempDataDir dir;
    WriteTables();
    // 4 portions: 200 g butter (1400 kcal) and 2 eggs of 50 g (140 kcal): 385 a portion.
    WriteScrambled("RET001.TXT", "#\nPrajitura\n#\n4 por\xFEii; 200 g unt; 2 ou\n#\nSe coace.");
    // No servings stated: the whole recipe is shared by the portions cooked.
    WriteScrambled("RET002.TXT", "#\nTurta\n#\n100 g faina; 1 lingura zmeura\n#\nSe coace.");
    Plan plan;
    plan.household.people = {{"Ana", 2000}, {"Dan", 0}};
    AddEntry(plan, Entry("RET001.TXT", D(2026, 12, 14), Meal::Dinner, 8, 1)); // scaled to 8
    AddEntry(plan, Entry("RET002.TXT", D(2026, 12, 15), Meal::Snack, 2));
    AddEntry(plan, Entry("RET404.TXT", D(2026, 12, 16), Meal::Lunch, 2));
    AddEntry(plan, Entry("RET001.TXT", D(2026, 12, 21), Meal::Lunch, 4)); // next week

    const RecipeCalories scaled = CaloriesOfRecipe("RET001.TXT", 8);
    EXPECT_TRUE(scaled.found);
    EXPECT_FALSE(scaled.partial);
    EXPECT_NEAR(scaled.perPortion, 385.0, 1e-3);
    EXPECT_EQ(scaled.title, "Prajitura");
    const RecipeCalories turta = CaloriesOfRecipe("RET002.TXT", 2);
    EXPECT_TRUE(turta.partial); // "zmeura" is in no table
    EXPECT_NEAR(turta.perPortion, 175.0, 1e-3);
    EXPECT_FALSE(CaloriesOfRecipe("RET404.TXT", 2).found);

    const WeekCalories week = CaloriesOfWeek(plan, D(2026, 12, 14));
    const double expected[7] = {385, 385 + 175, 0, 0, 0, 0, 0};
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(week.days[static_cast<std::size_t>(i)].perPerson, expected[i], 1e-3) << i;
    EXPECT_NEAR(week.days[1].perMeal[static_cast<int>(Meal::Lunch)], 385, 1e-3);
    EXPECT_NEAR(week.days[1].perMeal[static_cast<int>(Meal::Snack)], 175, 1e-3);
    EXPECT_FALSE(week.days[0].partial);
    EXPECT_TRUE(week.days[1].partial);
    EXPECT_TRUE(week.days[2].missing);
    EXPECT_NEAR(week.total, 945, 1e-3);
    EXPECT_TRUE(week.partial);
    EXPECT_TRUE(week.missing);
    EXPECT_EQ(DayCaloriesText(week.days[0], &plan.household.people[0]), "385 kcal / 2000 kcal");
    EXPECT_EQ(DayCaloriesText(week.days[1], &plan.household.people[1]), "560 kcal (par\xFEial)");

    const std::string text = PlanWeekText(plan, D(2026, 12, 14));
    EXPECT_NE(text.find("resturi: Re\xFE"
                        "eta RET001.TXT"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("LIPS\xC3 (RET404.TXT)"), std::string::npos) << text;
    EXPECT_NE(text.find("Ana: 385 kcal / 2000 kcal"), std::string::npos) << text;
    EXPECT_NE(text.find("Total s\xE3pt\xE3m\xE2n\xE3: 945 kcal"), std::string::npos) << text;
}

TEST(PlanICalendar, FoldingEscapingAndOneEventPerMeal) {
    struct EscapeCase {
        const char* in;
        const char* out;
    };
    for (const EscapeCase c :
         {EscapeCase{"a,b;c\\d", "a\\,b\\;c\\\\d"}, EscapeCase{"x\r\ny\nz", "x\\ny\\nz"},
          EscapeCase{"tab\there", "tab here"}, EscapeCase{"", ""}})
        EXPECT_EQ(ICalEscape(c.in), c.out) << c.in;
    // Lines of every length around the limit, in letters of one, two and three octets.
    for (const std::string& letter :
         {std::string("a"), std::string("\xC4\x83"), std::string("\xE2\x82\xAC")}) {
        for (std::size_t count : {0u, 1u, 37u, 74u, 75u, 76u, 150u, 400u}) {
            std::string value;
            for (std::size_t i = 0; i < count; ++i)
                value += letter;
            const std::string line = "SUMMARY:" + value;
            const std::string folded = ICalLine(line);
            ASSERT_GE(folded.size(), 2u);
            EXPECT_EQ(folded.substr(folded.size() - 2), "\r\n");
            std::string unfolded;
            std::size_t start = 0;
            while (start < folded.size()) {
                const std::size_t end = folded.find("\r\n", start);
                ASSERT_NE(end, std::string::npos);
                const std::string physical = folded.substr(start, end - start);
                EXPECT_LE(physical.size(), 75u);
                if (start > 0) {
                    ASSERT_EQ(physical[0], ' ');
                    // A continuation never begins inside a character.
                    EXPECT_NE(static_cast<unsigned char>(physical[1]) & 0xC0, 0x80);
                }
                unfolded += start > 0 ? physical.substr(1) : physical;
                start = end + 2;
            }
            EXPECT_EQ(unfolded, line);
        }
    }

    TempDataDir dir;
    WriteTables();
    WriteScrambled("RET001.TXT", "#\nPl\xE3"
                                 "cint\xE3, cu ; unt\n#\n4 por\xFEii; 200 g unt\n#\nSe coace.");
    Plan plan;
    AddEntry(plan, Entry("RET001.TXT", D(2026, 12, 14), Meal::Lunch, 4, 2));
    AddEntry(plan, Entry("RET001.TXT", D(2026, 12, 15), Meal::Lunch, 4));
    AddEntry(plan, Entry("RET404.TXT", D(2026, 12, 20), Meal::Breakfast, 4));
    plan.entries[0].title = "Pl\xE3"
                            "cint\xE3, cu ; unt";
    const std::string ical =
        PlanICalendar(plan, D(2026, 12, 14), sys_days(D(2026, 12, 10)) + hours(13));
    // Monday lunch, Tuesday lunch (leftovers and the second cooking in one meal), Wednesday
    // lunch, Sunday breakfast.
    std::size_t events = 0;
    for (std::size_t at = ical.find("BEGIN:VEVENT"); at != std::string::npos;
         at = ical.find("BEGIN:VEVENT", at + 1))
        ++events;
    EXPECT_EQ(events, 4u);
    EXPECT_NE(ical.find("DTSTAMP:20261210T130000Z\r\n"), std::string::npos);
    EXPECT_NE(ical.find("DTSTART:20261214T130000\r\n"), std::string::npos);
    EXPECT_NE(ical.find("SUMMARY:pr\xC3\xA2nz: Pl\xC4\x83"
                        "cint\xC4\x83\\, cu \\; unt\r\n"),
              std::string::npos)
        << ical;
    EXPECT_NE(ical.find("UID:savorel-plan-2026-12-20-mic-dejun@savorel"), std::string::npos);
    for (std::size_t i = 0; i < ical.size(); ++i)
        if (ical[i] == '\n') {
            ASSERT_TRUE(i > 0 && ical[i - 1] == '\r') << "bare line feed at " << i;
        }
    EXPECT_EQ(ical.substr(ical.size() - 15), "END:VCALENDAR\r\n");
}
