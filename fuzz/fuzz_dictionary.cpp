// The dictionary: its reader, the look-up and the trimming of a marked word.
// Input: a word, then "@@", then the dictionary text.
#include "core/scramble.h"
#include "dictionary/dictionary.h"
#include "fuzz_util.h"
#include "support/reference.h"

#include <cstdint>

using namespace savorel;

namespace {

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [word, text] =
        fuzz::SplitAt(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    const auto entries = ParseDictionary(text);
    const DictionaryEntry* first = nullptr;
    for (const auto& e : entries) {
        FUZZ_CHECK(e.word.find_first_of("#\n\r") == std::string::npos);
        FUZZ_CHECK(e.explanation.find_first_of("\n\r") == std::string::npos);
        if (!first && SameWord(e.word, word))
            first = &e;
    }
    std::string explanation = "unchanged";
    const bool found = reference::FindExplanation(text, word, explanation);
    FUZZ_CHECK(found == (first != nullptr));
    if (found)
        FUZZ_CHECK(explanation == first->explanation);
    else
        FUZZ_CHECK(explanation == "unchanged");

    // The look-up reads dict.txt as a stream: the same answer as the rule over the text.
    fuzz::DataFolder();
    fuzz::WriteFile("dict.txt", ScrambleBytes(text));
    std::string streamed = "unchanged";
    const LookupResult result = DictionaryLookup(word, streamed);
    FUZZ_CHECK(result == (found ? LookupResult::Found : LookupResult::NotFound));
    FUZZ_CHECK(streamed == explanation);

    // Trimming only ever cuts the end of what was read back.
    const std::string trimmed = TrimMarkedWord(word);
    FUZZ_CHECK(trimmed.size() <= word.size());
    FUZZ_CHECK(word.substr(0, trimmed.size()) == trimmed);
    FUZZ_CHECK(word.size() - trimmed.size() <= word.size());
    return 0;
}
