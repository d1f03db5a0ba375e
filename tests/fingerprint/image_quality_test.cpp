// The capture quality: high for a clean full touch; low for a partial, blank, uniform or poor
// one; 0 for a frame that is not one.
#include <gtest/gtest.h>

#include <algorithm>

#include "fingerprint/foreground.h"
#include "fingerprint/image_quality.h"
#include "simulator/finger_sensor.h"

namespace fingerprint {

using Frame = std::vector<std::uint8_t>;
constexpr int width = 320, height = 480;

int quality(const Frame& frame) { return imageQuality(frame.data(), frame.size(), width, height); }

long blocksOnFinger(const Frame& frame) {
    Plane<std::uint8_t> image(width, height);
    image.values = frame;
    return std::ranges::count(findForeground(image).blocks.values, 1);
}

TEST(ImageQuality, JudgesTheCaptureAndNeverFails) {
    const Frame clean = simulator::touchSensor(1, 1, width, height);
    Frame partial = clean;  // only the lowest 35% of the rows touch the glass
    std::fill(partial.begin(), partial.begin() + width * height * 65 / 100, 235);
    ASSERT_LT(blocksOnFinger(partial), 0.4 * blocksOnFinger(clean));
    EXPECT_GE(quality(clean), 60);
    for (const auto& [name, frame] : {std::pair{"partial", partial}, {"blank", Frame(width * height, 255)},
                                      {"uniform grey", Frame(width * height, 128)},
                                      {"poor", simulator::touchSensor(1, 1, width, height, true)}}) {
        EXPECT_LT(quality(frame), 40) << name;
    }
    // Frames that are no frame: too small, a byte count that disagrees with the size, none.
    EXPECT_EQ(imageQuality(clean.data(), 40 * 40, 40, 40), 0);
    EXPECT_EQ(imageQuality(clean.data(), clean.size() - 1, width, height), 0);
    EXPECT_EQ(imageQuality(nullptr, 0, 0, 0), 0);
}

}  // namespace fingerprint
