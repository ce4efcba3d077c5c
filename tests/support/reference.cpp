#include "support/reference.h"

#include "core/fold.h"
#include "dictionary/dictionary.h"

namespace savorel::reference {

bool ContainsKey(const char* text, std::size_t length, std::string_view key) {
    for (std::size_t start = 0; start + key.size() <= length; ++start) {
        std::size_t i = 0;
        while (i < key.size() && FoldChar(text[start + i]) == FoldChar(key[i]))
            ++i;
        if (i == key.size())
            return true;
    }
    return false;
}

bool TextMatches(std::string_view examined, const SearchKeys& keys) {
    auto has = [&](const std::string& key) {
        return ContainsKey(examined.data(), examined.size(), key);
    };
    for (const auto& k : keys.forbidden.keys)
        if (has(k))
            return false;
    for (const auto& k : keys.required.keys)
        if (!has(k))
            return false;
    if (keys.allowed.Empty())
        return true;
    for (const auto& k : keys.allowed.keys)
        if (has(k))
            return true;
    return false;
}

std::vector<std::string> SplitSearchLines(std::string_view catalogue) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false; // the current line has characters, carriage returns included
    bool cut = false;  // a piece of the current line already went out at the limit
    for (const char c : catalogue) {
        if (c == '\n') {
            // A line cut exactly at the limit and then ended makes no empty line of its own.
            if (!(cut && line.empty()))
                lines.push_back(line);
            line.clear();
            open = cut = false;
            continue;
        }
        open = true;
        if (c == '\r')
            continue;
        line.push_back(c);
        if (line.size() == kSearchLineLimit) {
            lines.push_back(line);
            line.clear();
            cut = true;
        }
    }
    if (open && !(cut && line.empty()))
        lines.push_back(line);
    return lines;
}

std::optional<SearchRecipeLine> ParseSearchLine(std::string_view line) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i == line.size() || line[i] != 'i')
        return std::nullopt;
    ++i;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    const std::size_t tilde = line.find('~', i);
    if (tilde == std::string_view::npos)
        return std::nullopt;
    SearchRecipeLine recipe;
    recipe.name = std::string(line.substr(i, tilde - i));
    std::size_t j = tilde + 1;
    while (j < line.size() && isBlank(line[j]))
        ++j;
    for (const char c : line.substr(j))
        if (c != ' ' && c != '\r')
            recipe.fileName.push_back(c);
    return recipe;
}

bool FindExplanation(std::string_view text, std::string_view word, std::string& explanation) {
    for (const DictionaryEntry& entry : ParseDictionary(text))
        if (EqualsFolded(entry.word, word)) {
            explanation = entry.explanation;
            return true;
        }
    return false;
}

} // namespace savorel::reference
