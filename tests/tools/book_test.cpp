// The shipped book, packed by the build: it must pass its own check and the calorie bars.
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <sys/wait.h>

using namespace savorel::testing;

namespace {

int RunCookbook(const std::string& args, std::string& out) {
    const std::string command =
        std::string("'") + COOKBOOK_EXE + "' --data '" + BOOK_DATA_DIR + "' " + args;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Figure(const std::string& text, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern)))
        return -1;
    return std::stod(m[1].str());
}

} // namespace

TEST(ShippedBook, CheckFindsNothing) {
    std::string out;
    EXPECT_EQ(0, RunCookbook("check", out)) << out;
    EXPECT_EQ("", out);
}

TEST(ShippedBook, CalorieCalculatorUnderstandsTheBook) {
    std::string out;
    ASSERT_EQ(0, RunCookbook("audit", out)) << out;
    const double recipes = Figure(out, R"(recipes (\d+), fully)");
    EXPECT_GE(recipes, 740);
    EXPECT_GE(Figure(out, R"(fully understood \d+ \(([\d.]+)%\))"), 70.0) << out;
    EXPECT_GE(Figure(out, R"(matched to a food \d+ \(([\d.]+)%\))"), 97.0) << out;
    EXPECT_GE(Figure(out, R"(matched with a mass \d+ \(([\d.]+)%\))"), 90.0) << out;
}

TEST(ShippedBook, EveryRecipeFileIsCatalogued) {
    std::string list;
    ASSERT_EQ(0, RunCookbook("list", list));
    for (int i = 1; i <= 740; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "RET%03d.TXT", i);
        EXPECT_NE(std::string::npos, list.find(std::string("-> ") + name)) << name;
    }
}

TEST(CaloriesCommand, WritesThePageOfOneRecipe) {
    TempDataDir dir;
    WriteScrambled("zcalorii.txt", "340 faina\n");
    WriteScrambled("zunitmas.txt", "1 g\n");
    WriteScrambled("zbucati.txt", "55 ou\n");
    WriteScrambled("R.TXT", "#\nT\n#\n100 g faina\n#\nP");
    const std::string command = std::string("'") + COOKBOOK_EXE + "' calories R.TXT -o page.html";
    ASSERT_EQ(0, std::system(command.c_str()));
    EXPECT_NE(std::string::npos, ReadBack("page.html").find("TOTAL:<b> 340.00</b>"));
    const std::string missing = std::string("'") + COOKBOOK_EXE + "' calories NO.TXT 2>err.txt";
    EXPECT_NE(0, std::system(missing.c_str()));
    EXPECT_EQ("argument file not found\n", ReadBack("err.txt"));
}

TEST(CheckCommand, ReportsDictionaryTableAndFavouriteProblems) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m A\nh B\ni R ~ R.TXT\n");
    WriteScrambled("R.TXT", "#\nT\n#\n1 ou\n#\nP");
    WriteScrambled("dict.txt", "fara diez\nbun#da\nBUN#dublura\n" + std::string(100, 'w') + "#x\n");
    WriteScrambled("zcalorii.txt", "340 faina\n143  oua\n12 sare \nx piper\n");
    WriteScrambled("zunitmas.txt", "1 g\n");
    WriteScrambled("zbucati.txt", "55 ou\n");
    WriteScrambled("pref.txt", "T" + std::string(55, ' ') + "#R.TXT\nU" + std::string(55, ' ') +
                                   "#LIPSA.TXT\n");
    const std::string command = std::string("'") + COOKBOOK_EXE + "' check >out.txt 2>/dev/null";
    EXPECT_NE(0, std::system(command.c_str()));
    const std::string out = ReadBack("out.txt");
    for (const char* expected :
         {"dict.txt:1: line without \"#\"", "dict.txt:3: word listed twice",
          "dict.txt:4: word longer than 99 characters",
          "zcalorii.txt:2: more than one blank after the number",
          "zcalorii.txt:3: blank at the end of the line", "zcalorii.txt:4: \"x\" is not a number",
          "zbucati.txt:1: \"ou\" is not in zcalorii.txt",
          "pref.txt:2: favourite file \"LIPSA.TXT\" does not exist"})
        EXPECT_NE(std::string::npos, out.find(expected)) << expected << "\n" << out;
    EXPECT_EQ(std::string::npos, out.find("pref.txt:1"));
}
