#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace savorel {

// Closes the stream when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A name taken from a data file or a list entry may only name a file of the data folder.
bool IsSafeDataName(std::string_view name);

// The name as it exists in the data folder: exact when present, otherwise the first entry
// that equals it ignoring ASCII case, otherwise the name unchanged.
std::string ResolveDataName(std::string_view name);

// Opens a file of the data folder (the current directory) by its bare name. Unsafe names and
// anything but a regular file are treated as files that cannot be opened.
[[nodiscard]] FilePtr OpenDataFile(std::string_view name, const char* mode);

// Opens any path with an fopen mode (temporary folder files).
[[nodiscard]] FilePtr OpenPath(const std::string& path, const char* mode);

// open(2) of a path that answers a descriptor only for a regular file. A FIFO, a device or a
// folder is never waited on nor read: it is closed again and answered as missing (ENOENT).
// Every opener here goes through it, so a planted special file cannot hang or flood a reader.
// `size`, when given, receives the file's size when it was opened.
[[nodiscard]] int OpenRegularFile(const std::string& path, int flags, long long* size = nullptr);

// Size in bytes of a data file, or -1 when it cannot be opened.
[[nodiscard]] long long DataFileSize(std::string_view name);

// Whole regular files only (see OpenRegularFile).
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& out);
[[nodiscard]] bool ReadWholeDataFile(std::string_view name, std::string& out);

// Why a whole-file write did not happen. Every failure leaves the old file as it was.
enum class WriteFailure {
    None,
    Folder,    // the name is a folder
    ReadOnly,  // a file the user may not write (made read-only, or the folder forbids it)
    Missing,   // the name leads nowhere: a link out of the data folder, a folder that is not there
    Temporary, // no temporary copy could be made beside the file
    Permissions, // the copy could not be given the old file's permissions
    Write,       // a write failed or wrote less than asked (a full disk)
    Sync,        // the bytes did not reach the disk
    Rename,      // the copy could not take the old file's place
    Open,        // a FIFO, device or other special file could not be opened
};

// The answer of every whole-file write: the failure, the errno of the call that failed, and
// whether the temporary copy could not be removed again (a name the user finds lying about).
struct [[nodiscard]] WriteResult {
    WriteFailure failure = WriteFailure::None;
    int error = 0;
    bool temporaryLeft = false;

    explicit operator bool() const { return failure == WriteFailure::None; }
};

// One line for a user: what went wrong and the system's word for it ("is a folder",
// "no space left on the disk (No space left on device)").
std::string WriteFailureText(const WriteResult& result);

// Whole-file replacement: a temporary file in the same folder (created exclusively, so no
// symbolic link is followed), written, flushed and synced, then renamed over `path`. A file
// the user cannot write (made read-only) is not replaced, as the platform's copy does. A crash
// at any point leaves either the old file or the new one, never a mixture. `sync` false skips
// the syncs, for generated files whose loss costs nothing.
WriteResult WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync = true);

// A whole-file replacement in two steps, for changes of several files that must land
// together: Stage writes the temporary copy beside the file (synced unless told not to), and
// Commit renames it over the file. Every copy is staged before any is committed, so a full
// disk is met before anything changed; an uncommitted copy is removed when the object goes.
class StagedFile final {
public:
    StagedFile() = default;
    ~StagedFile() { Discard(); }
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    WriteResult Stage(const std::string& path, std::string_view bytes, bool sync = true);
    WriteResult Commit();
    void Discard();
    const std::string& Target() const { return m_target; }

private:
    std::string m_target;
    std::string m_temp;
};

// Makes every change of the file system that holds `folder` durable at once (one syncfs
// instead of an fsync per file). False when it could not be done.
bool SyncFileSystemOf(const std::string& folder);
// Makes the names of a folder's entries (renames, new files) durable.
bool SyncFolder(const std::string& folder);

// A file the user names as output (a PDF, an export, a page): written through symbolic links
// (the link stays, what it leads to gets the bytes), into a FIFO or a device as it stands, and
// a regular file replaced only once the new one is complete (WriteFileAtomically). A folder or
// anything else that cannot be written is refused and left alone.
WriteResult WriteUserFile(const std::string& path, std::string_view bytes, bool sync = true);

// Creates a working file of the data folder afresh for writing: whatever lies under its name
// (a link above all, which must never be followed) is removed first, and the new file is
// created exclusively. Null when it cannot be created.
[[nodiscard]] FilePtr CreateFreshDataFile(std::string_view name);

// Whether anything at all stands under that name in the data folder (in any letter case): a
// file, a folder, a link, even one that leads nowhere.
bool DataEntryExists(std::string_view name);

// Removes the temporary copies ("NAME.XXXXXX") that an interrupted whole-file replacement
// left in the data folder, for the names it writes. Only copies older than a minute go: a
// second copy of the program may be writing one right now.
void RemoveStaleWorkingCopies();

// Copies src over dst with the same guarantee (the platform's "copy, overwriting allowed").
// An unreadable src answers Missing.
WriteResult CopyFileAtomically(const std::string& src, const std::string& dst, bool sync = true);

// Test hook for fault injection: when set, called before each write with the number of bytes
// about to be written; answering false makes that write fail as a full disk would.
using WriteFaultHook = std::function<bool(std::size_t bytes)>;
void SetWriteFaultHook(WriteFaultHook hook);

// Compares ignoring the case of ASCII letters only.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
inline char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
inline bool IsAsciiDigit(int c) {
    return c >= '0' && c <= '9';
}

} // namespace savorel
