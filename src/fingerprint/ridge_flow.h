#pragma once
// The direction of the ridges across an impression, block by block, from grey
// level gradients, with a measure of how clear that direction is.

#include <cstdint>

#include "fingerprint/plane.h"

namespace fingerprint {

inline constexpr int flowBlock = 8;

struct RidgeFlow {
    Plane<float> direction;  // per block, radians in [0, pi), image coordinates
    Plane<float> coherence;  // per block, 0 (no direction) .. 1 (perfectly parallel ridges)
};

// image: grey levels; the result has one entry per flowBlock x flowBlock block.
RidgeFlow estimateRidgeFlow(const Plane<std::uint8_t>& image);

// The ridge direction at a pixel, taken from its block.
float directionAt(const RidgeFlow& flow, int x, int y);

}  // namespace fingerprint
