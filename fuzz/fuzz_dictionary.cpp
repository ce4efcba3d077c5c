// The dictionary: its reader, the look-up and the trimming of a marked word.
// Input: a word, then "@@", then the dictionary text.
//
// The oracle below restates the dictionary's rules on its own, without the program's reader
// or fold: a line feed ends a line, carriage returns are dropped, the word runs to the first
// "#" and a line without one is no entry; the first entry whose word equals the typed word
// wins, compared with ASCII case and the Romanian letters of Windows-1250 folded (a-breve and
// a-circumflex as A, i-circumflex as I, s-cedilla as S, t-cedilla as T, either case).
#include "core/scramble.h"
#include "dictionary/dictionary.h"
#include "fuzz_util.h"
#include "support/reference.h"

#include <cstdint>
#include <vector>

using namespace savorel;

namespace {

struct Line {
    std::string word;
    std::string explanation;
};

std::vector<Line> Lines(std::string_view text) {
    std::vector<Line> lines;
    std::string current;
    auto finish = [&] {
        const std::size_t hash = current.find('#');
        if (hash != std::string::npos)
            lines.push_back({current.substr(0, hash), current.substr(hash + 1)});
        current.clear();
    };
    for (const char c : text) {
        if (c == '\n')
            finish();
        else if (c != '\r')
            current.push_back(c);
    }
    finish();
    return lines;
}

char Fold(char c) {
    switch (static_cast<unsigned char>(c)) {
    case 0xE3: // a-breve
    case 0xC3:
    case 0xE2: // a-circumflex
    case 0xC2:
        return 'A';
    case 0xEE: // i-circumflex
    case 0xCE:
        return 'I';
    case 0xBA: // s-cedilla
    case 0xAA:
        return 'S';
    case 0xFE: // t-cedilla
    case 0xDE:
        return 'T';
    default:
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [word, text] =
        fuzz::SplitAt(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    const std::vector<Line> lines = Lines(text);
    const Line* first = nullptr;
    for (const Line& line : lines)
        if (!first && SameWord(line.word, word))
            first = &line;

    // The reader gives the same entries, in file order.
    const auto entries = ParseDictionary(text);
    FUZZ_CHECK(entries.size() == lines.size());
    for (std::size_t i = 0; i < entries.size() && i < lines.size(); ++i) {
        FUZZ_CHECK(entries[i].word == lines[i].word);
        FUZZ_CHECK(entries[i].explanation == lines[i].explanation);
        FUZZ_CHECK(entries[i].word.find_first_of("#\n\r") == std::string::npos);
        FUZZ_CHECK(entries[i].explanation.find_first_of("\n\r") == std::string::npos);
    }

    // The test suite's restatement agrees.
    std::string explanation = "unchanged";
    const bool found = reference::FindExplanation(text, word, explanation);
    FUZZ_CHECK(found == (first != nullptr));
    FUZZ_CHECK(explanation == (first ? first->explanation : "unchanged"));

    // The look-up reads dict.txt as a stream with bounded buffers, which no typed word can
    // reach; the explanation keeps its first 65536 characters.
    fuzz::DataFolder();
    fuzz::WriteFile("dict.txt", ScrambleBytes(text));
    std::string streamed = "unchanged";
    const LookupResult result = DictionaryLookup(word, streamed);
    if (word.size() < 4096) {
        FUZZ_CHECK(result == (first ? LookupResult::Found : LookupResult::NotFound));
        FUZZ_CHECK(streamed == (first ? first->explanation.substr(0, 65536) : "unchanged"));
    }

    // Trimming only ever cuts the end of what was read back.
    const std::string trimmed = TrimMarkedWord(word);
    FUZZ_CHECK(trimmed.size() <= word.size());
    FUZZ_CHECK(word.substr(0, trimmed.size()) == trimmed);
    FUZZ_CHECK(word.size() - trimmed.size() <= word.size());
    return 0;
}
