#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace savorel {

namespace detail {

// The pairing is fixed by these two constants: a shuffle of the 256 byte values driven by
// a xorshift generator, after which neighbours in the shuffled order become partners.
inline constexpr std::uint32_t kScrambleSeed = 0x5A17C0DEu;
inline constexpr int kScrambleRounds = 3;

constexpr std::array<unsigned char, 256> MakeScrambleTable() {
    std::array<int, 256> order{};
    for (int i = 0; i < 256; ++i)
        order[i] = i;
    std::uint32_t state = kScrambleSeed;
    for (int round = 0; round < kScrambleRounds; ++round) {
        for (int i = 255; i > 0; --i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int j = static_cast<int>(state % static_cast<std::uint32_t>(i + 1));
            const int t = order[i];
            order[i] = order[j];
            order[j] = t;
        }
    }
    std::array<unsigned char, 256> table{};
    for (int k = 0; k < 256; k += 2) {
        table[order[k]] = static_cast<unsigned char>(order[k + 1]);
        table[order[k + 1]] = static_cast<unsigned char>(order[k]);
    }
    return table;
}

constexpr bool IsSelfInverseWithoutFixedPoint(const std::array<unsigned char, 256>& t) {
    for (int b = 0; b < 256; ++b)
        if (t[b] == b || t[t[b]] != b)
            return false;
    return true;
}

} // namespace detail

// The one substitution through which every data file is read and written.
inline constexpr std::array<unsigned char, 256> ScrambleTable = detail::MakeScrambleTable();
static_assert(detail::IsSelfInverseWithoutFixedPoint(ScrambleTable));

inline unsigned char Scramble(unsigned char b) {
    return ScrambleTable[b];
}

// Scrambles (or, the table being its own inverse, unscrambles) a whole buffer.
std::string ScrambleBytes(std::string_view bytes);

// One byte through the table; -1 at end of file (no lookup then).
inline int ReadScrambledChar(std::FILE* f) {
    // Readers run single-threaded over streams they own; the unlocked read is several times
    // faster on the calorie tables, which are read again for every ingredient.
    const int c = getc_unlocked(f);
    return c == EOF ? -1 : ScrambleTable[static_cast<unsigned char>(c)];
}

// Writes every byte of text through the table, a byte that scrambles to zero included.
[[nodiscard]] bool WriteScrambledText(std::FILE* f, std::string_view text);

// The text, then the scrambled line feed.
[[nodiscard]] bool WriteScrambledLine(std::FILE* f, std::string_view text);

// Reads one line: carriage returns dropped, a line feed or end of file ends it. When `limit`
// characters are stored, the byte read at that moment is lost. The caller tests feof(f).
std::string ReadScrambledLine(std::FILE* f, std::size_t limit);

} // namespace savorel
