#pragma once
// Ridges as a black-and-white map: the impression filtered along its own ridge
// flow (which bridges small breaks and clears noise) and cut at zero.

#include <cstdint>

#include "fingerprint/foreground.h"
#include "fingerprint/plane.h"
#include "fingerprint/ridge_flow.h"

namespace fingerprint {

// 1 where a ridge is, 0 in valleys and off the finger; the outermost pixels
// are always 0.
Plane<std::uint8_t> ridgeMap(const Plane<std::uint8_t>& image, const RidgeFlow& flow, const Foreground& foreground);

}  // namespace fingerprint
