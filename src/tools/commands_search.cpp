// Commands that answer as the search and dictionary windows do, for scripts and checks.
#include "catalogue/page.h"
#include "dictionary/dictionary.h"
#include "dictionary/terms.h"
#include "search/search.h"
#include "tools/cookbook.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace cookbook {

using namespace savorel;

namespace {

// What the window would show in a box goes to stderr, one message a line.
class StderrReporter final : public Reporter {
public:
    void Show(BoxForm, std::string_view text) override { std::cerr << text << "\n"; }
};

} // namespace

int RunSearchCommand(const Args& args) {
    SearchFields fields;
    bool given[3] = {false, false, false};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const int which = option == "--allowed"     ? 0
                          : option == "--forbidden" ? 1
                          : option == "--required"  ? 2
                                                    : -1;
        if (which < 0)
            return UsageError(FindCommand("search"), "unknown argument " + option);
        if (i + 1 >= args.size())
            return UsageError(FindCommand("search"), option + " needs a text");
        if (given[which])
            return UsageError(FindCommand("search"), option + " given twice");
        given[which] = true;
        std::string& field =
            which == 0 ? fields.allowed : (which == 1 ? fields.forbidden : fields.required);
        if (const int usage = TextArgument(FindCommand("search"), args[++i], field); usage != kOk)
            return usage;
    }
    StderrReporter reporter;
    const int count = RunSearch(fields, reporter, [](const SearchMatch& m) {
        std::cout << m.name << '\t' << m.fileName << '\n';
    });
    if (count < 0)
        return kFailure;
    std::cout << SearchCountMessage(count) << std::endl;
    return kOk;
}

int RunLookup(const Args& args) {
    if (args.size() != 1)
        return UsageError(FindCommand("lookup"), "needs one word");
    // The window reads its word field as at most this many characters.
    std::string word;
    if (const int usage = TextArgument(FindCommand("lookup"), args[0], word); usage != kOk)
        return usage;
    word.resize(std::min(word.size(), kDictionaryWordLimit));
    std::string explanation;
    switch (DictionaryLookup(word, explanation)) {
    case LookupResult::Found:
        std::cout << explanation << std::endl;
        return kOk;
    case LookupResult::NotFound:
        return Failure(kWordNotFound);
    case LookupResult::CannotOpen:
        break;
    }
    return Failure(std::string("cookbook lookup: cannot open ") + kDictionaryFile);
}

int RunTerms(const Args& args) {
    if (args.size() != 1)
        return UsageError(FindCommand("terms"), "needs one recipe file name");
    std::string text;
    if (!ReadRecipeText(args[0], text))
        return Failure(std::string(kCannotOpenInput) + "(" + args[0] + ")");
    const auto finder = LoadTermFinder();
    if (!finder)
        return Failure(std::string("cookbook terms: cannot open ") + kDictionaryFile);
    for (const std::size_t entry : finder->UsedBy(text))
        std::cout << finder->Entries()[entry].word << '\n';
    std::cout.flush();
    return std::cout ? kOk : kFailure;
}

} // namespace cookbook
