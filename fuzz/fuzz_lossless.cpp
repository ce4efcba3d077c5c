// The lossless own-recipe form: whatever the file holds, reading never fails loudly; a recipe it
// gives is written and read back to the same recipe, its search scan finds what the model holds,
// and its page lets no markup of the recipe take effect.
#include "catalogue/page.h"
#include "catalogue/recipe_model.h"
#include "core/cp1250.h"
#include "fuzz_util.h"

#include <algorithm>
#include <cstdint>

namespace {

// The tags the page writes itself; any other "<" would be markup from the recipe.
bool OnlyOwnTags(std::string_view page) {
    static constexpr std::string_view kOwn[] = {"<!--",
                                                "<html>",
                                                "<head>",
                                                "<meta charset=\"utf-8\">",
                                                "</head>",
                                                "<BODY BACKGROUND",
                                                "<b>",
                                                "</b>",
                                                "<hr>",
                                                "<p>",
                                                "<i>",
                                                "</i>",
                                                "<li>",
                                                "</li>",
                                                "<ol>",
                                                "</ol>",
                                                "<img src=\"file://",
                                                "</BODY>",
                                                "</html>"};
    for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1))
        if (std::none_of(std::begin(kOwn), std::end(kOwn),
                         [&](std::string_view tag) { return page.substr(at).starts_with(tag); }))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string folded = savorel::Utf8ToCp1250Folded(text);
    FUZZ_CHECK(std::count(folded.begin(), folded.end(), '?') <=
               std::count(text.begin(), text.end(), '?'));
    (void)savorel::LosslessSearchText(text);
    const auto recipe = savorel::ReadLosslessRecipe(text);
    if (!recipe)
        return 0;
    for (const auto item : savorel::AllItems(*recipe)) {
        FUZZ_CHECK(item.find('\n') == std::string_view::npos);
        FUZZ_CHECK(!item.empty());
    }
    const std::string written = savorel::LosslessRecipeText(*recipe);
    FUZZ_CHECK(savorel::IsLosslessText(written));
    const auto again = savorel::ReadLosslessRecipe(written);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(savorel::LosslessRecipeText(*again) == written);
    const auto scanned = savorel::LosslessSearchText(written);
    FUZZ_CHECK(scanned.has_value() && *scanned == savorel::SearchTextOf(*again));
    // The page begins in the model's own form and lets nothing of the recipe become markup.
    // (Own comment text is the file name, which the caller gives.)
    std::string page = savorel::RenderRecipePageText("xet1.txt", *again);
    FUZZ_CHECK(savorel::PageIsUtf8(page));
    page.erase(0, page.find("-->") + 3);
    FUZZ_CHECK(OnlyOwnTags(page));
    return 0;
}
