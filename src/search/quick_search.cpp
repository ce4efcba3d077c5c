#include "search/quick_search.h"

#include "core/fold.h"
#include "search/search.h"

#include <algorithm>

namespace savorel {

namespace {

// Answers kept for erasing letters: one per letter of a long query is plenty.
constexpr std::size_t kRememberedAnswers = 16;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The folded query as it is compared: blanks at the start dropped, the rest as typed.
std::string FoldedQuery(std::string_view query) {
    query = query.substr(0, kQuickQueryLimit);
    std::size_t start = 0;
    while (start < query.size() && IsBlank(query[start]))
        ++start;
    return Folded(query.substr(start));
}

bool HasAll(std::string_view text, const std::vector<std::string>& words) {
    for (const std::string& w : words)
        if (text.find(w) == std::string_view::npos)
            return false;
    return true;
}

bool EachInEither(std::string_view a, std::string_view b, const std::vector<std::string>& words) {
    for (const std::string& w : words)
        if (a.find(w) == std::string_view::npos && b.find(w) == std::string_view::npos)
            return false;
    return true;
}

} // namespace

std::string_view IngredientsOfExamined(std::string_view folded) {
    const std::size_t first = folded.find('#');
    if (first == std::string_view::npos)
        return {};
    const std::size_t second = folded.find('#', first + 1);
    if (second == std::string_view::npos)
        return {};
    std::string_view rest = folded.substr(second + 1);
    rest = rest.substr(0, rest.find('#'));
    return rest.substr(0, kQuickIngredientLimit);
}

std::vector<std::string> QuickWords(std::string_view query) {
    const std::string folded = FoldedQuery(query);
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < folded.size() && words.size() < kQuickWordLimit) {
        while (i < folded.size() && IsBlank(folded[i]))
            ++i;
        std::size_t end = i;
        while (end < folded.size() && !IsBlank(folded[end]))
            ++end;
        if (end > i)
            words.push_back(folded.substr(i, end - i));
        i = end;
    }
    return words;
}

void QuickIndex::Reset(const CategoryTable& table) {
    m_entries.clear();
    m_names.clear();
    m_titles.clear();
    m_ingredients.clear();
    m_read = 0;
    ++m_generation;
    for (std::size_t c = 0; c < table.categories.size(); ++c) {
        const auto& subs = table.categories[c].subcategories;
        for (std::size_t s = 0; s < subs.size(); ++s)
            for (std::size_t r = 0; r < subs[s].recipes.size(); ++r)
                AddEntry(subs[s].recipes[r].name, subs[s].recipes[r].fileName,
                         {static_cast<int>(c), static_cast<int>(s), static_cast<int>(r)});
    }
}

void QuickIndex::AddEntry(std::string_view title, std::string_view fileName, QuickPlace place) {
    Entry e;
    e.place = place;
    e.nameAt = static_cast<std::uint32_t>(m_names.size());
    e.titleSize = static_cast<std::uint32_t>(title.size());
    e.fileSize = static_cast<std::uint32_t>(fileName.size());
    m_names += title;
    m_names += fileName;
    e.foldedAt = static_cast<std::uint32_t>(m_titles.size());
    m_titles += Folded(title);
    m_entries.push_back(e);
}

void QuickIndex::Add(std::string_view title, std::string_view fileName,
                     std::string_view ingredients, QuickPlace place) {
    // Entries added whole stand after those already read, never among unread ones.
    AddEntry(title, fileName, place);
    Entry& e = m_entries.back();
    const std::string folded = Folded(ingredients.substr(0, kQuickIngredientLimit));
    e.ingredientsAt = static_cast<std::uint32_t>(m_ingredients.size());
    e.ingredientsSize = static_cast<std::uint32_t>(folded.size());
    m_ingredients += folded;
    if (m_read + 1 == m_entries.size())
        ++m_read;
    ++m_generation;
}

bool QuickIndex::ReadIngredients(std::size_t files) {
    const std::size_t before = m_read;
    for (; files > 0 && m_read < m_entries.size(); --files, ++m_read) {
        Entry& e = m_entries[m_read];
        const std::string name(FileName(m_read));
        const std::string_view ingredients = ReadExaminedFolded(name, m_scratch)
                                                 ? IngredientsOfExamined(m_scratch)
                                                 : std::string_view();
        e.ingredientsAt = static_cast<std::uint32_t>(m_ingredients.size());
        e.ingredientsSize = static_cast<std::uint32_t>(ingredients.size());
        m_ingredients += ingredients;
    }
    if (m_read != before)
        ++m_generation;
    return Complete();
}

std::string_view QuickIndex::Title(std::size_t i) const {
    const Entry& e = m_entries[i];
    return std::string_view(m_names).substr(e.nameAt, e.titleSize);
}

std::string_view QuickIndex::FileName(std::size_t i) const {
    const Entry& e = m_entries[i];
    return std::string_view(m_names).substr(e.nameAt + e.titleSize, e.fileSize);
}

std::string_view QuickIndex::FoldedTitle(std::size_t i) const {
    const Entry& e = m_entries[i];
    return std::string_view(m_titles).substr(e.foldedAt, e.titleSize);
}

std::string_view QuickIndex::FoldedIngredients(std::size_t i) const {
    if (i >= m_read)
        return {};
    const Entry& e = m_entries[i];
    return std::string_view(m_ingredients).substr(e.ingredientsAt, e.ingredientsSize);
}

void QuickSearch::SetQuery(std::string_view query) {
    Remember();
    m_query = FoldedQuery(query);
    m_words = QuickWords(query);
    m_generation = m_index.Generation();
    m_titles.clear();
    m_others.clear();
    m_candidates.clear();
    m_next = 0;
    m_fromAll = true;
    m_candidateCount = m_words.empty() ? 0 : m_index.Size();
    if (m_words.empty())
        return;
    // The longest earlier answer whose query this one extends: every word of this query
    // holds a word of that one, so nothing outside its matches can match.
    const Answer* best = nullptr;
    for (const Answer& a : m_answers)
        if (a.generation == m_generation && m_query.compare(0, a.query.size(), a.query) == 0 &&
            (!best || a.query.size() > best->query.size()))
            best = &a;
    if (!best)
        return;
    if (best->query == m_query) {
        m_titles = best->titles;
        m_others = best->others;
        m_candidateCount = 0;
        return;
    }
    m_fromAll = false;
    m_candidates.resize(best->titles.size() + best->others.size());
    std::merge(best->titles.begin(), best->titles.end(), best->others.begin(), best->others.end(),
               m_candidates.begin());
    m_candidateCount = m_candidates.size();
}

bool QuickSearch::Step(std::size_t entries) {
    if (m_generation != m_index.Generation()) {
        // The index grew or changed under the query: start it again over everything.
        const std::string query = m_query;
        m_answers.clear();
        m_titles.clear();
        m_others.clear();
        SetQuery(query);
    }
    const std::size_t end = std::min(m_candidateCount, m_next + entries);
    for (; m_next < end; ++m_next) {
        const std::uint32_t i = Candidate(m_next);
        const std::string_view title = m_index.FoldedTitle(i);
        if (HasAll(title, m_words))
            m_titles.push_back(i);
        else if (EachInEither(title, m_index.FoldedIngredients(i), m_words))
            m_others.push_back(i);
    }
    return Done();
}

void QuickSearch::Run() {
    while (!Step(4096)) {
    }
}

void QuickSearch::Remember() {
    if (m_words.empty() || !Done() || m_generation != m_index.Generation())
        return;
    for (auto it = m_answers.begin(); it != m_answers.end(); ++it)
        if (it->query == m_query) {
            m_answers.erase(it);
            break;
        }
    m_answers.push_front({m_query, m_generation, m_titles, m_others});
    if (m_answers.size() > kRememberedAnswers)
        m_answers.pop_back();
}

} // namespace savorel
