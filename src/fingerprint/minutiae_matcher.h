#pragma once
// The device's matcher: how alike two sets of minutiae are, allowing for the
// finger being shifted, turned and distorted between the two touches.
// It aligns the sets on pairs of minutiae whose neighbourhoods look alike,
// pairs minutiae within tolerances and scores the share that paired up, each
// pair weighed by how alike its two neighbourhoods are.

#include <vector>

#include "fingerprint/convex_outline.h"
#include "fingerprint/local_structure.h"
#include "fingerprint/minutia.h"

namespace fingerprint {

// Scores at or above this mean the same finger (chosen with bench/sim_accuracy_bench:
// about 1 false match in 30,000 impostor comparisons, 1-2% false non-matches).
inline constexpr double sameFingerScore = 18.0;

// A set of minutiae with what the matcher needs of it worked out in advance.
struct MatchablePrint {
    std::vector<Minutia> minutiae;
    std::vector<Neighbourhood> neighbourhoods;
    ConvexOutline outline;
    std::vector<int> leftToRight;  // minutia indices by ascending x
};

MatchablePrint matchablePrint(std::vector<Minutia> minutiae);

// 0 (nothing in common) .. 100 (every minutia of both sets paired up, with alike
// neighbourhoods).
double matchScore(const MatchablePrint& a, const MatchablePrint& b);

}  // namespace fingerprint
