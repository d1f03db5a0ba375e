#pragma once
// A virtual finger's ridges as they are on the skin, before any impression:
// grown once per finger by repeatedly filtering noise with Gabor filters that
// follow the finger's ridge flow and spacing. Ridge endings and bifurcations
// arise where the flow forces ridges to appear or merge.

#include <cstdint>

#include "fingerprint/plane.h"
#include "simulator/finger_pattern.h"

namespace simulator {

// The canvas reaches this far beyond the frame on every side, so that a finger
// shifted or turned on the sensor still shows skin, not the canvas edge.
inline constexpr int masterMargin = 40;

struct MasterPrint {
    FingerPattern pattern;                 // in canvas coordinates
    fingerprint::Plane<float> ridges;      // -1 valley floor .. +1 ridge crest; 0 off the pad
    fingerprint::Plane<std::uint8_t> pad;  // 1 on the finger pad
};

// The same finger number always gives the same master print.
MasterPrint synthesizeMasterPrint(int finger, int frameWidth, int frameHeight);

}  // namespace simulator
