#include "fingerprint/local_structure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace fingerprint {

namespace {

// Neighbours closer than this are too near to place reliably, farther ones too
// exposed to skin stretch.
constexpr float nearest = 8, farthest = 120;
// Tolerances for counterpart neighbours: distance, then angles in 256ths of a
// turn (about 20 and 26 degrees).
constexpr float distanceSlack = 10;
constexpr float distanceSlackShare = 0.12f;
constexpr float bearingSlack = 14;
constexpr float turnSlack = 18;

// How far apart two angles are, in 256ths of a turn (0 .. 128).
int unitsApart(TurnUnits a, TurnUnits b) { return std::abs(static_cast<std::int8_t>(static_cast<TurnUnits>(a - b))); }

}  // namespace

std::vector<Neighbourhood> neighbourhoods(const std::vector<Minutia>& minutiae) {
    std::vector<Neighbourhood> result(minutiae.size());
    std::vector<std::pair<float, std::size_t>> byDistance;  // squared distance, index
    for (std::size_t i = 0; i < minutiae.size(); ++i) {
        const Minutia& m = minutiae[i];
        byDistance.clear();
        for (std::size_t j = 0; j < minutiae.size(); ++j) {
            const float dx = static_cast<float>(minutiae[j].x - m.x), dy = static_cast<float>(minutiae[j].y - m.y);
            const float squared = dx * dx + dy * dy;
            if (j != i && squared >= nearest * nearest && squared <= farthest * farthest) byDistance.push_back({squared, j});
        }
        const std::size_t kept = std::min<std::size_t>(byDistance.size(), neighbourhoodSize);
        std::partial_sort(byDistance.begin(), byDistance.begin() + kept, byDistance.end());
        Neighbourhood& n = result[i];
        n.count = static_cast<int>(kept);
        for (std::size_t k = 0; k < kept; ++k) {
            const Minutia& other = minutiae[byDistance[k].second];
            const double heading = std::atan2(other.y - m.y, other.x - m.x);
            n.neighbours[k] = {std::sqrt(byDistance[k].first), turnUnits(heading - m.direction),
                               turnUnits(other.direction - m.direction)};
        }
    }
    return result;
}

float neighbourhoodSimilarity(const Neighbourhood& a, const Neighbourhood& b) {
    if (a.count == 0 || b.count == 0) return 0;
    bool taken[neighbourhoodSize] = {};
    float total = 0;
    int from = 0;  // both lists run nearest first: b's earlier entries are too near for later ones of a
    for (int i = 0; i < a.count; ++i) {
        const NeighbourView& u = a.neighbours[i];
        const float slack = distanceSlack + distanceSlackShare * u.distance;
        while (from < b.count && b.neighbours[from].distance <= u.distance - slack) ++from;
        int best = -1;
        float bestScore = 0;
        for (int j = from; j < b.count && b.neighbours[j].distance < u.distance + slack; ++j) {
            const NeighbourView& v = b.neighbours[j];
            const int bearing = unitsApart(u.bearing, v.bearing), turn = unitsApart(u.turn, v.turn);
            if (taken[j] || bearing >= bearingSlack || turn >= turnSlack) continue;
            const float score =
                1 - (std::abs(u.distance - v.distance) / slack + bearing / bearingSlack + turn / turnSlack) / 3;
            if (score > bestScore) {
                bestScore = score;
                best = j;
            }
        }
        if (best >= 0) {
            taken[best] = true;
            total += bestScore;
        }
    }
    return total / static_cast<float>(std::max(a.count, b.count));
}

}  // namespace fingerprint
