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

} // namespace savorel
