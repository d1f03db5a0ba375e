#pragma once
// Which part of an impression shows the finger: blocks whose grey levels vary
// like ridges do, cleaned into one solid region.

#include <cstdint>

#include "fingerprint/plane.h"
#include "fingerprint/ridge_flow.h"

namespace fingerprint {

struct Foreground {
    Plane<std::uint8_t> blocks;  // per flowBlock block: 1 on the finger
    // Per block: how many blocks away the nearest block off the finger (or the
    // frame edge) is; 0 off the finger.
    Plane<std::uint8_t> depth;
};

Foreground findForeground(const Plane<std::uint8_t>& image);

// Whether a pixel lies on the finger.
bool onFinger(const Foreground& foreground, int x, int y);
// Blocks between a pixel and the finger's edge.
int depthAt(const Foreground& foreground, int x, int y);

}  // namespace fingerprint
