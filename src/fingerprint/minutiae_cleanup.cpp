#include "fingerprint/minutiae_cleanup.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"

namespace fingerprint {

namespace {

// Blocks between a minutia and the edge of the finger's image; ridges simply
// stop at that edge.
constexpr int edgeDepth = 3;
// Two bifurcations closer than this along one line are a bridge or a small lake.
constexpr int bridgeLength = 12;
// Ridge endings facing each other across a gap this short are one broken ridge.
constexpr double breakGap = 18;
// Minutiae this close together are clutter, not detail.
constexpr double clutterRadius = 6;
constexpr double crowdRadius = 14;
constexpr int crowdLimit = 3;
// Below this clarity of the ridge flow, minutiae are not trusted.
constexpr float murkyFlow = 0.15f;

double distance(const Minutia& a, const Minutia& b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool facingAcrossGap(const Minutia& a, const Minutia& b) {
    if (a.kind != MinutiaKind::ending || b.kind != MinutiaKind::ending || distance(a, b) > breakGap) return false;
    if (angleBetween(a.direction, b.direction) < 3 * pi / 4) return false;
    // The gap runs along the ridge: from a, b lies behind a's direction.
    const double gap = std::atan2(b.y - a.y, b.x - a.x);
    return angleBetween(gap, a.direction + pi) < pi / 3;
}

int findAt(const std::vector<MinutiaCandidate>& candidates, int x, int y) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].minutia.x == x && candidates[i].minutia.y == y) return static_cast<int>(i);
    }
    return -1;
}

void dropBrokenStructures(const std::vector<MinutiaCandidate>& candidates, std::vector<bool>& dropped) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const MinutiaCandidate& c = candidates[i];
        for (int line = 0; line < c.lineCount; ++line) {
            const Trace& t = c.lines[line];
            if (c.lineCount == 1 && t.end == TraceEnd::ending) dropped[i] = true;  // a speck or short piece
            const bool spur = c.lineCount == 1 && t.end == TraceEnd::junction;
            const bool bridge = c.lineCount == 3 && t.end == TraceEnd::junction && t.steps <= bridgeLength;
            if (spur || bridge) {
                dropped[i] = true;
                const int other = findAt(candidates, t.x, t.y);
                if (other >= 0) dropped[other] = true;
            }
        }
    }
}

void dropPairs(const std::vector<MinutiaCandidate>& candidates, std::vector<bool>& dropped) {
    std::vector<bool> pairDropped = dropped;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            const Minutia& a = candidates[i].minutia;
            const Minutia& b = candidates[j].minutia;
            if (std::abs(a.y - b.y) > breakGap) continue;
            if (distance(a, b) < clutterRadius || facingAcrossGap(a, b)) pairDropped[i] = pairDropped[j] = true;
        }
    }
    dropped = pairDropped;
}

int rate(const Minutia& m, const Foreground& foreground, const RidgeFlow& flow) {
    const double clarity = std::min(1.0, flow.coherence.at(m.x / flowBlock, m.y / flowBlock) / 0.7);
    const double inside = std::min(1.0, depthAt(foreground, m.x, m.y) / 6.0);
    return std::clamp(static_cast<int>(std::lround(100 * clarity * inside)), 1, 100);
}

}  // namespace

std::vector<Minutia> keepGenuineMinutiae(const std::vector<MinutiaCandidate>& candidates, const Foreground& foreground,
                                         const RidgeFlow& flow) {
    std::vector<bool> dropped(candidates.size(), false);
    dropBrokenStructures(candidates, dropped);
    dropPairs(candidates, dropped);
    std::vector<Minutia> kept;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Minutia& m = candidates[i].minutia;
        if (dropped[i] || depthAt(foreground, m.x, m.y) < edgeDepth) continue;
        if (flow.coherence.at(m.x / flowBlock, m.y / flowBlock) < murkyFlow) continue;
        kept.push_back(m);
    }
    // Crowds of minutiae mark a smudge.
    std::vector<Minutia> result;
    for (const Minutia& m : kept) {
        int near = 0;
        for (const Minutia& other : kept) near += &other != &m && distance(m, other) < crowdRadius ? 1 : 0;
        if (near >= crowdLimit) continue;
        Minutia rated = m;
        rated.quality = rate(m, foreground, flow);
        result.push_back(rated);
    }
    return result;
}

}  // namespace fingerprint
