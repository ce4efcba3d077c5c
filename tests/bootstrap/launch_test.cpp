// The bootstrap's road around the extraction: the temporary and KIT folders, its own path,
// and the start of the installer.
#include "bootstrap/launch.h"
#include "payload_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <thread>

namespace bootstrap {
namespace {

using testing::Exists;
using testing::MarkingInstaller;
using testing::PatternBytes;
using testing::ReadFile;
using testing::ScratchFolder;
using testing::TestPayload;
using testing::WaitForFile;
using testing::WriteFile;

// An environment of the test's own: unset names answer null.
EnvLookup Env(std::map<std::string, std::string> values) {
    auto shared = std::make_shared<std::map<std::string, std::string>>(std::move(values));
    return [shared](const char* name) -> const char* {
        const auto it = shared->find(name);
        return it == shared->end() ? nullptr : it->second.c_str();
    };
}

std::string Canonical(const std::string& path) {
    return std::filesystem::canonical(path).string();
}

struct NullSink final : ExtractionSink {
    std::vector<Message> messages;
    int written = 0;
    void Show(const Message& m) override { messages.push_back(m); }
    void BeginFiles(int) override {}
    void FileWritten() override { ++written; }
};

TEST(CommandLine, ThePathIsTakenFromTheSecondCharacterToTheNextQuote) {
    const struct {
        const char* commandLine;
        const char* path;
    } cases[] = {
        {"\"C:\\Program Files\\Savorel\\bootstrap.exe\" /x",
         "C:\\Program Files\\Savorel\\bootstrap.exe"},
        {"\"/home/ana/Descarcari/savorel setup\"", "/home/ana/Descarcari/savorel setup"},
        {"\"/no/closing quote here", "/no/closing quote here"},
        {"/usr/bin/savorel-setup --now", "usr/bin/savorel-setup --now"}, // not quoted
        {"\"\"", ""},
        {"\"", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OwnPathFromCommandLine(c.commandLine), c.path) << c.commandLine;
}

TEST(OwnProgram, IsTheRunningTestsOwnFile) {
    EXPECT_EQ(Canonical(OwnProgramPath()), Canonical("/proc/self/exe"));
}

TEST(TempFolder, TempThenTmpAsTheyStandThenAnOwnTmpdirThenAPrivateFolder) {
    ScratchFolder a, b, shared, runtime, system;
    ::chmod(a.path().c_str(), 0700);
    ::chmod(shared.path().c_str(), 01777); // as /tmp is: every account writes there
    const std::string missing = a / "no such folder";
    const std::string privateOne = system / ("savorel-" + std::to_string(::geteuid()));
    const struct {
        const char* what;
        std::map<std::string, std::string> env;
        std::string expected;
    } cases[] = {
        {"TEMP set", {{"TEMP", a.path()}, {"TMP", b.path()}}, a.path()},
        {"TEMP empty, TMP set", {{"TEMP", ""}, {"TMP", b.path()}}, b.path()},
        {"TEMP unset, TMP set", {{"TMP", b.path()}, {"TMPDIR", a.path()}}, b.path()},
        {"TEMP names no folder: taken as it stands", {{"TEMP", missing}}, missing},
        {"both empty: an own TMPDIR", {{"TEMP", ""}, {"TMP", ""}, {"TMPDIR", a.path()}}, a.path()},
        {"a shared TMPDIR: the private folder", {{"TMPDIR", shared.path()}}, privateOne},
        {"TMPDIR no folder: the private folder", {{"TMPDIR", missing}}, privateOne},
        {"XDG_RUNTIME_DIR: its savorel folder",
         {{"XDG_RUNTIME_DIR", runtime.path()}},
         runtime / "savorel"},
        {"XDG_RUNTIME_DIR not absolute: the private folder",
         {{"XDG_RUNTIME_DIR", "run/user"}},
         privateOne},
        {"nothing set: the private folder", {}, privateOne},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseTempFolder(Env(c.env), system.path()), c.expected) << c.what;
    struct stat st {};
    ASSERT_EQ(::lstat(privateOne.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    EXPECT_EQ(ChooseTempFolder(Env({}), missing), std::nullopt);
    EXPECT_EQ(ChooseTempFolder(Env({{"TMPDIR", ""}}), missing), std::nullopt);
}

TEST(TempFolder, APrivateFolderAnotherAccountHoldsIsNeverUsed) {
    ScratchFolder system, elsewhere;
    const std::string name = system / ("savorel-" + std::to_string(::geteuid()));
    // What another account can leave under the name: a link to its own folder, or a file.
    std::filesystem::create_directory_symlink(elsewhere.path(), name);
    const auto first = ChooseTempFolder(Env({}), system.path());
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->rfind(name + "-", 0), 0u) << *first;
    struct stat st {};
    ASSERT_EQ(::lstat(first->c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));

    std::filesystem::remove(name);
    WriteFile(name, "theirs");
    const auto second = ChooseTempFolder(Env({}), system.path());
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->rfind(name + "-", 0), 0u) << *second;
    EXPECT_NE(*second, *first);
    EXPECT_EQ(ReadFile(name), "theirs");
}

TEST(KitFolder, PathAddsTheSeparatorAlways) {
    EXPECT_EQ(KitFolderPath("/tmp"), "/tmp/KIT");
    EXPECT_EQ(KitFolderPath("/tmp/"), "/tmp//KIT");
}

TEST(KitFolder, IsMadePrivateAndOneOfOurOwnThatExistsIsNoError) {
    ScratchFolder scratch;
    const std::string kit = scratch / "KIT";
    EXPECT_EQ(PrepareKitFolder(kit), KitFolder::Ready);
    struct stat st {};
    ASSERT_EQ(::stat(kit.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    WriteFile(kit + "/old", "old");
    EXPECT_EQ(PrepareKitFolder(kit), KitFolder::Ready);
    EXPECT_EQ(ReadFile(kit + "/old"), "old");

    EXPECT_EQ(PrepareKitFolder(scratch / "no/such/KIT"), KitFolder::Missing);
}

TEST(KitFolder, OneThatOthersCouldHaveMadeOrChangedIsNeverUsed) {
    ScratchFolder scratch;
    std::filesystem::create_directory(scratch / "elsewhere");
    std::filesystem::create_directory_symlink(scratch / "elsewhere", scratch / "link");
    EXPECT_EQ(PrepareKitFolder(scratch / "link"), KitFolder::Foreign);

    WriteFile(scratch / "file", "");
    EXPECT_EQ(PrepareKitFolder(scratch / "file"), KitFolder::Foreign);

    std::filesystem::create_directory(scratch / "open");
    ::chmod((scratch / "open").c_str(), 0777);
    EXPECT_EQ(PrepareKitFolder(scratch / "open"), KitFolder::Foreign);
}

TEST(Installer, StartsInTheKitFolderWithNoArgumentsAndIsNotWaitedFor) {
    ScratchFolder scratch;
    const std::string kit = scratch / "KIT";
    std::filesystem::create_directory(kit);
    const std::string mark = scratch / "mark";
    // Written as the extraction writes it: a plain file, not executable. It takes its time,
    // so a start that waited for it would show.
    WriteFile(kit + "/install.exe", MarkingInstaller(mark, 1));
    ::chmod((kit + "/install.exe").c_str(), 0644);

    const auto start = std::chrono::steady_clock::now();
    StartInstaller(kit);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    EXPECT_FALSE(Exists(mark));

    ASSERT_TRUE(WaitForFile(mark, 10));
    EXPECT_EQ(ReadFile(mark), Canonical(kit) + "\n0\n");
}

TEST(Installer, AMissingInstallerIsNoError) {
    ScratchFolder scratch;
    StartInstaller(scratch.path());
    StartInstaller(scratch / "no KIT");
    EXPECT_FALSE(Exists(scratch / "install.exe"));
}

class Road : public ::testing::Test {
protected:
    ScratchFolder scratch;
    const std::string temp = scratch / "user temp";
    const std::string kit = temp + "/KIT";
    const std::string self = scratch / "dl/savorel setup";
    const std::string mark = scratch / "mark";
    NullSink sink;

    void SetUp() override {
        std::filesystem::create_directories(temp);
        std::filesystem::create_directories(scratch / "dl");
    }
};

TEST_F(Road, AShortProgramFileStillStartsTheInstaller) {
    const TestPayload payload({{"install.exe", MarkingInstaller(mark)},
                               {"dict.txt", PatternBytes(3000, 1)},
                               {"cook.xxx", PatternBytes(9000, 2)}});
    payload.WriteProgram(self, PayloadOffset, -10000);
    RunBootstrap(payload.Table(), Env({{"TEMP", temp}}), self, sink);
    EXPECT_EQ(ReadFile(kit + "/dict.txt").size(), 2000u);
    EXPECT_EQ(ReadFile(kit + "/cook.xxx"), "");
    EXPECT_TRUE(WaitForFile(mark, 10));
}

TEST_F(Road, WithoutTempOrTmpItExtractsIntoThePrivateFolderAndStartsTheInstallerThere) {
    const std::string runtime = scratch / "run user";
    std::filesystem::create_directory(runtime);
    const std::string privateKit = runtime + "/savorel/KIT";
    const TestPayload payload({{"install.exe", MarkingInstaller(mark)}, {"dict.txt", "d"}});
    payload.WriteProgram(self);
    RunBootstrap(payload.Table(), Env({{"XDG_RUNTIME_DIR", runtime}, {"TMPDIR", "/tmp"}}), self,
                 sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(ReadFile(privateKit + "/dict.txt"), "d");
    ASSERT_TRUE(WaitForFile(mark, 10));
    EXPECT_EQ(ReadFile(mark), Canonical(privateKit) + "\n0\n");
}

TEST_F(Road, AFailedExtractionStillStartsAnInstallerLeftByAnEarlierRun) {
    std::filesystem::create_directory(kit);
    WriteFile(kit + "/install.exe", MarkingInstaller(mark));
    const TestPayload payload({{"install.exe", "never read"}});
    RunBootstrap(payload.Table(), Env({{"TEMP", temp}}), scratch / "gone", sink);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, std::string("1. Can't open file"));
    EXPECT_TRUE(WaitForFile(mark, 10));
}

TEST_F(Road, AKitFolderThatIsNotOursStopsTheRoadBeforeAnyWriteOrStart) {
    const std::string theirs = scratch / "theirs";
    std::filesystem::create_directory(theirs);
    WriteFile(theirs + "/install.exe", MarkingInstaller(mark));
    ::chmod((theirs + "/install.exe").c_str(), 0755);
    std::filesystem::create_directory_symlink(theirs, kit);
    const TestPayload payload({{"install.exe", "ours"}, {"dict.txt", "d"}});
    payload.WriteProgram(self);

    RunBootstrap(payload.Table(), Env({{"TEMP", temp}}), self, sink);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, kit);
    EXPECT_EQ(sink.messages[0].text, "1. Can't open file for writing!");
    EXPECT_EQ(sink.written, 0);
    EXPECT_FALSE(Exists(theirs + "/dict.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(Exists(mark));
}

} // namespace
} // namespace bootstrap
