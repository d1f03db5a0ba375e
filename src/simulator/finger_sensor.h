#pragma once
// What the simulated device does with virtual fingers: takes impressions of
// them, turns impressions into minutiae templates and compares templates.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace simulator {

// An impression must show at least this many minutiae to make a template.
inline constexpr std::size_t minutiaeToEnrol = 12;

// A fresh impression of finger number `finger` (1 and up), width * height grey
// bytes: the same touch seed gives the same impression. A poor touch is light,
// small, dry and noisy, as when the glass is dirty or the finger barely lands.
std::vector<std::uint8_t> touchSensor(int finger, std::uint64_t touchSeed, int width, int height, bool poor = false);

// A touch seed never handed out before in this process, and unpredictable.
std::uint64_t freshTouchSeed();

// The touch seed of impression k of the series n: the same in every process.
std::uint64_t impressionSeed(std::uint64_t n, std::uint64_t k);

// The template of an impression (a finger minutiae record), or nothing when the
// impression shows too little of a finger.
std::vector<std::uint8_t> templateOfImpression(const std::vector<std::uint8_t>& frame, int width, int height);

// How alike the fingers of two templates are, 0 .. 100; 0 when either is not a
// valid record.
double compareTemplates(const std::uint8_t* a, std::size_t aLength, const std::uint8_t* b, std::size_t bLength);

// Whether a score says the two templates come from the same finger.
bool sameFinger(double score);

}  // namespace simulator
