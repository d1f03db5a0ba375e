#include "fingerprint/ridge_map.h"

#include "fingerprint/oriented_filter_bank.h"

namespace fingerprint {

namespace {

// Ridge period at 500 dpi; the filters pass 8 to 10.5 pixels well enough.
constexpr double typicalPeriod = 9.0;

const OrientedFilterBank& enhancementFilters() {
    static const OrientedFilterBank bank({16, {typicalPeriod}, 0.42, 0.55, 6});
    return bank;
}

}  // namespace

Plane<std::uint8_t> ridgeMap(const Plane<std::uint8_t>& image, const RidgeFlow& flow, const Foreground& foreground) {
    const OrientedFilterBank& bank = enhancementFilters();
    Plane<std::uint16_t> choice(image.width, image.height, skipPixel);
    double sum = 0;
    std::size_t count = 0;
    for (int y = 1; y + 1 < image.height; ++y) {
        for (int x = 1; x + 1 < image.width; ++x) {
            if (!onFinger(foreground, x, y)) continue;
            choice.at(x, y) = bank.kernelFor(directionAt(flow, x, y), typicalPeriod);
            sum += image.at(x, y);
            ++count;
        }
    }
    // Centred on the finger's mean grey, the frame's surroundings (taken as 0) look neutral.
    const float mean = count > 0 ? static_cast<float>(sum / count) : 0.0f;
    Plane<float> response;
    bank.apply(image, mean, choice, response);
    Plane<std::uint8_t> ridges(image.width, image.height, 0);
    // Ridges are dark: the filter answers them below zero.
    for (std::size_t i = 0; i < ridges.values.size(); ++i) {
        ridges.values[i] = choice.values[i] != skipPixel && response.values[i] < 0 ? 1 : 0;
    }
    return ridges;
}

}  // namespace fingerprint
