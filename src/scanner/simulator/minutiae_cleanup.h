#pragma once
// Drops what the skeleton shows but the finger has not: ends cut by the edge of
// the contact area, breaks in a ridge, spurs, bridges, short specks and the
// clutter of smudged patches. Rates what remains.

#include <vector>

#include "scanner/simulator/foreground.h"
#include "scanner/simulator/minutia.h"
#include "scanner/simulator/minutiae_detection.h"
#include "scanner/simulator/ridge_flow.h"

std::vector<Minutia> keepGenuineMinutiae(const std::vector<MinutiaCandidate>& candidates, const Foreground& foreground,
                                         const RidgeFlow& flow);
