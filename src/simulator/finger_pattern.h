#pragma once
// The large-scale layout of one virtual finger, fixed by its number: pattern
// class, cores and deltas, ridge flow, ridge spacing and outline on the sensor.
// Angles are in image coordinates (x right, y down) and taken modulo pi.

#include <array>
#include <vector>

namespace simulator {

enum class PatternClass { arch, tentedArch, leftLoop, rightLoop, whorl };

struct SingularPoint {
    double x;
    double y;
};

// A slow sinusoid that bends an otherwise ideal field.
struct Undulation {
    double fx;
    double fy;
    double phase;
    double amplitude;
};

struct FingerPattern {
    PatternClass kind = PatternClass::arch;
    std::vector<SingularPoint> cores;
    std::vector<SingularPoint> deltas;
    double farAngle = 0;  // ridge direction far from every core and delta
    // Plain arches have no singular points: their ridges rise over a hump.
    SingularPoint humpCentre{};
    double humpSlope = 0;
    double humpWidth = 1;
    double humpHeight = 1;
    std::array<Undulation, 3> directionBends{};
    std::array<Undulation, 2> spacingBends{};
    double ridgePeriod = 9;  // pixels from ridge to ridge at 500 dpi
    // Outline: an ellipse, the finger pad pressed on the glass.
    SingularPoint padCentre{};
    double padHalfWidth = 1;
    double padHalfHeight = 1;
};

// The pattern of finger number `finger`, on a canvas of the given size.
FingerPattern fingerPattern(int finger, int canvasWidth, int canvasHeight);

// Ridge direction at a point, in [0, pi).
double ridgeDirection(const FingerPattern& pattern, double x, double y);

// Ridge period at a point, in pixels.
double ridgePeriodAt(const FingerPattern& pattern, double x, double y);

// Below 1 inside the finger pad, above 1 outside: the squared elliptic radius.
double padRadius(const FingerPattern& pattern, double x, double y);

}  // namespace simulator
