#pragma once

// The order Romanian readers expect of a sorted list: a ă â b c ... i î j ... s ş t ţ u ... z,
// capitals beside their small letters, and numbers by their value ("copie 2" before
// "copie 10"). Works on Windows-1250 bytes, as the lists' entries are stored.
#include <string_view>

namespace savorel {

// Negative, zero or positive as `a` sorts before, with or after `b`. Text that differs only in
// case or in the zeros that lead a number sorts by those, so that the order is total.
int CompareRomanian(std::string_view a, std::string_view b);

inline bool RomanianLess(std::string_view a, std::string_view b) {
    return CompareRomanian(a, b) < 0;
}

} // namespace savorel
