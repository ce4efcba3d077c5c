#include "core/fold.h"
#include "support/support.h"

#include <gtest/gtest.h>

using namespace savorel;
using savorel::testing::Utf8ToCp1250;

namespace {

struct FoldCase {
    const char* utf8; // as typed
    char folded;
};

// Every Romanian letter in both cases, the cedilla forms of the code page and the comma-below
// forms that modern keyboards type (converted where text enters), and plain ASCII letters.
const FoldCase kCases[] = {
    {"\xC4\x83", 'A'}, {"\xC4\x82", 'A'}, // a breve
    {"\xC3\xA2", 'A'}, {"\xC3\x82", 'A'}, // a circumflex
    {"\xC3\xAE", 'I'}, {"\xC3\x8E", 'I'}, // i circumflex
    {"\xC5\x9F", 'S'}, {"\xC5\x9E", 'S'}, // s cedilla
    {"\xC8\x99", 'S'}, {"\xC8\x98", 'S'}, // s comma below
    {"\xC5\xA3", 'T'}, {"\xC5\xA2", 'T'}, // t cedilla
    {"\xC8\x9B", 'T'}, {"\xC8\x9A", 'T'}, // t comma below
    {"a", 'A'},        {"A", 'A'},        {"z", 'Z'}, {"s", 'S'}, {"T", 'T'},
};

} // namespace

TEST(Fold, EveryRomanianLetterBothCases) {
    for (const FoldCase& c : kCases) {
        const std::string bytes = Utf8ToCp1250(c.utf8);
        ASSERT_EQ(bytes.size(), 1u) << c.utf8;
        EXPECT_EQ(FoldChar(bytes[0]), c.folded) << c.utf8;
    }
}

TEST(Fold, OtherBytesStayThemselves) {
    // Only the Romanian letters and ASCII lower case change: other letters of the code page
    // (s caron, c acute, a ogonek ...), digits and signs compare as they are.
    int changed = 0;
    for (int b = 0; b < 256; ++b)
        if (kFoldTable[b] != b)
            ++changed;
    EXPECT_EQ(changed, 26 + 10);
    for (const int b : {0x9A, 0x8A, 0xE6, 0xB9, 0xE4, int('0'), int('#'), int(' '), 0xFF})
        EXPECT_EQ(kFoldTable[b], b) << b;
}

TEST(Fold, ComparisonsWithAndWithoutDiacritics) {
    const std::string ceapa = Utf8ToCp1250("ceap\xC4\x83");
    const std::string branza = Utf8ToCp1250("BR\xC3\x82NZ\xC4\x82");
    EXPECT_TRUE(EqualsFolded(ceapa, "CEAPA"));
    EXPECT_TRUE(EqualsFolded("branza", branza));
    EXPECT_FALSE(EqualsFolded("branz", branza));
    EXPECT_EQ(FindFolded("2 cepe si " + ceapa + " verde", "ceapa"), 10u);
    EXPECT_EQ(FindFolded("ceap", "ceapa"), std::string_view::npos);
    EXPECT_EQ(Folded(Utf8ToCp1250("f\xC4\x83in\xC4\x83 \xC8\x99i \xC8\x9Buic\xC4\x83")),
              "FAINA SI TUICA");
}
