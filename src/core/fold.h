#pragma once

// How user text and book text are compared: one rule for the search, the dictionary and the
// calorie calculator. Romanians type with diacritics or without them, and mix both, so a
// comparison folds case and the Romanian diacritics away. Works on Windows-1250 bytes; the
// comma-below letters never get here, they become the cedilla forms where text enters.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace savorel {

namespace detail {
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>((b >= 'a' && b <= 'z') ? b - 32 : b);
    // Windows-1250 positions of the Romanian letters.
    for (const int a : {0xE3, 0xC3, 0xE2, 0xC2}) // ă Ă â Â
        table[a] = 'A';
    for (const int i : {0xEE, 0xCE}) // î Î
        table[i] = 'I';
    for (const int s : {0xBA, 0xAA}) // ş Ş
        table[s] = 'S';
    for (const int t : {0xFE, 0xDE}) // ţ Ţ
        table[t] = 'T';
    return table;
}
} // namespace detail

// ASCII letters to upper case, ă â Ă Â to A, î Î to I, ş Ş to S, ţ Ţ to T; every other byte as
// it is. For text without those letters the fold is the plain ASCII case fold.
inline constexpr std::array<unsigned char, 256> kFoldTable = detail::MakeFoldTable();

inline char FoldChar(char c) {
    return static_cast<char>(kFoldTable[static_cast<unsigned char>(c)]);
}

std::string Folded(std::string_view text);

bool EqualsFolded(std::string_view a, std::string_view b);

// Position of the first occurrence of `needle` in `text` compared folded, or npos.
std::size_t FindFolded(std::string_view text, std::string_view needle);

} // namespace savorel
