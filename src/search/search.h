#pragma once

// The ingredient search: keys typed into three fields, tested against the whole text of every
// recipe the catalogue names. No index: every search reads the catalogue and the recipes again.
#include "core/report.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr std::size_t kMaxSearchKeys = 20;
// Each field is read as at most this many characters.
inline constexpr std::size_t kSearchFieldLimit = 299;
// Only the start of a recipe file is examined.
inline constexpr std::size_t kExaminedLimit = 9999;
// The search reads the catalogue with its own line rule: longer lines continue as new lines.
inline constexpr std::size_t kSearchLineLimit = 2000;

inline constexpr const char* kKeyLimitMessage = "Numarul de chei cautate este limitat la 20 !!!!";
inline constexpr const char* kSearchNoCatalogue = " \n Cannot open virt-dir.txt\n";
inline constexpr const char* kSearchNoRecipe = " Cannot open the file ";
inline constexpr const char* kSearchHelpCaption = "Savorel";
inline constexpr const char* kSearchHelp =
    "Introduceti restrictiile pe care le doriti la cautarea in Savorel :\n"
    "ingrediente permise (acceptate), ingrediente nepermise (interzise)\n"
    "si ingrediente necesare (care sunt obligatorii pentru o reteta) separate de caracterul "
    "\"+\"!!!\n(De exemplu \"varza+carne de porc\"!)";
// Pushes the file name of a result entry out of the visible width of the list.
inline constexpr std::string_view kResultFiller =
    "                                                                            #";

// The keys of one field, in the order typed: each non-empty, without blanks or tabs at its
// ends, otherwise as typed (folding happens when comparing).
struct SearchKeyList {
    std::vector<std::string> keys;
    std::size_t Count() const { return keys.size(); }
    bool Empty() const { return keys.empty(); }
};

struct SearchKeys {
    SearchKeyList allowed;
    SearchKeyList forbidden;
    SearchKeyList required;
};

// Appends the keys of one field's text to `list`: "+" and "," separate keys, carriage returns
// and line feeds are dropped, blanks and tabs at both ends of a key are dropped, every other
// byte belongs to a key; a key of blanks only is no key. Keys after the twentieth of
// the list are left out; answers false when that happened (the caller says so once).
[[nodiscard]] bool ParseKeys(std::string_view fieldText, SearchKeyList& list);

// Whether `key` occurs in the first `length` bytes of `text`, compared folded (case and
// Romanian diacritics).
bool ContainsKey(const char* text, std::size_t length, std::string_view key);

// The pass rule: no forbidden key, every required key, and, when allowed keys were given, at
// least one of them.
bool TextMatches(std::string_view examined, const SearchKeys& keys);

// The examined text of a recipe file: at most kExaminedLimit bytes, unscrambled. False (and an
// empty text) when the file cannot be opened.
[[nodiscard]] bool ReadExaminedText(std::string_view fileName, std::string& text);

// Reads the recipe file and tests it; a file that cannot be opened is reported (caption-only
// box) and tested as an empty text.
bool RecipeMatches(std::string_view fileName, const SearchKeys& keys, Reporter& reporter);

// Cuts an unscrambled catalogue into lines by the search's rule: a line feed or the end of
// the text ends a line, carriage returns are dropped, kSearchLineLimit characters end a line
// too (what follows is the next line), and a last line without a line feed is taken.
std::vector<std::string> SplitSearchLines(std::string_view catalogue);

struct SearchRecipeLine {
    std::string name;     // up to the "~", blanks before it included
    std::string fileName; // after the "~", blanks and carriage returns removed
};

// A recipe line ("i" tag) of the catalogue; no value for any other line, and for a recipe line
// without "~", which names no file.
[[nodiscard]] std::optional<SearchRecipeLine> ParseSearchLine(std::string_view line);

// The text of a result list item, and the file name taken back out of it.
std::string ResultEntry(std::string_view name, std::string_view fileName);
std::string FileNameOfResult(std::string_view entry);

std::string SearchCountMessage(int count);

// The three fields as typed (Windows-1250 bytes).
struct SearchFields {
    std::string allowed;
    std::string forbidden;
    std::string required;
};

struct SearchMatch {
    int recipeNumber; // recipe lines counted from 1 in catalogue order
    std::string name;
    std::string fileName;
};

// One whole search: keys from the fields (limit messages first), then every recipe line of
// virt-dir.txt tested in catalogue order, `onMatch` called for each that passes. Answers the
// match count, or -1 when the catalogue cannot be opened (reported; no count follows).
// `keysUsed`, when given, receives the key lists the search ran with.
[[nodiscard]] int RunSearch(const SearchFields& fields, Reporter& reporter,
                            const std::function<void(const SearchMatch&)>& onMatch,
                            SearchKeys* keysUsed = nullptr);

} // namespace savorel
