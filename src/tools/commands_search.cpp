// Commands that answer as the search and dictionary windows do, for scripts and checks.
#include "dictionary/dictionary.h"
#include "search/search.h"
#include "tools/cookbook.h"

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
        field = args[++i];
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
    const std::string word = args[0].substr(0, kDictionaryWordLimit);
    std::string explanation;
    switch (DictionaryLookup(word, explanation)) {
    case kLookupFound:
        std::cout << explanation << std::endl;
        return kOk;
    case kLookupNotFound:
        return Failure(kWordNotFound);
    default:
        return Failure(std::string("cookbook lookup: cannot open ") + kDictionaryFile);
    }
}

} // namespace cookbook
