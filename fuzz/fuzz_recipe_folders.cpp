// The recipe folder tree: any folder names and recipe.json bytes. Reading never fails loudly;
// the tree gives exactly the recipes its files give one by one, in the order of their names;
// and every folder name made from a title is one safe, unique, valid UTF-8 path component.
#include "fuzz_util.h"
#include "personal/recipe_folders.h"

#include <algorithm>
#include <cstdint>

namespace {

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

} // namespace

// Parts separated by "@@": name, bytes, name, bytes, ...
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::pair<std::string, std::string>> files;
    while (!rest.empty() && files.size() < 16) {
        auto [name, tail] = fuzz::SplitAt(rest, "@@");
        auto [bytes, after] = fuzz::SplitAt(tail, "@@");
        files.emplace_back(std::string(name), std::string(bytes));
        rest = after;
    }

    std::set<std::string> taken;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) {
        const std::string folder = savorel::RecipeFolderName(name, taken);
        FUZZ_CHECK(!folder.empty() && folder.size() <= savorel::kFolderNameLimit + 12);
        FUZZ_CHECK(folder != "." && folder != "..");
        FUZZ_CHECK(folder.find_first_of(std::string("/\\:*?\"<>|\0", 10)) == std::string::npos);
        FUZZ_CHECK(std::none_of(folder.begin(), folder.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
        FUZZ_CHECK(folder.front() != ' ' && folder.back() != ' ' && folder.back() != '.');
        FUZZ_CHECK(ValidUtf8(folder));
        FUZZ_CHECK(std::find(names.begin(), names.end(), Lower(folder)) == names.end());
        names.push_back(Lower(folder));
    }

    std::vector<savorel::ForeignRecipe> recipes;
    std::vector<std::string> notes;
    std::string error;
    const bool read = savorel::RecipesFromFolderFiles(files, recipes, notes, error);
    auto sorted = files;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> titles;
    for (const auto& [name, bytes] : sorted) {
        std::vector<savorel::ForeignRecipe> one;
        std::string why;
        if (savorel::ParseRecipeDocumentGuarded(bytes, one, why))
            for (const auto& r : one)
                titles.push_back(r.model.title);
    }
    FUZZ_CHECK(read == !titles.empty());
    FUZZ_CHECK(read == error.empty());
    FUZZ_CHECK(recipes.size() == titles.size());
    for (std::size_t i = 0; i < recipes.size(); ++i)
        FUZZ_CHECK(recipes[i].model.title == titles[i]);
    return 0;
}
