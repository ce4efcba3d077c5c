#include "dictionary/terms.h"

#include "catalogue/recipe_model.h"
#include "core/files.h"
#include "core/fold.h"
#include "core/scramble.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace savorel {

namespace {

// Letters and digits of Windows-1250: what a word is made of.
constexpr std::array<bool, 256> MakeWordBytes() {
    std::array<bool, 256> word{};
    for (int b = 0; b < 256; ++b)
        word[b] = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                  (b >= 0xC0 && b != 0xD7 && b != 0xF7);
    for (const int b : {0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x9A, 0x9C, 0x9D, 0x9E, 0x9F,
                        0xA3, 0xA5, 0xAA, 0xAF, 0xB3, 0xB9, 0xBA, 0xBC, 0xBE, 0xBF})
        word[b] = true;
    return word;
}
constexpr std::array<bool, 256> kWordByte = MakeWordBytes();

bool IsWordByte(char c) {
    return kWordByte[static_cast<unsigned char>(c)];
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// The folded words of an entry, blanks and tabs as separators.
std::vector<std::string> FoldedWords(std::string_view phrase) {
    std::vector<std::string> words;
    std::string current;
    for (const char c : phrase) {
        if (c == ' ' || c == '\t') {
            if (!current.empty())
                words.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(FoldChar(c));
        }
    }
    if (!current.empty())
        words.push_back(std::move(current));
    return words;
}

std::string Join(const std::vector<std::string>& words, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (!out.empty())
            out.push_back(' ');
        out += words[i];
    }
    return out;
}

// The folded phrases that stand for one entry: the word itself, or for a verb entry its forms
// followed by the rest of the phrase.
std::vector<std::string> Phrases(std::string_view word) {
    const std::vector<std::string> words = FoldedWords(word);
    if (words.empty())
        return {};
    std::size_t verb = 0;
    if (words.size() >= 2 && words[0] == "A")
        verb = (words.size() >= 3 && words[1] == "SE") ? 2 : 1;
    if (verb == 0)
        return {Join(words, 0)};
    const std::string rest = Join(words, verb + 1);
    std::vector<std::string> phrases;
    for (std::string form : VerbForms(words[verb])) {
        if (!rest.empty()) {
            form += ' ';
            form += rest;
        }
        phrases.push_back(std::move(form));
    }
    return phrases;
}

bool IsVerbEntry(std::string_view word) {
    const std::vector<std::string> words = FoldedWords(word);
    return words.size() >= 2 && words[0] == "A";
}

} // namespace

std::vector<std::string> VerbForms(std::string_view verb) {
    struct Ending {
        std::string_view ending;
        std::vector<std::string_view> forms;
    };
    static const Ending kEndings[] = {
        {"EA", {"EA", "E", "ETI", "EM", "AND", "UT"}},
        {"A", {"A", "ATI", "AM", "AND", "AT", "ATA", "ATE", "EAZA", "EZA"}},
        {"I", {"I", "ESTE", "ESC", "ITI", "IM", "IND", "IT", "ITA", "ITE", "ASTE"}},
        {"E", {"E", "ETI", "EM", "AND", "UT", "UTA", "UTE"}},
    };
    std::vector<std::string> forms;
    for (const Ending& e : kEndings) {
        if (!EndsWith(verb, e.ending) || verb.size() == e.ending.size())
            continue;
        const std::string_view stem = verb.substr(0, verb.size() - e.ending.size());
        for (const std::string_view f : e.forms)
            forms.push_back(std::string(stem) + std::string(f));
        // Verbs in "-ia" take "-iaza" where others take "-eaza": a subtia, subtiaza.
        if (e.ending == "A" && !stem.empty() && stem.back() == 'I')
            forms.push_back(std::string(stem) + "AZA");
        return forms;
    }
    forms.emplace_back(verb);
    return forms;
}

struct TermFinder::Index {
    struct Pattern {
        std::string phrase; // folded, one blank between words
        std::size_t entry;
        bool verbForm; // built from a verb entry rather than written in the dictionary
    };
    // Keyed by the phrase's first word (up to its first byte that is no word byte).
    std::unordered_map<std::string, std::vector<Pattern>> byFirstWord;

    // Length of the text the phrase covers at `pos`, or 0.
    static std::size_t MatchAt(std::string_view text, std::size_t pos, std::string_view phrase) {
        std::size_t j = pos;
        for (std::size_t i = 0; i < phrase.size(); ++i) {
            if (phrase[i] == ' ') {
                if (j >= text.size() || !IsSpace(text[j]))
                    return 0;
                while (j < text.size() && IsSpace(text[j]))
                    ++j;
                continue;
            }
            if (j >= text.size() || FoldChar(text[j]) != phrase[i])
                return 0;
            ++j;
        }
        if (j < text.size() && IsWordByte(text[j]) && IsWordByte(phrase.back()))
            return 0;
        return j - pos;
    }
};

TermFinder::TermFinder(std::vector<DictionaryEntry> entries)
    : m_entries(std::move(entries)), m_index(std::make_unique<Index>()) {
    std::unordered_set<std::string> seen; // a word listed twice: the first is the one found
    for (std::size_t e = 0; e < m_entries.size(); ++e) {
        if (!seen.insert(Folded(m_entries[e].word)).second)
            continue;
        const bool verb = IsVerbEntry(m_entries[e].word);
        for (std::string& phrase : Phrases(m_entries[e].word)) {
            if (!IsWordByte(phrase[0]))
                continue;
            std::size_t first = 0;
            while (first < phrase.size() && IsWordByte(phrase[first]))
                ++first;
            std::string key = phrase.substr(0, first);
            m_index->byFirstWord[std::move(key)].push_back({std::move(phrase), e, verb});
        }
    }
}

TermFinder::~TermFinder() = default;

std::vector<TermSpan> TermFinder::Find(std::string_view text) const {
    std::vector<TermSpan> spans;
    std::string key;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (!IsWordByte(text[pos]) || (pos > 0 && IsWordByte(text[pos - 1]))) {
            ++pos;
            continue;
        }
        std::size_t tokenEnd = pos;
        key.clear();
        while (tokenEnd < text.size() && IsWordByte(text[tokenEnd]))
            key.push_back(FoldChar(text[tokenEnd++]));
        const auto found = m_index->byFirstWord.find(key);
        std::size_t best = 0, entry = 0;
        bool bestIsVerbForm = false;
        if (found != m_index->byFirstWord.end())
            for (const Index::Pattern& p : found->second) {
                const std::size_t length = Index::MatchAt(text, pos, p.phrase);
                // A word the dictionary lists as it stands ("clatite") is meant before the
                // same letters made from a verb ("a clati").
                if (length > best ||
                    (length == best && length > 0 && bestIsVerbForm && !p.verbForm)) {
                    best = length;
                    entry = p.entry;
                    bestIsVerbForm = p.verbForm;
                }
            }
        if (best > 0) {
            spans.push_back({pos, pos + best, entry});
            pos += best;
        } else {
            pos = tokenEnd;
        }
    }
    return spans;
}

std::vector<std::size_t> TermFinder::UsedBy(std::string_view recipeText) const {
    // Either form of recipe file; the author is no part of the recipe's text.
    const std::string text = TermsTextOf(ReadRecipe(recipeText));
    std::vector<std::size_t> used;
    std::unordered_set<std::size_t> seen;
    for (const TermSpan& span : Find(text))
        if (seen.insert(span.entry).second)
            used.push_back(span.entry);
    return used;
}

std::unique_ptr<TermFinder> LoadTermFinder() {
    std::string text;
    if (!ReadWholeDataFile(kDictionaryFile, text))
        return nullptr;
    return std::make_unique<TermFinder>(ParseDictionary(ScrambleBytes(text)));
}

} // namespace savorel
