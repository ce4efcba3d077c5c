#include "dictionary/dictionary.h"

#include "core/files.h"
#include "core/scramble.h"

namespace savorel {

namespace {

// Calls fn(word, explanation) for every entry in file order until it answers false.
template <typename Fn> void ForEachEntry(std::string_view text, Fn&& fn) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t hash = line.find('#');
        if (hash == std::string_view::npos)
            continue;
        if (!fn(line.substr(0, hash), line.substr(hash + 1)))
            return;
    }
}

std::string WithoutCarriageReturns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != '\r')
            out.push_back(c);
    return out;
}

bool WordEquals(std::string_view entryWord, std::string_view word) {
    if (entryWord.find('\r') == std::string_view::npos)
        return EqualsIgnoreAsciiCase(entryWord, word);
    return EqualsIgnoreAsciiCase(WithoutCarriageReturns(entryWord), word);
}

// dict.txt unscrambled; false when it cannot be opened with the window's mode.
bool ReadDictionaryText(std::string& text) {
    FilePtr f = OpenDataFile(kDictionaryFile, "r+b");
    if (!f)
        return false;
    text.clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
        for (std::size_t i = 0; i < n; ++i)
            text.push_back(static_cast<char>(Scramble(static_cast<unsigned char>(buffer[i]))));
    return true;
}

} // namespace

std::vector<DictionaryEntry> ParseDictionary(std::string_view text) {
    std::vector<DictionaryEntry> entries;
    ForEachEntry(text, [&](std::string_view word, std::string_view explanation) {
        entries.push_back({WithoutCarriageReturns(word), WithoutCarriageReturns(explanation)});
        return true;
    });
    return entries;
}

std::optional<std::vector<std::string>> ReadDictionaryWords() {
    std::string text;
    if (!ReadDictionaryText(text))
        return std::nullopt;
    std::vector<std::string> words;
    ForEachEntry(text, [&](std::string_view word, std::string_view) {
        words.push_back(WithoutCarriageReturns(word));
        return true;
    });
    return words;
}

bool FindExplanation(std::string_view text, std::string_view word, std::string& explanation) {
    bool found = false;
    ForEachEntry(text, [&](std::string_view entryWord, std::string_view entryExplanation) {
        if (!WordEquals(entryWord, word))
            return true;
        explanation = WithoutCarriageReturns(entryExplanation);
        found = true;
        return false;
    });
    return found;
}

int DictionaryLookup(std::string_view word, std::string& explanation) {
    std::string text;
    if (!ReadDictionaryText(text))
        return kLookupCannotOpen;
    return FindExplanation(text, word, explanation) ? kLookupFound : kLookupNotFound;
}

std::string TrimMarkedWord(std::string_view text) {
    std::string word(text.substr(0, kMarkedWordLimit));
    // Cuts at `back` characters from the end when that character is `c`.
    auto cut = [&word](std::size_t back, char c) {
        if (word.size() >= back && word[word.size() - back] == c)
            word.resize(word.size() - back);
    };
    for (const std::size_t back : {std::size_t{3}, std::size_t{2}})
        for (const char c : {';', '.', ','})
            cut(back, c);
    if (!word.empty() && word.back() == ' ')
        word.pop_back();
    return word;
}

} // namespace savorel
