#include "fingerprint/minutiae_detection.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"
#include "fingerprint/skeleton.h"

namespace fingerprint {

namespace {

// Steps walked to read a line's direction: about one ridge period.
constexpr int directionReach = 10;
// Within this angle the block's ridge flow, finer than a walked line, sets the direction.
constexpr double flowAgreement = pi / 6;

// The first pixel of each separate group of neighbours: where each line leaves.
int lineStarts(std::uint8_t bits, int starts[3]) {
    int count = 0;
    for (int i = 0; i < 8 && count < 3; ++i) {
        const bool here = ((bits >> i) & 1) != 0, before = ((bits >> ((i + 7) & 7)) & 1) != 0;
        if (here && !before) starts[count++] = i;
    }
    return count;
}

double lineAngle(const Plane<std::uint8_t>& skeleton, int x, int y, int start) {
    const Trace t = traceSkeleton(skeleton, x, y, x + ringSteps[start][0], y + ringSteps[start][1], directionReach);
    return std::atan2(t.y - y, t.x - x);
}

// An ending points along its line; a bifurcation between its two closest lines.
double walkedDirection(const Plane<std::uint8_t>& skeleton, int x, int y, const int* starts, int count) {
    if (count == 1) return lineAngle(skeleton, x, y, starts[0]);
    double angles[3];
    for (int i = 0; i < 3; ++i) angles[i] = lineAngle(skeleton, x, y, starts[i]);
    int a = 0, b = 1;
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            if (angleBetween(angles[i], angles[j]) < angleBetween(angles[a], angles[b])) {
                a = i;
                b = j;
            }
        }
    }
    return std::atan2(std::sin(angles[a]) + std::sin(angles[b]), std::cos(angles[a]) + std::cos(angles[b]));
}

// The block flow is an axis; it refines the walked direction when they agree.
double refinedDirection(double walked, double flowAxis) {
    const double along = angleBetween(flowAxis, walked) < pi / 2 ? flowAxis : flowAxis + pi;
    return angleWithin(angleBetween(along, walked) < flowAgreement ? along : walked, 2 * pi);
}

}  // namespace

std::vector<MinutiaCandidate> detectMinutiae(const Plane<std::uint8_t>& skeleton, const Foreground& foreground,
                                             const RidgeFlow& flow) {
    std::vector<MinutiaCandidate> found;
    for (int y = 1; y + 1 < skeleton.height; ++y) {
        for (int x = 1; x + 1 < skeleton.width; ++x) {
            if (skeleton.at(x, y) == 0 || !onFinger(foreground, x, y)) continue;
            const std::uint8_t bits = neighbourBits(skeleton, x, y);
            const int lines = crossingNumber(bits);
            if (lines != 1 && lines != 3) continue;
            MinutiaCandidate candidate{};
            int starts[3] = {0, 0, 0};
            candidate.lineCount = lineStarts(bits, starts);
            if (candidate.lineCount != lines) continue;
            for (int i = 0; i < lines; ++i) {
                candidate.lines[i] = traceSkeleton(skeleton, x, y, x + ringSteps[starts[i]][0],
                                                   y + ringSteps[starts[i]][1], lineLookout);
            }
            const double walked = walkedDirection(skeleton, x, y, starts, lines);
            candidate.minutia = {x, y, refinedDirection(walked, directionAt(flow, x, y)),
                                 lines == 1 ? MinutiaKind::ending : MinutiaKind::bifurcation, 0};
            found.push_back(candidate);
        }
    }
    return found;
}

}  // namespace fingerprint
