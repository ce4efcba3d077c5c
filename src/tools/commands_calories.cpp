// Commands about calories and the checks of the book's other data files.
#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "core/files.h"
#include "core/fold.h"
#include "core/records.h"
#include "core/scramble.h"
#include "tools/cookbook.h"
#include "viewing/calories.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace cookbook {

using namespace savorel;

namespace {

// The lines of a data file, a last one without its line feed included; false when it is
// missing.
bool DataLines(const char* name, std::vector<std::string>& lines) {
    std::string bytes;
    if (!ReadWholeDataFile(name, bytes))
        return false;
    lines = CompleteLines(ScrambleBytes(bytes), UnendedLine::KeptUnlessEmpty);
    return true;
}

// A table line as written for the calculator: a number, one blank, a name without blanks at
// its ends. Answers the problem or an empty text.
std::string TableLineProblem(const std::string& line, std::string& name) {
    const std::size_t blank = line.find(' ');
    if (line.empty())
        return "empty line";
    if (blank == std::string::npos)
        return "a number without a name";
    if (blank == 0)
        return "blank before the number";
    const std::string number = line.substr(0, blank);
    float value = 0;
    switch (ConvertTableNumber(number, value)) {
    case TableNumber::NotANumber:
        return "\"" + number + "\" is not a number";
    case TableNumber::Unusable:
        return "\"" + number +
               "\" is not a number of 0 or more: the calculator passes over "
               "this line";
    case TableNumber::Usable:
        break;
    }
    double whole = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), whole);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size())
        return "\"" + number + "\" is not a number";
    name = line.substr(blank + 1);
    if (name.empty() || name.front() == ' ')
        return "more than one blank after the number";
    if (name.back() == ' ')
        return "blank at the end of the line";
    return {};
}

} // namespace

void CheckDictionary(Findings& findings) {
    std::vector<std::string> lines;
    if (!DataLines("dict.txt", lines)) {
        findings.Add("dict.txt", 0, "cannot be opened");
        return;
    }
    std::set<std::string> words;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const std::size_t hash = lines[i].find('#');
        if (hash == std::string::npos) {
            findings.Add("dict.txt", n, "line without \"#\"");
            continue;
        }
        std::string word = lines[i].substr(0, hash);
        if (word.size() > 99)
            findings.Add("dict.txt", n, "word longer than 99 characters");
        if (lines[i].size() - hash - 1 > 999)
            findings.Add("dict.txt", n, "explanation longer than 999 characters");
        if (!words.insert(Folded(word)).second)
            findings.Add("dict.txt", n, "word listed twice: only the first is ever found");
    }
}

void CheckCalorieTables(Findings& findings) {
    std::set<std::string> foods, units;
    for (const char* table :
         {kFoodTableFile, kUnitTableFile, kPieceTableFile, kVolumeTableFile, kDensityTableFile}) {
        const bool optional = table == kVolumeTableFile || table == kDensityTableFile;
        std::vector<std::string> lines;
        if (!DataLines(table, lines)) {
            if (!optional)
                findings.Add(table, 0, "cannot be opened");
            continue;
        }
        std::set<std::string> named;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            std::string name;
            const std::string problem = TableLineProblem(lines[i], name);
            if (!problem.empty()) {
                findings.Add(table, n, problem);
                continue;
            }
            if (table == kFoodTableFile) {
                foods.insert(Folded(name));
            } else if (table == kUnitTableFile) {
                units.insert(Folded(name));
            } else if (table == kPieceTableFile && !foods.count(Folded(name))) {
                // Several names on one line: each must be a food.
                std::istringstream words(name);
                std::string word;
                while (words >> word)
                    if (!foods.count(Folded(word)))
                        findings.Add(table, n, "\"" + name + "\" is not in " + kFoodTableFile);
            } else if (optional) {
                // The calculator looks these up by the unit or food it already found, so a
                // name the other tables lack is never used, and a second line never read.
                const bool volume = table == kVolumeTableFile;
                if (!(volume ? units : foods).count(Folded(name)))
                    findings.Add(table, n,
                                 "\"" + name + "\" is not in " +
                                     (volume ? kUnitTableFile : kFoodTableFile));
                if (!named.insert(Folded(name)).second)
                    findings.Add(table, n, "\"" + name + "\" listed twice: only the first is read");
                if (std::strtod(lines[i].c_str(), nullptr) <= 0)
                    findings.Add(table, n, "a number of 0 is not read: the line means nothing");
            }
        }
    }
}

void CheckFavourites(Findings& findings) {
    std::vector<std::string> lines;
    if (!DataLines("pref.txt", lines))
        return; // no favourites yet is a normal state
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t hash = lines[i].find('#');
        const int n = static_cast<int>(i) + 1;
        if (hash == std::string::npos) {
            findings.Add("pref.txt", n, "record without \"#\"");
            continue;
        }
        const std::string file = lines[i].substr(hash + 1);
        if (!IsSafeDataName(file) || DataFileSize(file) < 0)
            findings.Add("pref.txt", n, "favourite file \"" + file + "\" does not exist");
    }
}

int RunCalories(const Args& args) {
    std::string recipe, out;
    int servings = 0;
    if (const int usage = FileOutputAndServings(args, "calories", recipe, out, servings);
        usage != kOk)
        return usage;
    if (servings != 0) {
        std::string text;
        if (!ReadRecipeText(recipe, text))
            return Failure(std::string(kArgumentNotFound) + " (" + recipe + ")");
        if (const int refused = CheckServings("calories", recipe, text, servings); refused != kOk)
            return refused;
    }
    // The calculator writes its page into a folder; a private one keeps others' pages intact.
    char folder[] = "/tmp/cookbook-calories-XXXXXX";
    if (!mkdtemp(folder))
        return Failure("cookbook calories: cannot create a temporary folder");
    CollectingReporter reporter;
    CalorieState state;
    const bool written =
        CalculateCalories(recipe, std::string(folder) + "/", reporter, &state, servings);
    const std::string page = std::string(folder) + "/" + kCaloriePageName;
    std::remove(page.c_str());
    rmdir(folder);
    for (const auto& e : reporter.entries)
        std::cerr << e.text << "\n";
    if (!written)
        return kFailure;
    if (const WriteResult saved = WriteOutput(out, state.page); !saved)
        return Failure("cookbook calories: " + CannotWrite(out, saved));
    return kOk;
}

int RunAudit(const Args& args) {
    if (!args.empty())
        return UsageError(FindCommand("audit"), "takes no arguments");
    CategoryTable table;
    CollectingReporter quiet;
    if (!LoadCatalogue(table, quiet))
        return Failure(std::string(kCannotOpenCatalogue) + " (" + kCatalogueFile + ")");
    char folder[] = "/tmp/cookbook-audit-XXXXXX";
    if (!mkdtemp(folder))
        return Failure("cookbook audit: cannot create a temporary folder");
    int recipes = 0, understood = 0, tokens = 0, matched = 0, withMass = 0, failed = 0;
    std::map<std::string, int> leftovers, describing;
    std::set<std::string> seen;
    std::cout << std::fixed << std::setprecision(2);
    for (const auto& category : table.categories)
        for (const auto& sub : category.subcategories)
            for (const auto& recipe : sub.recipes) {
                if (!seen.insert(recipe.fileName).second)
                    continue;
                CollectingReporter reporter;
                CalorieState state;
                ++recipes;
                if (!CalculateCalories(recipe.fileName, std::string(folder) + "/", reporter,
                                       &state)) {
                    ++failed;
                    std::cout << recipe.fileName << "\tfailed";
                    for (const auto& e : reporter.entries)
                        std::cout << "\t" << e.text;
                    std::cout << "\n";
                    continue;
                }
                tokens += state.tokens;
                matched += state.matchedTokens;
                withMass += state.tokensWithMass;
                const bool all = state.leftoverWords.empty();
                understood += all;
                for (const auto& w : state.leftoverWords)
                    ++leftovers[w];
                for (const auto& w : state.describingWords)
                    ++describing[w];
                std::cout << recipe.fileName << "\t" << state.total << "\t";
                if (state.servings > 0)
                    std::cout << state.total / state.servings;
                else
                    std::cout << "-";
                std::cout << "\t" << (all ? "all understood" : "not all understood") << "\t"
                          << recipe.name;
                if (!state.describingWords.empty()) {
                    std::cout << "\tpassed over:";
                    for (const auto& w : state.describingWords)
                        std::cout << " " << w;
                }
                std::cout << "\n";
            }
    const std::string page = std::string(folder) + "/" + kCaloriePageName;
    std::remove(page.c_str());
    rmdir(folder);
    auto percent = [](int part, int whole) { return whole ? 100.0 * part / whole : 100.0; };
    std::cout << "\nrecipes " << recipes << ", fully understood " << understood << " ("
              << percent(understood, recipes) << "%), failed " << failed << "\n"
              << "tokens " << tokens << ", matched to a food " << matched << " ("
              << percent(matched, tokens) << "%), matched with a mass " << withMass << " ("
              << percent(withMass, matched) << "%)\n";
    auto printTop = [](const std::map<std::string, int>& counts, const char* heading) {
        std::vector<std::pair<int, std::string>> top;
        for (const auto& [word, count] : counts)
            top.emplace_back(-count, word);
        std::sort(top.begin(), top.end());
        if (!top.empty())
            std::cout << heading << "\n";
        for (std::size_t i = 0; i < top.size() && i < 30; ++i)
            std::cout << "  " << -top[i].first << "\t" << top[i].second << "\n";
    };
    printTop(leftovers, "most frequent words not understood:");
    // Counted, and not shown as not understood: a wrong table entry would hide here.
    printTop(describing, "most frequent describing words of counted ingredients:");
    return failed ? kFailure : kOk;
}

} // namespace cookbook
