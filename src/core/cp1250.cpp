#include "core/cp1250.h"

#include <algorithm>
#include <array>

namespace savorel {

namespace {

constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

} // namespace

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

namespace {

struct Spelling {
    char32_t ch;
    const char* text; // Windows-1250 bytes
};

// Latin letters the code page lacks, by code point: the letter without its marks.
constexpr Spelling kLatinFolds[] = {
    {0x00C0, "A"},  {0x00C3, "A"},  {0x00C5, "A"},  {0x00C6, "AE"}, {0x00C8, "E"}, {0x00CA, "E"},
    {0x00CC, "I"},  {0x00CF, "I"},  {0x00D1, "N"},  {0x00D2, "O"},  {0x00D5, "O"}, {0x00D8, "O"},
    {0x00D9, "U"},  {0x00DB, "U"},  {0x00DE, "TH"}, {0x00E0, "a"},  {0x00E3, "a"}, {0x00E5, "a"},
    {0x00E6, "ae"}, {0x00E8, "e"},  {0x00EA, "e"},  {0x00EC, "i"},  {0x00EF, "i"}, {0x00F0, "d"},
    {0x00F1, "n"},  {0x00F2, "o"},  {0x00F5, "o"},  {0x00F8, "o"},  {0x00F9, "u"}, {0x00FB, "u"},
    {0x00FE, "th"}, {0x00FF, "y"},  {0x0100, "A"},  {0x0101, "a"},  {0x0108, "C"}, {0x0109, "c"},
    {0x010A, "C"},  {0x010B, "c"},  {0x0112, "E"},  {0x0113, "e"},  {0x0114, "E"}, {0x0115, "e"},
    {0x0116, "E"},  {0x0117, "e"},  {0x011C, "G"},  {0x011D, "g"},  {0x011E, "G"}, {0x011F, "g"},
    {0x0120, "G"},  {0x0121, "g"},  {0x0122, "G"},  {0x0123, "g"},  {0x0124, "H"}, {0x0125, "h"},
    {0x0126, "H"},  {0x0127, "h"},  {0x0128, "I"},  {0x0129, "i"},  {0x012A, "I"}, {0x012B, "i"},
    {0x012C, "I"},  {0x012D, "i"},  {0x012E, "I"},  {0x012F, "i"},  {0x0130, "I"}, {0x0131, "i"},
    {0x0132, "IJ"}, {0x0133, "ij"}, {0x0134, "J"},  {0x0135, "j"},  {0x0136, "K"}, {0x0137, "k"},
    {0x0138, "k"},  {0x013B, "L"},  {0x013C, "l"},  {0x0145, "N"},  {0x0146, "n"}, {0x014A, "N"},
    {0x014B, "n"},  {0x014C, "O"},  {0x014D, "o"},  {0x014E, "O"},  {0x014F, "o"}, {0x0152, "OE"},
    {0x0153, "oe"}, {0x0156, "R"},  {0x0157, "r"},  {0x015C, "S"},  {0x015D, "s"}, {0x0166, "T"},
    {0x0167, "t"},  {0x0168, "U"},  {0x0169, "u"},  {0x016A, "U"},  {0x016B, "u"}, {0x016C, "U"},
    {0x016D, "u"},  {0x0172, "U"},  {0x0173, "u"},  {0x0174, "W"},  {0x0175, "w"}, {0x0176, "Y"},
    {0x0177, "y"},  {0x0178, "Y"},  {0x017F, "s"},  {0x0180, "b"},  {0x0189, "D"}, {0x0192, "f"},
    {0x0197, "I"},  {0x01A0, "O"},  {0x01A1, "o"},  {0x01AF, "U"},  {0x01B0, "u"}, {0x01B5, "Z"},
    {0x01B6, "z"},  {0x01CD, "A"},  {0x01CE, "a"},  {0x01CF, "I"},  {0x01D0, "i"}, {0x01D1, "O"},
    {0x01D2, "o"},  {0x01D3, "U"},  {0x01D4, "u"},  {0x01D5, "U"},  {0x01D6, "u"}, {0x01D7, "U"},
    {0x01D8, "u"},  {0x01D9, "U"},  {0x01DA, "u"},  {0x01DB, "U"},  {0x01DC, "u"}, {0x01DE, "A"},
    {0x01DF, "a"},  {0x01E0, "A"},  {0x01E1, "a"},  {0x01E6, "G"},  {0x01E7, "g"}, {0x01E8, "K"},
    {0x01E9, "k"},  {0x01EA, "O"},  {0x01EB, "o"},  {0x01EC, "O"},  {0x01ED, "o"}, {0x01F0, "j"},
    {0x01F4, "G"},  {0x01F5, "g"},  {0x01F8, "N"},  {0x01F9, "n"},  {0x01FA, "A"}, {0x01FB, "a"},
    {0x0200, "A"},  {0x0201, "a"},  {0x0202, "A"},  {0x0203, "a"},  {0x0204, "E"}, {0x0205, "e"},
    {0x0206, "E"},  {0x0207, "e"},  {0x0208, "I"},  {0x0209, "i"},  {0x020A, "I"}, {0x020B, "i"},
    {0x020C, "O"},  {0x020D, "o"},  {0x020E, "O"},  {0x020F, "o"},  {0x0210, "R"}, {0x0211, "r"},
    {0x0212, "R"},  {0x0213, "r"},  {0x0214, "U"},  {0x0215, "u"},  {0x0216, "U"}, {0x0217, "u"},
    {0x021E, "H"},  {0x021F, "h"},  {0x0226, "A"},  {0x0227, "a"},  {0x0228, "E"}, {0x0229, "e"},
    {0x022A, "O"},  {0x022B, "o"},  {0x022C, "O"},  {0x022D, "o"},  {0x022E, "O"}, {0x022F, "o"},
    {0x0230, "O"},  {0x0231, "o"},  {0x0232, "Y"},  {0x0233, "y"},  {0x0256, "d"}, {0x1E00, "A"},
    {0x1E01, "a"},  {0x1E02, "B"},  {0x1E03, "b"},  {0x1E04, "B"},  {0x1E05, "b"}, {0x1E06, "B"},
    {0x1E07, "b"},  {0x1E08, "C"},  {0x1E09, "c"},  {0x1E0A, "D"},  {0x1E0B, "d"}, {0x1E0C, "D"},
    {0x1E0D, "d"},  {0x1E0E, "D"},  {0x1E0F, "d"},  {0x1E10, "D"},  {0x1E11, "d"}, {0x1E12, "D"},
    {0x1E13, "d"},  {0x1E14, "E"},  {0x1E15, "e"},  {0x1E16, "E"},  {0x1E17, "e"}, {0x1E18, "E"},
    {0x1E19, "e"},  {0x1E1A, "E"},  {0x1E1B, "e"},  {0x1E1C, "E"},  {0x1E1D, "e"}, {0x1E1E, "F"},
    {0x1E1F, "f"},  {0x1E20, "G"},  {0x1E21, "g"},  {0x1E22, "H"},  {0x1E23, "h"}, {0x1E24, "H"},
    {0x1E25, "h"},  {0x1E26, "H"},  {0x1E27, "h"},  {0x1E28, "H"},  {0x1E29, "h"}, {0x1E2A, "H"},
    {0x1E2B, "h"},  {0x1E2C, "I"},  {0x1E2D, "i"},  {0x1E2E, "I"},  {0x1E2F, "i"}, {0x1E30, "K"},
    {0x1E31, "k"},  {0x1E32, "K"},  {0x1E33, "k"},  {0x1E34, "K"},  {0x1E35, "k"}, {0x1E36, "L"},
    {0x1E37, "l"},  {0x1E38, "L"},  {0x1E39, "l"},  {0x1E3A, "L"},  {0x1E3B, "l"}, {0x1E3C, "L"},
    {0x1E3D, "l"},  {0x1E3E, "M"},  {0x1E3F, "m"},  {0x1E40, "M"},  {0x1E41, "m"}, {0x1E42, "M"},
    {0x1E43, "m"},  {0x1E44, "N"},  {0x1E45, "n"},  {0x1E46, "N"},  {0x1E47, "n"}, {0x1E48, "N"},
    {0x1E49, "n"},  {0x1E4A, "N"},  {0x1E4B, "n"},  {0x1E4C, "O"},  {0x1E4D, "o"}, {0x1E4E, "O"},
    {0x1E4F, "o"},  {0x1E50, "O"},  {0x1E51, "o"},  {0x1E52, "O"},  {0x1E53, "o"}, {0x1E54, "P"},
    {0x1E55, "p"},  {0x1E56, "P"},  {0x1E57, "p"},  {0x1E58, "R"},  {0x1E59, "r"}, {0x1E5A, "R"},
    {0x1E5B, "r"},  {0x1E5C, "R"},  {0x1E5D, "r"},  {0x1E5E, "R"},  {0x1E5F, "r"}, {0x1E60, "S"},
    {0x1E61, "s"},  {0x1E62, "S"},  {0x1E63, "s"},  {0x1E64, "S"},  {0x1E65, "s"}, {0x1E66, "S"},
    {0x1E67, "s"},  {0x1E68, "S"},  {0x1E69, "s"},  {0x1E6A, "T"},  {0x1E6B, "t"}, {0x1E6C, "T"},
    {0x1E6D, "t"},  {0x1E6E, "T"},  {0x1E6F, "t"},  {0x1E70, "T"},  {0x1E71, "t"}, {0x1E72, "U"},
    {0x1E73, "u"},  {0x1E74, "U"},  {0x1E75, "u"},  {0x1E76, "U"},  {0x1E77, "u"}, {0x1E78, "U"},
    {0x1E79, "u"},  {0x1E7A, "U"},  {0x1E7B, "u"},  {0x1E7C, "V"},  {0x1E7D, "v"}, {0x1E7E, "V"},
    {0x1E7F, "v"},  {0x1E80, "W"},  {0x1E81, "w"},  {0x1E82, "W"},  {0x1E83, "w"}, {0x1E84, "W"},
    {0x1E85, "w"},  {0x1E86, "W"},  {0x1E87, "w"},  {0x1E88, "W"},  {0x1E89, "w"}, {0x1E8A, "X"},
    {0x1E8B, "x"},  {0x1E8C, "X"},  {0x1E8D, "x"},  {0x1E8E, "Y"},  {0x1E8F, "y"}, {0x1E90, "Z"},
    {0x1E91, "z"},  {0x1E92, "Z"},  {0x1E93, "z"},  {0x1E94, "Z"},  {0x1E95, "z"}, {0x1E96, "h"},
    {0x1E97, "t"},  {0x1E98, "w"},  {0x1E99, "y"},  {0x1E9E, "SS"}, {0x1EA0, "A"}, {0x1EA1, "a"},
    {0x1EA2, "A"},  {0x1EA3, "a"},  {0x1EA4, "A"},  {0x1EA5, "a"},  {0x1EA6, "A"}, {0x1EA7, "a"},
    {0x1EA8, "A"},  {0x1EA9, "a"},  {0x1EAA, "A"},  {0x1EAB, "a"},  {0x1EAC, "A"}, {0x1EAD, "a"},
    {0x1EAE, "A"},  {0x1EAF, "a"},  {0x1EB0, "A"},  {0x1EB1, "a"},  {0x1EB2, "A"}, {0x1EB3, "a"},
    {0x1EB4, "A"},  {0x1EB5, "a"},  {0x1EB6, "A"},  {0x1EB7, "a"},  {0x1EB8, "E"}, {0x1EB9, "e"},
    {0x1EBA, "E"},  {0x1EBB, "e"},  {0x1EBC, "E"},  {0x1EBD, "e"},  {0x1EBE, "E"}, {0x1EBF, "e"},
    {0x1EC0, "E"},  {0x1EC1, "e"},  {0x1EC2, "E"},  {0x1EC3, "e"},  {0x1EC4, "E"}, {0x1EC5, "e"},
    {0x1EC6, "E"},  {0x1EC7, "e"},  {0x1EC8, "I"},  {0x1EC9, "i"},  {0x1ECA, "I"}, {0x1ECB, "i"},
    {0x1ECC, "O"},  {0x1ECD, "o"},  {0x1ECE, "O"},  {0x1ECF, "o"},  {0x1ED0, "O"}, {0x1ED1, "o"},
    {0x1ED2, "O"},  {0x1ED3, "o"},  {0x1ED4, "O"},  {0x1ED5, "o"},  {0x1ED6, "O"}, {0x1ED7, "o"},
    {0x1ED8, "O"},  {0x1ED9, "o"},  {0x1EDA, "O"},  {0x1EDB, "o"},  {0x1EDC, "O"}, {0x1EDD, "o"},
    {0x1EDE, "O"},  {0x1EDF, "o"},  {0x1EE0, "O"},  {0x1EE1, "o"},  {0x1EE2, "O"}, {0x1EE3, "o"},
    {0x1EE4, "U"},  {0x1EE5, "u"},  {0x1EE6, "U"},  {0x1EE7, "u"},  {0x1EE8, "U"}, {0x1EE9, "u"},
    {0x1EEA, "U"},  {0x1EEB, "u"},  {0x1EEC, "U"},  {0x1EED, "u"},  {0x1EEE, "U"}, {0x1EEF, "u"},
    {0x1EF0, "U"},  {0x1EF1, "u"},  {0x1EF2, "Y"},  {0x1EF3, "y"},  {0x1EF4, "Y"}, {0x1EF5, "y"},
    {0x1EF6, "Y"},  {0x1EF7, "y"},  {0x1EF8, "Y"},  {0x1EF9, "y"}};

constexpr Spelling kOtherSpellings[] = {
    {0x00BC, "1/4"},
    {0x00BD, "1/2"},
    {0x00BE, "3/4"},
    {0x2150, "1/7"},
    {0x2151, "1/9"},
    {0x2152, "1/10"},
    {0x2153, "1/3"},
    {0x2154, "2/3"},
    {0x2155, "1/5"},
    {0x2156, "2/5"},
    {0x2157, "3/5"},
    {0x2158, "4/5"},
    {0x2159, "1/6"},
    {0x215A, "5/6"},
    {0x215B, "1/8"},
    {0x215C, "3/8"},
    {0x215D, "5/8"},
    {0x215E, "7/8"},
    {0x2044, "/"},
    {0x2215, "/"},
    {0x2032, "'"},
    {0x2033, "\""},
    {0x2010, "-"},
    {0x2011, "-"},
    {0x2012, "-"},
    {0x2212, "-"},
    {0x2015, "-"},
    {0x00B2, "2"},
    {0x00B3, "3"},
    {0x00B9, "1"},
    {0x2070, "0"},
    {0x2074, "4"},
    {0x00AA, "a"},
    {0x00BA, "o"},
    {0x2103, "\xb0"
             "C"},
    {0x2109, "\xb0"
             "F"},
    {0x00A1, "!"},
    {0x2027, "."},
    {0x2024, "."},
    {0x201B, "'"},
    {0x201F, "\""},
};

bool IsFraction(char32_t ch) {
    return ch == 0x00BC || ch == 0x00BD || ch == 0x00BE || (ch >= 0x2150 && ch <= 0x215E);
}

bool IsOtherBlank(char32_t ch) {
    return (ch >= 0x2000 && ch <= 0x200A) || ch == 0x202F || ch == 0x205F || ch == 0x3000 ||
           ch == 0x0009 || ch == 0x1680;
}

// The spelling of a character the code page does not hold; nullptr when it has none.
const char* SpellingOf(char32_t ch) {
    const auto latin = std::lower_bound(std::begin(kLatinFolds), std::end(kLatinFolds), ch,
                                        [](const Spelling& s, char32_t c) { return s.ch < c; });
    if (latin != std::end(kLatinFolds) && latin->ch == ch)
        return latin->text;
    for (const Spelling& s : kOtherSpellings)
        if (s.ch == ch)
            return s.text;
    return nullptr;
}

} // namespace

char32_t NextUtf8(std::string_view utf8, std::size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80         ? 0
                      : (lead >> 5) == 6  ? 1
                      : (lead >> 4) == 14 ? 2
                      : (lead >> 3) == 30 ? 3
                                          : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t ch = extra == 0 ? lead : (lead & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next =
            static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        ch = (ch << 6) | (next & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    // Overlong forms, surrogates and values past Unicode are broken text, not characters.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (ch < kLeast[extra] || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF)
        return 0xFFFD;
    return ch;
}

void AppendCp1250Folded(std::string& out, char32_t ch) {
    const int byte = ch == 0xFFFD ? -1 : UnicodeToCp1250(ch);
    if (byte >= 0 && (byte >= 0x20 || ch == '\n' || ch == '\r' || ch == '\t')) {
        out.push_back(static_cast<char>(ch == '\t' ? ' ' : byte));
        return;
    }
    if (IsOtherBlank(ch)) {
        out.push_back(' ');
        return;
    }
    const char* spelling = SpellingOf(ch);
    if (!spelling)
        return;
    // "1½" is one and a half: a blank keeps the fraction apart from the whole number.
    if (IsFraction(ch) && !out.empty() && out.back() >= '0' && out.back() <= '9')
        out.push_back(' ');
    out += spelling;
}

std::string Utf8ToCp1250Folded(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size())
        AppendCp1250Folded(out, NextUtf8(utf8, i));
    return out;
}

char Cp1250CharFolded(char32_t ch) {
    const int byte = UnicodeToCp1250(ch);
    if (byte >= 0)
        return static_cast<char>(byte);
    if (IsOtherBlank(ch))
        return ' ';
    const char* spelling = SpellingOf(ch);
    return spelling ? spelling[0] : '?';
}

char32_t Cp1250ToUnicode(unsigned char byte) {
    return byte < 0x80 ? char32_t(byte) : char32_t(kHighHalf[byte - 0x80]);
}

namespace {

// The reverse of kHighHalf for the code points below U+0300 (where all its letters are), so
// that a conversion costs one look-up per character; the punctuation above is searched.
struct ReverseTable {
    std::array<short, 0x300> low{};
    ReverseTable() {
        low.fill(-1);
        for (int i = 0; i < 128; ++i)
            if (kHighHalf[static_cast<std::size_t>(i)] < 0x300)
                low[kHighHalf[static_cast<std::size_t>(i)]] = static_cast<short>(0x80 + i);
    }
};

const ReverseTable& Reverse() {
    static const ReverseTable table;
    return table;
}

} // namespace

int UnicodeToCp1250(char32_t ch) {
    if (ch < 0x80)
        return static_cast<int>(ch);
    switch (ch) {
    case 0x0218:
        ch = 0x015E;
        break; // S comma below -> S cedilla
    case 0x0219:
        ch = 0x015F;
        break;
    case 0x021A:
        ch = 0x0162;
        break; // T comma below -> T cedilla
    case 0x021B:
        ch = 0x0163;
        break;
    default:
        break;
    }
    if (ch < 0x300)
        return Reverse().low[ch];
    for (int i = 0; i < 128; ++i)
        if (kHighHalf[static_cast<std::size_t>(i)] == ch)
            return 0x80 + i;
    return -1;
}

std::string Cp1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        AppendUtf8(out, Cp1250ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool Utf8ToCp1250Exact(std::string_view utf8, std::string& out, char32_t* bad) {
    out.clear();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t ch = NextUtf8(utf8, i);
        const int byte = ch == 0xFFFD ? -1 : UnicodeToCp1250(ch);
        if (byte < 0) {
            if (bad)
                *bad = ch;
            return false;
        }
        out.push_back(static_cast<char>(byte));
    }
    return true;
}

} // namespace savorel
