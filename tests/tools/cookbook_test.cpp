// The cookbook tool end to end: it is what packs the book and what scripts rely on.
#include "support/support.h"

#include "core/scramble.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace savorel::testing;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs cookbook in the current folder with ARGS (already shell-quoted by the caller).
Result Cookbook(const std::string& args, const std::string& input = {}) {
    // A regression that hangs (on a FIFO, say) fails instead.
    std::string command =
        std::string("timeout 20 '") + COOKBOOK_EXE + "' " + args + " >out.log 2>err.log";
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
              ReadBack("page.htm").find("<li> 6 portii\n<li> 600 g burta\n<li> 2 1/2 cepe \n"));
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

namespace {

// Exit code of a shell line in which $COOKBOOK names the tool.
int Shell(const std::string& line) {
    ::setenv("COOKBOOK", COOKBOOK_EXE, 1);
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PackSmallBook() {
    ASSERT_EQ(0, std::system("mkdir src"));
    WriteSmallBook("src");
    ASSERT_EQ(0, Cookbook("pack src data").exitCode);
}

} // namespace

// A FIFO or a device in a data file's place is answered as the missing file, at once.
TEST(CookbookTool, SpecialFilesInTheDataFolderReadAsMissing) {
    const struct {
        const char* args;
        const char* file;
    } cases[] = {
        {"page RET001.TXT", "RET001.TXT"},
        {"calories RET001.TXT", "RET001.TXT"},
        {"calories RET001.TXT", "zcalorii.txt"},
        {"search --allowed burta", "RET001.TXT"},
        {"search --allowed burta", "virt-dir.txt"},
        {"list", "virt-dir.txt"},
        {"check", "virt-dir.txt"},
        {"audit", "virt-dir.txt"},
        {"lookup ciorba", "dict.txt"},
        {"check", "dict.txt"},
    };
    for (const char* kind : {"fifo", "device"}) {
        for (const auto& c : cases) {
            TempDataDir dir;
            PackSmallBook();
            const std::string file = std::string("data/") + c.file;
            std::remove(file.c_str());
            const Result missing = Cookbook(std::string("--data data ") + c.args);
            const bool planted = std::string(kind) == "fifo"
                                     ? ::mkfifo(file.c_str(), 0644) == 0
                                     : ::mknod(file.c_str(), S_IFCHR | 0644, makedev(1, 5)) == 0;
            if (!planted)
                GTEST_SKIP() << "making a device node needs root";
            const Result special = Cookbook(std::string("--data data ") + c.args);
            EXPECT_EQ(missing.exitCode, special.exitCode) << kind << ": " << c.args;
            EXPECT_EQ(missing.out, special.out) << kind << ": " << c.args;
            EXPECT_EQ(missing.err, special.err) << kind << ": " << c.args;
        }
    }
}

// Output that cannot be written is a failure, never a silent success.
TEST(CookbookTool, UnwritableStandardOutputFails) {
    TempDataDir dir;
    PackSmallBook();
    for (const char* args : {"--help", "list", "search --allowed burta", "audit", "lookup ciorba",
                             "page RET001.TXT", "list --help"}) {
        const std::string run = "timeout 20 \"$COOKBOOK\" --data data " + std::string(args);
        ASSERT_EQ(0, Shell(run + " >out.log")) << args;
        EXPECT_EQ(1, Shell(run + " >/dev/full 2>err.log")) << args;
        EXPECT_NE(std::string::npos, ReadBack("err.log").find("cannot write")) << args;
        EXPECT_EQ(1, Shell(run + " >&- 2>/dev/null")) << args << " with stdout closed";
    }
}

TEST(CookbookTool, ScrambleFromUnreadableInputLeavesTheOutputAlone) {
    TempDataDir dir;
    for (const char* line : {"\"$COOKBOOK\" scramble - OUT <&-", "\"$COOKBOOK\" scramble - OUT <.",
                             "\"$COOKBOOK\" scramble . OUT"}) {
        WritePlain("OUT", "kept");
        EXPECT_EQ(1, Shell(std::string("timeout 20 ") + line + " 2>/dev/null")) << line;
        EXPECT_EQ("kept", ReadBack("OUT")) << line;
    }
}

// -o onto an existing FIFO or link writes into it; it is never replaced by a regular file.
TEST(CookbookTool, OutputOntoAFifoOrALinkWritesThroughIt) {
    TempDataDir dir;
    PackSmallBook();
    const Result page = Cookbook("--data data page RET001.TXT");
    ASSERT_EQ(0, page.exitCode);

    WritePlain("real.htm", "old");
    ASSERT_EQ(0, ::symlink("real.htm", "link.htm"));
    EXPECT_EQ(0, Cookbook("--data data page RET001.TXT -o link.htm").exitCode);
    struct stat st {};
    ASSERT_EQ(0, ::lstat("link.htm", &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(page.out, ReadBack("real.htm"));

    ASSERT_EQ(0, ::mkfifo("pipe", 0644));
    EXPECT_EQ(0, Shell("timeout 20 cat pipe >got & timeout 20 \"$COOKBOOK\" --data data page "
                       "RET001.TXT -o pipe; rc=$?; wait; exit $rc"));
    ASSERT_EQ(0, ::lstat("pipe", &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(page.out, ReadBack("got"));
}

// Every file a command writes with -o (and pack's folder) follows the same rule: a folder or a
// full device is refused with the reason and nothing is replaced; a link keeps leading where
// it led.
TEST(CookbookTool, EveryOutputFileFollowsOneRule) {
    const char* commands[] = {"page RET001.TXT -o OUT", "calories RET001.TXT -o OUT",
                              "export -o OUT", "scramble data/dict.txt OUT"};
    const struct {
        const char* what;
        const char* plant; // shell, run in the test's folder
        int exitCode;
        const char* said;
        const char* after; // shell that must succeed afterwards
    } targets[] = {
        {"a folder", "mkdir OUT && echo kept >OUT/inside", 1, "is a folder",
         "test -d OUT && grep -q kept OUT/inside"},
        {"a link to a full device", "ln -s /dev/full OUT", 1, "no space left",
         "test -L OUT && test \"$(readlink OUT)\" = /dev/full"},
        {"a link to an old file", "echo old >real && ln -s real OUT", 0, "",
         "test -L OUT && test -s real && ! grep -qx old real"},
    };
    for (const char* command : commands) {
        for (const auto& t : targets) {
            TempDataDir dir;
            PackSmallBook();
            ASSERT_EQ(0, Shell(t.plant)) << t.what;
            const Result r = Cookbook(std::string("--data data ") + command);
            EXPECT_EQ(t.exitCode, r.exitCode) << command << " onto " << t.what << ": " << r.err;
            EXPECT_NE(std::string::npos, r.err.find(t.said)) << command << ": " << r.err;
            EXPECT_EQ(0, Shell(t.after)) << command << " onto " << t.what;
        }
    }
    TempDataDir dir;
    ASSERT_EQ(0, std::system("mkdir src"));
    WriteSmallBook("src");
    ASSERT_EQ(0, Shell("mkdir data && ln -s /dev/full data/dict.txt"));
    const Result pack = Cookbook("pack src data");
    EXPECT_EQ(1, pack.exitCode);
    EXPECT_NE(std::string::npos, pack.err.find("no space left")) << pack.err;
    EXPECT_EQ(0, Shell("test -L data/dict.txt"));
}

// What cook would drop or miscalculate, check reports, with file and line.
TEST(CookbookTool, CheckReportsDataThatCookDropsOrMiscalculates) {
    std::string catalogue = kCatalogue;
    std::string crOnly = catalogue;
    for (char& c : crOnly)
        if (c == '\n')
            c = '\r';
    const struct {
        const char* file;
        std::string plain;
        const char* finding;
    } cases[] = {
        {"virt-dir.txt", crOnly, "virt-dir.txt:1: carriage return without a line feed (6 in"},
        {"virt-dir.txt", crOnly, "virt-dir.txt:1: last line without a line feed"},
        {"virt-dir.txt", catalogue.substr(0, catalogue.size() - 1),
         "virt-dir.txt:7: last line without a line feed: it is not taken"},
        {"virt-dir.txt", "m " + std::string(1000, 'x') + "\n" + catalogue,
         "virt-dir.txt:1: longer than 999 characters"},
        {"zcalorii.txt", "nan burta\n", "zcalorii.txt:1: \"nan\" is not a number of 0 or more"},
        {"zcalorii.txt", "100 ceapa\ninf burta\n", "zcalorii.txt:2: \"inf\" is not a number"},
        {"zcalorii.txt", "1e39 burta\n", "zcalorii.txt:1: \"1e39\" is not a number of 0"},
        {"zcalorii.txt", "-100 burta\n", "zcalorii.txt:1: \"-100\" is not a number of 0"},
        {"zunitmas.txt", "-1 g\n", "zunitmas.txt:1: \"-1\" is not a number of 0"},
        {"zbucati.txt", "-500 burta\n", "zbucati.txt:1: \"-500\" is not a number of 0"},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        PackSmallBook();
        WriteScrambled(std::string("data/") + c.file, c.plain);
        const Result check = Cookbook("--data data check");
        EXPECT_EQ(1, check.exitCode) << c.finding;
        EXPECT_NE(std::string::npos, check.out.find(c.finding)) << check.out;
    }
}

// The terminal is UTF-8 (LC_ALL=C.UTF-8 for every test); the book is Windows-1250.
TEST(CookbookTool, SpeaksTheTerminalsEncodingAtTheEdge) {
    TempDataDir dir;
    // "a căli" and "făină" in Windows-1250.
    WriteScrambled("dict.txt", "a c\xE3li#Pr\xE3jire u\xBAoar\xE3.\n");
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\ni Ciorb\xE3 ~ RET001.TXT\n");
    WriteScrambled("RET001.TXT", "#\nCiorb\xE3\n#\n1 ceap\xE3\n#\nSe c\xE3le\xBAte.");

    const struct {
        const char* args; // UTF-8, as typed
        const char* out;  // UTF-8, as the terminal shows it
        int exitCode;
    } cases[] = {
        {"lookup 'a căli'", "Prăjire uşoară.\n", 0},
        {"lookup 'A CALI'", "Prăjire uşoară.\n", 0},
        {"search --required 'ceapă' --forbidden 'șnițel'",
         "Ciorbă \tRET001.TXT\n"
         "Am gasit un numar de 1 retete convenind acestor criterii!!!\n",
         0},
        {"search --required 'ceapa,cĂlește'",
         "Ciorbă \tRET001.TXT\n"
         "Am gasit un numar de 1 retete convenind acestor criterii!!!\n",
         0},
        {"terms RET001.TXT", "a căli\n", 0},
        // Characters the book's encoding cannot hold, and broken UTF-8: a usage error.
        {"lookup 'ceai ☕'", "", 2},
        {"search --allowed \"$(printf '\\343')\"", "", 2},
    };
    for (const auto& c : cases) {
        const Result r = Cookbook(c.args);
        EXPECT_EQ(c.exitCode, r.exitCode) << c.args << "\n" << r.err;
        EXPECT_EQ(c.out, r.out) << c.args;
        if (c.exitCode == 2) {
            EXPECT_NE(std::string::npos, r.err.find("a text argument")) << r.err;
        }
    }
    // Files written with -o and scramble's output keep the bytes.
    ASSERT_EQ(0, Cookbook("page RET001.TXT -o page.htm").exitCode);
    EXPECT_NE(std::string::npos, ReadBack("page.htm").find("Ciorb\xE3"));
    const Result page = Cookbook("page RET001.TXT");
    EXPECT_NE(std::string::npos, page.out.find("Ciorbă"));
    const Result plain = Cookbook("unscramble RET001.TXT");
    EXPECT_EQ("#\nCiorb\xE3\n#\n1 ceap\xE3\n#\nSe c\xE3le\xBAte.", plain.out);
}

TEST(CookbookTool, ShippedBookSearchIgnoresDiacritics) {
    TempDataDir dir;
    const std::string book = std::string("--data '") + BOOK_DATA_DIR + "' ";
    for (const auto& [with, without] :
         {std::pair{"ceapă", "ceapa"}, {"brânză", "branza"}, {"FĂINĂ + ţelină", "faina,telina"}}) {
        const Result a = Cookbook(book + "search --allowed '" + with + "'");
        const Result b = Cookbook(book + "search --allowed '" + without + "'");
        EXPECT_EQ(0, a.exitCode);
        EXPECT_EQ(a.out, b.out) << with;
        EXPECT_EQ(std::string::npos, a.out.find("numar de 0 retete")) << with;
    }
}

// The shipped book as recipe managers import it: one schema.org Recipe per recipe file, the
// servings as recipeYield and never among the ingredients, steps, and per-portion calories.
TEST(CookbookTool, ShippedBookExportsAsSchemaOrgRecipes) {
    TempDataDir dir;
    const Result r = Cookbook(std::string("--data '") + BOOK_DATA_DIR + "' export -o book.json");
    ASSERT_EQ(0, r.exitCode) << r.err;
    const nlohmann::json book = nlohmann::json::parse(ReadBack("book.json"));
    ASSERT_TRUE(book.is_array());
    EXPECT_EQ(748u, book.size()); // RET001-RET740 and the classics RET741-RET748
    std::set<std::string> identifiers;
    std::size_t withCalories = 0;
    const std::regex yield("[0-9]+ (de )?porţi[ie]");
    const std::regex kcal("[0-9]+ kcal");
    for (const auto& recipe : book) {
        const std::string id = recipe.value("identifier", "");
        EXPECT_TRUE(identifiers.insert(id).second) << id;
        EXPECT_EQ("Recipe", recipe["@type"]) << id;
        EXPECT_FALSE(recipe.value("name", "").empty()) << id;
        EXPECT_TRUE(recipe.contains("recipeCategory") && recipe.contains("keywords")) << id;
        EXPECT_TRUE(std::regex_match(recipe.value("recipeYield", ""), yield)) << id;
        ASSERT_TRUE(recipe["recipeIngredient"].is_array()) << id;
        EXPECT_FALSE(recipe["recipeIngredient"].empty()) << id;
        for (const auto& item : recipe["recipeIngredient"])
            EXPECT_FALSE(std::regex_match(item.get<std::string>(), yield)) << id;
        ASSERT_FALSE(recipe["recipeInstructions"].empty()) << id;
        for (const auto& step : recipe["recipeInstructions"])
            EXPECT_FALSE(step.value("text", "").empty()) << id;
        EXPECT_FALSE(recipe.contains("caloriesWholeRecipe")) << id;
        if (recipe.contains("nutrition")) {
            ++withCalories;
            EXPECT_TRUE(std::regex_match(recipe["nutrition"].value("calories", ""), kcal)) << id;
        }
    }
    // Only recipes whose every ingredient the calculator understood carry a figure.
    std::cerr << withCalories << " of " << book.size() << " recipes with calories\n";
    EXPECT_GT(withCalories, book.size() / 2);
}

TEST(CookbookTool, ImportReportsEachFileAndRecipe) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    const std::string samples = std::string("'") + EXCHANGE_SAMPLES_DIR + "/";
    const Result first = Cookbook("import " + samples + "array.json' " + samples + "graph.jsonld'");
    EXPECT_EQ(0, first.exitCode) << first.out << first.err;
    EXPECT_NE(std::string::npos, first.out.find("importată: Cozonac cu nucă (xet3.txt)"))
        << first.out;
    EXPECT_NE(std::string::npos, first.out.find("2 importate, 0 actualizate, 0 sărite"))
        << first.out;
    // Again: nothing new, and no failure.
    const Result again = Cookbook("import " + samples + "graph.jsonld'");
    EXPECT_EQ(0, again.exitCode);
    EXPECT_NE(std::string::npos, again.out.find("0 importate, 0 actualizate, 1 sărite"))
        << again.out;
    // A malformed file fails and stores nothing; the own recipes export as three.
    const Result bad = Cookbook("import " + samples + "malformed.json'");
    EXPECT_EQ(1, bad.exitCode);
    EXPECT_NE(std::string::npos, bad.out.find("nu este JSON valid")) << bad.out;
    EXPECT_FALSE(Exists("xet4.txt"));
    const Result own = Cookbook("export --own");
    ASSERT_EQ(0, own.exitCode) << own.err;
    EXPECT_EQ(3u, nlohmann::json::parse(own.out).size());
    EXPECT_EQ(2, Cookbook("export --everything").exitCode);
    EXPECT_EQ(2, Cookbook("import").exitCode);
}

// A recipe folder tree out and back: --update replaces a recipe edited in its folder, without
// it the difference is reported and the exit says so; the tree exported again is the same.
TEST(CookbookTool, FolderTreeExportImportUpdate) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    const std::string samples = std::string("'") + EXCHANGE_SAMPLES_DIR + "/";
    ASSERT_EQ(0, Cookbook("import " + samples + "array.json'").exitCode);
    const Result out = Cookbook("export --own --folders tree");
    ASSERT_EQ(0, out.exitCode) << out.err;
    EXPECT_NE(std::string::npos, out.err.find("exported 2 recipes into tree")) << out.err;
    const std::string file = "tree/Chiftele cu sos/recipe.json";
    ASSERT_TRUE(Exists(file));
    nlohmann::json recipe = nlohmann::json::parse(ReadBack(file));
    ASSERT_TRUE(recipe.is_object());
    const Result same = Cookbook("import tree");
    EXPECT_EQ(0, same.exitCode) << same.out;
    EXPECT_NE(std::string::npos, same.out.find("0 importate, 0 actualizate, 2 sărite")) << same.out;
    recipe["recipeInstructions"][0]["text"] = "Formează chiftele mici.";
    WritePlain(file, recipe.dump(2));
    const Result reported = Cookbook("import tree");
    EXPECT_EQ(0, reported.exitCode) << reported.out;
    EXPECT_NE(std::string::npos, reported.out.find("diferită; neactualizată")) << reported.out;
    const Result updated = Cookbook("import --update tree");
    EXPECT_EQ(0, updated.exitCode) << updated.out;
    EXPECT_NE(std::string::npos, updated.out.find("actualizată: Chiftele cu sos (xet1.txt)"))
        << updated.out;
    EXPECT_FALSE(Exists("xet3.txt"));
    ASSERT_EQ(0, Cookbook("export --own --folders again").exitCode);
    const nlohmann::json back =
        nlohmann::json::parse(ReadBack("again/Chiftele cu sos/recipe.json"));
    EXPECT_EQ("Formează chiftele mici.", back["recipeInstructions"][0]["text"]);
    EXPECT_EQ(recipe["identifier"], back["identifier"]);
    EXPECT_EQ(2, Cookbook("export --folders").exitCode);
}
