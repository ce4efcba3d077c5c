#include "core/folders.h"

#include "core/files.h"

#include <cctype>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace savorel {

namespace {

bool IsOwnOrSharedFolder(const std::string& folderText) {
    if (folderText.empty())
        return true;
    struct stat st {};
    if (::stat(folderText.c_str(), &st) != 0)
        return true; // the write itself fails and says so
    return st.st_uid == ::geteuid() || (st.st_mode & S_ISVTX) != 0;
}

// A folder named by TMP or TMPDIR: writable, the user's own or a shared sticky one, and
// carried back whole by cook.ini as one line.
bool IsUsableFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && path.size() + 1 <= kCookIniLimit &&
           path.find_first_of("\r\n") == std::string::npos && ::stat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0 &&
           IsOwnOrSharedFolder(path);
}

std::string Absolute(const char* value) {
    if (value[0] == '/')
        return value;
    char* here = ::getcwd(nullptr, 0);
    std::string path = here ? std::string(here) + "/" + value : std::string();
    std::free(here);
    return path;
}

// The user's private folder: created when missing, and taken only when it is a real folder
// (not a link) that the user owns, closed to everyone else.
std::optional<std::string> PrivateFolder(const std::string& path, bool create = true) {
    if (path.size() + 1 > kCookIniLimit)
        return std::nullopt;
    if (create)
        ::mkdir(path.c_str(), 0700);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return std::nullopt;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return std::nullopt;
    if (::access(path.c_str(), W_OK | X_OK) != 0)
        return std::nullopt;
    return path;
}

} // namespace

std::optional<std::string> ResolveTempFolder(const EnvLookup& env, const std::string& systemTemp) {
    for (const char* name : {"TMP", "TMPDIR"}) {
        const char* value = env(name);
        if (!value || !*value)
            continue;
        const std::string path = Absolute(value);
        if (IsUsableFolder(path))
            return path;
    }
    const char* runtime = env("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        if (auto folder = PrivateFolder(std::string(runtime) + "/savorel"))
            return folder;
    }
    return PrivateFolder(systemTemp + "/savorel-" + std::to_string(::geteuid()));
}

namespace {

// "savorel-<uid>-" and mkdtemp's six letters and digits.
bool IsFreshFolderName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix)
        return false;
    for (const char c : name.substr(prefix.size()))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

std::optional<std::string> TakeTempFolder(const EnvLookup& env, const std::string& systemTemp,
                                          const std::optional<std::string>& previous) {
    if (auto folder = ResolveTempFolder(env, systemTemp))
        return folder;
    // The fixed names are taken (another account made /tmp/savorel-<uid> first, or a link
    // stands there): a fresh folder with a name nobody can guess in advance.
    const std::string prefix = "savorel-" + std::to_string(::geteuid()) + "-";
    const std::string parent = systemTemp + "/";
    if (previous) {
        std::string path = *previous;
        if (!path.empty() && path.back() == '/')
            path.pop_back();
        if (path.size() > parent.size() && path.compare(0, parent.size(), parent) == 0 &&
            IsFreshFolderName(std::string_view(path).substr(parent.size()), prefix))
            if (auto folder = PrivateFolder(path, false))
                return folder;
    }
    std::string pattern = parent + prefix + "XXXXXX";
    if (pattern.size() + 1 > kCookIniLimit || !::mkdtemp(pattern.data()))
        return std::nullopt;
    return PrivateFolder(pattern, false);
}

std::optional<std::string> ResolveTempFolder() {
    return ResolveTempFolder([](const char* name) { return std::getenv(name); });
}

std::string TempFolderText(const std::string& folder) {
    return folder + "/";
}

bool WriteCookIni(const std::string& text) {
    return static_cast<bool>(WriteFileAtomically(kCookIni, text, false));
}

std::optional<std::string> ReadCookIni() {
    FilePtr f = OpenDataFile(kCookIni, "rb");
    if (!f)
        return std::nullopt;
    std::string line;
    int c;
    while (line.size() < kCookIniLimit && (c = std::getc(f.get())) != EOF && c != '\n')
        line.push_back(static_cast<char>(c));
    return line;
}

bool WriteTempFolderFile(const std::string& folderText, const char* name, std::string_view bytes) {
    return IsOwnOrSharedFolder(folderText) &&
           static_cast<bool>(WriteFileAtomically(folderText + name, bytes, false));
}

} // namespace savorel
