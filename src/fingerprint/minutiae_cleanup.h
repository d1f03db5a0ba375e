#pragma once
// Drops what the skeleton shows but the finger has not: ends cut by the edge of
// the contact area, breaks in a ridge, spurs, bridges, short specks and the
// clutter of smudged patches. Rates what remains.

#include <vector>

#include "fingerprint/foreground.h"
#include "fingerprint/minutia.h"
#include "fingerprint/minutiae_detection.h"
#include "fingerprint/ridge_flow.h"

namespace fingerprint {

std::vector<Minutia> keepGenuineMinutiae(const std::vector<MinutiaCandidate>& candidates, const Foreground& foreground,
                                         const RidgeFlow& flow);

}  // namespace fingerprint
