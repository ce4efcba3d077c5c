// The calorie tables and the calorie page: input is food table, unit table, piece table and
// ingredients, separated by "@@".
#include "core/report.h"
#include "core/scramble.h"
#include "fuzz_util.h"
#include "viewing/calories.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DataFolder();
    const auto parts =
        fuzz::SplitParts<4>(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    fuzz::WriteFile(savorel::kFoodTableFile, savorel::ScrambleBytes(parts[0]));
    fuzz::WriteFile(savorel::kUnitTableFile, savorel::ScrambleBytes(parts[1]));
    fuzz::WriteFile(savorel::kPieceTableFile, savorel::ScrambleBytes(parts[2]));

    savorel::CollectingReporter reporter;
    savorel::CalorieState state;
    savorel::CalculateFromIngredients(parts[3], state, reporter);
    FUZZ_CHECK(!state.tableMissing);
    FUZZ_CHECK(state.page.rfind("<html>", 0) == 0);
    // The total ends the page, or the line per portion when the first item states servings.
    const std::string_view end =
        state.servings > 0 ? "</b> calorii.</html>" : " calorii. </BIG></BIG></html>";
    FUZZ_CHECK(state.page.size() >= end.size() &&
               state.page.compare(state.page.size() - end.size(), end.size(), end) == 0);
    if (state.servings > 0)
        FUZZ_CHECK(state.page.find("<br>Pe portie (", state.page.rfind("TOTAL:<b> ")) !=
                   std::string::npos);
    FUZZ_CHECK(state.matchedTokens <= state.tokens);
    FUZZ_CHECK(state.tokensWithMass <= state.matchedTokens);
    for (const auto& e : reporter.entries)
        FUZZ_CHECK(e.text == savorel::kTokenTooBig);

    std::string text(parts[3]);
    savorel::ParseQuantity(text);
    FUZZ_CHECK(text.size() == parts[3].size());
    return 0;
}
