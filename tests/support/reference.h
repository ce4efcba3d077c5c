#pragma once

// Plain restatements of rules the program carries out in faster or streaming forms: one key,
// one window, one line at a time. Tests, fuzzers and benchmarks hold the program's readers
// against these; the program itself never calls them.
#include "search/search.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel::reference {

// Whether `key` occurs in the first `length` bytes of `text`, compared folded (case and
// Romanian diacritics), window by window.
bool ContainsKey(const char* text, std::size_t length, std::string_view key);

// The search's pass rule over an examined text: no forbidden key, every required key, and,
// when allowed keys were given, at least one of them.
bool TextMatches(std::string_view examined, const SearchKeys& keys);

// The search's line rule over an unscrambled catalogue: a line feed or the end of the text
// ends a line, carriage returns are dropped, kSearchLineLimit characters end a line too (what
// follows is the next line), and a last line without a line feed is taken.
std::vector<std::string> SplitSearchLines(std::string_view catalogue);

// A recipe line ("i" tag) of the catalogue as the search reads it; no value for any other
// line, and for a recipe line without "~", which names no file.
struct SearchRecipeLine {
    std::string name;     // up to the "~", blanks before it included
    std::string fileName; // after the "~", blanks and carriage returns removed
};
std::optional<SearchRecipeLine> ParseSearchLine(std::string_view line);

// The first dictionary entry whose word equals `word` compared folded, in an unscrambled
// dictionary text; `explanation` is left as it was when there is none.
bool FindExplanation(std::string_view text, std::string_view word, std::string& explanation);

} // namespace savorel::reference
