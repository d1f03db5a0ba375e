// A small sample of the accuracy benchmark (bench/sim_accuracy_bench runs the
// full one): impressions of one finger verify each other, other fingers' do not.
#include <gtest/gtest.h>

#include <vector>

#include "scanner/simulator/finger_sensor.h"

namespace {

constexpr int width = 320, height = 480;
// A tented arch, a left loop and a whorl.
constexpr int fingers[] = {1, 2, 3};
constexpr int impressions = 3;

TEST(SimulatorAccuracy, SameFingerMatchesAcrossImpressionsAndOtherFingersDoNot) {
    std::vector<std::vector<std::vector<std::uint8_t>>> templates;
    for (int finger : fingers) {
        templates.emplace_back();
        for (int i = 0; i < impressions; ++i) {
            // Fixed touches, so that a failure can be replayed.
            const std::uint64_t touch = 7919ull * static_cast<std::uint64_t>(finger) + static_cast<std::uint64_t>(i);
            templates.back().push_back(templateOfImpression(touchSensor(finger, touch, width, height), width, height));
            ASSERT_FALSE(templates.back().back().empty()) << "finger " << finger << " failed to enrol";
        }
    }
    auto score = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        return compareTemplates(a.data(), a.size(), b.data(), b.size());
    };
    for (std::size_t f = 0; f < templates.size(); ++f) {
        for (int i = 0; i < impressions; ++i) {
            for (int j = i + 1; j < impressions; ++j) {
                EXPECT_TRUE(sameFinger(score(templates[f][i], templates[f][j])))
                    << "finger " << fingers[f] << ", impressions " << i << " and " << j;
            }
            for (std::size_t g = f + 1; g < templates.size(); ++g) {
                for (int j = 0; j < impressions; ++j) {
                    EXPECT_FALSE(sameFinger(score(templates[f][i], templates[g][j])))
                        << "fingers " << fingers[f] << " and " << fingers[g];
                }
            }
        }
    }
}

}  // namespace
