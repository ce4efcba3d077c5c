#include "viewing/recipe_view.h"

#include <gtest/gtest.h>

using namespace savorel;

TEST(PageRecipePath, ReadsTheLeadingCommentAndCutsAtADash) {
    EXPECT_EQ("RET001.TXT", PageRecipePathFrom("<!--RET001.TXT--><html>"));
    EXPECT_EQ("xet", PageRecipePathFrom("<!--xet-1.txt--><html>"));
    EXPECT_EQ("", PageRecipePathFrom("<!-"));
    EXPECT_EQ("", PageRecipePathFrom(""));
    EXPECT_EQ("abc", PageRecipePathFrom("<!--abc"));
    EXPECT_EQ(kPageRecipePathLimit,
              PageRecipePathFrom("<!--" + std::string(600, 'a') + "-->").size());
}

TEST(FavouriteFromPage, TitleAfterLowerCaseBoldAndFileFromComment) {
    const auto f = FavouriteFromPage("<!--RET002.TXT--><html><BODY BACKGROUND = \"coffee.gif\" "
                                     "BGCOLOR=#BFBFBF><b>Ciorba de burta</b><hr>\n");
    EXPECT_TRUE(f.ok);
    EXPECT_EQ("Ciorba de burta", f.title);
    EXPECT_EQ("RET002.TXT", f.fileName);
    // The first "<" must open the comment.
    EXPECT_FALSE(FavouriteFromPage("<html><!--X--><b>T</b>").ok);
    EXPECT_FALSE(FavouriteFromPage("<!--NOEND").ok);
    const auto untitled = FavouriteFromPage("<!--R.TXT--><html>");
    EXPECT_TRUE(untitled.ok);
    EXPECT_EQ("", untitled.title);
}

TEST(ParsePlainRecipe, FieldsLineBreaksAndLimits) {
    const auto f =
        ParsePlainRecipe("Ana\n#\nCiorba\r\n#\n1 l apa;\r\nsare\n#\nSe fierbe\r\n# bine");
    EXPECT_EQ("Ciorba", f.title);
    EXPECT_EQ("1 l apa;sare", f.ingredients);
    EXPECT_EQ(" Se fierbe  # bine", f.preparation);
    const auto none = ParsePlainRecipe("fara marcaje");
    EXPECT_EQ("", none.title);
    EXPECT_EQ("", none.preparation);
    const auto cut = ParsePlainRecipe("#T#I#" + std::string(12000, 'p'));
    EXPECT_EQ(kPlainPreparationLimit, cut.preparation.size());
    const auto partial = ParsePlainRecipe("#Titlu fara sfarsit");
    EXPECT_EQ("Titlu fara sfarsit", partial.title);
}
