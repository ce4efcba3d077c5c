#include "viewing/calories.h"

#include "core/files.h"
#include "core/scramble.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>
#include <stdexcept>
#include <vector>

using namespace savorel;
using namespace savorel::testing;

namespace {

// Small tables in the data folder, as the calculator reads them.
void WriteTables() {
    WriteScrambled("zcalorii.txt", "364 faina de porumb\n340 faina\n143 oua\n884 ulei\n"
                                   "40 ceapa\n0 apa\n");
    WriteScrambled("zunitmas.txt", "1000 kg\n1 g\n15 linguri\n15 lingura\n0 bucati\n");
    WriteScrambled("zbucati.txt", "55 oua ou\n100 ceapa cepe\n");
}

TEST(FindAndBlank, FindsCaseInsensitivelyAndBlanksTheFirstOccurrence) {
    std::string text = " 500 g FAINA faina ";
    EXPECT_EQ(7u, FindAndBlank(text, " faina "));
    EXPECT_EQ(" 500 g       faina ", text);
    std::string shortText = "ab";
    EXPECT_EQ(0u, FindAndBlank(shortText, "abc"));
    EXPECT_EQ(1u, FindAndBlank(shortText, ""));
    EXPECT_EQ("ab", shortText);
    // Bytes above 127 compare as they are, except the folded Romanian letters.
    std::string other = "\x9A"
                        "a";
    EXPECT_EQ(0u, FindAndBlank(other, "sa"));
    std::string ro = "\xE2mbr";
    EXPECT_EQ(1u, FindAndBlank(ro, "\xC2MBR"));
}

TEST(EvaluateIngredient, DiacriticsInRecipeOrTable) {
    // Windows-1250: f\xE3in\xE3 (faina with a-breve), br\xE2nz\xE3, \xFEelin\xE3 (t cedilla).
    const struct {
        const char* foods;
        const char* token;
        double total;
    } cases[] = {
        {"340 faina\n", "100 g f\xE3in\xE3", 340},
        {"340 f\xE3in\xE3\n", "100 g faina", 340},
        {"340 f\xE3in\xE3\n", "100 g F\xC3IN\xC3", 340},
        {"300 branza\n", "100 g BR\xC2NZ\xC3", 300},
        {"20 \xFE"
         "elina\n",
         "100 g TELIN\xC3", 20},
        {"20 telina\n",
         "2 \xDE"
         "ELINA",
         0.2 * 2 * 0.5}, // piece mass through folded names
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteScrambled("zcalorii.txt", c.foods);
        WriteScrambled("zunitmas.txt", "1 g\n");
        WriteScrambled("zbucati.txt", "9 T\xCAlina\n0.5 \xFE"
                                      "elina\n");
        CollectingReporter reporter;
        CalorieState state;
        EvaluateIngredient(c.token, state, reporter);
        EXPECT_NEAR(c.total, state.total, 1e-3) << c.token;
        EXPECT_TRUE(state.notUnderstood.empty()) << c.token;
        // The line shows the ingredient as the recipe wrote it.
        EXPECT_NE(state.page.find(std::string(" ") + c.token + " ......."), std::string::npos);
    }
}

TEST(ParseQuantity, FollowsTheDigitSlashSeparatorRule) {
    struct Case {
        const char* in;
        float value;
        const char* rest;
    } cases[] = {
        {" 250 g ", 250.0f, "     g "},       {"1.5", 1.5f, "   "},   {"1,5 kg", 1.5f, "    kg"},
        {"1/2 lingura", 0.5f, "    lingura"}, {"1/4", 0.25f, "   "},  {"1 1/2", 1.0f, "  1/2"},
        {"1.5/2", 0.075f, "     "},           {"sare", 1.0f, "sare"}, {"x 2,25", 2.25f, "x     "},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        EXPECT_NEAR(c.value, ParseQuantity(text), 1e-6) << c.in;
        EXPECT_EQ(c.rest, text) << c.in;
    }
}

TEST(TableLines, NumberBlankNameWithItsBlanks) {
    const std::string bytes = "  12.5 faina alba\r\n7 x\nbad kg\n\n42";
    std::string keep = ScrambleBytes(bytes);
    std::FILE* f = fmemopen(keep.data(), keep.size(), "rb");
    TableLine line;
    float current = -1;
    ASSERT_TRUE(ReadTableLine(f, line, current, 1));
    EXPECT_FLOAT_EQ(12.5f, line.number);
    EXPECT_EQ(" faina alba ", line.field);
    ASSERT_TRUE(ReadTableLine(f, line, current, 4));
    EXPECT_EQ(" x    ", line.field);
    // A number that does not convert keeps the previous value.
    ASSERT_TRUE(ReadTableLine(f, line, current, 1));
    EXPECT_FLOAT_EQ(7.0f, line.number);
    EXPECT_EQ(" kg ", line.field);
    ASSERT_TRUE(ReadTableLine(f, line, current, 1)); // the empty line
    // The end of the file right after a number: that line is ignored.
    EXPECT_FALSE(ReadTableLine(f, line, current, 1));
    std::fclose(f);
}

TEST(EvaluateIngredient, UnitsPiecesLeftoversAndUnknownFoods) {
    TempDataDir dir;
    WriteTables();
    CollectingReporter reporter;
    CalorieState state;
    EvaluateIngredient("500 g  faina", state, reporter);
    EXPECT_EQ("\n<li> 500 g faina .......<font color=#006f00> 3.400 </font>"
              "<font color=#000000> *  </font><font color=#006f00>500.000</font>"
              "<font color=#000000> *  </font><font color=#006f00>1.00</font>"
              "<font color=#000000> = </font><font color=#770000>1700.00</font>",
              state.page);
    EXPECT_NEAR(1700.0, state.total, 1e-3);
    EXPECT_TRUE(state.notUnderstood.empty());

    // The longer name stands first in the table, so it wins.
    state = {};
    EvaluateIngredient("100 g faina de porumb", state, reporter);
    EXPECT_NEAR(364.0, state.total, 1e-3);

    // No unit: the piece mass of the food. What is left only describes the counted
    // ingredient: it is not listed, only kept for the audit.
    state = {};
    EvaluateIngredient("3 OUA de casa", state, reporter);
    EXPECT_NEAR(1.43 * 3 * 55, state.total, 1e-2);
    EXPECT_TRUE(state.notUnderstood.empty()) << state.notUnderstood;
    EXPECT_TRUE(state.leftoverWords.empty());
    EXPECT_EQ((std::vector<std::string>{"de", "casa"}), state.describingWords);

    // Found food, no mass anywhere: no product, nothing added.
    state = {};
    EvaluateIngredient("2 linguri apa", state, reporter);
    EXPECT_NE(std::string::npos, state.page.find("<font color=#006f00>15.00</font>"));
    state = {};
    EvaluateIngredient("1 ulei", state, reporter);
    EXPECT_EQ(std::string::npos, state.page.find(" = "));
    EXPECT_DOUBLE_EQ(0.0, state.total);

    // Unknown food: the whole token is not understood.
    state = {};
    EvaluateIngredient("2 kg nimic", state, reporter);
    EXPECT_EQ("\n<li> 2 kg nimic .......<font color=#ff0000> nu inteleg ???? </font>", state.page);
    EXPECT_NE(std::string::npos, state.notUnderstood.find(" 2 kg nimic "));

    state = {};
    EvaluateIngredient("    ", state, reporter);
    EXPECT_TRUE(state.page.empty());
    EXPECT_TRUE(reporter.entries.empty());
}

// What is left of an ingredient once it is counted is listed only when it can hide a second
// ingredient: a number, or a food's name. An ingredient that is not counted lists it all.
TEST(EvaluateIngredient, DescribingWordsOfCountedIngredientsAreNotListed) {
    const struct {
        const char* token;
        double total;
        const char* listed; // in the list of what was not understood, or "" for nothing
        std::vector<std::string> describing;
    } cases[] = {
        {"400 g faina macinata", 1360, "", {"macinata"}},
        {"400 g faina alba, cernuta", 1360, "", {"alba,", "cernuta"}},
        {"200 g faina si 3 oua", 680, " si 3 oua ", {}}, // a second quantity
        {"100 g faina si ceapa", 340, " si ceapa ", {}}, // a second food
        {"1 lingura ulei de masline", 132.6, "", {"de", "masline"}},
        {"1 ulei proaspat", 0, " proaspat ", {}},      // found, but no mass: not counted
        {"2 kg nimic bun", 0, " 2 kg nimic bun ", {}}, // nothing found
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteTables();
        CollectingReporter reporter;
        CalorieState state;
        EvaluateIngredient(c.token, state, reporter);
        EXPECT_NEAR(c.total, state.total, 1e-2) << c.token;
        if (*c.listed)
            EXPECT_NE(std::string::npos, state.notUnderstood.find(c.listed))
                << c.token << ": " << state.notUnderstood;
        else
            EXPECT_TRUE(state.notUnderstood.empty()) << c.token << ": " << state.notUnderstood;
        EXPECT_EQ(c.describing, state.describingWords) << c.token;
        EXPECT_TRUE(reporter.entries.empty()) << c.token;
    }
}

// A volume weighs by the food in it where both optional tables say so; where either is
// silent or missing, the unit table's mass stands, as it always did.
TEST(EvaluateIngredient, VolumesWeighByTheFoodWhereTheTablesSaySo) {
    const char* volumes = "15 linguri\n15 lingura\n1 ml\n";
    const char* densities = "0.92 ulei\n0.67 faina\n0 apa\n";
    const struct {
        const char* volumeTable;  // nullptr: no such file
        const char* densityTable; // nullptr: no such file
        const char* token;
        double total;
    } cases[] = {
        {volumes, densities, "2 linguri ulei", 8.84 * 2 * 15 * 0.92},
        {volumes, densities, "2 LINGURI ULEI", 8.84 * 2 * 15 * 0.92}, // compared folded
        {volumes, densities, "100 ml ulei", 8.84 * 100 * 0.92},
        {volumes, densities, "1 lingura faina", 3.4 * 15 * 0.67},
        {volumes, densities, "100 g ulei", 884},                // a mass is no volume
        {volumes, densities, "1 lingura ceapa", 0.4 * 15},      // a food without a density
        {volumes, "0 ulei\n", "2 linguri ulei", 8.84 * 2 * 15}, // a density of 0 means nothing
        {volumes, nullptr, "2 linguri ulei", 8.84 * 2 * 15},    // old tables: old rule
        {nullptr, densities, "2 linguri ulei", 8.84 * 2 * 15},
        {"nan linguri\n", densities, "2 linguri ulei", 8.84 * 2 * 15},
        {volumes, "-0.92 ulei\n", "2 linguri ulei", 8.84 * 2 * 15},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteTables();
        WriteScrambled("zunitmas.txt", "1000 kg\n1 g\n15 linguri\n15 lingura\n1 ml\n");
        WriteScrambled("zcalorii.txt", "340 faina\n143 oua\n884 ulei\n40 ceapa\n0 apa\n");
        if (c.volumeTable)
            WriteScrambled("zvolum.txt", c.volumeTable);
        if (c.densityTable)
            WriteScrambled("zdensit.txt", c.densityTable);
        CollectingReporter reporter;
        CalorieState state;
        EvaluateIngredient(c.token, state, reporter);
        EXPECT_NEAR(c.total, state.total, 1e-2) << c.token;
        EXPECT_TRUE(reporter.entries.empty()) << c.token; // optional tables: no message
        EXPECT_TRUE(state.notUnderstood.empty()) << c.token;
    }
}

// "1 conserva (400 g) rosii": the parenthesis is the mass of one unit or piece, whatever the
// tables say, and it does not part the words of a food's name.
TEST(EvaluateIngredient, AMeasureInParenthesesIsTheMassOfOneUnit) {
    const struct {
        const char* token;
        double total;
        bool listed; // something is in the list of what was not understood
    } cases[] = {
        {"1 conserva (400 g) rosii", 0.2 * 400, false},
        {"2 conserve (400 g) rosii", 0.2 * 800, false},
        {"2 conserve (400 g fiecare) rosii", 0.2 * 800, false},
        {"2 conserve (400 g) fasole alba", 0.85 * 800, false}, // the food's name kept whole
        {"2 conserve fasole alba", 0.85 * 2 * 250, false},     // the piece table's can
        {"1 conserva (1/2 kg) rosii", 0.2 * 500, false},
        {"1 conserva (400 ml) lapte", 0.6 * 400 * 1.03, false}, // a volume by its density
        {"1 conserva rosii (de casa)", 0.2 * 300, false},       // no measure: describing
        {"1 conserva (400 x) rosii", 0.2 * 300, true},          // no unit: a number left over
        // Not closed: read as it always was, the first unit of the table winning.
        {"1 conserva (400 g rosii", 0.2 * 1, true},
        {"(400 g) rosii", 0.2 * 400, false},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteScrambled("zcalorii.txt", "85 conserve fasole alba\n20 rosii\n60 lapte\n");
        WriteScrambled("zunitmas.txt", "1000 kg\n1 g\n1 ml\n300 conserva\n300 conserve\n");
        WriteScrambled("zbucati.txt", "250 conserve fasole alba\n");
        WriteScrambled("zvolum.txt", "1 ml\n");
        WriteScrambled("zdensit.txt", "1.03 lapte\n");
        CollectingReporter reporter;
        CalorieState state;
        EvaluateIngredient(c.token, state, reporter);
        EXPECT_NEAR(c.total, state.total, 1e-2) << c.token;
        EXPECT_EQ(c.listed, !state.notUnderstood.empty()) << c.token << ": " << state.notUnderstood;
        // The line shows the ingredient as written, parenthesis included.
        EXPECT_NE(std::string::npos, state.page.find(std::string(" ") + c.token + " ......."))
            << c.token;
    }
    // An ingredient not understood is listed whole, its parenthesis included.
    {
        TempDataDir dir;
        WriteScrambled("zcalorii.txt", "20 rosii\n");
        WriteScrambled("zunitmas.txt", "1 g\n300 conserve\n");
        WriteScrambled("zbucati.txt", "");
        CollectingReporter reporter;
        CalorieState state;
        EvaluateIngredient("2 conserve (400 g) nimic", state, reporter);
        EXPECT_NE(std::string::npos, state.notUnderstood.find(" 2 conserve (400 g) nimic "))
            << state.notUnderstood;
    }
    // A missing unit table is told once, as before, by the lookup that needs it.
    TempDataDir dir;
    WriteScrambled("zcalorii.txt", "20 rosii\n");
    WriteScrambled("zbucati.txt", "");
    CollectingReporter reporter;
    CalorieState state;
    EvaluateIngredient("1 conserva (400 g) rosii", state, reporter);
    ASSERT_EQ(1u, reporter.entries.size());
    EXPECT_EQ(kUnitTableFile, reporter.entries[0].text);
    EXPECT_TRUE(state.tableMissing);
}

// Table numbers no table can mean never reach the total: their line is passed over, so the
// total stays a finite sum of what was understood.
TEST(EvaluateIngredient, TableNumbersThatMeanNothingArePassedOver) {
    struct Case {
        const char* foods;
        const char* units;
        const char* pieces;
        const char* token;
        double total;
    } cases[] = {
        {"nan faina\n", "1 g\n", "", "100 g faina", 0},
        {"inf faina\n", "1 g\n", "", "100 g faina", 0},
        {"1e39 faina\n", "1 g\n", "", "100 g faina", 0},
        {"-340 faina\n", "1 g\n", "", "100 g faina", 0},
        // The line passed over lets a later line of the same food match.
        {"inf faina\n340 faina\n", "1 g\n", "", "100 g faina", 340},
        // A unit without a usable mass names no unit: the piece mass is taken.
        {"100 oua\n", "inf bucata\n", "50 oua\n", "2 bucata oua", 100},
        {"100 oua\n", "nan bucata\n", "-50 oua\n", "2 bucata oua", 0},
        // Two negative factors must not make a positive product.
        {"-100 oua\n", "1 g\n", "-50 oua\n", "2 oua", 0},
        // A number that does not convert still keeps the value before it.
        {"340 ulei\nabc faina\n", "1 g\n", "", "100 g faina", 340},
        // Forty digits of quantity overflow single precision: nothing is added.
        {"340 faina\n", "1 g\n", "", "1000000000000000000000000000000000000000000 g faina", 0},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        WriteScrambled("zcalorii.txt", c.foods);
        WriteScrambled("zunitmas.txt", c.units);
        WriteScrambled("zbucati.txt", c.pieces);
        CollectingReporter reporter;
        CalorieState state;
        CalculateFromIngredients(c.token, state, reporter);
        EXPECT_NEAR(c.total, state.total, 1e-3) << c.foods << c.units << c.pieces << c.token;
        for (const char* wrong : {"inf", "nan", "-"})
            EXPECT_EQ(std::string::npos, state.page.find(std::string("TOTAL:<b> ") + wrong))
                << c.foods;
    }
}

TEST(CalculateCalories, WholePageTokensAndTrailer) {
    TempDataDir dir;
    WriteTables();
    WriteScrambled("RET001.TXT", "#\nMamaliga\n#\nPentru baza: 2,5 kg faina; 1 ceapa.\n"
                                 "2 linguri ulei\n#\nSe fierbe.");
    CollectingReporter reporter;
    CalorieState state;
    ASSERT_TRUE(CalculateCalories("RET001.TXT", dir.path() + "/", reporter, &state));
    EXPECT_TRUE(reporter.entries.empty());
    const double expected = 3.4 * 2.5 * 1000 + 0.4 * 100 + 8.84 * 2 * 15;
    EXPECT_NEAR(expected, state.total, 0.05);
    const std::string page = ReadBack(dir.path() + "/hastemele.html");
    EXPECT_EQ(state.page, page);
    EXPECT_EQ(0u, page.find("<html>\n<li> 2,5 kg faina ......."));
    EXPECT_NE(std::string::npos, page.find("<hr>Am inteles toate ingredientele\n<hr><p><BIG><BIG>"
                                           "TOTAL:<b> 8805.20</b> calorii. </BIG></BIG></html>"));
}

TEST(CalculateCalories, EmptyIngredientsAndMarkerProblems) {
    TempDataDir dir;
    WriteTables();
    CollectingReporter reporter;
    WriteScrambled("EMPTY.TXT", "#\nNimic\n##\nSe fierbe.");
    CalorieState state;
    ASSERT_TRUE(CalculateCalories("EMPTY.TXT", "", reporter, &state));
    EXPECT_EQ("<html><hr>Am inteles toate ingredientele\n<hr><p><BIG><BIG>TOTAL:<b> 0.00</b> "
              "calorii. </BIG></BIG></html>",
              ReadBack("hastemele.html"));

    // A "#" in the preparation: the message, then a complete page all the same.
    WriteScrambled("MORE.TXT", "#\nT\n#\n1 ceapa\n#\nSe # fierbe.");
    ASSERT_TRUE(CalculateCalories("MORE.TXT", "", reporter, &state));
    ASSERT_EQ(1u, reporter.entries.size());
    EXPECT_EQ(kBadFileFormat, reporter.entries[0].text);
    EXPECT_EQ(BoxForm::CaptionOnly, reporter.entries[0].form);
    EXPECT_NEAR(40.0, state.total, 1e-3);

    reporter.entries.clear();
    WriteScrambled("FEW.TXT", "#\nT\n#\n1 ceapa");
    EXPECT_FALSE(CalculateCalories("FEW.TXT", "", reporter, &state));
    EXPECT_EQ(kBadFileFormat, reporter.entries.at(0).text);

    reporter.entries.clear();
    EXPECT_FALSE(CalculateCalories("NONE.TXT", "", reporter, &state));
    EXPECT_EQ(kArgumentNotFound, reporter.entries.at(0).text);
    reporter.entries.clear();
    EXPECT_FALSE(CalculateCalories("../MORE.TXT", "", reporter, &state));
    EXPECT_EQ(kArgumentNotFound, reporter.entries.at(0).text);
}

TEST(CalculateCalories, MissingTablesEndTheCalculationWithTheirMessage) {
    TempDataDir dir;
    WriteScrambled("R.TXT", "#\nT\n#\n1 ceapa; 2 oua\n#\nP");
    for (const char* table : {"zcalorii.txt", "zunitmas.txt", "zbucati.txt"}) {
        WriteTables();
        std::remove(table);
        std::remove("hastemele.html");
        CollectingReporter reporter;
        EXPECT_FALSE(CalculateCalories("R.TXT", "", reporter)) << table;
        ASSERT_EQ(1u, reporter.entries.size()) << table;
        EXPECT_EQ(table, reporter.entries[0].text);
        EXPECT_FALSE(Exists("hastemele.html")) << table;
    }
}

TEST(CalculateCalories, LongTokenIsReportedAndStillEvaluated) {
    TempDataDir dir;
    WriteTables();
    WriteScrambled("LONG.TXT", "#\nT\n#\n1 ceapa" + std::string(3000, 'x') + "\n#\nP");
    CollectingReporter reporter;
    CalorieState state;
    ASSERT_TRUE(CalculateCalories("LONG.TXT", "", reporter, &state));
    ASSERT_EQ(1u, reporter.entries.size());
    EXPECT_EQ(kTokenTooBig, reporter.entries[0].text);
    EXPECT_NE(std::string::npos, state.page.find("nu inteleg"));
}

TEST(CalculateCalories, ServingsItemPerPortionAndExactScaling) {
    TempDataDir dir;
    WriteTables();
    WriteScrambled("RET001.TXT", "#\nMamaliga\n#\n4 portii; 2,5 kg faina; 1 ceapa.\n"
                                 "2 linguri ulei\n#\nSe fierbe.");
    CollectingReporter reporter;
    CalorieState own;
    ASSERT_TRUE(CalculateCalories("RET001.TXT", "", reporter, &own));
    EXPECT_TRUE(reporter.entries.empty());
    // The servings item is neither a line nor something not understood.
    EXPECT_EQ(0u, own.page.find("<html>\n<li> 2,5 kg faina ......."));
    EXPECT_EQ(std::string::npos, own.page.find("portii ."));
    const std::string trailer = "<hr>Am inteles toate ingredientele\n<hr><p><BIG><BIG>TOTAL:<b> "
                                "8805.20</b> calorii. </BIG></BIG><br>Pe portie (4 portii): <b> "
                                "2201.30</b> calorii.</html>";
    EXPECT_EQ(own.page.size() - trailer.size(), own.page.find(trailer));

    const struct {
        int servings;
        const char*
            line; // the first ingredient as the scaled page writes it, then the exact quantity
        const char* perPortion;
    } cases[] = {
        {1,
         "<li> 0,65 kg faina .......<font color=#006f00> 3.400 </font><font color=#000000> * "
         " </font><font color=#006f00>0.625</font>",
         "(1 portie)"},
        {3, "<li> 1,9 kg faina .......", "(3 portii)"},
        {8, "<li> 5 kg faina .......", "(8 portii)"},
        {99, "<li> 61,9 kg faina .......", "(99 portii)"},
        {4, "<li> 2,5 kg faina .......", "(4 portii)"},
    };
    for (const auto& c : cases) {
        CalorieState scaled;
        ASSERT_TRUE(CalculateCalories("RET001.TXT", "", reporter, &scaled, c.servings));
        EXPECT_NEAR(own.total * c.servings / 4, scaled.total, own.total * c.servings / 4 * 1e-4)
            << c.servings;
        EXPECT_NE(std::string::npos, scaled.page.find(c.line)) << c.servings;
        EXPECT_NE(std::string::npos,
                  scaled.page.find(std::string(c.perPortion) + ": <b> 2201.30</b> calorii."))
            << c.servings;
        EXPECT_EQ(scaled.page, ReadBack("hastemele.html"));
    }

    // A servings item that is not the first item is an ordinary, not understood, ingredient;
    // the page is what it always was.
    WriteScrambled("RET002.TXT", "#\nT\n#\n1 ceapa; 4 portii\n#\nP");
    CalorieState later;
    ASSERT_TRUE(CalculateCalories("RET002.TXT", "", reporter, &later, 8));
    EXPECT_NE(std::string::npos, later.page.find("<li> 4 portii ......."));
    EXPECT_NE(std::string::npos,
              later.page.find("TOTAL:<b> 40.00</b> calorii. </BIG></BIG></html>"));
    EXPECT_EQ(std::string::npos, later.page.find("Pe portie"));
}

// The program runs in the user's locale; the page it writes keeps decimal points.
TEST(CalculateCalories, RomanianLocaleWritesDecimalPoints) {
    struct Restore {
        std::locale cpp;
        std::string c = std::setlocale(LC_ALL, nullptr);
        ~Restore() {
            std::locale::global(cpp);
            std::setlocale(LC_ALL, c.c_str());
        }
    } restore;
    try {
        std::locale::global(std::locale("ro_RO.UTF-8"));
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "ro_RO.UTF-8 is not available (localedef -i ro_RO -f UTF-8 ro_RO.UTF-8)";
    }
    if (!std::setlocale(LC_ALL, "ro_RO.UTF-8"))
        GTEST_SKIP() << "ro_RO.UTF-8 cannot be set for the C library";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    ASSERT_STREQ("1,50", probe); // the locale really writes decimal commas

    TempDataDir dir;
    WriteTables();
    WriteScrambled("R.TXT", "#\nT\n#\n2 portii; 500 g faina; 1 ceapa\n#\nP");
    CollectingReporter reporter;
    ASSERT_TRUE(CalculateCalories("R.TXT", dir.path() + "/", reporter));
    const std::string page = ReadBack(dir.path() + "/hastemele.html");
    for (const char* number : {"<font color=#006f00> 3.400 </font>", ">500.000<", ">1.00<",
                               ">1700.00<", "TOTAL:<b> 1740.00</b>", "portii): <b> 870.00</b>"})
        EXPECT_NE(std::string::npos, page.find(number)) << number;
}

} // namespace

TEST(CalculateCalories, FailedPageWriteIsToldAndKeepsThePreviousPage) {
    TempDataDir dir;
    WriteTables();
    WriteScrambled("R.TXT", "#\nT\n#\n1 ceapa\n#\nP");
    WritePlain("hastemele.html", "previous page");
    CollectingReporter reporter;
    std::size_t written = 0;
    // The disk fills after a few bytes of the new page.
    SetWriteFaultHook([&](std::size_t bytes) {
        written += bytes;
        return written < 8;
    });
    EXPECT_FALSE(CalculateCalories("R.TXT", "", reporter));
    SetWriteFaultHook(nullptr);
    ASSERT_EQ(1u, reporter.entries.size());
    EXPECT_EQ(kCaloriePageName, reporter.entries[0].text);
    EXPECT_EQ("previous page", ReadBack("hastemele.html"));
}
