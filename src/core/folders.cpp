#include "core/folders.h"

#include "core/files.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace savorel {

namespace {

bool IsUsableFolder(const char* path) {
    struct stat st {};
    return path && *path && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(path, W_OK | X_OK) == 0;
}

bool IsOwnOrSharedFolder(const std::string& folderText) {
    if (folderText.empty())
        return true;
    struct stat st {};
    if (::stat(folderText.c_str(), &st) != 0)
        return true; // the write itself fails and says so
    return st.st_uid == ::geteuid() || (st.st_mode & S_ISVTX) != 0;
}

} // namespace

std::optional<std::string> ResolveTempFolder(const EnvLookup& env) {
    for (const char* name : {"TMP", "TMPDIR"}) {
        const char* value = env(name);
        if (IsUsableFolder(value))
            return std::string(value);
    }
    if (IsUsableFolder("/tmp"))
        return std::string("/tmp");
    return std::nullopt;
}

std::optional<std::string> ResolveTempFolder() {
    return ResolveTempFolder([](const char* name) { return std::getenv(name); });
}

std::string TempFolderText(const std::string& folder) {
    return folder + "/";
}

bool WriteCookIni(const std::string& text) {
    return WriteFileAtomically(kCookIni, text, false);
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
    return IsOwnOrSharedFolder(folderText) && WriteFileAtomically(folderText + name, bytes, false);
}

} // namespace savorel
