#include "dictionary/dictionary.h"

#include "core/files.h"
#include "core/fold.h"
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

// Reads dict.txt entry by entry with bounded buffers, whatever the file's size: a line feed
// ends a line, carriage returns are dropped, a line without "#" is no entry. A word or an
// explanation longer than its bound keeps its first characters (a typed word is at most 99
// characters, so a longer word is never looked up anyway).
class DictionaryStream {
public:
    static constexpr std::size_t kWordBound = 4096;
    static constexpr std::size_t kExplanationBound = 65536;

    explicit DictionaryStream(std::FILE* f) : m_file(f) {}

    bool Next(std::string& word, std::string& explanation) {
        for (;;) {
            word.clear();
            explanation.clear();
            int c = ReadScrambledChar(m_file);
            if (c == -1)
                return false;
            while (c != -1 && c != '\n' && c != '#') {
                if (c != '\r' && word.size() < kWordBound)
                    word.push_back(static_cast<char>(c));
                c = ReadScrambledChar(m_file);
            }
            if (c != '#')
                continue; // no entry on this line
            for (c = ReadScrambledChar(m_file); c != -1 && c != '\n'; c = ReadScrambledChar(m_file))
                if (c != '\r' && explanation.size() < kExplanationBound)
                    explanation.push_back(static_cast<char>(c));
            return true;
        }
    }

private:
    std::FILE* m_file;
};

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
    FilePtr f = OpenDataFile(kDictionaryFile, "r+b");
    if (!f)
        return std::nullopt;
    DictionaryStream stream(f.get());
    std::vector<std::string> words;
    std::string word, explanation;
    while (stream.Next(word, explanation))
        words.push_back(word);
    return words;
}

LookupResult DictionaryLookup(std::string_view word, std::string& explanation) {
    FilePtr f = OpenDataFile(kDictionaryFile, "r+b");
    if (!f)
        return LookupResult::CannotOpen;
    DictionaryStream stream(f.get());
    std::string entryWord, entryExplanation;
    while (stream.Next(entryWord, entryExplanation))
        if (EqualsFolded(entryWord, word)) {
            explanation = entryExplanation;
            return LookupResult::Found;
        }
    return LookupResult::NotFound;
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

std::string_view TrimTypedWord(std::string_view typed) {
    const std::size_t first = typed.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
}

bool WordStartsWith(std::string_view word, std::string_view typed) {
    typed = TrimTypedWord(typed);
    if (typed.empty() || typed.size() > word.size())
        return false;
    return EqualsFolded(word.substr(0, typed.size()), typed);
}

} // namespace savorel
