#include "core/cp1250.h"

#include <gtest/gtest.h>

using namespace savorel;

TEST(Cp1250, RomanianLettersRoundTrip) {
    // a-breve, a-circumflex, i-circumflex, s-cedilla, t-cedilla, both cases.
    const std::string utf8 =
        "\xC4\x83\xC3\xA2\xC3\xAE\xC5\x9F\xC5\xA3\xC4\x82\xC3\x82\xC3\x8E\xC5\x9E\xC5\xA2";
    const std::string bytes = Utf8ToCp1250(utf8);
    EXPECT_EQ(bytes, "\xE3\xE2\xEE\xBA\xFE\xC3\xC2\xCE\xAA\xDE");
    EXPECT_EQ(Cp1250ToUtf8(bytes), utf8);
}

TEST(Cp1250, CommaBelowLettersBecomeCedillaLetters) {
    // s and t with comma below, as modern keyboards type them.
    EXPECT_EQ(Utf8ToCp1250("\xC8\x99\xC8\x9B\xC8\x98\xC8\x9A"), "\xBA\xFE\xAA\xDE");
}

TEST(Cp1250, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
}

TEST(Cp1250, UnmappableAndBrokenInputBecomesQuestionMark) {
    EXPECT_EQ(Utf8ToCp1250("\xE2\x98\x83"), "?");    // snowman
    EXPECT_EQ(Utf8ToCp1250("a\xC3"), "a?");          // cut sequence
    EXPECT_EQ(Utf8ToCp1250("\xC3(b"), "?(b");        // bad continuation
    EXPECT_EQ(Utf8ToCp1250("\xE2\x82\xAC"), "\x80"); // euro sign
}
