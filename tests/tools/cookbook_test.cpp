// The cookbook tool end to end: it is what packs the book and what scripts rely on.
#include "support/support.h"

#include "core/scramble.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

using namespace savorel::testing;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs cookbook in the current folder with ARGS (already shell-quoted by the caller).
Result Cookbook(const std::string& args, const std::string& input = {}) {
    std::string command = std::string("'") + COOKBOOK_EXE + "' " + args + " >out.log 2>err.log";
    if (!input.empty()) {
        WritePlain("in.log", input);
        command += " <in.log";
    }
    const int status = std::system(command.c_str());
    Result r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadBack("out.log");
    r.err = ReadBack("err.log");
    return r;
}

const char* kCatalogue = "m Supe\n"
                         "h Ciorbe\n"
                         "i Ciorba de burta ~ RET001.TXT\n"
                         "i Ciorba de perisoare   ~   RET002.TXT extra\n"
                         "m Deserturi\n"
                         "h Prajituri\n"
                         "i Papanasi ~ RET003.TXT\n";

void WriteSmallBook(const std::string& folder) {
    WritePlain(folder + "/virt-dir.txt", kCatalogue);
    WritePlain(folder + "/RET001.TXT",
               "#\nCiorba de burta\n#\n500 g burta; 2 morcovi\n#\nSe fierbe.");
    WritePlain(folder + "/RET002.TXT", "#\nCiorba de perisoare\n#\n400 g carne\n#\nSe fierbe.");
    WritePlain(folder + "/RET003.TXT", "#\nPapanasi\n#\n500 g branza; 2 oua\n#\nSe prajesc.");
    WritePlain(folder + "/coffee.gif", std::string("GIF89a\0\x01", 8));
    WritePlain(folder + "/dict.txt", "ciorba#supa acra\n");
    WritePlain(folder + "/zcalorii.txt", "100 burta\n");
    WritePlain(folder + "/zunitmas.txt", "1 g\n");
    WritePlain(folder + "/zbucati.txt", "500 burta\n");
}

TEST(CookbookTool, PackScramblesTextAndCopiesPictures) {
    TempDataDir dir;
    ASSERT_EQ(0, std::system("mkdir src"));
    WriteSmallBook("src");
    const Result r = Cookbook("pack src data");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(kCatalogue, ReadBack("data/virt-dir.txt", true));
    EXPECT_NE(kCatalogue, ReadBack("data/virt-dir.txt"));
    EXPECT_EQ(std::string("GIF89a\0\x01", 8), ReadBack("data/coffee.gif"));

    const Result list = Cookbook("--data data list");
    ASSERT_EQ(0, list.exitCode) << list.err;
    EXPECT_EQ("Supe\n    Ciorbe\n        Ciorba de burta  -> RET001.TXT\n"
              "        Ciorba de perisoare    -> RET002.TXT\n"
              "Deserturi\n    Prajituri\n        Papanasi  -> RET003.TXT\n",
              list.out);

    const Result check = Cookbook("--data data check");
    EXPECT_EQ(0, check.exitCode) << check.out;
}

TEST(CookbookTool, CheckReportsMissingFilesAndBadMarkers) {
    TempDataDir dir;
    WriteSmallBook(".");
    ASSERT_EQ(0, Cookbook("pack . data").exitCode);
    std::remove("data/RET002.TXT");
    WriteScrambled("data/RET003.TXT", "#\nPapanasi\n#\n500 g branza # 2 oua\n#\nSe prajesc.");
    const Result check = Cookbook("--data data check");
    EXPECT_EQ(1, check.exitCode);
    EXPECT_NE(std::string::npos, check.out.find("RET002.TXT is missing")) << check.out;
    EXPECT_NE(std::string::npos, check.out.find("RET003.TXT: has 4 \"#\" markers, not 3"))
        << check.out;
    EXPECT_NE(std::string::npos, check.err.find("2 problem(s) found"));
}

TEST(CookbookTool, PageRendersTheRecipeAsTheWindowWould) {
    TempDataDir dir;
    WriteScrambled("RET001.TXT",
                   "#\nCiorba\n#\nPentru sos: 2 rosii; 1 ceapa\n#\nSe fierbe\r\n10 minute.");
    const Result r = Cookbook("page RET001.TXT");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("<!--RET001.TXT--><html><BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>"
              "<b>Ciorba</b><hr>\n<p><b> Pentru sos</b>\n<li> 2 rosii\n<li> 1 ceapa \n\n<hr>"
              "Se fierbe  10 minute.\n</BODY>\n</html>",
              r.out);
    const Result missing = Cookbook("page RET404.TXT");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("Cannot open the input file..."));
}

TEST(CookbookTool, PortiiScalesPageAndCaloriesOrRefuses) {
    TempDataDir dir;
    WriteScrambled("RET004.TXT", "#\nPerisoare\n#\n4 portii; 400 g burta; 1 1/2 cepe\n#\nP");
    WriteScrambled("RET001.TXT", "#\nCiorba\n#\n400 g burta\n#\nP");
    WriteScrambled("zcalorii.txt", "100 burta\n");
    WriteScrambled("zunitmas.txt", "1 g\n");
    WriteScrambled("zbucati.txt", "500 burta\n");

    const Result page = Cookbook("page RET004.TXT --portii 6 -o page.htm");
    ASSERT_EQ(0, page.exitCode) << page.err;
    EXPECT_NE(std::string::npos,
              ReadBack("page.htm").find("<li> 6 portii\n<li> 600 g burta\n<li> 2 1/4 cepe \n"));
    const Result calories = Cookbook("calories --portii 2 RET004.TXT");
    ASSERT_EQ(0, calories.exitCode) << calories.err;
    EXPECT_NE(std::string::npos, calories.out.find("<li> 200 g burta ......."));
    EXPECT_NE(std::string::npos, calories.out.find("TOTAL:<b> 200.00</b> calorii. </BIG></BIG>"
                                                   "<br>Pe portie (2 portii): <b> 100.00</b>"));

    const struct {
        const char* args;
        const char* message;
    } refused[] = {
        {"page RET001.TXT --portii 2", "states no servings"},
        {"calories RET001.TXT --portii 2", "states no servings"},
        {"page RET004.TXT --portii 0", "from 1 to 99"},
        {"calories RET004.TXT --portii 100", "from 1 to 99"},
        {"page RET004.TXT --portii doi", "from 1 to 99"},
    };
    for (const auto& r : refused) {
        const Result result = Cookbook(r.args);
        EXPECT_EQ(1, result.exitCode) << r.args;
        EXPECT_NE(std::string::npos, result.err.find(r.message)) << r.args << ": " << result.err;
        EXPECT_TRUE(result.out.empty()) << r.args;
    }
    EXPECT_EQ(2, Cookbook("page RET004.TXT --portii").exitCode);
}

TEST(CookbookTool, ScrambleRoundTripsThroughPipesAndFiles) {
    TempDataDir dir;
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    WritePlain("plain.bin", all);
    ASSERT_EQ(0, Cookbook("scramble plain.bin s.bin").exitCode);
    EXPECT_EQ(savorel::ScrambleBytes(all), ReadBack("s.bin"));
    const Result back = Cookbook("unscramble", ReadBack("s.bin"));
    ASSERT_EQ(0, back.exitCode);
    EXPECT_EQ(all, back.out);
}

TEST(CookbookTool, UsageErrorsAndHelp) {
    TempDataDir dir;
    EXPECT_EQ(2, Cookbook("").exitCode);
    EXPECT_EQ(2, Cookbook("no-such-command").exitCode);
    EXPECT_EQ(2, Cookbook("pack onlyone").exitCode);
    EXPECT_EQ(2, Cookbook("list extra").exitCode);
    const Result help = Cookbook("--help");
    EXPECT_EQ(0, help.exitCode);
    for (const char* name : {"scramble", "unscramble", "pack", "list", "page", "check"})
        EXPECT_NE(std::string::npos, help.out.find(name)) << name;
    const Result packHelp = Cookbook("pack --help");
    EXPECT_EQ(0, packHelp.exitCode);
    EXPECT_NE(std::string::npos, packHelp.out.find("pack"));
    const Result noCatalogue = Cookbook("list");
    EXPECT_EQ(1, noCatalogue.exitCode);
    EXPECT_NE(std::string::npos, noCatalogue.err.find("Cannot open the file..."));
}

TEST(CookbookTool, ShippedBookPassesItsOwnCheck) {
    TempDataDir dir;
    const Result check = Cookbook(std::string("--data '") + BOOK_DATA_DIR + "' check");
    EXPECT_EQ(0, check.exitCode) << check.out << check.err;
}

} // namespace

TEST(CookbookTool, SearchListsPassingRecipesThenTheCount) {
    TempDataDir dir;
    ASSERT_EQ(0, std::system("mkdir src"));
    WriteSmallBook("src");
    ASSERT_EQ(0, Cookbook("pack src data").exitCode);

    // The search takes the file name with its blanks removed: "RET002.TXTextra" is missing,
    // reported on stderr and examined as an empty text.
    const Result any = Cookbook("--data data search --allowed 'BURTA+branza'");
    ASSERT_EQ(0, any.exitCode) << any.err;
    EXPECT_EQ("Ciorba de burta \tRET001.TXT\nPapanasi \tRET003.TXT\n"
              "Am gasit un numar de 2 retete convenind acestor criterii!!!\n",
              any.out);
    EXPECT_EQ(" Cannot open the file \n", any.err);

    const Result all = Cookbook("--data data search");
    ASSERT_EQ(0, all.exitCode);
    EXPECT_NE(std::string::npos, all.out.find("Ciorba de perisoare   \tRET002.TXTextra\n"));
    EXPECT_NE(std::string::npos, all.out.find("numar de 3 retete"));

    const Result rules = Cookbook("--data data search --forbidden oua --required 'se fierbe'");
    EXPECT_EQ("Ciorba de burta \tRET001.TXT\n"
              "Am gasit un numar de 1 retete convenind acestor criterii!!!\n",
              rules.out);

    const Result many =
        Cookbook("--data data search --forbidden 'a+b+c+d+e+f+g+h+i+j+k+l+m+n+o+p+q+r+s+t+u+v'");
    EXPECT_EQ(0, many.exitCode);
    EXPECT_EQ("Numarul de chei cautate este limitat la 20 !!!!\n Cannot open the file \n",
              many.err);
    // Only the missing recipe, examined as an empty text, holds none of the forbidden keys.
    EXPECT_EQ("Ciorba de perisoare   \tRET002.TXTextra\n"
              "Am gasit un numar de 1 retete convenind acestor criterii!!!\n",
              many.out);
}

TEST(CookbookTool, SearchFailuresAndUsage) {
    TempDataDir dir;
    const Result none = Cookbook("search --required varza");
    EXPECT_EQ(1, none.exitCode);
    EXPECT_EQ("", none.out);
    EXPECT_EQ(" \n Cannot open virt-dir.txt\n\n", none.err);
    EXPECT_EQ(2, Cookbook("search --bogus x").exitCode);
    EXPECT_EQ(2, Cookbook("search --allowed").exitCode);
    EXPECT_EQ(2, Cookbook("search --allowed a --allowed b").exitCode);
}

TEST(CookbookTool, LookupAnswersAsTheDictionaryWindow) {
    TempDataDir dir;
    const Result noDictionary = Cookbook("lookup blat");
    EXPECT_EQ(1, noDictionary.exitCode);
    EXPECT_NE(std::string::npos, noDictionary.err.find("dict.txt"));

    WriteScrambled("dict.txt",
                   "blat#Foaie de aluat.\r\nfara separator\nmarar#Verdeata # proaspata.");
    const Result found = Cookbook("lookup MARAR");
    EXPECT_EQ(0, found.exitCode);
    EXPECT_EQ("Verdeata # proaspata.\n", found.out);
    const Result blank = Cookbook("lookup 'blat '");
    EXPECT_EQ(1, blank.exitCode);
    EXPECT_EQ("", blank.out);
    EXPECT_EQ("Cuvantul nu a fost gasit in dictionar!!!\n", blank.err);
    EXPECT_EQ(1, Cookbook("lookup 'fara separator'").exitCode);
    EXPECT_EQ(2, Cookbook("lookup").exitCode);
    EXPECT_EQ(2, Cookbook("lookup a b").exitCode);
}
