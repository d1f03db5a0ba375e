#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "scanner/simulator/skeleton.h"
#include "scanner/simulator/skeleton_trace.h"

namespace {

// Paints a stroke of the given half width from (x0, y0) to (x1, y1).
void paint(Plane<std::uint8_t>& plane, double x0, double y0, double x1, double y1, double halfWidth) {
    for (int y = 0; y < plane.height; ++y) {
        for (int x = 0; x < plane.width; ++x) {
            const double dx = x1 - x0, dy = y1 - y0;
            const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            if (std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= halfWidth) plane.at(x, y) = 1;
        }
    }
}

struct Census {
    int pixels = 0, endings = 0, junctions = 0, thick = 0;
};

Census census(const Plane<std::uint8_t>& skeleton) {
    Census c;
    for (int y = 0; y < skeleton.height; ++y) {
        for (int x = 0; x < skeleton.width; ++x) {
            if (skeleton.at(x, y) == 0) continue;
            ++c.pixels;
            const std::uint8_t bits = neighbourBits(skeleton, x, y);
            const int lines = crossingNumber(bits);
            c.endings += lines == 1 ? 1 : 0;
            c.junctions += lines >= 3 ? 1 : 0;
            // A full 2 x 2 square anywhere means the line is not one pixel wide.
            if (skeleton.contains(x + 1, y + 1) && skeleton.at(x + 1, y) && skeleton.at(x, y + 1) &&
                skeleton.at(x + 1, y + 1)) {
                ++c.thick;
            }
        }
    }
    return c;
}

TEST(Skeleton, ThinsRidgesToLinesThatKeepTheirEndsAndForks) {
    struct Case {
        const char* name;
        std::vector<std::array<double, 4>> strokes;
        int endings, junctions;
    };
    const Case cases[] = {
        {"straight ridge", {{10, 30, 70, 30}}, 2, 0},
        {"slanted ridge", {{10, 10, 70, 50}}, 2, 0},
        {"bifurcation", {{10, 30, 40, 30}, {40, 30, 70, 12}, {40, 30, 70, 48}}, 3, 1},
        {"crossing ridges make two forks or one crossing", {{10, 30, 70, 30}, {40, 5, 40, 55}}, 4, 1},
    };
    for (const Case& c : cases) {
        Plane<std::uint8_t> ridges(80, 60, 0);
        for (const auto& s : c.strokes) paint(ridges, s[0], s[1], s[2], s[3], 2.5);
        thinToSkeleton(ridges);
        const Census found = census(ridges);
        EXPECT_EQ(found.thick, 0) << c.name;
        EXPECT_EQ(found.endings, c.endings) << c.name;
        if (c.junctions == 0) EXPECT_EQ(found.junctions, 0) << c.name;
        else EXPECT_GE(found.junctions, c.junctions) << c.name;
        EXPECT_GT(found.pixels, 40) << c.name << ": the line keeps its length";
    }
}

TEST(Skeleton, TracesALineToItsEndOrAJunction) {
    Plane<std::uint8_t> ridges(80, 60, 0);
    paint(ridges, 10, 30, 40, 30, 2.5);
    paint(ridges, 40, 30, 70, 12, 2.5);
    paint(ridges, 40, 30, 70, 48, 2.5);
    thinToSkeleton(ridges);
    // Start at the left end of the stem.
    int sx = -1, sy = -1;
    for (int x = 0; x < ridges.width && sx < 0; ++x) {
        for (int y = 0; y < ridges.height; ++y) {
            if (ridges.at(x, y) != 0) {
                sx = x;
                sy = y;
                break;
            }
        }
    }
    ASSERT_GE(sx, 0);
    const std::uint8_t bits = neighbourBits(ridges, sx, sy);
    int first = 0;
    while (((bits >> first) & 1) == 0) ++first;
    const int nx = sx + ringSteps[first][0], ny = sy + ringSteps[first][1];
    const Trace toFork = traceSkeleton(ridges, sx, sy, nx, ny, 100);
    EXPECT_EQ(toFork.end, TraceEnd::junction);
    EXPECT_NEAR(toFork.x, 40, 4);
    EXPECT_NEAR(toFork.steps, 30, 5);
    const Trace shortWalk = traceSkeleton(ridges, sx, sy, nx, ny, 10);
    EXPECT_EQ(shortWalk.end, TraceEnd::distance);
    EXPECT_EQ(shortWalk.steps, 10);
}

}  // namespace
