#pragma once
// Ridges as a black-and-white map: the impression filtered along its own ridge
// flow (which bridges small breaks and clears noise) and cut at zero.

#include <cstdint>

#include "scanner/simulator/foreground.h"
#include "scanner/simulator/plane.h"
#include "scanner/simulator/ridge_flow.h"

// 1 where a ridge is, 0 in valleys and off the finger; the outermost pixels
// are always 0.
Plane<std::uint8_t> ridgeMap(const Plane<std::uint8_t>& image, const RidgeFlow& flow, const Foreground& foreground);
