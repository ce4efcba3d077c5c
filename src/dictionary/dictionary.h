#pragma once

// The dictionary of culinary terms: dict.txt, one entry a line, word "#" explanation.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr const char* kDictionaryFile = "dict.txt";
// The word field is read as at most this many characters for a look-up.
inline constexpr std::size_t kDictionaryWordLimit = 99;
// The word field is read as at most this many characters after a marked word was pasted in.
inline constexpr std::size_t kMarkedWordLimit = 989;

inline constexpr const char* kWordNotFound = "Cuvantul nu a fost gasit in dictionar!!!";
inline constexpr const char* kNothingMarked =
    "selectati un cuvant (prin dublu clic cu mausu pe iel)";
inline constexpr const char* kDictionaryHelp = "Tastati cuvantul pe care doriti sa il cautati, \n"
                                               "apoi apasati butonul cu sageata in jos pentru a \n"
                                               "primi explicatia!!!";

struct DictionaryEntry {
    std::string word;        // up to the first "#" of the line
    std::string explanation; // the rest of the line; a further "#" belongs to it
};

// The entries of an unscrambled dictionary text, in file order. A line feed ends a line,
// carriage returns are dropped, a line without "#" is no entry, and a last line without a
// line feed counts like the others.
std::vector<DictionaryEntry> ParseDictionary(std::string_view text);

// The words of dict.txt in file order, for the list. No value when the file cannot be opened;
// it is opened for reading and writing, as the window always did.
[[nodiscard]] std::optional<std::vector<std::string>> ReadDictionaryWords();

enum class LookupResult { CannotOpen, NotFound, Found };

// Reads dict.txt and looks the word up; on Found `explanation` holds the entry's
// explanation, otherwise it is left as it was.
[[nodiscard]] LookupResult DictionaryLookup(std::string_view word, std::string& explanation);

// The typed word as the look-up takes it: blanks and tabs at its ends are no part of a word.
std::string_view TrimTypedWord(std::string_view typed);

// Whether `word` begins with the typed text (trimmed), both folded; nothing typed begins no
// word. Finding as the user types moves the list to the first such word.
bool WordStartsWith(std::string_view word, std::string_view typed);

// The word carried up from an explanation: read back as at most kMarkedWordLimit characters,
// then ";", "." and "," cut at the third and then at the second position from the end, and a
// last trailing blank removed.
std::string TrimMarkedWord(std::string_view text);

} // namespace savorel
