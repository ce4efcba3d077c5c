#include "core/files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace savorel {

namespace {

WriteFaultHook& FaultHook() {
    static WriteFaultHook hook;
    return hook;
}

// Writes every byte; 0, or the errno of the write that failed. A write that takes nothing
// (a full device that does not say so) counts as a full disk.
int WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        // In bounded pieces: a disk that fills half-way is met (and tested) half-way.
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1 << 16);
        if (FaultHook() && !FaultHook()(chunk))
            return ENOSPC;
        const ssize_t n = ::write(fd, bytes.data() + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

WriteResult Failed(WriteFailure failure, int error) {
    WriteResult result;
    result.failure = failure;
    result.error = error;
    return result;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

bool IsSafeDataName(std::string_view name) {
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos)
        return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

namespace {

// A symbolic link in the data folder may lead only to a file of the data folder: names come
// from files that users copy around, and a planted link must not read or replace files
// elsewhere. Links that lead outside are answered with a name nothing can open.
std::string InsideOnly(std::string path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* target = ::realpath(path.c_str(), nullptr);
    char* folder = ::realpath(".", nullptr);
    bool inside = false;
    if (target && folder) {
        const std::string prefix = std::string(folder) + "/";
        inside = std::string_view(target).substr(0, prefix.size()) == prefix;
    }
    std::free(target);
    std::free(folder);
    return inside || !target ? path : std::string();
}

} // namespace

std::string ResolveDataName(std::string_view name) {
    std::string exact(name);
    struct stat st {};
    if (::lstat(exact.c_str(), &st) == 0)
        return InsideOnly(exact);
    DIR* dir = ::opendir(".");
    if (!dir)
        return exact;
    std::string found = exact;
    while (dirent* entry = ::readdir(dir)) {
        if (EqualsIgnoreAsciiCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return InsideOnly(found);
}

namespace {

// The open(2) flags of an fopen mode ("rb", "r+b", "wb", "a+b", "wxb" ...).
int FlagsOfMode(const char* mode) {
    const bool update = std::strchr(mode, '+') != nullptr;
    int flags = 0;
    switch (mode[0]) {
    case 'w':
        flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        break;
    case 'a':
        flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
        break;
    default:
        flags = update ? O_RDWR : O_RDONLY;
        break;
    }
    if (std::strchr(mode, 'x'))
        flags |= O_EXCL;
    return flags;
}

// Reads the descriptor to its end and closes it.
bool ReadAndClose(int fd, std::string& out) {
    out.clear();
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}

} // namespace

int OpenRegularFile(const std::string& path, int flags, long long* size) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes; a device node
    // (a terminal, /dev/zero) would be read without end. On a regular file O_NONBLOCK changes
    // nothing, so it stays set: the search opens thousands of files and counts system calls.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = ENOENT; // answered as a file that is not there
        return -1;
    }
    if (size)
        *size = static_cast<long long>(st.st_size);
    return fd;
}

FilePtr OpenDataFile(std::string_view name, const char* mode) {
    if (!IsSafeDataName(name)) {
        errno = EINVAL;
        return nullptr;
    }
    return OpenPath(ResolveDataName(name), mode);
}

FilePtr OpenPath(const std::string& path, const char* mode) {
    const int fd = OpenRegularFile(path, FlagsOfMode(mode));
    if (fd < 0)
        return nullptr;
    FilePtr f(::fdopen(fd, mode));
    if (!f)
        ::close(fd);
    return f;
}

long long DataFileSize(std::string_view name) {
    if (!IsSafeDataName(name))
        return -1;
    const int fd = OpenRegularFile(ResolveDataName(name), O_RDONLY);
    if (fd < 0)
        return -1;
    struct stat st {};
    const long long size = ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    ::close(fd);
    return size;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    return fd >= 0 && ReadAndClose(fd, out);
}

bool ReadWholeDataFile(std::string_view name, std::string& out) {
    if (!IsSafeDataName(name))
        return false;
    return ReadWholeFile(ResolveDataName(name), out);
}

std::string WriteFailureText(const WriteResult& result) {
    const char* what = "";
    switch (result.failure) {
    case WriteFailure::None:
        return "written";
    case WriteFailure::Folder:
        what = "is a folder, not a file";
        break;
    case WriteFailure::ReadOnly:
        what = "may not be written";
        break;
    case WriteFailure::Missing:
        what = "cannot be reached";
        break;
    case WriteFailure::Temporary:
        what = "no new file can be made beside it";
        break;
    case WriteFailure::Permissions:
        what = "the new file cannot be given the old one's permissions";
        break;
    case WriteFailure::Write:
        what = result.error == ENOSPC || result.error == EDQUOT ? "no space left on the disk"
                                                                : "the writing failed";
        break;
    case WriteFailure::Sync:
        what = "the file did not reach the disk";
        break;
    case WriteFailure::Rename:
        what = "the new file cannot take the old one's place";
        break;
    case WriteFailure::Open:
        what = "cannot be opened for writing";
        break;
    }
    std::string text = what;
    if (result.error != 0)
        text += std::string(" (") + std::strerror(result.error) + ")";
    if (result.temporaryLeft)
        text += "; a temporary copy was left beside it";
    return text;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_target(std::move(other.m_target)), m_temp(std::move(other.m_temp)) {
    other.m_temp.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        Discard();
        m_target = std::move(other.m_target);
        m_temp = std::move(other.m_temp);
        other.m_temp.clear();
    }
    return *this;
}

void StagedFile::Discard() {
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
}

WriteResult StagedFile::Stage(const std::string& path, std::string_view bytes, bool sync) {
    Discard();
    std::string target = path;
    // Replace the file under the name it already has (a data folder from a case-insensitive
    // disk), so that no second copy under another case appears.
    if (path.find('/') == std::string::npos)
        target = ResolveDataName(path);
    if (target.empty())
        return Failed(WriteFailure::Missing, ENOENT);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return Failed(WriteFailure::Folder, EISDIR);
    // The effective user's right, as the open would check it (access() asks for the real one).
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return Failed(WriteFailure::ReadOnly, errno);
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Failed(errno == ENOENT || errno == ENOTDIR ? WriteFailure::Missing
                                                          : WriteFailure::Temporary,
                      errno);
    WriteResult result;
    const mode_t mode = exists ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0)
        result = Failed(WriteFailure::Permissions, errno);
    else if (const int error = WriteAll(fd, bytes); error != 0)
        result = Failed(WriteFailure::Write, error);
    else if (sync && ::fsync(fd) != 0)
        result = Failed(WriteFailure::Sync, errno);
    // close can be the first to hear of a full disk (network and quota file systems).
    if (::close(fd) != 0 && result)
        result = Failed(WriteFailure::Write, errno);
    if (!result) {
        result.temporaryLeft = ::unlink(temp.c_str()) != 0 && errno != ENOENT;
        return result;
    }
    m_target = std::move(target);
    m_temp = std::move(temp);
    return result;
}

WriteResult StagedFile::Commit() {
    if (m_temp.empty())
        return Failed(WriteFailure::Temporary, ENOENT);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        WriteResult result = Failed(WriteFailure::Rename, errno);
        result.temporaryLeft = ::unlink(m_temp.c_str()) != 0 && errno != ENOENT;
        m_temp.clear();
        return result;
    }
    m_temp.clear();
    return WriteResult();
}

bool SyncFileSystemOf(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

bool SyncFolder(const std::string& folder) {
    // A folder that cannot be opened or synced at all (some file systems refuse) says nothing
    // about the files, which are in place.
    const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0)
        return true;
    const bool ok = ::fsync(dirfd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(dirfd);
    return ok;
}

WriteResult WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync) {
    StagedFile staged;
    if (WriteResult result = staged.Stage(path, bytes, sync); !result)
        return result;
    const std::string folder = FolderOf(staged.Target());
    WriteResult result = staged.Commit();
    // Make the rename itself durable.
    if (result && sync && !SyncFolder(folder))
        result = Failed(WriteFailure::Sync, errno);
    return result;
}

namespace {

// Where a chain of symbolic links ends, even when its last name does not exist yet (a link
// to a file still to be made). Empty when the chain is too long or a link cannot be read.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            return std::string();
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/')
            target = FolderOf(path) + "/" + target;
        path = target;
    }
    return std::string();
}

} // namespace

WriteResult WriteUserFile(const std::string& path, std::string_view bytes, bool sync) {
    if (path.empty())
        return Failed(WriteFailure::Missing, ENOENT);
    // A bare name is the caller's file, not a data file looked up in another case.
    const std::string named = path.find('/') == std::string::npos ? "./" + path : path;
    const std::string target = FollowLinks(named);
    if (target.empty())
        return Failed(WriteFailure::Missing, ELOOP);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return WriteFileAtomically(target, bytes, sync);
    if (S_ISDIR(st.st_mode))
        return Failed(WriteFailure::Folder, EISDIR);
    // A FIFO, a device: the caller's chosen destination, written into as it stands, never
    // replaced by a regular file. Opening a FIFO waits for its reader, as a shell's > does.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Failed(errno == EACCES || errno == EPERM || errno == EROFS ? WriteFailure::ReadOnly
                                                                          : WriteFailure::Open,
                      errno);
    WriteResult result;
    if (const int error = WriteAll(fd, bytes); error != 0)
        result = Failed(WriteFailure::Write, error);
    if (::close(fd) != 0 && result)
        result = Failed(WriteFailure::Write, errno);
    return result;
}

WriteResult CopyFileAtomically(const std::string& src, const std::string& dst, bool sync) {
    std::string bytes;
    if (!ReadWholeFile(src, bytes))
        return Failed(WriteFailure::Missing, errno);
    return WriteFileAtomically(dst, bytes, sync);
}

FilePtr CreateFreshDataFile(std::string_view name) {
    if (!IsSafeDataName(name)) {
        errno = EINVAL;
        return nullptr;
    }
    const std::string path = ResolveDataName(name);
    if (path.empty())
        return nullptr;
    int fd = -1;
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } else {
        // A folder that lets nothing be removed: a plain file of ours left writable there
        // is still written, a link never.
        fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f)
        ::close(fd);
    return FilePtr(f);
}

bool DataEntryExists(std::string_view name) {
    if (!IsSafeDataName(name))
        return false;
    struct stat st {};
    const std::string exact(name);
    if (::lstat(exact.c_str(), &st) == 0)
        return true;
    DIR* dir = ::opendir(".");
    if (!dir)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(dir))
        if (EqualsIgnoreAsciiCase(entry->d_name, name)) {
            found = true;
            break;
        }
    ::closedir(dir);
    return found;
}

namespace {

// The names whole-file replacements write in the data folder, and the recipe files xetN.txt.
bool IsReplacedName(std::string_view name) {
    for (const std::string_view known :
         {"pers.txt", "pref.txt", "virt-dir.txt", "temp.dat", "tmp.dat", "cook.ini", "reteta.tmp"})
        if (EqualsIgnoreAsciiCase(name, known))
            return true;
    if (name.size() < 8 || !EqualsIgnoreAsciiCase(name.substr(0, 3), "xet") ||
        !EqualsIgnoreAsciiCase(name.substr(name.size() - 4), ".txt"))
        return false;
    for (const char c : name.substr(3, name.size() - 7))
        if (!IsAsciiDigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool IsTemporaryCopyName(std::string_view name) {
    // mkostemp's six letters and digits after the name and a dot.
    if (name.size() < 8 || name[name.size() - 7] != '.')
        return false;
    for (const char c : name.substr(name.size() - 6))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return IsReplacedName(name.substr(0, name.size() - 7));
}

} // namespace

void RemoveStaleWorkingCopies() {
    DIR* dir = ::opendir(".");
    if (!dir)
        return;
    const time_t now = ::time(nullptr);
    while (dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (!IsTemporaryCopyName(entry->d_name) || ::lstat(entry->d_name, &st) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || now - st.st_mtime < 60)
            continue;
        ::unlink(entry->d_name);
    }
    ::closedir(dir);
}

void SetWriteFaultHook(WriteFaultHook hook) {
    FaultHook() = std::move(hook);
}

} // namespace savorel
