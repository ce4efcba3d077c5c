#include "core/files.h"
#include "support/read_only_folder.h"
#include "support/support.h"

#include <sys/wait.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;

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

TEST(Compare, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase("RET001.TXT", "ret001.txt"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("\xe3", "\xc3")); // a-breve: not folded
    EXPECT_FALSE(EqualsIgnoreAsciiCase("ab", "abc"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("[", "{")); // differ by 32 but are not letters
}
