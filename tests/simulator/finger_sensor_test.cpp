// The simulated device's impressions verify like a finger's: a small sample of bench/sim_accuracy_bench,
// fixed touches of two fingers so that a failure replays. Two fingers of three impressions: 6 genuine and
// 9 impostor pairs. Neither a poor touch nor a record without minutiae matches.
#include <gtest/gtest.h>

#include "fingerprint/iso_minutiae_record.h"
#include "simulator/finger_sensor.h"

namespace simulator {

TEST(SimulatorAccuracy, GenuineImpressionsMatchAndImpostorsDoNot) {
    std::vector<std::vector<std::uint8_t>> templates;
    for (int t = 0; t < 6; ++t) {  // finger 11 + t / 3; an impression that fails to enrol gives an empty template
        const int finger = 11 + t / 3;
        templates.push_back(templateOfImpression(touchSensor(finger, 7919u * finger + t % 3, 320, 480), 320, 480));
    }
    auto same = [](const auto& a, const auto& b) { return sameFinger(compareTemplates(a.data(), a.size(), b.data(), b.size())); };
    int genuine = 0, impostor = 0;
    for (std::size_t a = 0; a < templates.size(); ++a) {
        for (std::size_t b = a + 1; b < templates.size(); ++b) {
            (a / 3 == b / 3 ? genuine : impostor) += same(templates[a], templates[b]);
        }
    }
    EXPECT_EQ(std::pair(genuine, impostor), std::pair(6, 0)) << "genuine and impostor pairs that matched";
    EXPECT_FALSE(same(templates[0], templateOfImpression(touchSensor(11, 7919u * 11, 320, 480, true), 320, 480)));
    const std::vector<std::uint8_t> bare = fingerprint::writeMinutiaeRecord({320, 480, 197, 197, 0, 0, 60, {}});
    EXPECT_TRUE(fingerprint::readMinutiaeRecord(bare.data(), bare.size()) && !same(bare, bare));
}

}  // namespace simulator
