#include "core/cp1250.h"

#include <gtest/gtest.h>

using namespace savorel;

TEST(Cp1250, RomanianLettersRoundTrip) {
    const struct {
        const char* utf8;
        const char* bytes;
    } cases[] = {
        // a-breve, a-circumflex, i-circumflex, s-cedilla, t-cedilla, both cases.
        {"\xC4\x83\xC3\xA2\xC3\xAE\xC5\x9F\xC5\xA3\xC4\x82\xC3\x82\xC3\x8E\xC5\x9E\xC5\xA2",
         "\xE3\xE2\xEE\xBA\xFE\xC3\xC2\xCE\xAA\xDE"},
        {"\xE2\x82\xAC", "\x80"}, // euro sign
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "before";
        EXPECT_TRUE(Utf8ToCp1250Exact(c.utf8, bytes)) << c.utf8;
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(Cp1250ToUtf8(bytes), c.utf8);
    }
}

TEST(Cp1250, CommaBelowLettersBecomeCedillaLetters) {
    // s and t with comma below, as modern keyboards type them.
    std::string bytes;
    EXPECT_TRUE(Utf8ToCp1250Exact("\xC8\x99\xC8\x9B\xC8\x98\xC8\x9A", bytes));
    EXPECT_EQ(bytes, "\xBA\xFE\xAA\xDE");
}

TEST(Cp1250, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    ASSERT_EQ(all.size(), 256u);
    std::string back;
    char32_t bad = 0;
    EXPECT_TRUE(Utf8ToCp1250Exact(Cp1250ToUtf8(all), back, &bad)) << static_cast<unsigned>(bad);
    EXPECT_EQ(back, all);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToCp1250(Cp1250ToUnicode(static_cast<unsigned char>(b))), b) << b;
}

TEST(Cp1250, UnheldAndBrokenInputIsRefusedAndNamed) {
    const struct {
        const char* utf8;
        char32_t bad;
    } cases[] = {
        {"\xE2\x98\x83", U'\x2603'},   // snowman
        {"\xF0\x9F\x98\x80", 0x1F600}, // an emoji
        {"a\xC3", 0xFFFD},             // cut sequence
        {"\xC3(b", 0xFFFD},            // bad continuation
        {"\xFF", 0xFFFD},              // no lead byte
    };
    for (const auto& c : cases) {
        std::string bytes = "before";
        char32_t bad = 0;
        EXPECT_FALSE(Utf8ToCp1250Exact(c.utf8, bytes, &bad)) << c.utf8;
        EXPECT_EQ(static_cast<unsigned>(bad), static_cast<unsigned>(c.bad)) << c.utf8;
    }
    std::string bytes;
    EXPECT_FALSE(Utf8ToCp1250Exact("\xE2\x98\x83", bytes, nullptr)); // no place for the name
}
