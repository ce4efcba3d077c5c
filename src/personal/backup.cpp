#include "personal/backup.h"

#include "core/files.h"
#include "core/store_lock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace savorel {

namespace {

using Files = std::map<std::string, std::string>; // name -> bytes

bool EndsWithIgnoreCase(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           EqualsIgnoreAsciiCase(std::string_view(text).substr(text.size() - end.size()), end);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The user's files of a folder ("." for the data folder), read whole.
std::optional<Files> ReadUserFiles(const std::string& folder) {
    Files files;
    for (const std::string& name : FolderEntries(folder)) {
        const std::string path = folder + "/" + name;
        if (!IsBackedUpName(name) || !IsRegularFile(path))
            continue;
        if (!ReadWholeFile(path, files[name]))
            return std::nullopt;
    }
    return files;
}

bool IsBackupName(const std::string& name) {
    // YYYY-MM-DD, optionally -N
    if (name.size() < 10)
        return false;
    for (std::size_t i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? name[i] != '-' : !IsAsciiDigit(static_cast<unsigned char>(name[i])))
            return false;
    }
    if (name.size() == 10)
        return true;
    return name[10] == '-' && name.size() > 11 &&
           std::all_of(name.begin() + 11, name.end(),
                       [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); });
}

// Oldest first: by date, then by the day's number (the plain date counts as 1).
bool OlderThan(const std::string& a, const std::string& b) {
    const auto number = [](const std::string& n) {
        return n.size() > 11 ? std::stoull(n.substr(11)) : 1ULL;
    };
    if (a.compare(0, 10, b, 0, 10) != 0)
        return a.compare(0, 10, b, 0, 10) < 0;
    return number(a) < number(b);
}

// Writes `files` as the backup `name`: into a hidden folder first, renamed when whole.
bool WriteBackup(const std::string& name, const Files& files) {
    std::error_code error;
    std::filesystem::create_directories(kBackupFolder, error);
    const std::string partial = std::string(kBackupFolder) + "/." + name + ".partial";
    std::filesystem::remove_all(partial, error);
    if (!std::filesystem::create_directory(partial, error))
        return false;
    bool ok = true;
    for (const auto& [file, bytes] : files)
        ok = ok && WriteFileAtomically(partial + "/" + file, bytes);
    if (ok)
        ok = ::rename(partial.c_str(), (std::string(kBackupFolder) + "/" + name).c_str()) == 0;
    if (!ok)
        std::filesystem::remove_all(partial, error);
    return ok;
}

// The first free name of `today`: the date itself, then date-2, date-3, ...
std::string FreeBackupName(const std::string& today) {
    const std::vector<std::string> present = ListBackups();
    std::string name = today;
    for (int n = 2; std::find(present.begin(), present.end(), name) != present.end(); ++n)
        name = today + "-" + std::to_string(n);
    return name;
}

void Prune() {
    std::vector<std::string> backups = ListBackups();
    std::error_code error;
    for (std::size_t i = 0; i + kBackupsKept < backups.size(); ++i)
        std::filesystem::remove_all(std::string(kBackupFolder) + "/" + backups[i], error);
}

} // namespace

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

bool IsBackedUpName(const std::string& name) {
    return EqualsIgnoreAsciiCase(name, "pers.txt") || EqualsIgnoreAsciiCase(name, "pref.txt") ||
           EqualsIgnoreAsciiCase(name, "virt-dir.txt") ||
           (name.size() > 7 && EqualsIgnoreAsciiCase(std::string_view(name).substr(0, 3), "xet") &&
            EndsWithIgnoreCase(name, ".txt"));
}

std::vector<std::string> ListBackups() {
    std::vector<std::string> backups;
    for (const std::string& name : FolderEntries(kBackupFolder))
        if (IsBackupName(name))
            backups.push_back(name);
    std::sort(backups.begin(), backups.end(), OlderThan);
    return backups;
}

BackupResult BackupIfChanged(const std::string& today) {
    const StoreLock lock(std::chrono::milliseconds(500));
    if (!lock.Held())
        return BackupResult::Busy;
    const std::vector<std::string> backups = ListBackups();
    if (std::any_of(backups.begin(), backups.end(),
                    [&](const std::string& b) { return b.compare(0, 10, today) == 0; }))
        return BackupResult::AlreadyToday;
    const std::optional<Files> current = ReadUserFiles(".");
    if (!current)
        return BackupResult::NotWritten;
    if (!backups.empty() &&
        ReadUserFiles(std::string(kBackupFolder) + "/" + backups.back()) == current)
        return BackupResult::Unchanged;
    if (backups.empty() && current->empty())
        return BackupResult::Unchanged; // nothing of the user's yet
    if (!WriteBackup(today, *current))
        return BackupResult::NotWritten;
    Prune();
    return BackupResult::Made;
}

RestoreResult RestoreBackup(const std::string& name, const std::string& today, std::string* saved) {
    const StoreLock lock;
    if (!lock.Held())
        return RestoreResult::Busy;
    const std::vector<std::string> backups = ListBackups();
    const std::string chosen = name.empty() ? (backups.empty() ? "" : backups.back()) : name;
    if (chosen.empty() || std::find(backups.begin(), backups.end(), chosen) == backups.end())
        return RestoreResult::NoSuchBackup;
    const std::optional<Files> restored = ReadUserFiles(std::string(kBackupFolder) + "/" + chosen);
    const std::optional<Files> current = ReadUserFiles(".");
    if (!restored || !current)
        return RestoreResult::NotWritten;
    const std::string first = FreeBackupName(today);
    if (!WriteBackup(first, *current))
        return RestoreResult::NotWritten;
    if (saved)
        *saved = first;
    bool ok = true;
    for (const auto& [file, bytes] : *restored)
        ok = WriteFileAtomically(ResolveDataName(file), bytes) && ok;
    for (const auto& entry : *current)
        if (!restored->count(entry.first))
            ok = ::unlink(entry.first.c_str()) == 0 && ok;
    return ok ? RestoreResult::Restored : RestoreResult::NotWritten;
}

} // namespace savorel
