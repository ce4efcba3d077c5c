#pragma once

// The ingredient search: keys typed into three fields, tested against the whole text of every
// recipe the catalogue names. No index: every search reads the catalogue and the recipes again.
#include "core/report.h"

#include <functional>
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

// The examined start of a recipe file (at most kExaminedLimit bytes) unscrambled and folded,
// read as the search reads it; false, and `text` empty, when it cannot be read.
[[nodiscard]] bool ReadExaminedFolded(const std::string& fileName, std::string& text);

} // namespace savorel
