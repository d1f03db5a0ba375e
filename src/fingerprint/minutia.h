#pragma once
// One minutia as the device's extractor finds it and its templates carry it.

#include <cstdint>

namespace fingerprint {

enum class MinutiaKind : std::uint8_t { other = 0, ending = 1, bifurcation = 2 };

struct Minutia {
    // Pixels from the left and from the top. An ending lies where the valleys
    // beside its ridge meet, just beyond the ridge's end.
    int x;
    int y;
    // Radians in image coordinates (x right, y down): an ending points along its
    // ridge, away from the end; a bifurcation points between its two branches.
    double direction;
    MinutiaKind kind;
    int quality;       // 1 (doubtful) .. 100 (certain)
};

}  // namespace fingerprint
