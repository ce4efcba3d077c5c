#include "core/scramble.h"
#include "support/support.h"

#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::TempDataDir;

namespace {

// Opens a temporary stream holding the given bytes, positioned at the start.
std::FILE* StreamOf(std::string_view bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

} // namespace

TEST(ScrambleTable, PairsEveryByteWithAnotherAndBack) {
    for (int b = 0; b < 256; ++b) {
        EXPECT_NE(ScrambleTable[b], b) << "byte " << b << " scrambles to itself";
        EXPECT_EQ(ScrambleTable[ScrambleTable[b]], b) << "byte " << b;
    }
}

TEST(ScrambleTable, WritesTheByteThatScramblesToZeroAndKeepsWhatFollows) {
    const char zeroPartner = static_cast<char>(ScrambleTable[0]);
    const std::string text = std::string("ab") + zeroPartner + "cd\xe3\xba\xfe";
    std::FILE* f = std::tmpfile();
    ASSERT_TRUE(WriteScrambledText(f, text));
    std::rewind(f);
    std::string stored(text.size() + 1, 'x');
    ASSERT_EQ(std::fread(stored.data(), 1, stored.size(), f), text.size());
    EXPECT_EQ(stored[2], '\0');
    std::rewind(f);
    std::string back;
    for (int c; (c = ReadScrambledChar(f)) != -1;)
        back.push_back(static_cast<char>(c));
    EXPECT_EQ(back, text);
    std::fclose(f);
}

TEST(ScrambleTable, ReadCharAnswersMinusOneAtEnd) {
    std::FILE* f = StreamOf(ScrambleBytes("a"));
    EXPECT_EQ(ReadScrambledChar(f), 'a');
    EXPECT_EQ(ReadScrambledChar(f), -1);
    EXPECT_TRUE(std::feof(f));
    std::fclose(f);
}

struct LineCase {
    const char* name;
    std::string plain;
    std::size_t limit;
    std::vector<std::string> lines; // every line read until end of file
};

class ReadScrambledLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReadScrambledLineTest, ReadsLinesAsTheRuleSays) {
    const LineCase& c = GetParam();
    std::FILE* f = StreamOf(ScrambleBytes(c.plain));
    std::vector<std::string> lines;
    while (!std::feof(f))
        lines.push_back(ReadScrambledLine(f, c.limit));
    EXPECT_EQ(lines, c.lines);
    std::fclose(f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadScrambledLineTest,
    ::testing::Values(LineCase{"plain", "ab\ncd\n", 10, {"ab", "cd", ""}},
                      LineCase{"crDropped", "a\r\nb\rc\n", 10, {"a", "bc", ""}},
                      LineCase{"lastLineWithoutFeed", "ab\ncd", 10, {"ab", "cd"}},
                      // Exactly the limit then a line feed: the feed is the lost byte, the next
                      // read starts on the next line.
                      LineCase{"exactLimit", "abc\ndef\n", 3, {"abc", "def", ""}},
                      // Over the limit: the byte read when the limit is reached is lost.
                      LineCase{"overLimit", "abcdefg\n", 3, {"abc", "efg", ""}},
                      LineCase{"empty", "", 5, {""}},
                      LineCase{"emptyLines", "\n\n", 5, {"", "", ""}}),
    [](const auto& info) { return info.param.name; });

TEST(ScrambleTable, LineWriterEndsWithScrambledFeed) {
    TempDataDir dir;
    std::FILE* f = std::fopen("x.txt", "wb");
    ASSERT_TRUE(WriteScrambledLine(f, "Ana\xba"));
    std::fclose(f);
    EXPECT_EQ(savorel::testing::ReadBack("x.txt", true), "Ana\xba\n");
    EXPECT_NE(savorel::testing::ReadBack("x.txt"), "Ana\xba\n");
}
