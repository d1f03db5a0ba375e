#include "scanner/simulator/local_structure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float pi = std::numbers::pi_v<float>;
// Neighbours closer than this are too near to place reliably, farther ones too
// exposed to skin stretch.
constexpr float nearest = 8, farthest = 120;
// Tolerances for counterpart neighbours.
constexpr float distanceSlack = 10;
constexpr float distanceSlackShare = 0.12f;
constexpr float bearingSlack = pi / 9;
constexpr float turnSlack = pi / 7;

// The same angle in [-pi, pi]; inputs are differences of a few turns at most.
float wrapped(float angle) {
    while (angle > pi) angle -= 2 * pi;
    while (angle < -pi) angle += 2 * pi;
    return angle;
}

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
            const float heading = std::atan2(static_cast<float>(other.y - m.y), static_cast<float>(other.x - m.x));
            n.neighbours[k] = {std::sqrt(byDistance[k].first), wrapped(heading - static_cast<float>(m.direction)),
                               wrapped(static_cast<float>(other.direction - m.direction))};
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
            if (taken[j]) continue;
            const NeighbourView& v = b.neighbours[j];
            const float dd = std::abs(u.distance - v.distance) / slack;
            const float db = std::abs(wrapped(u.bearing - v.bearing)) * (1 / bearingSlack);
            const float dt = std::abs(wrapped(u.turn - v.turn)) * (1 / turnSlack);
            if (db >= 1 || dt >= 1) continue;
            const float score = 1 - (dd + db + dt) / 3;
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
