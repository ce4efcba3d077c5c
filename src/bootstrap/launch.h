#pragma once

// The bootstrap's road: the temporary folder, the KIT folder, its own program file, the
// extraction and the start of the installer. Plain C++ and POSIX: no Qt, nothing of cook.
#include "bootstrap/payload.h"

#include <functional>
#include <optional>
#include <string>

namespace bootstrap {

inline constexpr const char* kNoTempFolder = "Cannot find a temporary directory !!!!!";
inline constexpr const char* kInstaller = "install.exe";

// Reads one environment variable; null when unset.
using EnvLookup = std::function<const char*(const char* name)>;

// TEMP, then TMP, each taken as it stands when set and non-empty. When both are unset or
// empty, the rule cook follows: TMPDIR when it names a folder of the user's own that no one
// else may write (in a shared one such as /tmp every account would meet the same KIT), else a
// private folder of the user: $XDG_RUNTIME_DIR/savorel, else systemFolder/savorel-<uid>, else,
// when another account holds that name, a fresh one made there with mkdtemp. None: no value.
[[nodiscard]] std::optional<std::string> ChooseTempFolder(const EnvLookup& env,
                                                          const std::string& systemFolder = "/tmp");

// The temporary folder followed by "/KIT"; the separator is added even after a trailing one.
std::string KitFolderPath(const std::string& tempFolder);

enum class KitFolder {
    Ready,   // created now, or there already as our own folder
    Missing, // could not be created; the extraction will say so file by file
    Foreign, // there, but a link, not a folder, not ours or writable by anyone: never used
};
// Creates the KIT folder, private to the user; one that exists already is no error.
[[nodiscard]] KitFolder PrepareKitFolder(const std::string& kit);

// The program path of a command line that begins with it in double quotes: the text from the
// second character up to the next double quote, or to the end when there is none.
std::string OwnPathFromCommandLine(const std::string& commandLine);

// The running program's own file, as the system knows it.
std::string OwnProgramPath();

// Starts ./install.exe in `kit` with no arguments, detached, and does not wait for it. The
// extraction wrote it as a plain file, so it is made executable for its owner first.
void StartInstaller(const std::string& kit);

// The whole road: chooses the folders, extracts the payload found in `self`, starts the
// installer. Whatever the extraction answers, the installer is started; only a missing
// temporary folder or a KIT folder that is not the user's own stops the road before that.
void RunBootstrap(const PayloadTable& table, const EnvLookup& env, const std::string& self,
                  ExtractionSink& sink);

} // namespace bootstrap
