#pragma once
// Ridge skeletons: ridges thinned to lines one pixel wide, and the pixel
// neighbourhood arithmetic that reads them.

#include <array>
#include <cstdint>

#include "fingerprint/plane.h"

namespace fingerprint {

// The eight neighbours in ring order, clockwise from north (y grows downwards).
inline constexpr std::array<std::array<int, 2>, 8> ringSteps{
    {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}}};

// Bit i set when the neighbour at ringSteps[i] is set; 0 off the plane.
std::uint8_t neighbourBits(const Plane<std::uint8_t>& plane, int x, int y);

// How many separate ridge lines leave a skeleton pixel: 1 at an ending, 2 on
// a plain ridge, 3 at a bifurcation.
int crossingNumber(std::uint8_t bits);

// Thins a ridge map (1 ridge, 0 elsewhere) in place to an 8-connected skeleton
// one pixel wide, keeping each ridge's length and connections.
void thinToSkeleton(Plane<std::uint8_t>& ridges);

}  // namespace fingerprint
