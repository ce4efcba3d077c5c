#pragma once

#include <string>
#include <string_view>

namespace savorel {

// Data files are 8-bit Windows-1250 text; windows work in Unicode. These convert at that
// boundary. Bytes that the code page leaves undefined map to the C1 control of the same
// value, so every byte survives a round trip.
char32_t Cp1250ToUnicode(unsigned char byte);

// The byte for a character, or -1 when the code page has none. The comma-below letters of
// Romanian (s, t with comma) fall back to their cedilla forms, which the code page has.
int UnicodeToCp1250(char32_t ch);

std::string Cp1250ToUtf8(std::string_view bytes);
// False when the text is not valid UTF-8 or holds a character the code page cannot hold;
// `bad` then receives that character (U+FFFD for broken UTF-8). Nothing is guessed.
[[nodiscard]] bool Utf8ToCp1250Exact(std::string_view utf8, std::string& out,
                                     char32_t* bad = nullptr);

void AppendUtf8(std::string& out, char32_t ch);

// Decodes one UTF-8 character at `i` and moves past it; U+FFFD for a broken sequence, which
// then counts as one byte.
char32_t NextUtf8(std::string_view utf8, std::size_t& i);

// The text as near as Windows-1250 holds it, for names that must live in the specified files:
// what the code page holds stays, other Latin letters lose their marks (è -> e, å -> a, ø -> o,
// œ -> oe), vulgar fractions are spelled ("1½" -> "1 1/2"), unusual blanks become blanks, and
// what has no spelling (emoji, other scripts, broken bytes, zero-width marks) is left out.
// Never a "?" that the text did not hold.
std::string Utf8ToCp1250Folded(std::string_view utf8);
// One character of that conversion appended to `out` (whose last byte the fractions look at).
void AppendCp1250Folded(std::string& out, char32_t ch);

// One Windows-1250 byte for one character, as Utf8ToCp1250Folded would begin it, or '?' when it
// has none: for positions that must stay one byte per character.
char Cp1250CharFolded(char32_t ch);

} // namespace savorel
