// The shopping list's state file (ticks, "am acasă" marks, the list's recipes): read with its
// limits, never throwing; what it accepts writes back to the same state.
#include "core/files.h"
#include "fuzz_util.h"
#include "planning/shopping.h"

#include <cstdint>

using namespace savorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto state = ParseShoppingState(text, &error);
    if (!state) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(state->ticked.size() <= kShoppingStateItems);
    FUZZ_CHECK(state->atHome.size() <= kShoppingStateItems);
    FUZZ_CHECK(state->sources.size() <= kShoppingStateItems);
    for (const ShoppingSource& s : state->sources) {
        FUZZ_CHECK(IsSafeDataName(s.recipeFile));
        FUZZ_CHECK(s.portions >= 0 && s.portions <= 999);
    }
    const std::string written = ShoppingStateText(*state);
    const auto back = ParseShoppingState(written, &error);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(*back == *state);
    FUZZ_CHECK(ShoppingStateText(*back) == written);
    return 0;
}
