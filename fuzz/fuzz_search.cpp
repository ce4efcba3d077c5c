// The ingredient search: keys, the pass rule, the catalogue's line rule and result entries,
// each read by the program as it runs and held against the plain rule.
// Input: allowed, forbidden, required, examined text, catalogue; separated by "@@".
#include "core/report.h"
#include "core/scramble.h"
#include "fuzz_util.h"
#include "search/search.h"
#include "support/reference.h"

#include <cstdint>
#include <vector>

using namespace savorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts =
        fuzz::SplitParts<5>(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    SearchKeys keys;
    SearchKeyList* lists[] = {&keys.allowed, &keys.forbidden, &keys.required};
    for (int i = 0; i < 3; ++i) {
        const bool complete = ParseKeys(parts[i], *lists[i]);
        FUZZ_CHECK(lists[i]->Count() <= kMaxSearchKeys);
        FUZZ_CHECK(complete || lists[i]->Count() == kMaxSearchKeys);
        for (const auto& key : lists[i]->keys) {
            FUZZ_CHECK(!key.empty());
            FUZZ_CHECK(key.find_first_of("+,\r\n") == std::string::npos);
        }
    }

    // The one-pass scan over a stored recipe agrees with the plain rule, key by key.
    fuzz::DataFolder();
    const std::string_view examined = parts[3];
    fuzz::WriteFile("R.TXT", ScrambleBytes(examined));
    fuzz::WriteFile("virt-dir.txt", ScrambleBytes("i R ~ R.TXT\n"));
    const SearchFields fields{std::string(parts[0]), std::string(parts[1]), std::string(parts[2])};
    CollectingReporter reporter;
    SearchKeys used;
    const int count = RunSearch(fields, reporter, nullptr, &used);
    FUZZ_CHECK(count == (reference::TextMatches(examined.substr(0, kExaminedLimit), used) ? 1 : 0));

    // The catalogue as the program reads it lists the recipe lines of the plain line rule.
    fuzz::WriteFile("virt-dir.txt", ScrambleBytes(parts[4]));
    std::vector<SearchMatch> listed;
    const int listedCount =
        RunSearch({}, reporter, [&](const SearchMatch& m) { listed.push_back(m); });
    FUZZ_CHECK(listedCount == static_cast<int>(listed.size()));
    std::size_t n = 0;
    for (const std::string& line : reference::SplitSearchLines(parts[4])) {
        FUZZ_CHECK(line.size() <= kSearchLineLimit);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        const auto recipe = reference::ParseSearchLine(line);
        if (!recipe)
            continue;
        FUZZ_CHECK(n < listed.size());
        FUZZ_CHECK(listed[n].recipeNumber == static_cast<int>(n) + 1);
        FUZZ_CHECK(listed[n].name == recipe->name);
        FUZZ_CHECK(listed[n].fileName == recipe->fileName);
        ++n;
        const std::string entry = ResultEntry(recipe->name, recipe->fileName);
        if (recipe->fileName.find('#') == std::string::npos &&
            recipe->name.find('#') == std::string::npos)
            FUZZ_CHECK(FileNameOfResult(entry) == recipe->fileName);
    }
    FUZZ_CHECK(n == listed.size());
    return 0;
}
