#pragma once

// Which dictionary entries a recipe uses, and where: the dictionary inside every recipe.
//
// The rule, in one place:
// - An entry is used where its word occurs as a whole word (or whole phrase) in the text,
//   compared folded (case and Romanian diacritics). Blanks inside a phrase match any run of
//   blanks and line breaks.
// - A verb entry "a X ..." (also "a se X ...") is used where a form of the verb X occurs,
//   followed by the rest of the phrase. The forms are those recipes use, built from the ending
//   of X (folded, so ă, â and î need no forms of their own):
//     X ends in "ea": stem + ea, e, eti, em, and, ut        (a bea: bea, be, beti, ...)
//     X ends in "a":  stem + a, ati, am, and, at, ata, ate, eaza, eza
//                     (a amesteca: amesteca, amestecati, amestecam, amestecand, amestecat ...)
//                     and after a stem ending in "i" also iaza (a subtia: subtiaza)
//     X ends in "i":  stem + i, este, esc, iti, im, ind, it, ita, ite, aste
//                     (a cali: cali, caleste, caliti, calim, calind, calit ...)
//     X ends in "e":  stem + e, eti, em, and, ut, uta, ute  (a fierbe: fierbe, fierbeti ...)
//     otherwise:      X only.
//   The infinitive and the imperative are among these; "se ..." needs nothing more, since the
//   verb after "se" is one of the forms.
// - Where entries overlap, the one starting first wins, and of those starting at the same
//   place the longest: "carne tocata" wins over "carne". Of two that cover the same words, an
//   entry written so in the dictionary wins over a verb's form: "clatite" is the pancakes, not
//   "a clati" conjugated; otherwise the first in the dictionary.
#include "dictionary/dictionary.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

struct TermSpan {
    std::size_t begin = 0; // byte offsets into the text
    std::size_t end = 0;
    std::size_t entry = 0; // index into the entries the finder was built from
};

// The verb forms of the rule above for one folded verb.
std::vector<std::string> VerbForms(std::string_view foldedVerb);

// Built once from the dictionary, used for any number of texts.
class TermFinder {
public:
    explicit TermFinder(std::vector<DictionaryEntry> entries);
    ~TermFinder();
    TermFinder(const TermFinder&) = delete;
    TermFinder& operator=(const TermFinder&) = delete;

    const std::vector<DictionaryEntry>& Entries() const { return m_entries; }

    // The uses of entries in a Windows-1250 text, in text order, never overlapping.
    std::vector<TermSpan> Find(std::string_view text) const;

    // The distinct entries a recipe file's text uses (title, ingredients and preparation, in
    // either form; in the book form the part after the first "#"), in the order of their first use.
    // An entry word listed twice counts once, as the first of them, which is the one a look-up
    // finds.
    std::vector<std::size_t> UsedBy(std::string_view recipeText) const;

private:
    struct Index;
    std::vector<DictionaryEntry> m_entries;
    std::unique_ptr<Index> m_index;
};

// Reads dict.txt; no value when it cannot be opened.
std::unique_ptr<TermFinder> LoadTermFinder();

} // namespace savorel
