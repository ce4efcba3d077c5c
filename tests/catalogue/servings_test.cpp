// The servings item and the scaling of a recipe to another number of servings.
#include "catalogue/page.h"
#include "catalogue/servings.h"

#include <gtest/gtest.h>

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
        {"1/2 lingura ulei", 3, "1 1/2 lingura ulei"},
        {"1,5 kg mere", 2, "3 kg mere"},
        {"1.5 kg mere", 1.4, "2,1 kg mere"},
        {"1.5 kg mere", 1.5, "2 1/4 kg mere"},
        {"1 1/2 cani lapte", 2, "3 cani lapte"},
        {"1 1/2 cani lapte", 0.5, "3/4 cani lapte"},
        {"1 ceapa", 1.0 / 3, "1/3 ceapa"},
        {"2 oua", 1.0 / 3, "2/3 oua"},
        {"1 ceapa", 4.0 / 3, "1 1/3 ceapa"},
        {"3 linguri zahar", 0.25, "3/4 linguri zahar"},
        {"1 ceapa", 1.0 / 6, "0,17 ceapa"}, // sixths are no kitchen measure
        {"5 cartofi", 2.5, "12,5 cartofi"}, // fractions for small counts only
        {"0,3 kg branza", 1.0 / 3, "0,1 kg branza"},
        {"250 g faina", 1.0 / 3, "83 g faina"}, // g and ml in whole units
        {"250g faina", 0.5, "125g faina"},
        {"100 ml lapte", 0.75, "75 ml lapte"},
        {"1 1/2 l apa", 1.0 / 4, "0,38 l apa"}, // eighths neither
        {"3 g sare", 0.1, "1 g sare"},          // never nothing at all
        {"sare", 3, "sare"},
        {"2-3 cepe", 2, "2-3 cepe"},
        {"1,5/2 kg", 2, "1,5/2 kg"},
        {"piper 2 linguri", 2, "piper 2 linguri"}, // the quantity does not start the item
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.scaled, ScaleItemText(c.item, c.factor)) << c.item << " x " << c.factor;
}

TEST(ServingsPage, ScalesItemsAndIsTheRecipePageAtItsOwnNumber) {
    const std::string recipe = "#\nCiorba\n#\n 4 por\xFEii; 400 g carne; Pentru sos: 1/2 l "
                               "smantana; sare\n#\nSe fierbe.";
    const std::string plain = RenderRecipePageText("RET009.TXT", recipe);
    EXPECT_EQ(plain, RenderServingsPage("RET009.TXT", recipe, 4));
    EXPECT_EQ("<!--RET009.TXT--><html><BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>"
              "<b>Ciorba</b><hr>\n<li>  6 portii\n<li> 600 g carne\n<p><b> Pentru sos</b>\n"
              "<li> 3/4 l smantana\n<li> sare \n\n<hr>Se fierbe.\n</BODY>\n</html>",
              RenderServingsPage("RET009.TXT", recipe, 6));
    EXPECT_NE(std::string::npos,
              RenderServingsPage("RET009.TXT", recipe, 1).find("<li>  1 portie\n<li> 100 g"));

    // A recipe without servings keeps its page whatever is asked.
    const std::string without = "#\nCiorba\n#\n400 g carne; 4 portii\n#\nSe fierbe.";
    EXPECT_EQ(RenderRecipePageText("RET010.TXT", without),
              RenderServingsPage("RET010.TXT", without, 8));
}

} // namespace
