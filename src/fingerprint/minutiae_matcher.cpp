#include "fingerprint/minutiae_matcher.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"

namespace fingerprint {

namespace {

// Fingers turn on the sensor by up to 30 degrees either way, so two touches
// differ by up to 60, and minutia directions wobble a little more; beyond this
// an alignment is not considered.
constexpr double largestTurn = 80 * pi / 180;
// Alignments tried: the pairs whose neighbourhoods look most alike.
constexpr std::size_t alignmentsTried = 10;
constexpr float leastSimilarity = 0.25f;
// Pairing tolerances. The first pairing trusts one minutia's direction for the
// turn, so its tolerance grows with the distance from that minutia; the
// pairing after it uses the alignment that best fits the first pairs.
constexpr double firstReach = 12, firstReachGrowth = 0.08, firstReachLimit = 30, firstTurn = pi / 5;
constexpr double reach = 13, turnTolerance = pi / 7;
constexpr int refinements = 1;
// Fewer minutiae than this where both prints have some still count as this
// many, so that small overlaps cannot score high by chance; it is small, so
// that a partial touch whose few minutiae all pair up still scores well.
constexpr double fewestShared = 15;
// Minutiae this far outside the other print's outline still count as shared.
constexpr double outlineMargin = 10;
// A pair that agrees in place and direction alone counts this much; one whose
// neighbourhoods agree as well counts up to 1. Chance pairs between two
// fingers seldom share their neighbours.
constexpr double bareAgreement = 0.4;

class Alignment {
public:
    Alignment(double turn, double dx, double dy) : turn_(turn), c_(std::cos(turn)), s_(std::sin(turn)), dx_(dx), dy_(dy) {}
    // Carries a onto b: turn about the origin, then shift.
    static Alignment carrying(double turn, const Point& a, const Point& b) {
        const double c = std::cos(turn), s = std::sin(turn);
        return {turn, b.x - (c * a.x - s * a.y), b.y - (s * a.x + c * a.y)};
    }
    double turn() const { return turn_; }
    Point apply(const Minutia& m) const { return apply(Point{static_cast<double>(m.x), static_cast<double>(m.y)}); }
    Point apply(const Point& p) const { return {c_ * p.x - s_ * p.y + dx_, s_ * p.x + c_ * p.y + dy_}; }

private:
    double turn_, c_, s_, dx_, dy_;  // radians, image coordinates
};

Point at(const Minutia& m) { return {static_cast<double>(m.x), static_cast<double>(m.y)}; }

struct Pair {
    int a, b;
    double cost;
};

struct Seed {
    int a, b;
    float similarity;
};

Alignment alignOn(const Minutia& a, const Minutia& b) { return Alignment::carrying(b.direction - a.direction, at(a), at(b)); }

// Greedy one-to-one pairing, best fits first. With an anchor, tolerances grow
// with the distance from it.
std::vector<Pair> pairUp(const MatchablePrint& a, const MatchablePrint& b, const Alignment& alignment,
                         const Minutia* anchor) {
    std::vector<Pair> candidates;
    const Point anchorAt = anchor != nullptr ? alignment.apply(*anchor) : Point{0, 0};
    for (std::size_t i = 0; i < a.minutiae.size(); ++i) {
        const Point p = alignment.apply(a.minutiae[i]);
        const double direction = a.minutiae[i].direction + alignment.turn();
        double distanceLimit = reach, turnLimit = turnTolerance;
        if (anchor != nullptr) {
            distanceLimit = std::min(firstReachLimit,
                                     firstReach + firstReachGrowth * std::hypot(p.x - anchorAt.x, p.y - anchorAt.y));
            turnLimit = firstTurn;
        }
        // Only minutiae of b within distanceLimit to the left or right.
        auto first = std::lower_bound(b.leftToRight.begin(), b.leftToRight.end(), p.x - distanceLimit,
                                      [&](int j, double x) { return b.minutiae[j].x < x; });
        for (auto it = first; it != b.leftToRight.end() && b.minutiae[*it].x <= p.x + distanceLimit; ++it) {
            const Minutia& q = b.minutiae[*it];
            const double dx = p.x - q.x, dy = p.y - q.y;
            if (dx * dx + dy * dy > distanceLimit * distanceLimit) continue;
            const double t = angleBetween(direction, q.direction);
            if (t > turnLimit) continue;
            candidates.push_back({static_cast<int>(i), *it, std::sqrt(dx * dx + dy * dy) / distanceLimit + t / turnLimit});
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const Pair& x, const Pair& y) { return x.cost < y.cost; });
    std::vector<bool> usedA(a.minutiae.size()), usedB(b.minutiae.size());
    std::vector<Pair> pairs;
    for (const Pair& c : candidates) {
        if (usedA[c.a] || usedB[c.b]) continue;
        usedA[c.a] = usedB[c.b] = true;
        pairs.push_back(c);
    }
    return pairs;
}

// The turn and shift that best carry the paired minutiae of a onto those of b.
Alignment fitted(const MatchablePrint& a, const MatchablePrint& b, const std::vector<Pair>& pairs) {
    double ax = 0, ay = 0, bx = 0, by = 0;
    for (const Pair& p : pairs) {
        ax += a.minutiae[p.a].x;
        ay += a.minutiae[p.a].y;
        bx += b.minutiae[p.b].x;
        by += b.minutiae[p.b].y;
    }
    const double n = static_cast<double>(pairs.size());
    ax /= n, ay /= n, bx /= n, by /= n;
    double dot = 0, cross = 0;
    for (const Pair& p : pairs) {
        const double px = a.minutiae[p.a].x - ax, py = a.minutiae[p.a].y - ay;
        const double qx = b.minutiae[p.b].x - bx, qy = b.minutiae[p.b].y - by;
        dot += px * qx + py * qy;
        cross += px * qy - py * qx;
    }
    return Alignment::carrying(std::atan2(cross, dot), {ax, ay}, {bx, by});
}

// How many minutiae of each print lie where the other print has minutiae too.
std::pair<int, int> sharedCounts(const MatchablePrint& a, const MatchablePrint& b, const Alignment& alignment) {
    std::vector<Point> movedCorners;
    for (const Point& p : a.outline.corners) movedCorners.push_back(alignment.apply(p));
    const ConvexOutline movedA = convexOutline(std::move(movedCorners));
    int sharedA = 0, sharedB = 0;
    for (const Minutia& m : a.minutiae) sharedA += withinOutline(b.outline, alignment.apply(m), outlineMargin) ? 1 : 0;
    for (const Minutia& m : b.minutiae) {
        sharedB += withinOutline(movedA, at(m), outlineMargin) ? 1 : 0;
    }
    return {sharedA, sharedB};
}

// paired: the pairs, each counted by how well it agrees.
double scoreOf(double paired, double sharedA, double sharedB) {
    return std::min(100.0, 100 * paired * paired / (std::max(sharedA, fewestShared) * std::max(sharedB, fewestShared)));
}

double agreementOf(const MatchablePrint& a, const MatchablePrint& b, const std::vector<Pair>& pairs) {
    double total = 0;
    for (const Pair& p : pairs) {
        total += bareAgreement + (1 - bareAgreement) * neighbourhoodSimilarity(a.neighbourhoods[p.a], b.neighbourhoods[p.b]);
    }
    return total;
}

// Candidate alignments: pairs that could be the same minutia turned by no more
// than largestTurn, most alike neighbourhoods first.
std::vector<Seed> seedsFor(const MatchablePrint& a, const MatchablePrint& b) {
    std::vector<Seed> seeds;
    for (std::size_t i = 0; i < a.minutiae.size(); ++i) {
        for (std::size_t j = 0; j < b.minutiae.size(); ++j) {
            if (angleBetween(a.minutiae[i].direction, b.minutiae[j].direction) > largestTurn) continue;
            const float s = neighbourhoodSimilarity(a.neighbourhoods[i], b.neighbourhoods[j]);
            if (s >= leastSimilarity) seeds.push_back({static_cast<int>(i), static_cast<int>(j), s});
        }
    }
    const std::size_t tried = std::min(seeds.size(), alignmentsTried);
    std::partial_sort(seeds.begin(), seeds.begin() + tried, seeds.end(),
                      [](const Seed& x, const Seed& y) { return x.similarity > y.similarity; });
    seeds.resize(tried);
    return seeds;
}

}  // namespace

MatchablePrint matchablePrint(std::vector<Minutia> minutiae) {
    MatchablePrint print{std::move(minutiae), {}, {}, {}};
    print.neighbourhoods = neighbourhoods(print.minutiae);
    std::vector<Point> points;
    for (const Minutia& m : print.minutiae) points.push_back(at(m));
    print.outline = convexOutline(std::move(points));
    for (std::size_t i = 0; i < print.minutiae.size(); ++i) print.leftToRight.push_back(static_cast<int>(i));
    std::sort(print.leftToRight.begin(), print.leftToRight.end(),
              [&](int i, int j) { return print.minutiae[i].x < print.minutiae[j].x; });
    return print;
}

double matchScore(const MatchablePrint& a, const MatchablePrint& b) {
    double best = 0;
    for (const Seed& seed : seedsFor(a, b)) {
        const Minutia& anchor = a.minutiae[seed.a];
        Alignment alignment = alignOn(anchor, b.minutiae[seed.b]);
        std::vector<Pair> pairs = pairUp(a, b, alignment, &anchor);
        for (int round = 0; round < refinements && pairs.size() >= 3; ++round) {
            alignment = fitted(a, b, pairs);
            pairs = pairUp(a, b, alignment, nullptr);
        }
        if (pairs.size() < 3 || angleBetween(alignment.turn(), 0) > largestTurn) continue;
        const double agreement = agreementOf(a, b, pairs);
        // The shared counts can only lower the score below this.
        if (scoreOf(agreement, 0, 0) <= best) continue;
        const auto [sharedA, sharedB] = sharedCounts(a, b, alignment);
        best = std::max(best, scoreOf(agreement, sharedA, sharedB));
    }
    return best;
}

}  // namespace fingerprint
