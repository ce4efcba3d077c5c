#include "personal/backup.h"

#include "core/files.h"
#include "core/store_lock.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace savorel {

namespace {

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

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsRealFolder(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Digits only, no sign, no leading zero (unless the number is 0 itself), within `max`.
template <typename T> std::optional<T> ParseNumber(std::string_view text, T max) {
    if (text.empty() || (text.size() > 1 && text[0] == '0') ||
        !std::all_of(text.begin(), text.end(), [](char c) { return IsAsciiDigit(c); }))
        return std::nullopt;
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

// What tells a file's version apart: a save replaces the file (another inode), a write in
// place changes its times; the change time cannot be set back by anyone.
struct Identity {
    unsigned long long device = 0, inode = 0, size = 0, modified = 0, changed = 0;
    bool operator==(const Identity&) const = default;
};

Identity IdentityOf(const struct stat& st) {
    const auto ns = [](const timespec& t) {
        return static_cast<unsigned long long>(t.tv_sec) * 1000000000ULL +
               static_cast<unsigned long long>(t.tv_nsec);
    };
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
            static_cast<unsigned long long>(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

using Hash = std::uint64_t;
constexpr Hash kHashStart = 14695981039346656037ULL; // FNV-1a, 64 bits

Hash AddToHash(Hash h, const char* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ULL;
    return h;
}

// One file of a backup as its index lists it.
struct IndexEntry {
    unsigned long long size = 0;
    Hash hash = kHashStart;
    Identity source;           // the user's file it was taken from, when taken
    bool fromPrevious = false; // same content as the previous backup's (not written to the index)
};
using Index = std::map<std::string, IndexEntry>;

struct BackupIndex {
    unsigned long long made = 0;
    Index files;
};

constexpr std::string_view kIndexHeader = "savorel-copii 1";
constexpr unsigned long long kMaxMade = 1ULL << 53;
constexpr std::size_t kMaxIndexBytes = 64u << 20;
constexpr std::size_t kMaxIndexFiles = 1000000;
constexpr std::size_t kCopyBuffer = 64u << 10;

std::string FolderOfBackup(const std::string& name) {
    return std::string(kBackupFolder) + "/" + name;
}

// A user file name as the index may hold it: one of the names backups keep, nothing else.
bool IsIndexName(std::string_view name) {
    return !name.empty() && name.size() <= 255 && IsSafeDataName(name) &&
           IsBackedUpName(std::string(name));
}

std::vector<std::string_view> Fields(std::string_view line, std::size_t count) {
    // `count` blank-separated fields, the last one taking the rest of the line.
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < count) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos)
            return {};
        fields.push_back(line.substr(0, blank));
        line.remove_prefix(blank + 1);
    }
    fields.push_back(line);
    return fields;
}

std::optional<Hash> ParseHash(std::string_view text) {
    if (text.size() != 16)
        return std::nullopt;
    Hash value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The index of a backup folder. `headerOnly` stops after the order number (listing).
std::optional<BackupIndex> ReadIndex(const std::string& folder, bool headerOnly) {
    long long size = 0;
    const int fd = OpenRegularFile(folder + "/" + kBackupIndex, O_RDONLY, &size);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    const std::size_t wanted = headerOnly ? 64 : static_cast<std::size_t>(size);
    if (size < 0 || static_cast<std::size_t>(size) > kMaxIndexBytes) {
        ::close(fd);
        return std::nullopt;
    }
    text.resize(std::min(wanted, static_cast<std::size_t>(size)));
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);

    BackupIndex index;
    std::string_view rest(text);
    const auto nextLine = [&rest]() -> std::optional<std::string_view> {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        return line;
    };
    const auto header = nextLine();
    const auto madeLine = nextLine();
    if (!header || *header != kIndexHeader || !madeLine || madeLine->substr(0, 5) != "made ")
        return std::nullopt;
    const auto made = ParseNumber<unsigned long long>(madeLine->substr(5), kMaxMade);
    if (!made)
        return std::nullopt;
    index.made = *made;
    if (headerOnly)
        return index;
    while (const auto line = nextLine()) {
        if (line->substr(0, 4) == "end ") {
            const auto count = ParseNumber<std::size_t>(line->substr(4), kMaxIndexFiles);
            if (!count || *count != index.files.size() || !rest.empty())
                return std::nullopt;
            return index;
        }
        const std::vector<std::string_view> f = Fields(*line, 9);
        if (f.size() != 9 || f[0] != "f" || index.files.size() >= kMaxIndexFiles)
            return std::nullopt;
        IndexEntry entry;
        const auto fileSize = ParseNumber<unsigned long long>(f[1], 1ULL << 62);
        const auto hash = ParseHash(f[2]);
        unsigned long long* parts[] = {&entry.source.device, &entry.source.inode,
                                       &entry.source.size, &entry.source.modified,
                                       &entry.source.changed};
        for (std::size_t i = 0; i < 5; ++i) {
            const auto value = ParseNumber<unsigned long long>(f[3 + i], ~0ULL);
            if (!value)
                return std::nullopt;
            *parts[i] = *value;
        }
        const std::string name(f[8]);
        if (!fileSize || !hash || !IsIndexName(name) || index.files.count(name))
            return std::nullopt;
        entry.size = *fileSize;
        entry.hash = *hash;
        index.files.emplace(name, entry);
    }
    return std::nullopt; // no end line: cut short
}

std::string IndexText(const BackupIndex& index) {
    std::string text(kIndexHeader);
    text += "\nmade " + std::to_string(index.made) + "\n";
    char hash[17];
    for (const auto& [name, e] : index.files) {
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(e.hash));
        text += "f " + std::to_string(e.size) + " " + hash + " " + std::to_string(e.source.device) +
                " " + std::to_string(e.source.inode) + " " + std::to_string(e.source.size) + " " +
                std::to_string(e.source.modified) + " " + std::to_string(e.source.changed) + " " +
                name + "\n";
    }
    text += "end " + std::to_string(index.files.size()) + "\n";
    return text;
}

// The user's files of the data folder (regular files only, links never) and how they stand.
std::map<std::string, Identity> ScanUserFiles() {
    std::map<std::string, Identity> files;
    for (const std::string& name : FolderEntries(".")) {
        struct stat st;
        if (IsBackedUpName(name) && IsSafeDataName(name) && ::lstat(name.c_str(), &st) == 0 &&
            S_ISREG(st.st_mode))
            files.emplace(name, IdentityOf(st));
    }
    return files;
}

bool WriteAllTo(int fd, const char* bytes, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, bytes, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        bytes += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// Streams `src` into `dst`, created exclusively (no link followed), through a bounded buffer.
// `before` receives the source as it stood when opened; `stable` whether it stood the same
// at the end (false: a writer was at it, the copy may be torn).
bool StreamCopy(const std::string& src, const std::string& dst, IndexEntry& entry, bool& stable,
                bool sync) {
    const int in = OpenRegularFile(src, O_RDONLY);
    if (in < 0)
        return false;
    struct stat before;
    if (::fstat(in, &before) != 0) {
        ::close(in);
        return false;
    }
    const int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           before.st_mode & 0666);
    if (out < 0) {
        ::close(in);
        return false;
    }
    std::vector<char> buffer(kCopyBuffer);
    Hash hash = kHashStart;
    unsigned long long total = 0;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        hash = AddToHash(hash, buffer.data(), static_cast<std::size_t>(n));
        total += static_cast<unsigned long long>(n);
        if (!WriteAllTo(out, buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    struct stat after;
    stable = ::fstat(in, &after) == 0 && IdentityOf(after) == IdentityOf(before) &&
             total == static_cast<unsigned long long>(before.st_size);
    ::close(in);
    ok = ok && (!sync || ::fsync(out) == 0);
    ok = ::close(out) == 0 && ok;
    if (!ok) {
        ::unlink(dst.c_str());
        return false;
    }
    entry.size = total;
    entry.hash = hash;
    entry.source = IdentityOf(before);
    return true;
}

// A new file (created exclusively, no link followed) holding `bytes`, synced.
bool WriteNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = WriteAllTo(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

// Whether two files hold the same bytes, read side by side through bounded buffers.
bool SameContent(const std::string& a, const std::string& b) {
    long long sizeA = 0, sizeB = 0;
    const int fa = OpenRegularFile(a, O_RDONLY, &sizeA);
    if (fa < 0)
        return false;
    const int fb = OpenRegularFile(b, O_RDONLY, &sizeB);
    if (fb < 0) {
        ::close(fa);
        return false;
    }
    bool same = sizeA == sizeB;
    std::vector<char> ba(kCopyBuffer), bb(kCopyBuffer);
    while (same) {
        const ssize_t na = ::read(fa, ba.data(), ba.size());
        if (na < 0 && errno == EINTR)
            continue;
        if (na <= 0) {
            char probe;
            same = na == 0 && ::read(fb, &probe, 1) == 0;
            break;
        }
        std::size_t got = 0;
        while (got < static_cast<std::size_t>(na)) {
            const ssize_t nb = ::read(fb, bb.data() + got, static_cast<std::size_t>(na) - got);
            if (nb < 0 && errno == EINTR)
                continue;
            if (nb <= 0)
                break;
            got += static_cast<std::size_t>(nb);
        }
        same = got == static_cast<std::size_t>(na) &&
               std::equal(ba.begin(), ba.begin() + na, bb.begin());
    }
    ::close(fa);
    ::close(fb);
    return same;
}

// The checksum and size of a file as it is now; no value when it cannot be read whole.
std::optional<std::pair<unsigned long long, Hash>> HashOf(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    std::vector<char> buffer(kCopyBuffer);
    Hash hash = kHashStart;
    unsigned long long total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        hash = AddToHash(hash, buffer.data(), static_cast<std::size_t>(n));
        total += static_cast<unsigned long long>(n);
    }
    ::close(fd);
    return std::make_pair(total, hash);
}

// Hidden folders of copii/ that are no backup: one being built, or old ones being removed.
constexpr std::string_view kStagingPrefix = ".partial-";

// A building or removing left by a killed run goes; one younger than an hour may be another
// copy of the program's, at work right now.
void RemoveStaleStaging() {
    const std::time_t now = std::time(nullptr);
    for (const std::string& name : FolderEntries(kBackupFolder)) {
        const bool ours =
            name.compare(0, kStagingPrefix.size(), kStagingPrefix) == 0 ||
            (name.size() > 9 && name[0] == '.' && EndsWithIgnoreCase(name, ".partial"));
        struct stat st;
        const std::string path = FolderOfBackup(name);
        if (!ours || ::lstat(path.c_str(), &st) != 0 || now - st.st_mtime < 3600)
            continue;
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
}

std::optional<std::string> MakeStagingFolder() {
    if (::mkdir(kBackupFolder, 0755) != 0 && errno != EEXIST)
        return std::nullopt;
    if (!IsRealFolder(kBackupFolder))
        return std::nullopt;
    std::string path = FolderOfBackup(std::string(kStagingPrefix) + "XXXXXX");
    if (!::mkdtemp(path.data()))
        return std::nullopt;
    ::chmod(path.c_str(), 0755); // a backup folder is as readable as the data folder's others
    return path;
}

// The first name of `today` under which nothing stands yet: the date, then date-2, date-3...
std::optional<std::string> FreeBackupName(const std::string& today) {
    if (!Exists(FolderOfBackup(today)))
        return today;
    for (unsigned n = 2; n <= kMaxBackupNumber; ++n) {
        const std::string name = today + "-" + std::to_string(n);
        if (!Exists(FolderOfBackup(name)))
            return name;
    }
    return std::nullopt;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A file system without it: the name was free a moment ago, under the lock.
    return !Exists(to) && ::rename(from.c_str(), to.c_str()) == 0;
}

void SyncFolder(const std::string& folder, bool wholeFileSystem) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // One syncfs instead of one fsync per copied file: a first backup has many.
    if (wholeFileSystem)
        ::syncfs(fd);
    else
        ::fsync(fd);
    ::close(fd);
}

bool DatedToday(const BackupEntry& b, std::string_view today) {
    return std::string_view(b.name).substr(0, 10) == today;
}

// Builds a backup from the user's files, as BackupIfChanged describes. `force` makes one even
// when nothing changed or one of the day exists (the state saved before a restore).
class BackupBuilder {
public:
    BackupBuilder(const std::string& today, bool force, const std::atomic<bool>* stop)
        : m_today(today), m_force(force), m_stop(stop) {}
    ~BackupBuilder() { Discard(); }
    BackupBuilder(const BackupBuilder&) = delete;
    BackupBuilder& operator=(const BackupBuilder&) = delete;

    BackupResult Run(std::string* madeName) {
        if (!ParseDate(m_today))
            return BackupResult::NotWritten;
        std::vector<BackupEntry> backups = ListBackupEntries();
        if (!m_force && std::any_of(backups.begin(), backups.end(),
                                    [&](const BackupEntry& b) { return DatedToday(b, m_today); }))
            return BackupResult::AlreadyToday;
        if (!backups.empty()) {
            m_previousFolder = FolderOfBackup(backups.back().name);
            if (auto previous = ReadIndex(m_previousFolder, false))
                m_previous = std::move(previous->files);
            else
                m_previousFolder.clear();
        }
        std::map<std::string, Identity> current = ScanUserFiles();
        if (!m_force && backups.empty() && current.empty())
            return BackupResult::Unchanged; // nothing of the user's yet
        if (!m_force && !m_previousFolder.empty() && SameAsPrevious(current))
            return BackupResult::Unchanged;

        RemoveStaleStaging();
        const auto staging = MakeStagingFolder();
        if (!staging)
            return BackupResult::NotWritten;
        m_staging = *staging;
        // The long part, without the lock: saves go on meanwhile.
        for (const auto& [name, identity] : current) {
            if (Stopped())
                return BackupResult::Stopped;
            if (!Add(name, identity))
                return BackupResult::NotWritten;
        }

        // The copies reach the disk before the lock is taken: a save must not wait for that.
        SyncFolder(m_staging, true);
        m_locked = true;
        std::optional<StoreLock> lock;
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (Stopped())
                return BackupResult::Stopped;
            lock.emplace(std::chrono::milliseconds(500));
            if (lock->Held())
                break;
            lock.reset();
        }
        if (!lock)
            return BackupResult::Busy;
        // Under the lock, nothing changes: what changed since it was copied is taken again.
        backups = ListBackupEntries();
        if (!m_force && std::any_of(backups.begin(), backups.end(),
                                    [&](const BackupEntry& b) { return DatedToday(b, m_today); }))
            return BackupResult::AlreadyToday;
        current = ScanUserFiles();
        for (auto it = m_index.files.begin(); it != m_index.files.end();) {
            if (!current.count(it->first)) {
                ::unlink((m_staging + "/" + it->first).c_str());
                it = m_index.files.erase(it);
            } else {
                ++it;
            }
        }
        for (const auto& [name, identity] : current) {
            const auto staged = m_index.files.find(name);
            if (staged != m_index.files.end() && staged->second.source == identity)
                continue;
            if (staged != m_index.files.end()) {
                ::unlink((m_staging + "/" + name).c_str());
                m_index.files.erase(staged);
            }
            if (!Add(name, identity))
                return BackupResult::NotWritten;
        }
        if (!m_force && !m_previousFolder.empty() && m_index.files.size() == m_previous.size() &&
            std::all_of(m_index.files.begin(), m_index.files.end(),
                        [](const auto& f) { return f.second.fromPrevious; }))
            return BackupResult::Unchanged; // rewritten with the same bytes
        if (!m_force && m_previousFolder.empty() && backups.empty() && m_index.files.empty())
            return BackupResult::Unchanged;

        m_index.made = 1;
        for (const BackupEntry& b : backups)
            m_index.made = std::max(m_index.made, std::min(b.made, kMaxMade - 1) + 1);
        if (!WriteNewFile(m_staging + "/" + kBackupIndex, IndexText(m_index)))
            return BackupResult::NotWritten;
        SyncFolder(m_staging, false);
        const auto name = FreeBackupName(m_today);
        if (!name || !RenameNoReplace(m_staging, FolderOfBackup(*name)))
            return BackupResult::NotWritten;
        m_staging.clear();
        SyncFolder(kBackupFolder, false);
        if (madeName)
            *madeName = *name;
        if (!m_force)
            Prune();
        lock.reset();
        for (const std::string& doomed : m_doomed) {
            std::error_code error;
            std::filesystem::remove_all(doomed, error);
        }
        return BackupResult::Made;
    }

private:
    bool Stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }

    bool SameAsPrevious(const std::map<std::string, Identity>& current) const {
        if (current.size() != m_previous.size())
            return false;
        for (const auto& [name, identity] : current) {
            const auto p = m_previous.find(name);
            if (p == m_previous.end() || !(p->second.source == identity))
                return false;
        }
        return true;
    }

    // One user file into the staging folder: a link to the previous backup's copy when the
    // content is the same, a streamed copy otherwise.
    bool Add(const std::string& name, const Identity& identity) {
        const std::string target = m_staging + "/" + name;
        const auto previous = m_previous.find(name);
        if (previous != m_previous.end()) {
            const std::string earlier = m_previousFolder + "/" + name;
            const bool same =
                previous->second.source == identity
                    ? true
                    : previous->second.size == identity.size && SameContent(name, earlier);
            if (same && ::link(earlier.c_str(), target.c_str()) == 0) {
                IndexEntry entry = previous->second;
                entry.source = identity; // as it stood before it was compared
                entry.fromPrevious = true;
                m_index.files[name] = entry;
                return true;
            }
        }
        IndexEntry entry;
        bool stable = false;
        if (!StreamCopy(name, target, entry, stable, m_locked)) {
            // Gone meanwhile (a delete): it is simply not in this backup.
            return !Exists(name);
        }
        if (!stable)
            entry.source = Identity{}; // taken again under the lock
        if (previous != m_previous.end())
            entry.fromPrevious = entry.size == previous->second.size &&
                                 entry.hash == previous->second.hash &&
                                 SameContent(target, m_previousFolder + "/" + name);
        m_index.files[name] = entry;
        return true;
    }

    // Only the newest kBackupsKept made stay. Under the lock the old ones are only renamed
    // aside (at once no backups any more); they are removed once the lock is let go.
    void Prune() {
        const std::vector<BackupEntry> backups = ListBackupEntries();
        for (std::size_t i = 0; i + kBackupsKept < backups.size(); ++i) {
            std::string aside = FolderOfBackup(std::string(kStagingPrefix) + "XXXXXX");
            const int fd = ::mkstemp(aside.data());
            if (fd < 0)
                continue;
            ::close(fd);
            ::unlink(aside.c_str());
            if (::rename(FolderOfBackup(backups[i].name).c_str(), aside.c_str()) == 0)
                m_doomed.push_back(aside);
        }
    }

    void Discard() {
        if (m_staging.empty())
            return;
        std::error_code error;
        std::filesystem::remove_all(m_staging, error);
        m_staging.clear();
    }

    std::string m_today;
    bool m_force;
    bool m_locked = false; // the last step: what is copied now is synced one by one
    const std::atomic<bool>* m_stop;
    std::string m_previousFolder;
    Index m_previous;
    std::string m_staging;
    BackupIndex m_index;
    std::vector<std::string> m_doomed;
};

// Everything a restore checks before it touches anything: a folder (not a link), a whole
// index, and each file it lists there, a regular file of the size and checksum listed.
std::optional<BackupIndex> VerifyBackup(const std::string& name, std::string& problem) {
    const std::string folder = FolderOfBackup(name);
    if (!IsRealFolder(folder)) {
        problem = Exists(folder) ? "it is not a folder" : "there is no such folder";
        return std::nullopt;
    }
    auto index = ReadIndex(folder, false);
    if (!index) {
        problem = std::string("it has no whole index (") + kBackupIndex +
                  "): not made by Savorel, or not finished";
        return std::nullopt;
    }
    for (const auto& [file, entry] : index->files) {
        const auto read = HashOf(folder + "/" + file);
        if (!read) {
            problem = file + " in it cannot be read";
            return std::nullopt;
        }
        if (read->first != entry.size || read->second != entry.hash) {
            problem = file + " in it is not as it was backed up (damaged or changed)";
            return std::nullopt;
        }
    }
    return index;
}

// Writes the backup's copy over the user's file: a temporary file beside it (the name
// RemoveStaleWorkingCopies knows), synced, then renamed over.
bool RestoreFile(const std::string& from, const std::string& target) {
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        return false; // made read-only by the user: not replaced
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(temp.c_str());
    IndexEntry entry;
    bool stable = false;
    if (!StreamCopy(from, temp, entry, stable, true) || !stable) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
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
           // the week plan and the shopping list's state (planning/plan.h, shopping.h)
           EqualsIgnoreAsciiCase(name, "plan.txt") ||
           EqualsIgnoreAsciiCase(name, "cumparaturi.txt") ||
           (name.size() > 7 && EqualsIgnoreAsciiCase(std::string_view(name).substr(0, 3), "xet") &&
            EndsWithIgnoreCase(name, ".txt"));
}

std::optional<std::chrono::year_month_day> ParseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsAsciiDigit(text[i]))
            return std::nullopt;
    int year = 0;
    unsigned month = 0, day = 0;
    std::from_chars(text.data(), text.data() + 4, year);
    std::from_chars(text.data() + 5, text.data() + 7, month);
    std::from_chars(text.data() + 8, text.data() + 10, day);
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                           std::chrono::day{day}};
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::optional<BackupName> ParseBackupName(std::string_view name) {
    const auto date = ParseDate(name.substr(0, std::min<std::size_t>(name.size(), 10)));
    if (!date)
        return std::nullopt;
    if (name.size() == 10)
        return BackupName{*date, 1};
    if (name[10] != '-')
        return std::nullopt;
    const auto number = ParseNumber<unsigned>(name.substr(11), kMaxBackupNumber);
    if (!number || *number < 2)
        return std::nullopt;
    return BackupName{*date, *number};
}

bool MadeBefore(const BackupEntry& a, const BackupEntry& b) {
    if (a.made != b.made)
        return a.made < b.made;
    const auto na = ParseBackupName(a.name), nb = ParseBackupName(b.name);
    if (na && nb && (na->date != nb->date || na->number != nb->number))
        return na->date != nb->date ? na->date < nb->date : na->number < nb->number;
    return a.name < b.name;
}

std::vector<BackupEntry> ListBackupEntries() {
    std::vector<BackupEntry> backups;
    for (const std::string& name : FolderEntries(kBackupFolder)) {
        if (!ParseBackupName(name) || !IsRealFolder(FolderOfBackup(name)))
            continue;
        if (const auto index = ReadIndex(FolderOfBackup(name), true))
            backups.push_back({name, index->made});
    }
    std::sort(backups.begin(), backups.end(), MadeBefore);
    return backups;
}

std::vector<std::string> ListBackups() {
    std::vector<std::string> names;
    for (const BackupEntry& b : ListBackupEntries())
        names.push_back(b.name);
    return names;
}

std::vector<std::string> DatedAfter(const std::vector<BackupEntry>& backups,
                                    std::string_view today) {
    std::vector<std::string> later;
    const auto now = ParseDate(today);
    for (const BackupEntry& b : backups) {
        const auto name = ParseBackupName(b.name);
        if (now && name && name->date > *now)
            later.push_back(b.name);
    }
    return later;
}

BackupChoice ChooseBackup(const std::vector<BackupEntry>& backups, std::string_view wanted,
                          std::string_view today) {
    BackupChoice choice;
    if (!wanted.empty()) {
        if (!ParseBackupName(wanted)) {
            choice.kind = BackupChoice::Kind::NotABackupName;
            return choice;
        }
        const bool present = std::any_of(backups.begin(), backups.end(),
                                         [&](const BackupEntry& b) { return b.name == wanted; });
        choice.kind = present ? BackupChoice::Kind::Chosen : BackupChoice::Kind::NoSuchBackup;
        if (present)
            choice.name = std::string(wanted);
        return choice;
    }
    const auto newest = std::max_element(backups.begin(), backups.end(), MadeBefore);
    if (newest == backups.end())
        return choice; // NoSuchBackup
    choice.name = newest->name;
    const std::vector<std::string> later = DatedAfter({*newest}, today);
    choice.kind =
        later.empty() ? BackupChoice::Kind::Chosen : BackupChoice::Kind::NewestDatedAfterToday;
    return choice;
}

std::string ClockLooksWrongMessage(const std::vector<std::string>& datedAfterToday,
                                   const std::string& today) {
    std::string names;
    for (std::size_t i = 0; i < datedAfterToday.size() && i < 7; ++i)
        names += (i ? ", " : "") + datedAfterToday[i];
    return "Ceasul calculatorului pare gresit: azi ar fi " + today +
           ", dar copiile de siguranta din " + kBackupFolder + " sunt datate mai tarziu (" + names +
           "). Verificati data si ora.";
}

BackupResult BackupIfChanged(const std::string& today, const std::atomic<bool>* stop,
                             BackupNotes* notes) {
    BackupBuilder builder(today, false, stop);
    const BackupResult result = builder.Run(nullptr);
    if (notes)
        notes->datedAfterToday = DatedAfter(ListBackupEntries(), today);
    return result;
}

RestoreResult RestoreBackup(const std::string& name, const std::string& today, std::string* saved,
                            RestoreReport* report) {
    RestoreReport local;
    RestoreReport& r = report ? *report : local;
    const StoreLock lock;
    if (!lock.Held())
        return RestoreResult::Busy;
    std::vector<BackupEntry> backups = ListBackupEntries();
    r.datedAfterToday = DatedAfter(backups, today);
    BackupChoice choice = ChooseBackup(backups, name, today);
    std::optional<BackupIndex> index;
    // Unnamed: a newest that is not whole is passed over for the one before it.
    while (name.empty() && choice.kind == BackupChoice::Kind::Chosen &&
           !(index = VerifyBackup(choice.name, r.problem))) {
        r.skipped.push_back(choice.name);
        std::erase_if(backups, [&](const BackupEntry& b) { return b.name == choice.name; });
        choice = ChooseBackup(backups, name, today);
    }
    r.chosen = choice.name;
    switch (choice.kind) {
    case BackupChoice::Kind::Chosen:
        break;
    case BackupChoice::Kind::NewestDatedAfterToday:
        return RestoreResult::NewestDatedAfterToday;
    case BackupChoice::Kind::NotABackupName:
        r.chosen = name;
        r.problem = "its name is not a date YYYY-MM-DD (or YYYY-MM-DD-N) that exists";
        return RestoreResult::NotABackup;
    case BackupChoice::Kind::NoSuchBackup:
        if (name.empty() || !Exists(FolderOfBackup(name)))
            return RestoreResult::NoSuchBackup;
        r.chosen = name;
        (void)VerifyBackup(name, r.problem); // says what is wrong with it
        return RestoreResult::NotABackup;
    }
    if (!name.empty())
        index = VerifyBackup(choice.name, r.problem);
    if (!index)
        return RestoreResult::NotABackup;
    r.problem.clear();
    if (!ParseDate(today) || ::access(".", W_OK) != 0)
        return RestoreResult::NotWritten;

    const std::map<std::string, Identity> current = ScanUserFiles();
    std::string first;
    BackupBuilder before(today, true, nullptr);
    if (before.Run(&first) != BackupResult::Made)
        return RestoreResult::NotWritten;
    if (saved)
        *saved = first;

    const std::string folder = FolderOfBackup(choice.name);
    std::vector<std::string> restoredTargets;
    for (const auto& [file, entry] : index->files) {
        (void)entry;
        const std::string target = ResolveDataName(file);
        restoredTargets.push_back(target);
        const bool present = current.count(target) > 0;
        if (present && SameContent(folder + "/" + file, target)) {
            r.unchanged.push_back(target);
            continue;
        }
        if (!RestoreFile(folder + "/" + file, target))
            r.notWritten.push_back(target);
        else
            (present ? r.replaced : r.added).push_back(target);
    }
    for (const auto& file : current)
        if (std::find(restoredTargets.begin(), restoredTargets.end(), file.first) ==
            restoredTargets.end())
            r.kept.push_back(file.first);
    SyncFolder(".", false);
    return r.notWritten.empty() ? RestoreResult::Restored : RestoreResult::NotWritten;
}

} // namespace savorel
