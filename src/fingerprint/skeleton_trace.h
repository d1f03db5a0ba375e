#pragma once
// Walking along a ridge skeleton from a minutia.

#include <cstdint>

#include "fingerprint/plane.h"

namespace fingerprint {

enum class TraceEnd : std::uint8_t {
    distance,   // walked the whole way
    ending,     // reached the end of the line
    junction,   // reached a pixel where lines meet
};

struct Trace {
    int x, y;    // where the walk stopped
    int steps;
    TraceEnd end;
};

// Walks from (x, y) first onto (firstX, firstY) and on along the line for at
// most maxSteps pixels. The start pixel itself is never a stop.
Trace traceSkeleton(const Plane<std::uint8_t>& skeleton, int x, int y, int firstX, int firstY, int maxSteps);

}  // namespace fingerprint
