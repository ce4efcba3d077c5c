#pragma once

// The main window's search box: every recipe of the catalogue (the book's and the own ones)
// found by its title and its ingredients while the user types. Titles and ingredients are kept
// folded in memory, so a key press compares bytes only; ingredients are read a few files at a
// time, so that neither start-up nor typing waits for a large catalogue.
#include "catalogue/catalogue.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

// What is looked at of a query, and how many of its words.
inline constexpr std::size_t kQuickQueryLimit = 200;
inline constexpr std::size_t kQuickWordLimit = 10;
// Ingredients kept of one recipe: enough for any real list, bounded for a hostile file.
inline constexpr std::size_t kQuickIngredientLimit = 4000;

// Where an entry stands in the catalogue.
struct QuickPlace {
    int category = -1;
    int subcategory = -1;
    int recipe = -1;
};

// The ingredients of a recipe's folded examined text: between its second and third "#" (to
// the end when the third is missing), at most kQuickIngredientLimit bytes.
std::string_view IngredientsOfExamined(std::string_view folded);

// The words of a query, folded (Windows-1250 bytes in): blanks and tabs separate words, and
// at most kQuickWordLimit words of the first kQuickQueryLimit bytes count.
std::vector<std::string> QuickWords(std::string_view query);

class QuickIndex {
public:
    // Every recipe of `table`, titles at once; ingredients still to be read.
    void Reset(const CategoryTable& table);
    // An entry with its ingredients already known (folded or not): tests and benchmarks.
    void Add(std::string_view title, std::string_view fileName, std::string_view ingredients,
             QuickPlace place = {});

    // Reads the ingredients of at most `files` more recipes, in catalogue order; answers
    // whether every recipe's ingredients are now known. A file that cannot be read has none.
    bool ReadIngredients(std::size_t files);
    bool Complete() const { return m_read == m_entries.size(); }
    // Changes whenever what a search would find may have changed.
    std::uint64_t Generation() const { return m_generation; }

    std::size_t Size() const { return m_entries.size(); }
    // As the catalogue spells them.
    std::string_view Title(std::size_t i) const;
    std::string_view FileName(std::size_t i) const;
    QuickPlace Place(std::size_t i) const { return m_entries[i].place; }
    std::string_view FoldedTitle(std::size_t i) const;
    std::string_view FoldedIngredients(std::size_t i) const;

private:
    // Text lives in three long strings, so 100,000 entries cost no allocation each.
    struct Entry {
        QuickPlace place;
        std::uint32_t nameAt = 0, titleSize = 0, fileSize = 0; // title, then file name
        std::uint32_t foldedAt = 0;
        std::uint32_t ingredientsAt = 0, ingredientsSize = 0;
    };
    void AddEntry(std::string_view title, std::string_view fileName, QuickPlace place);

    std::vector<Entry> m_entries;
    std::string m_names;       // titles and file names as the catalogue spells them
    std::string m_titles;      // folded titles, one after the other
    std::string m_ingredients; // folded ingredients, in catalogue order
    std::size_t m_read = 0;    // entries whose ingredients are known
    std::uint64_t m_generation = 0;
    std::string m_scratch;
};

// One query at a time over an index, worked off in steps so the window can take key presses
// between them. A query that extends an earlier one (a letter typed) is looked for among that
// one's matches only; one typed before (a letter erased) is answered from memory.
class QuickSearch {
public:
    explicit QuickSearch(const QuickIndex& index) : m_index(index) {}

    // Starts a query (Windows-1250 bytes as typed); an empty one finds nothing at once.
    void SetQuery(std::string_view query);
    // Examines at most `entries` more candidates; answers whether the query is answered.
    bool Step(std::size_t entries);
    bool Done() const { return m_next >= m_candidateCount; }
    // Finishes the query in one go (tests, benchmarks).
    void Run();

    // Index positions, in catalogue order: entries whose title holds every word, then those
    // where each word is in the title or the ingredients. Complete once Done().
    const std::vector<std::uint32_t>& TitleMatches() const { return m_titles; }
    const std::vector<std::uint32_t>& OtherMatches() const { return m_others; }
    std::size_t MatchCount() const { return m_titles.size() + m_others.size(); }
    // The i-th match, titles first.
    std::uint32_t Match(std::size_t i) const {
        return i < m_titles.size() ? m_titles[i] : m_others[i - m_titles.size()];
    }

    // Candidates the last query examined (how much narrowing saved).
    std::size_t CandidateCount() const { return m_candidateCount; }

private:
    struct Answer {
        std::string query; // folded, blanks kept
        std::uint64_t generation;
        std::vector<std::uint32_t> titles, others;
    };
    void Remember();
    std::uint32_t Candidate(std::size_t i) const {
        return m_fromAll ? static_cast<std::uint32_t>(i) : m_candidates[i];
    }

    const QuickIndex& m_index;
    std::string m_query;
    std::vector<std::string> m_words;
    std::vector<std::uint32_t> m_candidates; // when narrowing from an earlier answer
    bool m_fromAll = true;
    std::size_t m_candidateCount = 0;
    std::size_t m_next = 0;
    std::uint64_t m_generation = 0;
    std::vector<std::uint32_t> m_titles, m_others;
    std::deque<Answer> m_answers; // the latest complete answers, newest first
};

} // namespace savorel
