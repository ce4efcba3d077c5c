// The ingredient search: keys, the pass rule, the catalogue's line rule and result entries.
// Input: allowed, forbidden, required, examined text, catalogue; separated by "@@".
#include "fuzz_util.h"
#include "search/search.h"

#include <cstdint>

using namespace savorel;

namespace {

bool AnyKey(std::string_view text, const SearchKeyList& list) {
    for (const auto& key : list.keys)
        if (ContainsKey(text.data(), text.size(), key))
            return true;
    return false;
}

bool AllKeys(std::string_view text, const SearchKeyList& list) {
    for (const auto& key : list.keys)
        if (!ContainsKey(text.data(), text.size(), key))
            return false;
    return true;
}

} // namespace

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
    // The fast matcher agrees with the plain rule, key by key.
    const std::string_view examined = parts[3];
    const bool expected = !AnyKey(examined, keys.forbidden) && AllKeys(examined, keys.required) &&
                          (keys.allowed.Empty() || AnyKey(examined, keys.allowed));
    FUZZ_CHECK(TextMatches(examined, keys) == expected);

    for (const std::string& line : SplitSearchLines(parts[4])) {
        FUZZ_CHECK(line.size() <= kSearchLineLimit);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        if (const auto recipe = ParseSearchLine(line)) {
            const std::string entry = ResultEntry(recipe->name, recipe->fileName);
            if (recipe->fileName.find('#') == std::string::npos &&
                recipe->name.find('#') == std::string::npos)
                FUZZ_CHECK(FileNameOfResult(entry) == recipe->fileName);
        }
    }
    return 0;
}
