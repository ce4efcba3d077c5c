// The payload tables and the extraction: bytes, folders, short and long program files, and
// every message with its caption.
#include "bootstrap/payload.h"
#include "payload_builder.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bootstrap {
namespace {

using testing::Exists;
using testing::PatternBytes;
using testing::ReadFile;
using testing::ScratchFolder;
using testing::TestPayload;
using testing::WriteFile;

struct RecordingSink final : ExtractionSink {
    std::vector<Message> messages;
    int beginCalls = 0;
    int range = -1;
    int written = 0;
    bool writtenBeforeBegin = false;

    void Show(const Message& message) override { messages.push_back(message); }
    void BeginFiles(int count) override {
        ++beginCalls;
        range = count;
    }
    void FileWritten() override {
        writtenBeforeBegin = writtenBeforeBegin || beginCalls == 0;
        ++written;
    }
};

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

std::size_t EntryCount(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

class Extraction : public ::testing::Test {
protected:
    Extraction() { std::filesystem::create_directory(kit); }

    int Extract(const TestPayload& payload, std::int64_t offset = PayloadOffset) {
        return ExtractPayload(payload.Table(), kit, self, offset, sink);
    }
    void ExpectOneMessage(const std::optional<std::string>& caption, const std::string& text) {
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].caption, caption);
        EXPECT_EQ(sink.messages[0].text, text);
    }

    ScratchFolder scratch;
    const std::string kit = scratch / "KIT";
    const std::string self = scratch / "savorel setup"; // a program path with a space
    RecordingSink sink;
};

TEST(PayloadTables, WalkCountsNamesToTheNullEntryAndAddsTheirSizes) {
    const char* const names[] = {"install.exe", "coffee.gif", "cook.xxx", nullptr, "after"};
    const std::int32_t sizes[] = {167936, 1884, 593920, 99};
    const PayloadTotals totals = WalkPayload({names, sizes});
    EXPECT_EQ(totals.files, 3);
    EXPECT_EQ(totals.bytes, 167936 + 1884 + 593920);

    const char* const none[] = {nullptr};
    EXPECT_EQ(WalkPayload({none, sizes}).files, 0);
    EXPECT_EQ(WalkPayload({none, sizes}).bytes, 0);
}

TEST(PayloadTables, OffsetIsAWholeNumberOfBlocks) {
    static_assert(PayloadOffset >= 32768 && PayloadOffset % 32768 == 0);
    EXPECT_EQ(PayloadOffset % 32768, 0);
}

TEST_F(Extraction, EveryFileComesOutByteForByteWithOneStepEach) {
    // Sizes around the copy's buffer and none at all: every boundary of the copy is crossed.
    const TestPayload payload({{"install.exe", PatternBytes(5000, 1)},
                               {"coffee.gif", PatternBytes(996, 2)},
                               {"CALORII.TXT", PatternBytes(1, 3)},
                               {"empty.txt", ""},
                               {"big.bin", PatternBytes((3 << 20) + 17, 4)},
                               {"cook.xxx", PatternBytes(70000, 5)}});
    payload.WriteProgram(self);

    EXPECT_EQ(Extract(payload), 1);
    EXPECT_TRUE(sink.messages.empty());
    for (const auto& f : payload.Files())
        EXPECT_EQ(ReadFile(kit + "/" + f.name), f.bytes) << f.name;
    EXPECT_EQ(sink.beginCalls, 1);
    EXPECT_EQ(sink.range, 6);
    EXPECT_EQ(sink.written, 6);
    EXPECT_FALSE(sink.writtenBeforeBegin);
    EXPECT_EQ(EntryCount(kit), 6u);
}

TEST_F(Extraction, AnExistingKitKeepsItsOtherFilesAndPayloadFilesAreReplacedWhole) {
    WriteFile(kit + "/keep.txt", "the user's own");
    WriteFile(kit + "/install.exe", std::string(20000, 'o')); // longer than the new one
    const TestPayload payload({{"install.exe", "new installer"}, {"dict.txt", "dict"}});
    payload.WriteProgram(self);

    EXPECT_EQ(Extract(payload), 1);
    EXPECT_EQ(ReadFile(kit + "/install.exe"), "new installer");
    EXPECT_EQ(ReadFile(kit + "/dict.txt"), "dict");
    EXPECT_EQ(ReadFile(kit + "/keep.txt"), "the user's own");

    // A second run writes over the first.
    const TestPayload again({{"install.exe", "v2"}, {"dict.txt", ""}});
    again.WriteProgram(self);
    EXPECT_EQ(Extract(again), 1);
    EXPECT_EQ(ReadFile(kit + "/install.exe"), "v2");
    EXPECT_EQ(ReadFile(kit + "/dict.txt"), "");
}

struct ShortCase {
    const char* what;
    std::int64_t programLength;        // from the start of the payload; negative: inside the image
    std::vector<std::size_t> expected; // size of each file afterwards
};

void PrintTo(const ShortCase& c, std::ostream* os) {
    *os << c.what;
}

class ShortProgram : public Extraction, public ::testing::WithParamInterface<ShortCase> {};

TEST_P(ShortProgram, LaterFilesComeOutShortOrEmptyAndEveryFileIsStillMade) {
    const TestPayload payload({{"install.exe", PatternBytes(100, 1)},
                               {"b", PatternBytes(200, 2)},
                               {"c", PatternBytes(300, 3)},
                               {"d", ""},
                               {"e", PatternBytes(50, 5)}});
    payload.WriteProgram(self, PayloadOffset, GetParam().programLength - payload.Bytes());

    EXPECT_EQ(Extract(payload), 1);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(sink.written, 5);
    for (std::size_t i = 0; i < payload.Files().size(); ++i) {
        const auto& f = payload.Files()[i];
        ASSERT_TRUE(Exists(kit + "/" + f.name)) << f.name;
        EXPECT_EQ(ReadFile(kit + "/" + f.name), f.bytes.substr(0, GetParam().expected[i]))
            << f.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Extraction, ShortProgram,
    ::testing::Values(ShortCase{"ends inside the second file", 250, {100, 150, 0, 0, 0}},
                      ShortCase{"ends where the second file ends", 300, {100, 200, 0, 0, 0}},
                      ShortCase{
                          "ends one byte before the payload's end", 649, {100, 200, 300, 0, 49}},
                      ShortCase{"ends inside the image", -10, {0, 0, 0, 0, 0}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(Extraction, ExtraBytesAfterThePayloadAreIgnored) {
    const TestPayload payload({{"install.exe", PatternBytes(300, 1)}, {"last", "end"}});
    payload.WriteProgram(self, PayloadOffset, 4096);
    EXPECT_EQ(Extract(payload), 1);
    EXPECT_EQ(ReadFile(kit + "/install.exe"), payload.Files()[0].bytes);
    EXPECT_EQ(ReadFile(kit + "/last"), "end");
}

TEST_F(Extraction, TheOffsetGivenIsWhereThePayloadIsRead) {
    const TestPayload payload({{"install.exe", PatternBytes(64, 7)}});
    payload.WriteProgram(self, 1000);
    EXPECT_EQ(Extract(payload, 1000), 1);
    EXPECT_EQ(ReadFile(kit + "/install.exe"), payload.Files()[0].bytes);
}

// The failures before any file is written: the message, and nothing extracted.
TEST_F(Extraction, AProgramFileThatCannotBeOpenedNamesTheCurrentFolder) {
    const TestPayload payload({{"install.exe", "x"}});
    EXPECT_EQ(Extract(payload), 0);
    ExpectOneMessage(std::string("1. Can't open file"), CurrentFolder());
    EXPECT_EQ(sink.beginCalls, 0);
    EXPECT_EQ(EntryCount(kit), 0u);
}

TEST_F(Extraction, AProgramFileWithoutALengthSaysLengthMinusOne) {
    const TestPayload payload({{"install.exe", "x"}});
    std::filesystem::create_directory(self); // opens, but has no length of its own
    EXPECT_EQ(ExtractPayload(payload.Table(), kit, self, PayloadOffset, sink), 0);
    ExpectOneMessage(std::nullopt, "length -1");
    EXPECT_EQ(EntryCount(kit), 0u);
}

TEST_F(Extraction, AProgramFileThatCannotBeReadSaysSo) {
    const TestPayload payload({{"install.exe", "x"}});
    payload.WriteProgram(self);
    SetReadOpenFaultForTesting(true);
    const int result = Extract(payload);
    SetReadOpenFaultForTesting(false);
    EXPECT_EQ(result, 0);
    ExpectOneMessage(std::nullopt, "2. Can't open file");
    EXPECT_EQ(EntryCount(kit), 0u);
}

TEST_F(Extraction, ASeekThatFailsSaysCantPlaceInFile) {
    const TestPayload payload({{"install.exe", "x"}});
    payload.WriteProgram(self);
    EXPECT_EQ(Extract(payload, -1), 0);
    ExpectOneMessage(std::nullopt, "Can't place in file");
    EXPECT_EQ(sink.beginCalls, 0);
    EXPECT_EQ(EntryCount(kit), 0u);
}

// The failures while writing: the failing path as caption; the files before it stay.
TEST_F(Extraction, AKitFolderThatDoesNotExistStopsAtTheFirstFile) {
    const TestPayload payload({{"install.exe", "x"}, {"b", "y"}});
    payload.WriteProgram(self);
    const std::string missing = scratch / "NOKIT";
    EXPECT_EQ(ExtractPayload(payload.Table(), missing, self, PayloadOffset, sink), 0);
    ExpectOneMessage(missing + "/install.exe", "1. Can't open file for writing!");
    EXPECT_EQ(sink.range, 2);
    EXPECT_EQ(sink.written, 0);
}

TEST_F(Extraction, AFileThatCannotBeCreatedStopsThereAndEarlierFilesStay) {
    const TestPayload payload(
        {{"install.exe", "inst"}, {"dict.txt", "dict"}, {"pref.txt", "pref"}, {"last", "l"}});
    payload.WriteProgram(self);
    std::filesystem::create_directory(kit + "/pref.txt");
    EXPECT_EQ(Extract(payload), 0);
    ExpectOneMessage(kit + "/pref.txt", "1. Can't open file for writing!");
    EXPECT_EQ(ReadFile(kit + "/install.exe"), "inst");
    EXPECT_EQ(ReadFile(kit + "/dict.txt"), "dict");
    EXPECT_FALSE(Exists(kit + "/last"));
    EXPECT_EQ(sink.written, 2);
}

TEST_F(Extraction, ALinkPlantedInTheKitFolderIsNotFollowed) {
    const std::string victim = scratch / "victim";
    WriteFile(victim, "keep me");
    std::filesystem::create_symlink(victim, kit + "/install.exe");
    const TestPayload payload({{"install.exe", "evil"}});
    payload.WriteProgram(self);
    EXPECT_EQ(Extract(payload), 0);
    ExpectOneMessage(kit + "/install.exe", "1. Can't open file for writing!");
    EXPECT_EQ(ReadFile(victim), "keep me");
}

TEST_F(Extraction, AWriteThatFailsHalfWayIsReportedNotPassedOffAsDone) {
    const TestPayload payload({{"install.exe", PatternBytes(1000, 1)},
                               {"cook.xxx", PatternBytes(20000, 2)},
                               {"after", "a"}});
    payload.WriteProgram(self);
    // A file size limit makes the disk "full" for this process at 8192 bytes.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = Extract(payload);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    ExpectOneMessage(kit + "/cook.xxx", "1. Can't open file for writing!");
    EXPECT_EQ(ReadFile(kit + "/install.exe"), payload.Files()[0].bytes);
    EXPECT_EQ(sink.written, 1);
    EXPECT_FALSE(Exists(kit + "/after"));
}

} // namespace
} // namespace bootstrap
