// Virtual fingers and their impressions: properties, not pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "scanner/simulator/finger_pattern.h"
#include "scanner/simulator/impression.h"
#include "scanner/simulator/master_print.h"

namespace {

constexpr int width = 320, height = 480;

TEST(FingerPattern, NumbersNameAllPatternClassesWithTheirCoresOnThePad) {
    std::set<PatternClass> seen;
    for (int finger = 1; finger <= 300; ++finger) {
        const FingerPattern pattern = fingerPattern(finger, width + 2 * masterMargin, height + 2 * masterMargin);
        seen.insert(pattern.kind);
        // A core off the pad or at its rim would leave an impression without its pattern.
        for (const SingularPoint& core : pattern.cores) EXPECT_LT(padRadius(pattern, core.x, core.y), 0.5) << finger;
        const double period = ridgePeriodAt(pattern, pattern.padCentre.x, pattern.padCentre.y);
        EXPECT_GT(period, 7.5) << finger;
        EXPECT_LT(period, 10.5) << finger;
    }
    EXPECT_EQ(seen.size(), 5u);
}

// Average ridge period of a master print, counted across the ridges at many
// places on the pad: crest-to-valley changes along the ridge normal.
double measuredPeriod(const MasterPrint& print) {
    double length = 0, changes = 0;
    for (int y = 140; y < print.ridges.height - 140; y += 23) {
        for (int x = 120; x < print.ridges.width - 120; x += 29) {
            const double direction = ridgeDirection(print.pattern, x, y);
            const double nx = -std::sin(direction), ny = std::cos(direction);
            float previous = print.ridges.at(x, y);
            for (int step = 1; step <= 30; ++step) {
                const float here = print.ridges.at(static_cast<int>(std::lround(x + nx * step)),
                                                   static_cast<int>(std::lround(y + ny * step)));
                if ((here > 0) != (previous > 0)) ++changes;
                previous = here;
            }
            length += 30;
        }
    }
    return 2 * length / changes;
}

TEST(MasterPrint, IsFixedByTheFingerNumber) {
    // A small sensor keeps this quick; the pad and its ridges are the same.
    const MasterPrint first = synthesizeMasterPrint(7, 80, 80);
    EXPECT_EQ(synthesizeMasterPrint(7, 80, 80).ridges.values, first.ridges.values);
    EXPECT_NE(synthesizeMasterPrint(8, 80, 80).ridges.values, first.ridges.values);
}

TEST(MasterPrint, HasEvenRidgesAboutNinePixelsApart) {
    const MasterPrint print = synthesizeMasterPrint(7, width, height);
    const double period = measuredPeriod(print);
    EXPECT_GT(period, 8.0);
    EXPECT_LT(period, 10.5);
    // Crests and valleys share the pad about evenly and are fully formed.
    std::size_t pad = 0, crest = 0, formed = 0;
    for (std::size_t i = 0; i < print.pad.values.size(); ++i) {
        if (print.pad.values[i] == 0) continue;
        ++pad;
        crest += print.ridges.values[i] > 0 ? 1 : 0;
        formed += std::abs(print.ridges.values[i]) > 0.5f ? 1 : 0;
    }
    EXPECT_NEAR(double(crest) / double(pad), 0.5, 0.08);
    EXPECT_GT(double(formed) / double(pad), 0.75);
}

double meanGrey(const std::vector<std::uint8_t>& frame, int x0, int y0, int side) {
    double sum = 0;
    for (int y = y0; y < y0 + side; ++y) {
        for (int x = x0; x < x0 + side; ++x) sum += frame[static_cast<std::size_t>(y) * width + x];
    }
    return sum / (side * side);
}

// Centre of the ink: where the dark ridges are, on average.
std::pair<double, double> inkCentre(const std::vector<std::uint8_t>& frame) {
    double sx = 0, sy = 0, total = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double ink = std::max(0, 180 - int(frame[static_cast<std::size_t>(y) * width + x]));
            sx += ink * x;
            sy += ink * y;
            total += ink;
        }
    }
    return {sx / total, sy / total};
}

TEST(Impression, ShowsDarkRidgesOnLightGlassWhereTheFingerWasPlaced) {
    const MasterPrint print = synthesizeMasterPrint(2, width, height);
    RandomSource drawing(11);
    TouchConditions touch = drawTouchConditions(drawing);
    touch.shiftX = touch.shiftY = touch.rotation = 0;
    auto render = [&](const TouchConditions& t, std::uint64_t noise) {
        RandomSource random(noise);
        return renderImpression(print, t, random, width, height);
    };
    const std::vector<std::uint8_t> centred = render(touch, 1);
    ASSERT_EQ(centred.size(), std::size_t{width} * height);
    EXPECT_EQ(render(touch, 1), centred) << "the same touch gives the same frame";
    EXPECT_NE(render(touch, 2), centred) << "sensor noise differs from touch to touch";
    for (auto [x, y] : {std::pair{0, 0}, {width - 16, 0}, {0, height - 16}, {width - 16, height - 16}}) {
        EXPECT_GT(meanGrey(centred, x, y, 16), 170) << x << "," << y;
    }
    std::vector<std::uint8_t> sorted = centred;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 10, sorted.end());
    EXPECT_LT(sorted[sorted.size() / 10], 130) << "a tenth of the frame is ridge";

    TouchConditions shifted = touch;
    shifted.shiftX = 30;
    shifted.shiftY = -20;
    const auto [cx, cy] = inkCentre(centred);
    const auto [sx, sy] = inkCentre(render(shifted, 1));
    EXPECT_NEAR(sx - cx, 30, 5);
    EXPECT_NEAR(sy - cy, -20, 5);
}

TEST(TouchConditions, StayWithinWhatAFingerDoesOnTheSensor) {
    RandomSource random(5);
    double largestTurn = 0, largestShift = 0;
    for (int i = 0; i < 2000; ++i) {
        const TouchConditions touch = drawTouchConditions(random);
        largestTurn = std::max(largestTurn, std::abs(touch.rotation));
        largestShift = std::max(largestShift, std::hypot(touch.shiftX, touch.shiftY));
    }
    constexpr double degree = 3.14159265358979 / 180;
    EXPECT_LE(largestTurn, 15 * degree);
    EXPECT_GT(largestTurn, 13 * degree);
    EXPECT_LE(largestShift, 40.0);
    EXPECT_GT(largestShift, 35.0);
}

}  // namespace
