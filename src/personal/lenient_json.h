#pragma once

// JSON as web pages write it inside their <script type="application/ld+json"> blocks, which
// browsers never check: read tolerantly where the sloppiness is common and harmless, and
// within limits, so that no file can exhaust the stack or throw.
#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace savorel {

inline constexpr std::size_t kLenientJsonSizeLimit = 16u << 20;
inline constexpr int kLenientJsonDepthLimit = 64;

enum class LenientJsonResult {
    Value, // `out` holds what the text says
    Empty, // nothing but blanks and comments
    Error  // `error` says where and why, in Romanian without diacritics
};

// Strict JSON reads exactly as a strict reader reads it. Beyond that it accepts: line breaks,
// tabs and other control characters raw inside strings; a "," before "}" or "]"; "/* */",
// "//" comments between tokens, and "<!--" and "-->" as scripts take them (each the start of a
// comment to the end of its line); ";" or "," after the value; several values one
// after another (read as an array of them); the escape "\'" and other needless escapes
// ("\x" is "x"); broken UTF-8 inside strings (each broken byte U+FFFD). It refuses, with a
// message: text over kLenientJsonSizeLimit, nesting deeper than kLenientJsonDepthLimit
// (counted before anything is built), numbers out of the range of a double (1e400).
LenientJsonResult ParseLenientJson(std::string_view text, nlohmann::ordered_json& out,
                                   std::string& error);

// How deeply arrays and objects nest in a text, strings and comments aside.
int LenientJsonDepth(std::string_view text);

} // namespace savorel
