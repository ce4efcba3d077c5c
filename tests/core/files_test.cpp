#include "core/files.h"
#include "support/read_only_folder.h"
#include "support/support.h"

#include <sys/wait.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <thread>

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;

namespace {

// What a reader of the FIFO receives (a plain read: ReadWholeFile refuses FIFOs).
std::string ReadBackFifo(const char* path) {
    std::string bytes;
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0)
        return bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

} // namespace

TEST(DataNames, RefusesNamesThatLeaveTheDataFolder) {
    for (const char* bad : {"", ".", "..", "../x.txt", "a/b.txt", "/etc/passwd", "x..txt"})
        EXPECT_FALSE(IsSafeDataName(bad)) << bad;
    for (const char* good : {"RET001.TXT", "xet12.txt", "virt-dir.txt", "a b.txt"})
        EXPECT_TRUE(IsSafeDataName(good)) << good;
    EXPECT_FALSE(IsSafeDataName(std::string_view("a\0b", 3)));
}

TEST(DataNames, OpensUnsafeNamesAsMissing) {
    TempDataDir dir;
    std::filesystem::create_directory("sub");
    WritePlain("sub/x.txt", "secret");
    EXPECT_EQ(OpenDataFile("sub/x.txt", "rb"), nullptr);
    EXPECT_EQ(OpenDataFile("../x.txt", "rb"), nullptr);
    EXPECT_EQ(DataFileSize("sub/x.txt"), -1);
}

TEST(DataNames, FallsBackToAnotherCaseOnlyWhenTheExactNameIsMissing) {
    TempDataDir dir;
    WritePlain("DICT.TXT", "upper");
    EXPECT_EQ(ResolveDataName("dict.txt"), "DICT.TXT");
    FilePtr f = OpenDataFile("dict.txt", "rb");
    ASSERT_NE(f, nullptr);
    WritePlain("dict.txt", "lower");
    EXPECT_EQ(ResolveDataName("dict.txt"), "dict.txt");
    EXPECT_EQ(ResolveDataName("none.txt"), "none.txt");
}

TEST(DataNames, SizeOfMissingFileIsMinusOne) {
    TempDataDir dir;
    EXPECT_EQ(DataFileSize("pers.txt"), -1);
    WritePlain("pers.txt", "12345");
    EXPECT_EQ(DataFileSize("pers.txt"), 5);
}

TEST(AtomicWrite, ReplacesWholeAndLeavesNoTemporaryFile) {
    TempDataDir dir;
    WritePlain("pref.txt", "old content");
    ASSERT_TRUE(WriteFileAtomically("pref.txt", std::string("new\0bytes", 9)));
    EXPECT_EQ(ReadBack("pref.txt"), std::string("new\0bytes", 9));
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("."))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(AtomicWrite, FailedWriteKeepsTheOldFile) {
    TempDataDir dir;
    WritePlain("pers.txt", "precious");
    SetWriteFaultHook([](std::size_t) { return false; });
    EXPECT_FALSE(WriteFileAtomically("pers.txt", "replacement"));
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(ReadBack("pers.txt"), "precious");
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("."))
        ++files;
    EXPECT_EQ(files, 1) << "the temporary file must be removed";
}

TEST(AtomicWrite, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    TempDataDir dir;
    WritePlain("pers.txt", "precious");
    {
        savorel::testing::ReadOnlyFolder readOnly;
        EXPECT_FALSE(WriteFileAtomically("pers.txt", "replacement"));
    }
    EXPECT_EQ(ReadBack("pers.txt"), "precious");
}

TEST(AtomicWrite, ProcessKilledBeforeTheRenameLeavesTheOldFileWhole) {
    TempDataDir dir;
    WritePlain("pref.txt", "old favourites\n");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Dies in the middle of writing the temporary file, as a killed process would.
        SetWriteFaultHook([](std::size_t) -> bool { _exit(0); });
        (void)WriteFileAtomically("pref.txt", std::string(100000, 'x')); // never returns
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(0, WEXITSTATUS(status)) << "the write must have been under way";
    EXPECT_EQ("old favourites\n", ReadBack("pref.txt"));
    // What the killed writer left is a stray temporary file, never the list itself.
    EXPECT_TRUE(WriteFileAtomically("pref.txt", "new\n"));
    EXPECT_EQ("new\n", ReadBack("pref.txt"));
}

TEST(AtomicWrite, DoesNotFollowAPlantedSymbolicLink) {
    TempDataDir dir;
    WritePlain("victim.txt", "untouched");
    ASSERT_EQ(::symlink("victim.txt", "reteta.htm"), 0);
    ASSERT_TRUE(WriteFileAtomically(dir.path() + "/reteta.htm", "page", false));
    EXPECT_EQ(ReadBack("victim.txt"), "untouched");
    EXPECT_EQ(ReadBack("reteta.htm"), "page");
    struct stat st {};
    ASSERT_EQ(::lstat("reteta.htm", &st), 0);
    EXPECT_FALSE(S_ISLNK(st.st_mode));
}

TEST(AtomicWrite, ReplacesAFileKnownUnderAnotherCase) {
    TempDataDir dir;
    WritePlain("PREF.TXT", "old");
    ASSERT_TRUE(WriteFileAtomically("pref.txt", "new"));
    EXPECT_EQ(ReadBack("PREF.TXT"), "new");
    EXPECT_FALSE(Exists("pref.txt") && Exists("PREF.TXT") &&
                 ReadBack("pref.txt") != ReadBack("PREF.TXT"));
}

TEST(AtomicWrite, CopyOfMissingSourceFailsWithoutTouchingTarget) {
    TempDataDir dir;
    WritePlain("pers.txt", "keep");
    EXPECT_FALSE(CopyFileAtomically("tmp.dat", "pers.txt"));
    EXPECT_EQ(ReadBack("pers.txt"), "keep");
    WritePlain("tmp.dat", "short");
    EXPECT_TRUE(CopyFileAtomically("tmp.dat", "pers.txt"));
    EXPECT_EQ(ReadBack("pers.txt"), "short");
}

TEST(AtomicWrite, AnswersWhyItFailed) {
    TempDataDir dir;
    WritePlain("pers.txt", "precious");
    std::filesystem::create_directory("folder");
    const struct {
        const char* path;
        bool fullDisk;
        WriteFailure failure;
        int error;
        const char* text;
    } cases[] = {
        {"pers.txt", true, WriteFailure::Write, ENOSPC, "no space left on the disk"},
        {"folder", false, WriteFailure::Folder, EISDIR, "is a folder"},
        {"none/x.txt", false, WriteFailure::Missing, ENOENT, "cannot be reached"},
    };
    for (const auto& c : cases) {
        if (c.fullDisk)
            SetWriteFaultHook([](std::size_t) { return false; });
        const WriteResult result = WriteFileAtomically(dir.path() + "/" + c.path, "new");
        SetWriteFaultHook(nullptr);
        EXPECT_FALSE(result) << c.path;
        EXPECT_EQ(result.failure, c.failure) << c.path;
        EXPECT_EQ(result.error, c.error) << c.path;
        EXPECT_FALSE(result.temporaryLeft) << c.path;
        EXPECT_NE(WriteFailureText(result).find(c.text), std::string::npos)
            << c.path << ": " << WriteFailureText(result);
    }
    EXPECT_EQ(ReadBack("pers.txt"), "precious");
    EXPECT_TRUE(std::filesystem::is_empty("folder"));
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("."))
        ++files;
    EXPECT_EQ(files, 2) << "no temporary copy may stay";
}

namespace {

std::string LinkTarget(const std::string& link) {
    std::error_code error;
    return std::filesystem::read_symlink(link, error).string();
}

bool IsRegular(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

// The file the user names as output: whatever stands under the name decides how it is
// written, and nothing that cannot be written is replaced by a regular file.
TEST(UserFile, WritesThroughWhatStandsUnderTheName) {
    const struct {
        const char* what;
        std::function<void()> plant;
        const char* path;
        WriteFailure failure;
        std::function<void()> check;
    } cases[] = {
        {"a new file", [] {}, "out.htm", WriteFailure::None,
         [] { EXPECT_EQ(ReadBack("out.htm"), "new page"); }},
        {"an old file, its permissions kept",
         [] {
             WritePlain("out.htm", "old page");
             ::chmod("out.htm", 0640);
         },
         "out.htm", WriteFailure::None,
         [] {
             EXPECT_EQ(ReadBack("out.htm"), "new page");
             struct stat st {};
             ASSERT_EQ(::stat("out.htm", &st), 0);
             EXPECT_EQ(st.st_mode & 07777, 0640u);
         }},
        {"a link to a file",
         [] {
             WritePlain("real.htm", "old page");
             ASSERT_EQ(::symlink("real.htm", "out.htm"), 0);
         },
         "out.htm", WriteFailure::None,
         [] {
             EXPECT_EQ(LinkTarget("out.htm"), "real.htm");
             EXPECT_EQ(ReadBack("real.htm"), "new page");
         }},
        {"a chain of links into another folder, its last file still to be made",
         [] {
             std::filesystem::create_directory("docs");
             ASSERT_EQ(::symlink("docs/second", "out.htm"), 0);
             ASSERT_EQ(::symlink("page.htm", "docs/second"), 0);
         },
         "out.htm", WriteFailure::None,
         [] {
             EXPECT_EQ(LinkTarget("docs/second"), "page.htm");
             EXPECT_TRUE(IsRegular("docs/page.htm"));
             EXPECT_EQ(ReadBack("docs/page.htm"), "new page");
         }},
        {"a link to /dev/null", [] { ASSERT_EQ(::symlink("/dev/null", "out.htm"), 0); }, "out.htm",
         WriteFailure::None, [] { EXPECT_EQ(LinkTarget("out.htm"), "/dev/null"); }},
        {"a link to a full device", [] { ASSERT_EQ(::symlink("/dev/full", "out.htm"), 0); },
         "out.htm", WriteFailure::Write, [] { EXPECT_EQ(LinkTarget("out.htm"), "/dev/full"); }},
        {"a full device named directly", [] {}, "/dev/full", WriteFailure::Write, [] {}},
        {"a folder",
         [] {
             std::filesystem::create_directory("out.htm");
             WritePlain("out.htm/inside", "kept");
         },
         "out.htm", WriteFailure::Folder, [] { EXPECT_EQ(ReadBack("out.htm/inside"), "kept"); }},
        {"a link to a folder",
         [] {
             std::filesystem::create_directory("docs");
             ASSERT_EQ(::symlink("docs", "out.htm"), 0);
         },
         "out.htm", WriteFailure::Folder,
         [] {
             EXPECT_EQ(LinkTarget("out.htm"), "docs");
             EXPECT_TRUE(std::filesystem::is_empty("docs"));
         }},
        {"a link that leads to itself", [] { ASSERT_EQ(::symlink("out.htm", "out.htm"), 0); },
         "out.htm", WriteFailure::Missing, [] { EXPECT_EQ(LinkTarget("out.htm"), "out.htm"); }},
        {"a folder that does not exist", [] {}, "none/out.htm", WriteFailure::Missing,
         [] { EXPECT_FALSE(Exists("none")); }},
        {"a read-only file in a folder the user may not write",
         [] {
             std::filesystem::create_directory("locked");
             WritePlain("locked/out.htm", "old page");
             ::chmod("locked/out.htm", 0444);
             ::chmod("locked", 0555);
             ::chmod(".", 0755); // open to the other user the test becomes
         },
         "locked/out.htm", WriteFailure::ReadOnly,
         [] {
             EXPECT_EQ(ReadBack("locked/out.htm"), "old page");
             ::chmod("locked", 0755);
         }},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        c.plant();
        WriteResult result;
        {
            // Root writes anywhere: the locked folder is tried as another user.
            std::optional<savorel::testing::AsOtherUser> other;
            if (std::string_view(c.path).rfind("locked/", 0) == 0)
                other.emplace();
            result = WriteUserFile(c.path, "new page");
        }
        EXPECT_EQ(result.failure, c.failure) << c.what << ": " << WriteFailureText(result);
        EXPECT_EQ(static_cast<bool>(result), c.failure == WriteFailure::None) << c.what;
        c.check();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().filename().string().find(".htm."), std::string::npos)
                << c.what << ": a temporary copy stayed: " << entry.path();
    }
}

TEST(UserFile, AFullDiskKeepsTheOldFileAndIsAFailure) {
    TempDataDir dir;
    WritePlain("real.pdf", "old pdf");
    ASSERT_EQ(::symlink("real.pdf", "out.pdf"), 0);
    for (const std::size_t allowed : {std::size_t{0}, std::size_t{1}}) {
        std::size_t writes = 0;
        // The second case lets the first piece through: the disk fills up half-way.
        SetWriteFaultHook([&](std::size_t) { return writes++ < allowed; });
        const WriteResult result = WriteUserFile("out.pdf", std::string(1 << 20, 'p'));
        SetWriteFaultHook(nullptr);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.failure, WriteFailure::Write);
        EXPECT_EQ(result.error, ENOSPC);
        EXPECT_TRUE(ReadBack("real.pdf") == "old pdf") << "after " << allowed << " writes";
    }
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("."))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST(UserFile, WritesIntoAFifoAndLeavesItThere) {
    TempDataDir dir;
    ASSERT_EQ(::mkfifo("out.pdf", 0600), 0);
    std::string got;
    std::thread reader([&] { got = ReadBackFifo("out.pdf"); });
    const WriteResult result = WriteUserFile("out.pdf", std::string(200000, 'f'));
    reader.join();
    EXPECT_TRUE(result) << WriteFailureText(result);
    EXPECT_EQ(got, std::string(200000, 'f'));
    struct stat st {};
    ASSERT_EQ(::lstat("out.pdf", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(Compare, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase("RET001.TXT", "ret001.txt"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("\xe3", "\xc3")); // a-breve: not folded
    EXPECT_FALSE(EqualsIgnoreAsciiCase("ab", "abc"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("[", "{")); // differ by 32 but are not letters
}
