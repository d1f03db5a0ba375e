#include "simulator/finger_pattern.h"

#include <cmath>
#include <cstdint>

#include "fingerprint/angles.h"
#include "simulator/seeded_generator.h"

namespace simulator {

using fingerprint::angleWithin;
using fingerprint::pi;

namespace {

// The layout's random stream, apart from the ridge noise's.
constexpr std::uint64_t layoutStream = 0x5eed0000u;

// Pattern classes in roughly the proportions found in people's fingers.
PatternClass drawClass(SeededGenerator& random) {
    double draw = random.unit();
    if (draw < 0.05) return PatternClass::arch;
    if (draw < 0.10) return PatternClass::tentedArch;
    if (draw < 0.42) return PatternClass::leftLoop;
    if (draw < 0.72) return PatternClass::rightLoop;
    return PatternClass::whorl;
}

Undulation drawUndulation(SeededGenerator& random, double period, double amplitude) {
    double heading = random.between(0, 2 * pi);
    double wavelength = random.between(period, 2 * period);
    return {std::cos(heading) / wavelength, std::sin(heading) / wavelength, random.between(0, 2 * pi),
            random.between(0.5, 1.0) * amplitude};
}

double undulate(const Undulation& bend, double x, double y) {
    return bend.amplitude * std::sin(2 * pi * (bend.fx * x + bend.fy * y) + bend.phase);
}

void placeSingularities(FingerPattern& pattern, SeededGenerator& random, double cx, double cy) {
    switch (pattern.kind) {
        case PatternClass::arch:
            pattern.humpCentre = {cx + random.between(-20, 20), cy + random.between(-30, 30)};
            pattern.humpSlope = random.between(0.45, 0.9);
            pattern.humpWidth = random.between(50, 90);
            pattern.humpHeight = random.between(90, 150);
            break;
        case PatternClass::tentedArch:
            pattern.cores = {{cx + random.between(-15, 15), cy + random.between(-50, -10)}};
            pattern.deltas = {{pattern.cores[0].x + random.between(-8, 8),
                               pattern.cores[0].y + random.between(45, 80)}};
            break;
        case PatternClass::leftLoop:
        case PatternClass::rightLoop: {
            double side = pattern.kind == PatternClass::leftLoop ? 1.0 : -1.0;
            pattern.cores = {{cx - side * random.between(0, 25), cy + random.between(-60, -10)}};
            pattern.deltas = {{pattern.cores[0].x + side * random.between(80, 120),
                               pattern.cores[0].y + random.between(70, 110)}};
            break;
        }
        case PatternClass::whorl: {
            double spread = random.between(10, 28);
            double tilt = random.between(-0.8, 0.8);
            double wx = cx + random.between(-15, 15);
            double wy = cy + random.between(-50, -10);
            pattern.cores = {{wx - spread * std::sin(tilt), wy - spread * std::cos(tilt)},
                             {wx + spread * std::sin(tilt), wy + spread * std::cos(tilt)}};
            pattern.deltas = {{wx - random.between(80, 120), wy + random.between(90, 140)},
                              {wx + random.between(80, 120), wy + random.between(90, 140)}};
            break;
        }
    }
}

}  // namespace

FingerPattern fingerPattern(int finger, int canvasWidth, int canvasHeight) {
    SeededGenerator random(layoutStream + static_cast<std::uint64_t>(static_cast<std::uint32_t>(finger)) * 7919u);
    FingerPattern pattern;
    pattern.kind = drawClass(random);
    pattern.ridgePeriod = random.between(8.4, 9.6);
    pattern.padCentre = {canvasWidth / 2.0 + random.between(-10, 10),
                         canvasHeight * 0.56 + random.between(-15, 15)};
    pattern.padHalfWidth = random.between(150, 180);
    pattern.padHalfHeight = random.between(230, 280);
    pattern.farAngle = random.between(-0.12, 0.12);
    placeSingularities(pattern, random, canvasWidth / 2.0, canvasHeight / 2.0);
    for (Undulation& bend : pattern.directionBends) bend = drawUndulation(random, 180, 0.09);
    for (Undulation& bend : pattern.spacingBends) bend = drawUndulation(random, 150, 0.45);
    return pattern;
}

double ridgeDirection(const FingerPattern& pattern, double x, double y) {
    double angle = pattern.farAngle;
    if (pattern.kind == PatternClass::arch) {
        double dx = (x - pattern.humpCentre.x) / pattern.humpWidth;
        double dy = (y - pattern.humpCentre.y) / pattern.humpHeight;
        angle += std::atan(pattern.humpSlope * std::tanh(dx) * std::exp(-dy * dy));
    } else {
        // Zero-pole model: going once round a core turns the flow half a turn with
        // the walk, round a delta half a turn against it.
        for (const SingularPoint& core : pattern.cores) angle += 0.5 * std::atan2(y - core.y, x - core.x);
        for (const SingularPoint& delta : pattern.deltas) angle -= 0.5 * std::atan2(y - delta.y, x - delta.x);
    }
    for (const Undulation& bend : pattern.directionBends) angle += undulate(bend, x, y);
    return angleWithin(angle, pi);
}

double ridgePeriodAt(const FingerPattern& pattern, double x, double y) {
    double period = pattern.ridgePeriod;
    for (const Undulation& bend : pattern.spacingBends) period += undulate(bend, x, y);
    return period;
}

double padRadius(const FingerPattern& pattern, double x, double y) {
    double dx = (x - pattern.padCentre.x) / pattern.padHalfWidth;
    double dy = (y - pattern.padCentre.y) / pattern.padHalfHeight;
    return dx * dx + dy * dy;
}

}  // namespace simulator
