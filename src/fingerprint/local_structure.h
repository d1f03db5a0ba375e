#pragma once
// What a minutia's nearest neighbours look like from the minutia itself:
// distances and angles that do not change when the finger moves or turns on
// the sensor. Two minutiae with alike neighbourhoods are likely the same
// minutia, which gives the matcher places to align two prints.

#include <array>
#include <cstdint>
#include <vector>

#include "fingerprint/angles.h"
#include "fingerprint/minutia.h"

namespace fingerprint {

inline constexpr int neighbourhoodSize = 6;

struct NeighbourView {
    float distance;    // pixels
    TurnUnits bearing; // where the neighbour lies, relative to the minutia's direction
    TurnUnits turn;    // the neighbour's direction relative to the minutia's
};

struct Neighbourhood {
    int count = 0;  // nearest first
    std::array<NeighbourView, neighbourhoodSize> neighbours{};
};

std::vector<Neighbourhood> neighbourhoods(const std::vector<Minutia>& minutiae);

// 0 (nothing alike) .. 1 (every neighbour has its counterpart).
float neighbourhoodSimilarity(const Neighbourhood& a, const Neighbourhood& b);

}  // namespace fingerprint
