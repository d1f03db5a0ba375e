#pragma once
// Angles in radians, in image coordinates (x right, y down): one pi for
// analysis and synthesis alike, and the few ways they fold angles into range.

#include <cmath>
#include <cstdint>
#include <numbers>

namespace fingerprint {

inline constexpr double pi = std::numbers::pi;

// How far apart two directions are, 0 .. pi, whatever turns lie between them.
inline double angleBetween(double a, double b) {
    const double d = std::fmod(std::abs(a - b), 2 * pi);
    return d > pi ? 2 * pi - d : d;
}

// The same angle in [0, range): range pi for a ridge's axis, 2 pi for a direction.
inline double angleWithin(double angle, double range) {
    angle = std::fmod(angle, range);
    return angle < 0 ? angle + range : angle;
}

// Angles in 256ths of a turn, as templates store them, so that differences
// wrap round by themselves.
using TurnUnits = std::uint8_t;

inline TurnUnits turnUnits(double radians) {
    const long units = std::lround(radians / (2 * pi) * 256);
    return static_cast<TurnUnits>(((units % 256) + 256) % 256);
}

}  // namespace fingerprint
