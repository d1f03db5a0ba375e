#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "scanner/simulator/minutiae_matcher.h"
#include "scanner/simulator/random_source.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180;

// Minutiae spread over a finger-sized area at a finger's density, at least
// 10 pixels apart, directions following a gently curving flow.
std::vector<Minutia> randomFinger(std::uint64_t seed, int count = 60) {
    RandomSource random(seed);
    std::vector<Minutia> minutiae;
    while (static_cast<int>(minutiae.size()) < count) {
        const int x = 40 + random.below(240), y = 60 + random.below(360);
        bool crowded = false;
        for (const Minutia& m : minutiae) crowded = crowded || std::hypot(m.x - x, m.y - y) < 10;
        if (crowded) continue;
        const double flow = 0.4 * std::sin(x / 90.0) + 0.3 * std::cos(y / 120.0) + (random.unit() < 0.5 ? 0 : pi);
        minutiae.push_back({x, y, std::fmod(flow + 2 * pi, 2 * pi),
                            random.unit() < 0.5 ? MinutiaKind::ending : MinutiaKind::bifurcation, 80});
    }
    return minutiae;
}

struct Touch {
    double turnDegrees;
    double shiftX, shiftY;
};

// The same finger touched again: turned about the frame centre and shifted,
// positions and directions a little off, some minutiae lost, a few spurious
// ones, those that leave the frame gone.
std::vector<Minutia> retouched(const std::vector<Minutia>& original, const Touch& touch, std::uint64_t seed) {
    RandomSource random(seed);
    const double c = std::cos(touch.turnDegrees * degree), s = std::sin(touch.turnDegrees * degree);
    std::vector<Minutia> result;
    for (const Minutia& m : original) {
        if (random.unit() < 0.15) continue;
        const double px = m.x - 160.0, py = m.y - 240.0;
        const int x = static_cast<int>(std::lround(c * px - s * py + 160 + touch.shiftX + random.between(-2, 2)));
        const int y = static_cast<int>(std::lround(s * px + c * py + 240 + touch.shiftY + random.between(-2, 2)));
        if (x < 0 || y < 0 || x >= 320 || y >= 480) continue;
        result.push_back({x, y, m.direction + touch.turnDegrees * degree + random.between(-6, 6) * degree, m.kind, 70});
    }
    for (int i = 0; i < 6; ++i) {
        result.push_back({random.below(320), random.below(480), random.between(0, 2 * pi), MinutiaKind::ending, 20});
    }
    return result;
}

double score(const std::vector<Minutia>& a, const std::vector<Minutia>& b) {
    return matchScore(matchablePrint(a), matchablePrint(b));
}

TEST(MinutiaeMatcher, FindsTheSameFingerShiftedAndTurned) {
    const Touch touches[] = {{0, 0, 0},     {15, 0, 0},    {-15, 0, 0},  {0, 40, -30},
                             {30, -35, 20}, {-30, 50, 40}, {8, -60, -25}};
    for (std::uint64_t finger = 1; finger <= 4; ++finger) {
        const std::vector<Minutia> enrolled = randomFinger(finger);
        for (const Touch& touch : touches) {
            const double s = score(enrolled, retouched(enrolled, touch, finger * 100));
            EXPECT_GE(s, sameFingerScore) << "finger " << finger << " turned " << touch.turnDegrees << " shifted "
                                          << touch.shiftX << "," << touch.shiftY;
        }
    }
}

TEST(MinutiaeMatcher, KeepsDifferentFingersApart) {
    for (std::uint64_t a = 1; a <= 6; ++a) {
        for (std::uint64_t b = a + 1; b <= 6; ++b) {
            EXPECT_LT(score(randomFinger(a), randomFinger(b)), sameFingerScore) << a << " vs " << b;
        }
    }
}

TEST(MinutiaeMatcher, ScoresEmptyAndTinySetsZero) {
    const std::vector<Minutia> finger = randomFinger(3);
    const std::vector<Minutia> two(finger.begin(), finger.begin() + 2);
    EXPECT_EQ(score({}, finger), 0);
    EXPECT_EQ(score(finger, {}), 0);
    EXPECT_EQ(score(two, two), 0);
}

TEST(MinutiaeMatcher, DoesNotAlignTouchesTurnedFurtherThanAFingerTurnsOnTheSensor) {
    const std::vector<Minutia> finger = randomFinger(5);
    EXPECT_LT(score(finger, retouched(finger, {90, 0, 0}, 7)), sameFingerScore);
    EXPECT_GE(score(finger, retouched(finger, {40, 0, 0}, 7)), sameFingerScore);
}

TEST(MinutiaeMatcher, SmallOverlapsDoNotScoreHigh) {
    // Only a corner of the prints overlaps: the few pairs there are not enough.
    const std::vector<Minutia> finger = randomFinger(8);
    std::vector<Minutia> corner;
    for (const Minutia& m : finger) {
        if (m.x < 110 && m.y < 160) corner.push_back(m);
    }
    ASSERT_GE(corner.size(), 4u);
    EXPECT_LT(score(finger, corner), sameFingerScore);
}

}  // namespace
