#include "core/window_place.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace savorel;

namespace {

bool Inside(const PlaceRect& r, const PlaceRect& screen) {
    return r.x >= screen.x && r.y >= screen.y &&
           static_cast<long long>(r.x) + r.width <=
               static_cast<long long>(screen.x) + screen.width &&
           static_cast<long long>(r.y) + r.height <=
               static_cast<long long>(screen.y) + screen.height;
}

bool operator==(const PlaceRect& a, const PlaceRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

} // namespace

TEST(WindowPlace, KeepsARememberedPlaceWithinTheScreensOfNow) {
    const PlaceRect left{0, 0, 1920, 1050};     // a desk of two screens side by side
    const PlaceRect right{1920, 0, 1280, 1024}; // the second smaller
    const std::vector<PlaceRect> two{left, right};
    const struct {
        const char* what;
        PlaceRect wanted;
        std::vector<PlaceRect> screens;
        PlaceRect placed;
    } cases[] = {
        {"a place that fits stays", {100, 80, 640, 480}, two, {100, 80, 640, 480}},
        {"on the second screen stays there", {2000, 100, 800, 600}, two, {2000, 100, 800, 600}},
        {"a hand-edited giant shrinks to its screen",
         {0, 0, 32767, 32767},
         two,
         {0, 0, 1920, 1050}},
        {"hanging over the right edge moves in",
         {1700, 500, 800, 600},
         {left},
         {1120, 450, 800, 600}},
        {"mostly on the second screen goes there whole",
         {1800, 900, 800, 600},
         two,
         {1920, 424, 800, 600}},
        {"a screen since unplugged: the nearest one",
         {4000, 200, 800, 600},
         two,
         {2400, 200, 800, 600}},
        {"far above and left: the nearest corner", {-5000, -5000, 500, 400}, two, {0, 0, 500, 400}},
        {"smaller than the design size grows to it", {10, 10, 20, 5}, two, {10, 10, 400, 300}},
        {"no size at all", {10, 10, 0, -7}, two, {10, 10, 400, 300}},
        {"the ends of int", {INT_MIN, INT_MAX, INT_MAX, INT_MAX}, two, {0, 0, 1920, 1050}},
        {"a design larger than the screen gives way to the screen",
         {0, 0, 900, 900},
         {{0, 0, 320, 240}},
         {0, 0, 320, 240}},
        {"a screen of no area counts as none",
         {5000, 10, 400, 300},
         {{4000, 0, 0, 0}, left},
         {1520, 10, 400, 300}},
        {"no screen at all", {5000, 10, 900, 900}, {}, {0, 0, 400, 300}},
    };
    for (const auto& c : cases) {
        const PlaceRect placed = PlaceWithinScreens(c.wanted, c.screens, 400, 300);
        EXPECT_TRUE(placed == c.placed) << c.what << ": " << placed.x << "," << placed.y << " "
                                        << placed.width << "x" << placed.height;
        bool inside = c.screens.empty();
        for (const PlaceRect& screen : c.screens)
            inside = inside || (screen.width > 0 && Inside(placed, screen));
        EXPECT_TRUE(inside) << c.what;
    }
}
