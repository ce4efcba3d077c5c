#include "core/window_place.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace savorel {

namespace {

// Coordinates from a hand-edited file reach the ends of int: all sums in 64 bits.
using Wide = std::int64_t;

Wide Overlap(Wide start1, Wide length1, Wide start2, Wide length2) {
    return std::max<Wide>(0,
                          std::min(start1 + length1, start2 + length2) - std::max(start1, start2));
}

// How far apart two ranges lie (0 when they touch or overlap).
Wide Gap(Wide start1, Wide length1, Wide start2, Wide length2) {
    if (start1 + length1 < start2)
        return start2 - (start1 + length1);
    if (start2 + length2 < start1)
        return start1 - (start2 + length2);
    return 0;
}

int Fit(Wide wanted, Wide minimum, Wide available) {
    return static_cast<int>(std::min(std::max(wanted, minimum), available));
}

int Within(Wide wanted, Wide start, Wide free) {
    return static_cast<int>(std::clamp(wanted, start, start + free));
}

} // namespace

PlaceRect PlaceWithinScreens(const PlaceRect& wanted, const std::vector<PlaceRect>& screens,
                             int minimumWidth, int minimumHeight) {
    const Wide minWidth = std::max(1, minimumWidth);
    const Wide minHeight = std::max(1, minimumHeight);
    const Wide width = std::max<Wide>(wanted.width, 1);
    const Wide height = std::max<Wide>(wanted.height, 1);
    const PlaceRect* best = nullptr;
    Wide bestArea = -1;
    Wide bestGap = std::numeric_limits<Wide>::max();
    for (const PlaceRect& screen : screens) {
        if (screen.width <= 0 || screen.height <= 0 ||
            Wide{screen.x} + screen.width > std::numeric_limits<int>::max() ||
            Wide{screen.y} + screen.height > std::numeric_limits<int>::max())
            continue;
        const Wide area = Overlap(wanted.x, width, screen.x, screen.width) *
                          Overlap(wanted.y, height, screen.y, screen.height);
        const Wide gap = Gap(wanted.x, width, screen.x, screen.width) +
                         Gap(wanted.y, height, screen.y, screen.height);
        if (area > bestArea || (area == 0 && bestArea == 0 && gap < bestGap)) {
            best = &screen;
            bestArea = area;
            bestGap = gap;
        }
    }
    if (!best)
        return {0, 0, static_cast<int>(minWidth), static_cast<int>(minHeight)};
    PlaceRect placed;
    placed.width = Fit(width, minWidth, best->width);
    placed.height = Fit(height, minHeight, best->height);
    placed.x = Within(wanted.x, best->x, Wide{best->width} - placed.width);
    placed.y = Within(wanted.y, best->y, Wide{best->height} - placed.height);
    return placed;
}

} // namespace savorel
