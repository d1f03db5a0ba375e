#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "scanner/simulator/finger_sensor.h"
#include "scanner/simulator/minutiae_extractor.h"
#include "scanner/simulator/random_source.h"

namespace {

constexpr int width = 320, height = 480;

// Grey level spread in the 17 x 17 square around a point.
double localSpread(const std::vector<std::uint8_t>& frame, int cx, int cy) {
    double sum = 0, squares = 0, n = 0;
    for (int y = std::max(0, cy - 8); y <= std::min(height - 1, cy + 8); ++y) {
        for (int x = std::max(0, cx - 8); x <= std::min(width - 1, cx + 8); ++x) {
            const double g = frame[static_cast<std::size_t>(y) * width + x];
            sum += g;
            squares += g * g;
            ++n;
        }
    }
    return std::sqrt(squares / n - (sum / n) * (sum / n));
}

TEST(MinutiaeExtractor, FindsMinutiaeOnTheRidgesOfAnImpression) {
    for (std::uint64_t touch : {1u, 2u}) {
        const std::vector<std::uint8_t> frame = touchSensor(3, touch, width, height);
        const Extraction extraction = extractMinutiae(frame.data(), width, height);
        EXPECT_GE(extraction.minutiae.size(), 25u);
        EXPECT_LE(extraction.minutiae.size(), maxExtractedMinutiae);
        EXPECT_GT(extraction.quality, 50);
        int endings = 0;
        for (const Minutia& m : extraction.minutiae) {
            ASSERT_TRUE(m.x >= 0 && m.x < width && m.y >= 0 && m.y < height) << m.x << "," << m.y;
            EXPECT_GT(localSpread(frame, m.x, m.y), 25) << "minutia on bare glass at " << m.x << "," << m.y;
            EXPECT_TRUE(m.quality >= 1 && m.quality <= 100);
            EXPECT_TRUE(m.direction >= 0 && m.direction < 2 * std::numbers::pi);
            endings += m.kind == MinutiaKind::ending ? 1 : 0;
        }
        // Both kinds occur in every finger.
        EXPECT_GT(endings, 0);
        EXPECT_LT(endings, static_cast<int>(extraction.minutiae.size()));
    }
}

TEST(MinutiaeExtractor, FindsNothingWithoutAFinger) {
    RandomSource random(4);
    std::vector<std::uint8_t> glass(std::size_t{width} * height), noise(glass.size()), stripes(glass.size());
    for (std::size_t i = 0; i < glass.size(); ++i) {
        glass[i] = static_cast<std::uint8_t>(225 + random.below(6));
        noise[i] = static_cast<std::uint8_t>(random.below(256));
        // Perfectly even, endless ridges: a pattern without minutiae.
        stripes[i] = static_cast<std::uint8_t>(128 + 90 * std::sin(2 * std::numbers::pi * (i % width) / 9.0));
    }
    const std::pair<const char*, const std::vector<std::uint8_t>*> cases[] = {
        {"glass", &glass}, {"noise", &noise}, {"stripes", &stripes}};
    for (const auto& [name, frame] : cases) {
        EXPECT_LT(extractMinutiae(frame->data(), width, height).minutiae.size(), minutiaeToEnrol) << name;
        EXPECT_TRUE(templateOfImpression(*frame, width, height).empty()) << name;
    }
    EXPECT_EQ(extractMinutiae(glass.data(), width, height).quality, 0);
}

}  // namespace
