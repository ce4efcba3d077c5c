#include "planning/shopping.h"

#include "core/scramble.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace savorel;
using namespace std::chrono;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

Date D(int y, unsigned m, unsigned d) {
    return Date{year(y), month(m), day(d)};
}

// A small kitchen: butter and flour by mass (flour also by spoon, its density known), milk by
// volume, eggs by the piece, sugar by spoon without a density, tins by the tin.
void WriteKitchen() {
    WriteScrambled("zcalorii.txt", "700 unt\n350 faina\n140 oua\n140 ou\n60 lapte\n400 zahar\n"
                                   "0 sare\n20 rosii\n");
    WriteScrambled("zunitmas.txt",
                   "1000 kg\n1 g\n1000 l\n1 ml\n15 lingura\n15 linguri\n400 conserva\n"
                   "400 conserve\n0 bucata\n0 bucati\n");
    WriteScrambled("zbucati.txt", "50 oua\n50 ou\n");
    WriteScrambled("zvolum.txt", "1 ml\n1000 l\n15 lingura\n15 linguri\n");
    WriteScrambled("zdensit.txt", "0.6 faina\n");
    WriteScrambled(kSectionTableFile, "[lactate \xBAi ou\xE3]\nunt\nlapte\noua\nou\n"
                                      "[b\xE3"
                                      "c\xE3nie]\nfaina\nzahar\n[condimente]\nsare\n"
                                      "[legume \xBAi fructe]\nrosii\n");
    // For 4: flour by the kilogram and by the spoon, eggs, milk by the millilitre, salt.
    WriteScrambled("RET001.TXT", "#\nCozonac\n#\n4 por\xFEii; 150 g unt; 1 kg faina; 2 linguri "
                                 "faina; 2 oua; 250 ml lapte; sare\n#\nSe coace.");
    // For 2: butter by the kilogram, milk by the litre, one spoon of sugar, a tin of tomatoes
    // by its stated mass, and what no table knows.
    WriteScrambled("RET002.TXT", "#\nPapanasi\n#\n2 por\xFEii; 0,45 kg unt; 1 l lapte; 3 oua; 1 "
                                 "lingura zahar; 1 conserva (400 g) rosii; praf de zane\n#\nSe "
                                 "prajesc.");
}

const ShoppingLine* Line(const ShoppingList& list, const std::string& food) {
    for (const auto& section : list.sections)
        for (const ShoppingLine& line : section)
            if (line.food == food)
                return &line;
    for (const ShoppingLine& line : list.atHome)
        if (line.food == food)
            return &line;
    return nullptr;
}

} // namespace

TEST(ShoppingList, MergesByFoodAndMeasureScaledToThePortions) {
    TempDataDir dir;
    WriteKitchen();
    // Twice the Cozonac (8 for 4), the Papanasi as written.
    const ShoppingList list =
        BuildShoppingList({{"RET001.TXT", "Cozonac", 8}, {"RET002.TXT", "Papanasi", 2}});
    EXPECT_FALSE(list.tableMissing);
    struct Expected {
        const char* food;
        MeasureKind kind;
        double amount;
        ShopSection section;
        const char* text;
    };
    const Expected expected[] = {
        {"unt", MeasureKind::Mass, 300 + 450, ShopSection::DairyEggs,
         "unt 750 g (300 g Cozonac, 450 g Papanasi)"},
        // 2 kg, and 4 spoons of 15 ml at 0.6 g a millilitre.
        {"faina", MeasureKind::Mass, 2000 + 4 * 15 * 0.6, ShopSection::Grocery,
         "faina 2 kg (2 kg Cozonac)"},
        {"lapte", MeasureKind::Volume, 500 + 1000, ShopSection::DairyEggs,
         "lapte 1,5 l (500 ml Cozonac, 1 l Papanasi)"},
        {"oua", MeasureKind::Pieces, 4 + 3, ShopSection::DairyEggs,
         "oua 7 (4 Cozonac, 3 Papanasi)"},
        {"zahar", MeasureKind::Unit, 1, ShopSection::Grocery,
         "zahar 1 lingur\xE3 (1 lingur\xE3 Papanasi)"},
        {"rosii", MeasureKind::Mass, 400, ShopSection::Produce, "rosii 400 g (400 g Papanasi)"},
    };
    for (const Expected& e : expected) {
        const ShoppingLine* line = Line(list, e.food);
        ASSERT_NE(line, nullptr) << e.food;
        EXPECT_EQ(line->kind, e.kind) << e.food;
        EXPECT_NEAR(line->amount, e.amount, 1e-3) << e.food;
        EXPECT_EQ(line->section, e.section) << e.food;
        EXPECT_EQ(LineText(*line), e.text);
        double shares = 0;
        for (const ShoppingShare& s : line->shares)
            shares += s.amount;
        EXPECT_NEAR(shares, line->amount, 1e-9) << e.food;
    }
    // Salt is at home; the fairy dust is listed as written under its recipe.
    ASSERT_EQ(list.atHome.size(), 1u);
    EXPECT_EQ(list.atHome[0].food, "sare");
    EXPECT_TRUE(list.atHome[0].staple);
    ASSERT_EQ(list.unmerged.size(), 1u);
    EXPECT_EQ(list.unmerged[0].title, "Papanasi");
    ASSERT_EQ(list.unmerged[0].items.size(), 1u);
    EXPECT_EQ(list.unmerged[0].items[0].text, "praf de zane");
    EXPECT_TRUE(list.missing.empty());
    // Within a section, foods in Romanian order.
    const auto& dairy = list.sections[static_cast<int>(ShopSection::DairyEggs)];
    ASSERT_EQ(dairy.size(), 3u);
    EXPECT_EQ(dairy[0].food, "lapte");
    EXPECT_EQ(dairy[1].food, "oua");
    EXPECT_EQ(dairy[2].food, "unt");

    const std::string text = ShoppingListText(list);
    EXPECT_LT(text.find("lactate \xBAi ou\xE3"), text.find("b\xE3"
                                                           "c\xE3nie"))
        << text;
    EXPECT_LT(text.find("b\xE3"
                        "c\xE3nie"),
              text.find("nu s-au putut aduna"))
        << text;
    EXPECT_LT(text.find("nu s-au putut aduna"), text.find("am acas\xE3")) << text;
    EXPECT_NE(text.find("    [ ] praf de zane\n"), std::string::npos) << text;
}

TEST(ShoppingList, MissingRecipesAndStateMarks) {
    TempDataDir dir;
    WriteKitchen();
    ShoppingState state;
    state.ticked = {"UNT|g|G"};
    state.atHome = {"LAPTE|v|ML"};
    const ShoppingList list =
        BuildShoppingList({{"RET001.TXT", "Cozonac", 4}, {"RET404.TXT", "Disparuta", 4}}, state);
    ASSERT_EQ(list.missing.size(), 1u);
    EXPECT_EQ(list.missing[0].recipeFile, "RET404.TXT");
    const ShoppingLine* butter = Line(list, "unt");
    ASSERT_NE(butter, nullptr);
    EXPECT_EQ(butter->key, "UNT|g|G");
    EXPECT_TRUE(butter->ticked);
    const ShoppingLine* milk = Line(list, "lapte");
    ASSERT_NE(milk, nullptr);
    EXPECT_TRUE(milk->atHome);
    EXPECT_EQ(list.atHome.size(), 2u); // the milk beside the salt
    const std::string text = ShoppingListText(list);
    EXPECT_NE(text.find("[x] unt 150 g"), std::string::npos) << text;
    EXPECT_NE(text.find("RET404.TXT"), std::string::npos) << text;

    const std::string ical = ShoppingICalendar(list, sys_days(D(2026, 12, 10)));
    std::size_t todos = 0, completed = 0;
    for (std::size_t at = ical.find("BEGIN:VTODO"); at != std::string::npos;
         at = ical.find("BEGIN:VTODO", at + 1))
        ++todos;
    for (std::size_t at = ical.find("STATUS:COMPLETED"); at != std::string::npos;
         at = ical.find("STATUS:COMPLETED", at + 1))
        ++completed;
    std::size_t toBuy = 0;
    for (const auto& section : list.sections)
        toBuy += section.size();
    EXPECT_EQ(todos, toBuy); // what is at home is no to-do
    EXPECT_EQ(completed, 1u);
    EXPECT_NE(ical.find("CATEGORIES:lactate \xC5\x9Fi ou\xC4\x83\r\n"), std::string::npos) << ical;
}

TEST(ShoppingList, SourcesOfTheWeekOrOfChosenDays) {
    Plan plan;
    const auto add = [&](const char* file, Date day, int portions) {
        PlanEntry e;
        e.recipeFile = file;
        e.title = file;
        e.cooked = {day, Meal::Dinner};
        e.portions = portions;
        e.leftovers = LeftoverLunches(e.cooked, 1);
        AddEntry(plan, e);
    };
    add("RET001.TXT", D(2026, 12, 14), 4);
    add("RET002.TXT", D(2026, 12, 16), 2);
    add("RET001.TXT", D(2026, 12, 20), 3); // the same recipe again: the portions add up
    add("RET003.TXT", D(2026, 12, 21), 5); // next week; its leftovers too
    EXPECT_EQ(SourcesOfWeek(plan, D(2026, 12, 14)),
              (std::vector<ShoppingSource>{{"RET001.TXT", "RET001.TXT", 7},
                                           {"RET002.TXT", "RET002.TXT", 2}}));
    EXPECT_EQ(SourcesOfDays(plan, {D(2026, 12, 16), D(2026, 12, 21)}),
              (std::vector<ShoppingSource>{{"RET002.TXT", "RET002.TXT", 2},
                                           {"RET003.TXT", "RET003.TXT", 5}}));
    EXPECT_TRUE(SourcesOfDays(plan, {D(2026, 12, 15)}).empty()); // leftovers are no cooking
}

TEST(ShoppingList, AmountsAsACookWritesThem) {
    struct Case {
        MeasureKind kind;
        const char* unit;
        double amount;
        const char* text;
    };
    const Case cases[] = {
        {MeasureKind::Mass, "g", 600, "600 g"},
        {MeasureKind::Mass, "g", 999.4, "999 g"},
        {MeasureKind::Mass, "g", 1000, "1 kg"},
        {MeasureKind::Mass, "g", 1260, "1,3 kg"},
        {MeasureKind::Volume, "ml", 750, "750 ml"},
        {MeasureKind::Volume, "ml", 1500, "1,5 l"},
        {MeasureKind::Pieces, "", 2.5, "2 1/2"},
        {MeasureKind::Pieces, "", 7, "7"},
        {MeasureKind::Unit, "linguri", 1, "1 lingur\xE3"},
        {MeasureKind::Unit, "lingur\xE3", 0.5, "1/2 lingur\xE3"},
        {MeasureKind::Unit, "lingur\xE3", 2.5, "2 1/2 linguri"},
        {MeasureKind::Unit, "conserva", 2, "2 conserve"},
        {MeasureKind::Unit, "v\xE2rf de cu\xFEit", 2, "2 v\xE2rfuri de cu\xFEit"},
        {MeasureKind::Unit, "v\xE2rfuri de cu\xFEit", 1, "1 v\xE2rf de cu\xFEit"},
        {MeasureKind::Unit, "sacul", 2, "2 sacul"}, // no forms known: as the table has it
        {MeasureKind::Unit, "", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AmountText(c.kind, c.unit, c.amount), c.text) << c.amount << " " << c.unit;
}

TEST(ShopSections, TableReadWithLimitsAndProblemsNamed) {
    const SectionTable table = ParseSectionTable(
        "unt\n[lactate \xBAi ou\xE3]\nUnt \n\n[nicio sec\xFEie]\nmere\n[legume si fructe]\n"
        "mere\nMERE\n" +
        std::string(kSectionLineLimit + 1, 'x') + "\n[conserve]\nrosii in bulion");
    EXPECT_EQ(table.Of("unt"), ShopSection::DairyEggs);
    EXPECT_EQ(table.Of(" Mere "), ShopSection::Produce);
    EXPECT_EQ(table.Of("ro\xBAii \xEEn bulion"), ShopSection::Tins); // folded, unended last line
    EXPECT_EQ(table.Of("piatra"), ShopSection::Grocery);
    EXPECT_FALSE(table.Names("piatra"));
    const std::vector<std::string> problems = {
        "line 1: a food before any section", "line 5: no such section \"[nicio sec\xFEie]\"",
        "line 6: a food before any section", "line 9: \"MERE\" is listed twice",
        "line 10: longer than 300 characters"};
    EXPECT_EQ(table.problems, problems);
    for (int i = 0; i < kSectionCount; ++i)
        EXPECT_EQ(ParseSectionName(SectionName(static_cast<ShopSection>(i))),
                  static_cast<ShopSection>(i));

    std::string many;
    many.reserve(kSectionTableLines * 8);
    many += "[conserve]\n";
    for (std::size_t i = 0; i < kSectionTableLines + 5; ++i)
        many += "f" + std::to_string(i) + "\n";
    const SectionTable cut = ParseSectionTable(many);
    EXPECT_EQ(cut.foods.size(), kSectionTableLines - 1);
    ASSERT_FALSE(cut.problems.empty());
    EXPECT_NE(cut.problems.back().find("the rest is not read"), std::string::npos);
}

TEST(ShoppingState, KeptUntilClearedAndReadWithLimits) {
    TempDataDir dir;
    EXPECT_EQ(LoadShoppingState().status, PlanStatus::Ok);
    ASSERT_EQ(SetShoppingSources({{"RET001.TXT", "Ciorb\xE3", 4}}).status, PlanStatus::Ok);
    ASSERT_EQ(SetTicked("UNT|g|G", true).status, PlanStatus::Ok);
    ASSERT_EQ(SetTicked("UNT|g|G", true).status, PlanStatus::Ok); // once only
    ASSERT_EQ(SetAtHome("OUA|p|", true).status, PlanStatus::Ok);
    ASSERT_EQ(SetTicked("FAINA|g|G", true).status, PlanStatus::Ok);
    ASSERT_EQ(SetTicked("FAINA|g|G", false).status, PlanStatus::Ok);
    ShoppingState expected;
    expected.sources = {{"RET001.TXT", "Ciorb\xE3", 4}};
    expected.ticked = {"UNT|g|G"};
    expected.atHome = {"OUA|p|"};
    EXPECT_EQ(LoadShoppingState().state, expected);
    EXPECT_EQ(ParseShoppingState(ShoppingStateText(expected)), expected);
    ASSERT_EQ(ClearShoppingList().status, PlanStatus::Ok);
    EXPECT_EQ(LoadShoppingState().state, ShoppingState{});

    struct Case {
        std::string text;
        const char* why;
    };
    const Case cases[] = {
        {"{", "JSON"},
        {"{\"savorel-plan\":1}", "cumparaturi"},
        {"{\"savorel-cumparaturi\":1,\"ticked\":[1]}", "ticked"},
        {"{\"savorel-cumparaturi\":1,\"atHome\":\"x\"}", "atHome"},
        {"{\"savorel-cumparaturi\":1,\"sources\":[{\"recipe\":\"a/b\"}]}", "dosarul de date"},
        {"{\"savorel-cumparaturi\":1,\"sources\":[{\"recipe\":\"R.TXT\",\"portions\":1000}]}",
         "portiile"},
        {"{\"savorel-cumparaturi\":1,\"sources\":[{}]}", "fisier"},
        {"{\"savorel-cumparaturi\":1,\"x\":[[[[[[[[[[[[]]]]]]]]]]]]}", "niveluri"},
        {std::string(kShoppingStateLimit + 1, ' '), "mare"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseShoppingState(c.text, &error)) << c.text.substr(0, 100);
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
    // A damaged state file is kept aside; the marks start again.
    WritePlain(kShoppingStateFile, ScrambleBytes("{\"savorel-cumparaturi\":1,\"ticked\":[1]}"));
    const ShoppingStateResult damaged = SetTicked("UNT|g|G", true);
    EXPECT_EQ(damaged.status, PlanStatus::Damaged); // written afresh, the old one kept aside
    EXPECT_NE(damaged.message.find("stricat-1"), std::string::npos) << damaged.message;
    EXPECT_TRUE(Exists(std::string(kShoppingStateFile) + ".stricat-1"));
    EXPECT_EQ(LoadShoppingState().state.ticked, std::vector<std::string>{"UNT|g|G"});
}

TEST(ShoppingList, OneFoodInBothNumbersIsOneLine) {
    TempDataDir dir;
    WriteScrambled("zcalorii.txt", "40 cepe\n40 ceap\xE3\n50 usturoi\n");
    WriteScrambled("zunitmas.txt", "1 g\n");
    WriteScrambled("zbucati.txt", "100 cepe\n100 ceap\xE3\n");
    WriteScrambled(kSectionTableFile, "[legume \xBAi fructe]\ncepe\nceap\xE3\n");
    WriteScrambled("RET001.TXT",
                   "#\nA\n#\n2 por\xFEii; 1 ceap\xE3; 2 cepe; 1 ceap\xE3 ro\xBAie\n#\nX");
    WriteScrambled("RET002.TXT", "#\nB\n#\n2 por\xFEii; 1 ceap\xE3\n#\nX");
    const ShoppingList both = BuildShoppingList({{"RET001.TXT", "A", 2}, {"RET002.TXT", "B", 1}});
    const auto& produce = both.sections[static_cast<int>(ShopSection::Produce)];
    ASSERT_EQ(produce.size(), 1u);
    EXPECT_EQ(LineText(produce[0]), "cepe 4 1/2 (4 A, 1/2 B)");
    const ShoppingList one = BuildShoppingList({{"RET002.TXT", "B", 2}});
    ASSERT_EQ(one.sections[static_cast<int>(ShopSection::Produce)].size(), 1u);
    EXPECT_EQ(LineText(one.sections[static_cast<int>(ShopSection::Produce)][0]),
              "ceap\xE3 1 (1 B)");
    const ShoppingList half = BuildShoppingList({{"RET002.TXT", "B", 1}});
    EXPECT_EQ(LineText(half.sections[static_cast<int>(ShopSection::Produce)][0]),
              "ceap\xE3 1/2 (1/2 B)");
}
