#pragma once
// Ridge endings and bifurcations on a ridge skeleton, found by their crossing
// numbers, with directions read from the lines that leave them.

#include <vector>

#include "fingerprint/foreground.h"
#include "fingerprint/minutia.h"
#include "fingerprint/plane.h"
#include "fingerprint/ridge_flow.h"
#include "fingerprint/skeleton_trace.h"

namespace fingerprint {

// How far the walks from a minutia look for what lies close by on its lines.
inline constexpr int lineLookout = 16;

struct MinutiaCandidate {
    Minutia minutia;
    int lineCount;       // 1 for an ending, 3 for a bifurcation
    Trace lines[3];      // the walk along each line, at most lineLookout pixels
};

std::vector<MinutiaCandidate> detectMinutiae(const Plane<std::uint8_t>& skeleton, const Foreground& foreground,
                                             const RidgeFlow& flow);

}  // namespace fingerprint
