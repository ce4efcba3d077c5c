// Recipe pieces, ingredient items and the page: the page always has its frame.
#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "fuzz_util.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto pieces = savorel::SplitRecipe(text);
    FUZZ_CHECK(pieces.title.size() <= savorel::kTitleLimit);
    FUZZ_CHECK(pieces.ingredients.size() <= savorel::kIngredientsLimit);
    for (const auto& item : savorel::SplitIngredientItems(pieces.ingredients)) {
        FUZZ_CHECK(item.text.size() <= savorel::kItemLimit);
        FUZZ_CHECK(item.text.find(';') == std::string::npos);
    }
    const std::string page = savorel::RenderRecipePageText("RET001.TXT", text);
    FUZZ_CHECK(page.rfind("<!--RET001.TXT--><html>", 0) == 0);
    const std::string_view end = "\n</BODY>\n</html>";
    FUZZ_CHECK(page.size() >= end.size() &&
               page.compare(page.size() - end.size(), end.size(), end) == 0);
    FUZZ_CHECK(savorel::RenderRecipePageText("RET001.TXT", text) == page);
    return 0;
}
