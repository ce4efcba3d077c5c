#pragma once

// Where a window may reappear: a remembered size and place come from a file the user (or a
// crash) may have changed, and the screens may have changed since. Plain numbers, so the rule
// is tested without a display.
#include <vector>

namespace savorel {

struct PlaceRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The remembered rectangle `wanted` moved and shrunk so that it lies wholly within one of
// `screens` (their usable areas): the screen it overlaps most, else the one nearest to it.
// Its size is at least `minimum` where the screen allows, never more than the screen. A
// screen of no area (or one reaching past the range of int) counts as none; with no screen at all
// the window keeps its `minimum` size at the origin.
PlaceRect PlaceWithinScreens(const PlaceRect& wanted, const std::vector<PlaceRect>& screens,
                             int minimumWidth, int minimumHeight);

} // namespace savorel
