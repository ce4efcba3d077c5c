#include "core/collate.h"

#include <array>

namespace savorel {

namespace {

using Ranks = std::array<unsigned short, 256>;

// Blanks and signs first, then digits, then the letters in the alphabet's order; letters of
// other languages sort by their base letter, after it. Every byte not placed keeps its own
// value above all the letters.
constexpr Ranks MakeRanks() {
    Ranks ranks{};
    for (int b = 0; b < 256; ++b)
        ranks[b] = static_cast<unsigned short>(1000 + b);
    for (int b = 0; b < 0x80; ++b)
        if (!(b >= '0' && b <= '9') && !(b >= 'A' && b <= 'Z') && !(b >= 'a' && b <= 'z'))
            ranks[b] = static_cast<unsigned short>(b); // blanks and signs
    for (int d = 0; d < 10; ++d)
        ranks['0' + d] = static_cast<unsigned short>(200 + d);
    // Each letter owns ten places: the plain letter at 0, the Romanian ones after it.
    for (int l = 0; l < 26; ++l) {
        ranks['a' + l] = ranks['A' + l] = static_cast<unsigned short>(300 + 10 * l);
    }
    auto at = [&](char base, int step, std::initializer_list<int> bytes) {
        for (const int b : bytes)
            ranks[b] = static_cast<unsigned short>(300 + 10 * (base - 'a') + step);
    };
    at('a', 1, {0xE3, 0xC3}); // ă Ă
    at('a', 2, {0xE2, 0xC2}); // â Â
    at('i', 1, {0xEE, 0xCE}); // î Î
    at('s', 1, {0xBA, 0xAA}); // ş Ş
    at('t', 1, {0xFE, 0xDE}); // ţ Ţ
    // Letters of other languages the book's names hold, after their base letter.
    at('a', 5, {0xE1, 0xC1, 0xE4, 0xC4}); // á Á ä Ä
    at('c', 5, {0xE7, 0xC7, 0xE8, 0xC8}); // ç Ç č Č
    at('e', 5, {0xE9, 0xC9, 0xEB, 0xCB}); // é É ë Ë
    at('o', 5, {0xF3, 0xD3, 0xF6, 0xD6}); // ó Ó ö Ö
    at('u', 5, {0xFA, 0xDA, 0xFC, 0xDC}); // ú Ú ü Ü
    at('s', 5, {0x9A, 0x8A});             // š Š
    at('z', 5, {0x9E, 0x8E});             // ž Ž
    return ranks;
}
constexpr Ranks kRanks = MakeRanks();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Small letters before capitals when nothing else tells two texts apart.
int CaseOf(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || c == 0xC3 || c == 0xC2 || c == 0xCE || c == 0xAA || c == 0xDE
               ? 1
               : 0;
}

} // namespace

int CompareRomanian(std::string_view a, std::string_view b) {
    int tie = 0; // the first difference of case or of leading zeros
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Two numbers: by value, whatever their length; the zeros before them decide last.
            std::size_t zi = i, zj = j;
            while (zi < a.size() && a[zi] == '0')
                ++zi;
            while (zj < b.size() && b[zj] == '0')
                ++zj;
            std::size_t ei = zi, ej = zj;
            while (ei < a.size() && IsDigit(a[ei]))
                ++ei;
            while (ej < b.size() && IsDigit(b[ej]))
                ++ej;
            if (ei - zi != ej - zj)
                return ei - zi < ej - zj ? -1 : 1;
            for (std::size_t k = 0; k < ei - zi; ++k)
                if (a[zi + k] != b[zj + k])
                    return a[zi + k] < b[zj + k] ? -1 : 1;
            if (tie == 0 && zi - i != zj - j)
                tie = zi - i < zj - j ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (kRanks[ca] != kRanks[cb])
            return kRanks[ca] < kRanks[cb] ? -1 : 1;
        if (tie == 0 && ca != cb)
            tie =
                CaseOf(ca) != CaseOf(cb) ? (CaseOf(ca) < CaseOf(cb) ? -1 : 1) : (ca < cb ? -1 : 1);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return tie;
}

} // namespace savorel
