// The remembered window place against any rectangle and any screens: the window always lies
// wholly within one usable screen, never larger than it, and a place that already fits one
// screen (and is no smaller than the minimum) is kept as it was.
#include "core/window_place.h"
#include "fuzz_util.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

int Take(const std::uint8_t*& data, std::size_t& size) {
    std::int32_t value = 0;
    const std::size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

savorel::PlaceRect TakeRect(const std::uint8_t*& data, std::size_t& size) {
    savorel::PlaceRect r;
    r.x = Take(data, size);
    r.y = Take(data, size);
    r.width = Take(data, size);
    r.height = Take(data, size);
    return r;
}

// Written here from the rule's words, in 64 bits: a screen counts when it has an area that
// ends within int.
bool Usable(const savorel::PlaceRect& s) {
    return s.width > 0 && s.height > 0 && std::int64_t{s.x} + s.width <= INT32_MAX &&
           std::int64_t{s.y} + s.height <= INT32_MAX;
}

bool Within(const savorel::PlaceRect& r, const savorel::PlaceRect& s) {
    return r.width > 0 && r.height > 0 && r.x >= s.x && r.y >= s.y &&
           std::int64_t{r.x} + r.width <= std::int64_t{s.x} + s.width &&
           std::int64_t{r.y} + r.height <= std::int64_t{s.y} + s.height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const savorel::PlaceRect wanted = TakeRect(data, size);
    const int minimumWidth = Take(data, size) % 4096;
    const int minimumHeight = Take(data, size) % 4096;
    std::vector<savorel::PlaceRect> screens;
    while (size > 0 && screens.size() < 8)
        screens.push_back(TakeRect(data, size));
    const savorel::PlaceRect placed =
        savorel::PlaceWithinScreens(wanted, screens, minimumWidth, minimumHeight);
    bool anyScreen = false;
    bool inside = false;
    bool fitsAlready = false;
    for (const savorel::PlaceRect& s : screens) {
        if (!Usable(s))
            continue;
        anyScreen = true;
        inside = inside || Within(placed, s);
        fitsAlready = fitsAlready || Within(wanted, s);
    }
    if (!anyScreen) {
        FUZZ_CHECK(placed.x == 0 && placed.y == 0);
        return 0;
    }
    FUZZ_CHECK(inside);
    if (fitsAlready && wanted.width >= minimumWidth && wanted.height >= minimumHeight)
        FUZZ_CHECK(placed.x == wanted.x && placed.y == wanted.y && placed.width == wanted.width &&
                   placed.height == wanted.height);
    return 0;
}
