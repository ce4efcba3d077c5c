// The servings item and the scaling of a recipe to another number of servings.
#include "catalogue/page.h"
#include "catalogue/servings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace savorel;

namespace {

TEST(ServingsItem, RecognisesOnlyAWholeItemOfOneToNinetyNine) {
    const struct {
        const char* item;
        std::optional<int> servings;
    } cases[] = {
        {"4 portii", 4},
        {"  12   PORTII  ", 12},
        {"\r\n6 Portii\r\n", 6},
        {"1 portie", 1},
        {"1 portii", 1},
        {"2 portie", std::nullopt}, // "portie" is the word for one
        {"4 por\xFEii", 4},         // Windows-1250 t-cedilla
        {"4 POR\xDEII", 4},
        {"99 portii", 99},
        {"0 portii", std::nullopt},
        {"100 portii", std::nullopt},
        {"-4 portii", std::nullopt},
        {"4portii", std::nullopt},
        {"portii", std::nullopt},
        {"4 portii de ciorba", std::nullopt}, // "portii" inside a longer item
        {"ciorba pentru 4 portii", std::nullopt},
        {"4 portiii", std::nullopt},
        {"24 de portii", 24}, // Romanian's "de" after 20 and up
        {"20 DE por\xFEii", 20},
        {"  30  de\tportii ", 30},
        {"5 de portii", 5}, // read though a cook would not write it
        {"1 de portie", 1},
        {"24 de", std::nullopt},
        {"24 deportii", std::nullopt},
        {"24 de de portii", std::nullopt},
        {"24 da portii", std::nullopt},
        {"de portii", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.servings, ParseServingsItem(c.item)) << c.item;
}

TEST(ServingsItem, OnlyTheFirstItemOfTheIngredientsCounts) {
    const struct {
        const char* recipe;
        std::optional<int> servings;
    } cases[] = {
        {"#\nCiorba\n#\n4 portii; 400 g carne\n#\nSe fierbe.", 4},
        {"autor#Ciorba#\r\n2 portii,\r\n400 g carne#Se fierbe.", 2},
        {"#\nCiorba\n#\n400 g carne; 4 portii\n#\nSe fierbe.", std::nullopt}, // not first
        {"#\nCiorba\n#\n4 portii; 2 portii; sare\n#\nSe fierbe.", 4},         // twice: the first
        {"#\nCiorba\n#\nPentru: 4 portii; sare\n#\n", std::nullopt},          // a heading's item
        {"#\nCiorba\n#\n; 4 portii\n#\n", std::nullopt},                      // empty first item
        {"#\nCiorba, 4 portii", std::nullopt},                                // no ingredients
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.servings, ServingsOfRecipe(c.recipe)) << c.recipe;

    // What the editor takes out of its ingredients field: the item, its separator and the
    // line break after it.
    const auto stated = ServingsOfIngredients("3 portii;\r\n200 g unt");
    ASSERT_TRUE(stated);
    EXPECT_EQ(3, stated->servings);
    EXPECT_EQ(11u, stated->prefixLength);
    EXPECT_EQ(8u, ServingsOfIngredients("3 portii")->prefixLength);
    EXPECT_EQ(14u, ServingsOfIngredients("24 de portii; 1 kg varza")->prefixLength);
}

TEST(ServingsScaling, EachQuantityFormAndItsRounding) {
    const struct {
        const char* item;
        double factor;
        const char* scaled;
    } cases[] = {
        {"2 cepe", 2, "4 cepe"},
        {" 2 cepe", 1.5, " 3 cepe"},
        {"1/2 kg zahar", 2, "1 kg zahar"},
        {"1/2 lingura ulei", 3, "1 1/2 linguri ulei"},
        {"1,5 kg mere", 2, "3 kg mere"},
        {"1.5 kg mere", 1.4, "2,1 kg mere"},
        {"1.5 kg mere", 1.5, "2,3 kg mere"},        // kg and l in decimals, 0,1 from 1 kg up
        {"1/2 l smantana", 1.5, "0,75 l smantana"}, // 0,05 below 1
        {"1 1/2 l apa", 1.0 / 4, "0,4 l apa"},
        {"1 1/2 l apa", 0.75, "1,1 l apa"},
        {"0,3 kg branza", 1.0 / 3, "0,1 kg branza"},
        {"0,1 kg nuca", 0.3, "0,03 kg nuca"}, // 0,01 below 0,1
        {"1 1/2 cani lapte", 2, "3 cani lapte"},
        {"1 1/2 cani lapte", 0.5, "3/4 cana lapte"},
        {"3 linguri zahar", 0.25, "3/4 lingur\xE3 zahar"}, // spoons in quarters; "linguri"
        // is how the book writes it too, so its singular is the book's
        {"1 lingura ulei", 0.1, "1/4 lingura ulei"}, // never less than a quarter
        {"3 linguri ulei", 2.25, "7 linguri ulei"},  // halves from 3 up: 6,75 is 7
        {"4 linguri ulei", 3, "12 linguri ulei"},
        {"1 ceapa", 1.0 / 3, "1/2 ceapa"}, // other things counted in halves
        {"1 ceapa", 0.38, "1/2 ceapa"},
        {"1 ceapa", 4.0 / 3, "1 1/2 cepe"},
        {"5 cartofi", 2.5, "13 cartofi"}, // whole from 5 up
        {"2 oua", 1.0 / 3, "1 ou"},       // eggs, yolks, cloves whole
        {"8 g\xE3lbenu\xBAuri", 1.0 / 7, "1 g\xE3lbenu\xBA"},
        {"3 c\xE3\xFE"
         "ei usturoi",
         0.75,
         "2 c\xE3\xFE"
         "ei usturoi"},
        {"250 g faina", 1.0 / 3, "83 g faina"}, // g and ml in whole units, rounded
        {"250 g faina", 0.75, "188 g faina"},
        {"250g faina", 0.5, "125g faina"},
        {"100 ml lapte", 0.75, "75 ml lapte"},
        {"3 g sare", 0.1, "1 g sare"}, // never nothing at all
        {"sare", 3, "sare"},
        {"2-3 cepe", 2, "2-3 cepe"},
        {"1,5/2 kg", 2, "1,5/2 kg"},
        {"piper 2 linguri", 2, "piper 2 linguri"}, // the quantity does not start the item
        {"1,13 l apa", 1, "1,13 l apa"},           // at its own number, as written
        {"1 linguri sare", 1, "1 linguri sare"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.scaled, ScaleItemText(c.item, c.factor)) << c.item << " x " << c.factor;
}

TEST(ServingsScaling, UnitsAndNounsAgreeWithTheScaledNumber) {
    const struct {
        const char* item;
        double factor;
        const char* scaled;
    } cases[] = {
        {"2 linguri bicarbonat", 0.5, "1 lingur\xE3 bicarbonat"},
        {"1 lingur\xE3 ulei", 2, "2 linguri ulei"},
        {"2 linguri\xFE"
         "e sare",
         0.5, "1 linguri\xFE\xE3 sare"},
        {"1 linguri\xFE\xE3 sare", 3,
         "3 linguri\xFE"
         "e sare"},
        {"2 linguri\xFE"
         "e sare",
         0.25, "1/2 linguri\xFE\xE3 sare"},
        {"1 lingurita sare", 2, "2 lingurite sare"}, // typed without diacritics: kept so
        {"1 can\xE3 lapte", 2, "2 c\xE3ni lapte"},
        {"3 c\xE3ni f\xE3in\xE3", 1.0 / 3, "1 can\xE3 f\xE3in\xE3"},
        {"1 leg\xE3tur\xE3 m\xE3rar", 3, "3 leg\xE3turi m\xE3rar"},
        {"2 leg\xE3turi p\xE3trunjel", 0.5, "1 leg\xE3tur\xE3 p\xE3trunjel"},
        {"1 conserv\xE3 (400 g) ro\xBAii", 2, "2 conserve (400 g) ro\xBAii"},
        {"2 conserve (400 g) ro\xBAii", 0.25, "1/2 conserv\xE3 (400 g) ro\xBAii"},
        {"4 ou\xE3", 0.25, "1 ou"},
        {"1 ou", 3, "3 ou\xE3"},
        {"4 ciuperci", 0.25, "1 ciuperc\xE3"},
        {"1 iepure", 2, "2 iepuri"},
        {"1 ardei gras", 3, "3 ardei gras"}, // the same in both numbers
        {"1 v\xE2rf de cu\xFEit piper", 2, "2 v\xE2rfuri de cu\xFEit piper"},
        // "de" from 20 up, before nouns, never after an abbreviation.
        {"10 linguri zah\xE3r", 2, "20 de linguri zah\xE3r"},
        {"4 ou\xE3", 6, "24 de ou\xE3"},
        {"20 de nuci", 0.5, "10 nuci"},
        {"20 de nuci", 5.05, "101 nuci"},
        {"20 de nuci", 5, "100 de nuci"},
        {"100 g unt", 3, "300 g unt"},
        {"1 kg cartofi", 25, "25 kg cartofi"},
        {"20 de ml lapte", 2, "40 de ml lapte"}, // an abbreviation's words are left alone
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.scaled, ScaleItemText(c.item, c.factor)) << c.item << " x " << c.factor;
}

TEST(ServingsScaling, FormatQuantityRoundsInTheStepsOfItsStyle) {
    const struct {
        double value;
        QuantityStyle style;
        const char* text;
    } cases[] = {
        {187.5, QuantityStyle::Whole, "188"},
        {0.2, QuantityStyle::Whole, "1"},
        {1.13, QuantityStyle::Decimal, "1,1"},
        {0.375, QuantityStyle::Decimal, "0,4"},
        {0.32, QuantityStyle::Decimal, "0,3"},
        {0.004, QuantityStyle::Decimal, "0,01"},
        {2.6, QuantityStyle::Spoon, "2 1/2"},
        {2.9, QuantityStyle::Spoon, "3"},
        {0.6, QuantityStyle::Spoon, "1/2"},
        {1.13, QuantityStyle::WholePiece, "1"},
        {0.3, QuantityStyle::WholePiece, "1"},
        {0.38, QuantityStyle::Piece, "1/2"},
        {2.25, QuantityStyle::Piece, "2 1/2"},
        {6.4, QuantityStyle::Piece, "6"},
        {0, QuantityStyle::Piece, "0"},
        {-2, QuantityStyle::Whole, "0"},
        {std::nan(""), QuantityStyle::Decimal, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, FormatQuantity(c.value, c.style)) << c.value;
    EXPECT_EQ(QuantityStyle::Spoon, StyleOfUnit("LINGURITE"));
    EXPECT_EQ(QuantityStyle::Decimal, StyleOfUnit("kg"));
    EXPECT_EQ(QuantityStyle::WholePiece, StyleOfUnit("c\xE3\xFE"
                                                     "el"));
    EXPECT_EQ(QuantityStyle::Piece, StyleOfUnit("nuci"));
}

TEST(ServingsPage, ScalesItemsAndIsTheRecipePageAtItsOwnNumber) {
    const std::string recipe = "#\nCiorba\n#\n 4 por\xFEii; 400 g carne; Pentru sos: 1/2 l "
                               "smantana; sare\n#\nSe fierbe.";
    const std::string plain = RenderRecipePageText("RET009.TXT", recipe);
    EXPECT_EQ(plain, RenderServingsPage("RET009.TXT", recipe, 4));
    EXPECT_EQ("<!--RET009.TXT--><html><BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>"
              "<b>Ciorba</b><hr>\n<li>  6 por\xFEii\n<li> 600 g carne\n<p><b> Pentru sos</b>\n"
              "<li> 0,75 l smantana\n<li> sare \n\n<hr>Se fierbe.\n</BODY>\n</html>",
              RenderServingsPage("RET009.TXT", recipe, 6));
    EXPECT_NE(std::string::npos,
              RenderServingsPage("RET009.TXT", recipe, 1).find("<li>  1 por\xFEie\n<li> 100 g"));
    EXPECT_NE(std::string::npos,
              RenderServingsPage("RET009.TXT", recipe, 24).find("<li>  24 de por\xFEii\n"));
    // Written without the t-cedilla, the item stays so.
    const std::string typed = "#\nCiorba\n#\n4 portii; 400 g carne\n#\nSe fierbe.";
    EXPECT_NE(std::string::npos,
              RenderServingsPage("RET011.TXT", typed, 5).find("<li> 5 portii\n<li> 500 g"));

    // A recipe without servings keeps its page whatever is asked.
    const std::string without = "#\nCiorba\n#\n400 g carne; 4 portii\n#\nSe fierbe.";
    EXPECT_EQ(RenderRecipePageText("RET010.TXT", without),
              RenderServingsPage("RET010.TXT", without, 8));
}

TEST(ServingsPage, SaysForHowManyTheMethodIsWrittenWhenItNamesAScaledQuantity) {
    const std::string note = "<hr><i>Modul de preparare este scris pentru 4 por\xFEii.</i><br>";
    const struct {
        const char* recipe;
        bool noted;
    } cases[] = {
        {"#\nSupa\n#\n4 por\xFEii; 3 l ap\xE3; 2 morcovi\n#\nFierbe morcovii \xEEn cei 3 l de "
         "ap\xE3.",
         true},
        {"#\nSupa\n#\n4 por\xFEii; 1 lingur\xE3 ulei\n#\nCale\xBAte \xEEn 2 linguri de ulei.",
         true}, // singular and plural are one unit
        {"#\nSupa\n#\n4 por\xFEii; 2 morcovi\n#\nAdaug\xE3 cei 2 morcovi.", true},
        {"#\nSupa\n#\n4 por\xFEii; 3 l ap\xE3\n#\nFierbe 20 de minute la 180 de grade.", false},
        {"#\nSupa\n#\n4 por\xFEii; 3 l ap\xE3\n#\nFierbe \xEEn apa de mai sus.", false},
        {"#\nSupa\n#\n4 por\xFEii; sare\n#\nPune 2 linguri de sare.", false}, // nothing scaled
    };
    for (const auto& c : cases) {
        const std::string page = RenderServingsPage("RET012.TXT", c.recipe, 6);
        EXPECT_EQ(c.noted, page.find(note) != std::string::npos) << c.recipe << "\n" << page;
        EXPECT_EQ(std::string::npos, RenderServingsPage("RET012.TXT", c.recipe, 4).find("<i>"));
    }
    EXPECT_NE(std::string::npos,
              ServingsNote("#\nX\n#\n24 de por\xFEii; 1 l lapte\n#\nFierbe 1 l.", 24)
                  .find("pentru 24 de por\xFEii."));
}

} // namespace
