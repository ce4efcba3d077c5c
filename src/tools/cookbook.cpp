// cookbook: the book maintainers' tool. It links only the logic library, which keeps that
// library honest about needing no windows.
#include "tools/cookbook.h"
#include "core/guard.h"

#include "catalogue/servings.h"
#include "tools/terminal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace cookbook {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"scramble", "cookbook scramble [IN [OUT]]",
         "Passes bytes through the scramble table (absent or \"-\" is stdin/stdout).", RunScramble},
        {"unscramble", "cookbook unscramble [IN [OUT]]",
         "The same table read back: the table is its own inverse.", RunUnscramble},
        {"pack", "cookbook pack SRC DEST",
         "Makes a data folder from plain sources: every .txt file scrambled, other files copied.",
         RunPack},
        {"list", "cookbook list", "Prints the catalogue: categories, subcategories, recipes.",
         RunList},
        {"page", "cookbook page RECIPE [-o FILE] [--portii M]",
         "Writes the recipe page of the recipe file RECIPE of the data folder; with --portii, "
         "scaled to M servings (the recipe must state its own).",
         RunPage},
        {"check", "cookbook check",
         "Reports every problem of the data folder with file and line; exit 1 when any.", RunCheck},
        {"calories", "cookbook calories RECIPE [-o FILE] [--portii M]",
         "Writes the calorie page of the recipe file RECIPE of the data folder; with --portii, "
         "for M servings (the recipe must state its own).",
         RunCalories},
        {"audit", "cookbook audit",
         "Runs the calorie calculator over every recipe of the catalogue: one line per recipe "
         "(file, total, per portion or \"-\", understood, title, then the describing words passed "
         "over, if any), tokens understood, and the "
         "words most often left not understood or passed over as describing words.",
         RunAudit},
        {"search", "cookbook search [--allowed TEXT] [--forbidden TEXT] [--required TEXT]",
         "Searches as the search window does (keys separated by \"+\" or \",\"): one "
         "\"name<TAB>file\" line per passing recipe line, then the count message.",
         RunSearchCommand},
        {"lookup", "cookbook lookup WORD",
         "Prints the dictionary's explanation of WORD; exit 1 when it is not found.", RunLookup},
        {"terms", "cookbook terms RECIPE",
         "Prints the dictionary entries the recipe file RECIPE uses, one word a line, in the "
         "order of their first use (whole words compared without regard to case and "
         "diacritics; verb entries \"a X\" in the forms recipes use; longer entries win).",
         RunTerms},
        {"export", "cookbook export [--own] [-o FILE | --folders DIR]",
         "Writes the whole book (or, with --own, only the own recipes) as one JSON array of "
         "schema.org Recipe objects in UTF-8, as recipe managers import them; with --folders, "
         "one folder per recipe named by its title, each holding one object as recipe.json "
         "(the layout of a Nextcloud Cookbook folder).",
         RunExport},
        {"import", "cookbook import [--update] FILE|DIR...",
         "Stores the schema.org Recipe JSON-LD of each FILE (an object, an array, an \"@graph\" "
         "or a saved web page), or of each DIR/NAME/recipe.json of a recipe folder tree, as own "
         "recipes; reports each recipe stored or skipped and why. A recipe with the identifier, "
         "source address or title, ingredients and steps of an own recipe is skipped when "
         "identical and, when it differs, replaces it with --update (else it is reported). "
         "Exit 1 when a file is refused or a recipe not stored, other than one already there.",
         RunImport},
        {"restore", "cookbook restore [DATE]",
         "Puts the backup of DATE (YYYY-MM-DD; the newest made when absent) from copii/ back "
         "over pers.txt, pref.txt, virt-dir.txt and the own recipes, after checking it whole; "
         "the files as they were are saved first as one more backup, files the backup does "
         "not hold stay, and what changed is listed. A newest backup dated after today is "
         "restored only when named.",
         RunRestore},
        {"plan", "cookbook plan show|add|remove|move|household|ical [...]",
         "The week plan of the data folder. show [--week DATE]: the week of DATE (this week when "
         "absent), its meals, recipes ([N] is each one's number) and calories per person beside "
         "each goal. add --day DATE --meal mic-dejun|pranz|cina|gustare --recipe FILE "
         "[--portii N] [--resturi K]: cooks N portions (the recipe's own when absent), eaten "
         "again at the next K days' lunches. remove --id N, or --day DATE --meal MEAL "
         "[--recipe FILE]. move --id N --day DATE --meal MEAL. household NAME[:KCAL]...: who "
         "eats, each with an optional daily goal. ical FILE [--week DATE]: the week as "
         "iCalendar, one event per meal.",
         RunPlan},
        {"shop",
         "cookbook shop --week DATE | --days DATE,... | RECIPE [--portii N]... "
         "[--ical FILE] [--text FILE]",
         "The shopping list of the plan's week or days, or of recipes for N portions each: "
         "ingredients scaled and added up by food, grouped by shop section, what cannot be "
         "added up under its recipe, salt, pepper, water and what is marked at home last. "
         "Printed, or written as iCalendar to-dos (--ical) or UTF-8 text (--text).",
         RunShop},
    };
    return commands;
}

const Command& FindCommand(const char* name) {
    for (const Command& c : Commands())
        if (std::string(c.name) == name)
            return c;
    std::abort(); // only called with names of the table
}

int FileAndOutput(const Args& args, const char* command, std::string& file, std::string& out) {
    out = "-";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size())
                return UsageError(FindCommand(command), "-o needs a file");
            out = args[++i];
        } else if (file.empty()) {
            file = args[i];
        } else {
            return UsageError(FindCommand(command), "too many arguments");
        }
    }
    if (file.empty())
        return UsageError(FindCommand(command), "needs a recipe file name");
    return kOk;
}

int FileOutputAndServings(const Args& args, const char* command, std::string& file,
                          std::string& out, int& servings) {
    servings = 0;
    Args rest;
    std::string wanted;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--portii") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size())
            return UsageError(FindCommand(command), "--portii needs a number of servings");
        wanted = args[++i];
    }
    if (const int usage = FileAndOutput(rest, command, file, out); usage != kOk)
        return usage;
    if (wanted.empty() && !std::count(args.begin(), args.end(), "--portii"))
        return kOk;
    const bool digits = !wanted.empty() && wanted.size() <= 2 &&
                        wanted.find_first_not_of("0123456789") == std::string::npos;
    servings = 0;
    if (digits)
        std::from_chars(wanted.data(), wanted.data() + wanted.size(), servings);
    if (servings < savorel::kMinServings || servings > savorel::kMaxServings)
        return Failure(std::string("cookbook ") + command + ": --portii \"" + wanted +
                       "\" is not a number of servings from 1 to 99");
    return kOk;
}

int CheckServings(const char* command, const std::string& file, const std::string& recipeText,
                  int servings) {
    if (servings == 0 || savorel::ServingsOfRecipe(recipeText))
        return kOk;
    return Failure(std::string("cookbook ") + command + ": " + file +
                   " states no servings (its first ingredient is not \"N portii\"), so it "
                   "cannot be scaled");
}

int UsageError(const Command& command, const std::string& message) {
    std::cerr << "cookbook " << command.name << ": " << message << "\nusage: " << command.usage
              << "\n";
    return kUsage;
}

int TextArgument(const Command& command, const std::string& argument, std::string& text) {
    std::string problem;
    if (ArgumentToBook(argument, text, problem))
        return kOk;
    return UsageError(command, "a text argument " + problem);
}

int Failure(const std::string& message) {
    std::cerr << message << "\n";
    return kFailure;
}

namespace {

std::string& CallerDir() {
    static std::string dir;
    return dir;
}

void PrintHelp(std::ostream& out) {
    out << "usage: cookbook [--data DIR] COMMAND [ARGS]\n\n"
           "The data folder is the current directory unless --data names another.\n\n"
           "Commands:\n";
    for (const Command& c : Commands())
        out << "  " << c.usage << "\n      " << c.summary << "\n";
    out << "\nText arguments (search keys, words) and everything printed are in the terminal's\n"
           "encoding; the book's files, files written with -o and scramble's output are\n"
           "Windows-1250 bytes. File names are taken as they are.\n"
           "\n\"cookbook COMMAND --help\" describes one command.\n";
}

// A closed standard descriptor is taken by /dev/null opened the wrong way round, so that
// reading or writing it fails as it would have, and no file we open later becomes it.
void HoldClosedStandardDescriptors() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int held = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            if (held >= 0 && held != fd)
                ::close(held);
        }
}

// What the command answered, unless its standard output could not be written (a full disk,
// a closed descriptor): then a failure, so that scripts do not take a lost output for done.
int Finish(int code) {
    std::cout.flush();
    const bool written = std::cout && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (written)
        return code;
    std::cerr << "cookbook: cannot write the standard output\n";
    return code == kOk ? kFailure : code;
}

} // namespace

std::string CallerPath(const std::string& path) {
    if (path.empty() || path == "-" || path.front() == '/' || CallerDir().empty())
        return path;
    return CallerDir() + "/" + path;
}

} // namespace cookbook

namespace {

int Run(int argc, char** argv) {
    using namespace cookbook;
    HoldClosedStandardDescriptors();
    SetUpTerminal();
    Args args(argv + 1, argv + argc);
    std::string dataDir;
    while (!args.empty() && args.front().rfind("--", 0) == 0) {
        if (args.front() == "--help" || args.front() == "-h") {
            PrintHelp(std::cout);
            return Finish(kOk);
        }
        if (args.front() == "--data") {
            if (args.size() < 2) {
                std::cerr << "cookbook: --data needs a folder\n";
                return kUsage;
            }
            dataDir = args[1];
            args.erase(args.begin(), args.begin() + 2);
            continue;
        }
        std::cerr << "cookbook: unknown option " << args.front() << "\n";
        PrintHelp(std::cerr);
        return kUsage;
    }
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kUsage;
    }
    if (char* cwd = ::getcwd(nullptr, 0)) {
        CallerDir() = cwd;
        std::free(cwd);
    }
    const std::string name = args.front();
    args.erase(args.begin());
    for (const Command& command : Commands()) {
        if (name != command.name)
            continue;
        for (const std::string& a : args)
            if (a == "--help" || a == "-h") {
                std::cout << "usage: " << command.usage << "\n" << command.summary << "\n";
                return Finish(kOk);
            }
        if (!dataDir.empty() && ::chdir(dataDir.c_str()) != 0)
            return Failure("cookbook: cannot use the data folder " + dataDir + ": " +
                           std::strerror(errno));
        return Finish(command.run(args));
    }
    std::cerr << "cookbook: unknown command " << name << "\n";
    PrintHelp(std::cerr);
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    return savorel::RunGuarded(
        "cookbook", [&] { return Run(argc, argv); }, std::cerr, cookbook::kFailure);
}
