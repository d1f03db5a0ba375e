#include "simulator/master_print.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "fingerprint/oriented_filter_bank.h"
#include "simulator/seeded_generator.h"

namespace simulator {

using fingerprint::OrientedFilterBank;
using fingerprint::Plane;
using fingerprint::skipPixel;

namespace {

constexpr int growthRounds = 8;
// The noise the ridges grow from: a stream of its own, apart from the layout's.
constexpr std::uint64_t ridgeNoiseStream = 0xf1a9e500u;
// Ridges are grown a little beyond the pad so the pad's edge cuts through them.
constexpr double growthRadius = 1.08;

const OrientedFilterBank& growthFilters() {
    static const OrientedFilterBank bank({32, {7.0, 7.75, 8.5, 9.25, 10.0, 10.75, 11.5}, 0.38, 0.75, 7});
    return bank;
}

}  // namespace

MasterPrint synthesizeMasterPrint(int finger, int frameWidth, int frameHeight) {
    const int width = frameWidth + 2 * masterMargin, height = frameHeight + 2 * masterMargin;
    MasterPrint print{fingerPattern(finger, width, height), Plane<float>(width, height, 0.0f),
                      Plane<std::uint8_t>(width, height, 0)};
    const OrientedFilterBank& bank = growthFilters();
    Plane<std::uint16_t> choice(width, height, skipPixel);
    SeededGenerator noise(ridgeNoiseStream ^ static_cast<std::uint32_t>(finger));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double radius = padRadius(print.pattern, x, y);
            if (radius > growthRadius * growthRadius) continue;
            print.pad.at(x, y) = radius <= 1.0 ? 1 : 0;
            choice.at(x, y) = bank.kernelFor(ridgeDirection(print.pattern, x, y), ridgePeriodAt(print.pattern, x, y));
            print.ridges.at(x, y) = static_cast<float>(noise.between(-1, 1));
        }
    }
    Plane<float> filtered;
    for (int round = 0; round < growthRounds; ++round) {
        bank.apply(print.ridges, 0.0f, choice, filtered);
        double power = 0;
        std::size_t count = 0;
        for (std::size_t i = 0; i < filtered.values.size(); ++i) {
            if (choice.values[i] == skipPixel) continue;
            power += double(filtered.values[i]) * filtered.values[i];
            ++count;
        }
        // Amplify and clip: ridges saturate into even crests and valleys.
        const float gain = static_cast<float>(1.6 / std::sqrt(power / std::max<std::size_t>(count, 1) + 1e-12));
        for (std::size_t i = 0; i < filtered.values.size(); ++i) {
            print.ridges.values[i] = std::clamp(filtered.values[i] * gain, -1.0f, 1.0f);
        }
    }
    for (std::size_t i = 0; i < print.ridges.values.size(); ++i) {
        if (print.pad.values[i] == 0) print.ridges.values[i] = 0;
    }
    return print;
}

}  // namespace simulator
