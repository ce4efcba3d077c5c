#pragma once

#include "core/files.h"

#include <string>
#include <vector>

namespace cookbook {

// Exit codes: 0 done, 1 failure (message on stderr), 2 usage error.
inline constexpr int kOk = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;   // first line of --help
    const char* summary; // the rest of --help
    int (*run)(const Args& args);
};

const std::vector<Command>& Commands();

const Command& FindCommand(const char* name);
int UsageError(const Command& command, const std::string& message);

// Arguments of the form FILE [-o OUT]: answers kOk, or the usage error already reported.
[[nodiscard]] int FileAndOutput(const Args& args, const char* command, std::string& file,
                                std::string& out);
int Failure(const std::string& message);
// Arguments of the form FILE [-o OUT] [--portii M]: `servings` is 0 without --portii. An M
// that is no number from 1 to 99, or a recipe that states no servings, is a failure.
[[nodiscard]] int FileOutputAndServings(const Args& args, const char* command, std::string& file,
                                        std::string& out, int& servings);
// Checks --portii against the recipe text: kOk, or the failure already reported.
[[nodiscard]] int CheckServings(const char* command, const std::string& file,
                                const std::string& recipeText, int servings);

// A path given on the command line, taken relative to the folder cookbook was started in
// (the data folder may differ, through --data).
std::string CallerPath(const std::string& path);

// Writes bytes to FILE (by the rule of every file the user names, WriteUserFile), or to stdout
// for "-" or an empty name: converted to the terminal's encoding unless `raw` (files written
// with -o always keep the bytes).
savorel::WriteResult WriteOutput(const std::string& path, const std::string& bytes,
                                 bool raw = false);

// "cannot write PATH: why", for the message of a failed WriteOutput.
std::string CannotWrite(const std::string& path, const savorel::WriteResult& result);

// A text argument (a search key, a word), converted from the terminal's encoding to the
// book's: answers kOk, or the usage error already reported. File names are never converted:
// they are bytes of the file system.
[[nodiscard]] int TextArgument(const Command& command, const std::string& argument,
                               std::string& text);

// Every problem `check` finds, printed as "file:line: what" on stdout.
struct Findings {
    int count = 0;
    void Add(const std::string& file, int line, const std::string& what);
};
void CheckDictionary(Findings& findings);
void CheckCalorieTables(Findings& findings);
void CheckFavourites(Findings& findings);

// Commands by subject; each file adds its commands to the table in cookbook.cpp.
int RunScramble(const Args& args);
int RunUnscramble(const Args& args);
int RunPack(const Args& args);
int RunList(const Args& args);
int RunPage(const Args& args);
int RunCheck(const Args& args);
int RunCalories(const Args& args);
int RunAudit(const Args& args);
int RunSearchCommand(const Args& args);
int RunLookup(const Args& args);
int RunTerms(const Args& args);
int RunExport(const Args& args);
int RunImport(const Args& args);
int RunRestore(const Args& args);
int RunPlan(const Args& args);
int RunShop(const Args& args);

} // namespace cookbook
