#pragma once
// The device's feature extractor: grey frame in, minutiae out.

#include <cstdint>
#include <vector>

#include "fingerprint/minutia.h"

namespace fingerprint {

// At most this many minutiae are kept, the best first.
inline constexpr std::size_t maxExtractedMinutiae = 128;

struct Extraction {
    std::vector<Minutia> minutiae;
    int quality;  // the impression as a whole, 0 .. 100: see image_quality.h
};

// frame: width * height grey bytes, top row first.
Extraction extractMinutiae(const std::uint8_t* frame, int width, int height);

}  // namespace fingerprint
