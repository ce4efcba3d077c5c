#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace savorel {

inline constexpr const char* kNoTempFolderMessage = "Cannot find a temporary directory !!!!!";
inline constexpr const char* kCookIni = "cook.ini";
// cook.ini is read back as one line of at most this many characters.
inline constexpr std::size_t kCookIniLimit = 198;

using EnvLookup = std::function<const char*(const char*)>;

// The temporary folder, as an absolute path: TMP, otherwise TMPDIR, the first that names a
// folder the user can write to, owns or shares with the sticky bit (as /tmp), short enough for
// cook.ini to carry back and without a line break. Otherwise a private folder of the user's:
// $XDG_RUNTIME_DIR/savorel, else `systemTemp` + "/savorel-<uid>", created with mode 0700 and
// taken only when it is a real folder of the user's own. Generated pages never go under fixed
// names into a folder other accounts share. None usable: no value.
[[nodiscard]] std::optional<std::string> ResolveTempFolder(const EnvLookup& env,
                                                           const std::string& systemTemp = "/tmp");
[[nodiscard]] std::optional<std::string> ResolveTempFolder();

// The temporary folder cook takes at start-up: ResolveTempFolder's, else (the private names
// taken by another account, or a link standing there) a fresh private folder made with mkdtemp
// under `systemTemp`, named "savorel-<uid>-XXXXXX". `previous`, what cook.ini held, is taken
// again when it is such a folder of the user's, so that starts do not leave a folder each.
[[nodiscard]] std::optional<std::string> TakeTempFolder(const EnvLookup& env,
                                                        const std::string& systemTemp,
                                                        const std::optional<std::string>& previous);

// The folder as cook.ini holds it: the path followed by "/".
std::string TempFolderText(const std::string& folder);

// Rewrites cook.ini in the data folder with exactly `text`, no line end.
[[nodiscard]] bool WriteCookIni(const std::string& text);

// The first line of cook.ini, at most kCookIniLimit characters; no value when it cannot be
// opened.
[[nodiscard]] std::optional<std::string> ReadCookIni();

// Writes a generated file `name` into the temporary folder `folderText` (as cook.ini holds it;
// empty is the data folder), replacing it whole. The folder must be the user's own or a shared
// sticky one such as /tmp, where nobody can replace another's files; someone else's plain
// folder is refused. False when refused or the file cannot be written.
[[nodiscard]] bool WriteTempFolderFile(const std::string& folderText, const char* name,
                                       std::string_view bytes);

} // namespace savorel
