#include "fingerprint/image_quality.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"
#include "fingerprint/minutiae_extractor.h"

namespace fingerprint {

namespace {

// A frame smaller than this on either side holds no fingertip at 500 dpi.
constexpr int smallestSide = 48;
// Ridges this far apart, in pixels, are a finger's at 500 dpi (8 to 12, with a margin).
constexpr double shortestPeriod = 7, longestPeriod = 13;
// Minutiae rated this well sit in a clean neighbourhood: clear flow, away from the edge.
constexpr int cleanMinutia = 60;

// The ridge period around a block's centre: grey levels averaged along the
// ridges, sampled across them, and the mean distance between their peaks;
// 0 when fewer than three peaks show.
double periodAt(const Plane<std::uint8_t>& image, int cx, int cy, double direction) {
    constexpr int halfLength = 16, halfWidth = 3;
    const double ax = std::cos(direction), ay = std::sin(direction);  // along the ridges
    const double nx = -ay, ny = ax;                                     // across them
    double signature[2 * halfLength + 1];
    for (int k = -halfLength; k <= halfLength; ++k) {
        double sum = 0;
        int count = 0;
        for (int j = -halfWidth; j <= halfWidth; ++j) {
            const int x = static_cast<int>(std::lround(cx + k * nx + j * ax));
            const int y = static_cast<int>(std::lround(cy + k * ny + j * ay));
            if (!image.contains(x, y)) continue;
            sum += image.at(x, y);
            ++count;
        }
        signature[k + halfLength] = count > 0 ? sum / count : 0;
    }
    int first = -1, last = -1, peaks = 0;
    for (int k = 1; k < 2 * halfLength; ++k) {
        if (signature[k] > signature[k - 1] && signature[k] >= signature[k + 1]) {
            if (first < 0) first = k;
            last = k;
            ++peaks;
        }
    }
    return peaks >= 3 ? double(last - first) / (peaks - 1) : 0;
}

double blockDeviation(const Plane<std::uint8_t>& image, int bx, int by) {
    double sum = 0, squares = 0;
    int count = 0;
    for (int y = by * flowBlock; y < std::min(image.height, (by + 1) * flowBlock); ++y) {
        for (int x = bx * flowBlock; x < std::min(image.width, (bx + 1) * flowBlock); ++x) {
            sum += image.at(x, y);
            squares += image.at(x, y) * image.at(x, y);
            ++count;
        }
    }
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}

double between(double value, double low, double high) { return std::clamp((value - low) / (high - low), 0.0, 1.0); }

}  // namespace

QualityEvidence gatherQualityEvidence(const Plane<std::uint8_t>& image, const Foreground& foreground,
                                      const RidgeFlow& flow, const std::vector<Minutia>& minutiae) {
    QualityEvidence evidence;
    const Plane<std::uint8_t>& blocks = foreground.blocks;
    std::vector<double> deviations;
    int onFinger = 0, sampled = 0, plausible = 0;
    double coherence = 0;
    for (int by = 0; by < blocks.height; ++by) {
        for (int bx = 0; bx < blocks.width; ++bx) {
            if (blocks.at(bx, by) == 0) continue;
            ++onFinger;
            coherence += flow.coherence.at(bx, by);
            deviations.push_back(blockDeviation(image, bx, by));
            // Every other block each way: the period changes slowly, and the share needs no more.
            if (bx % 2 != 0 || by % 2 != 0) continue;
            ++sampled;
            const double period = periodAt(image, bx * flowBlock + flowBlock / 2, by * flowBlock + flowBlock / 2,
                                           flow.direction.at(bx, by));
            plausible += period >= shortestPeriod && period <= longestPeriod ? 1 : 0;
        }
    }
    if (onFinger == 0) return evidence;
    evidence.cover = double(onFinger) / double(blocks.values.size());
    evidence.clarity = coherence / onFinger;
    evidence.period = sampled > 0 ? double(plausible) / sampled : 0;
    std::nth_element(deviations.begin(), deviations.begin() + deviations.size() / 2, deviations.end());
    evidence.contrast = deviations[deviations.size() / 2];
    evidence.minutiae = double(std::count_if(minutiae.begin(), minutiae.end(),
                                             [](const Minutia& m) { return m.quality >= cleanMinutia; }));
    return evidence;
}

int combineQuality(const QualityEvidence& evidence) {
    // Scored 0 at the first bound and 1 at the second.
    const double scores[] = {between(evidence.cover, 0.15, 0.5), between(evidence.clarity, 0.45, 0.8),
                             between(evidence.period, 0.3, 0.75), between(evidence.contrast, 10, 32),
                             between(evidence.minutiae, 0, 35)};
    constexpr double weights[] = {3, 1, 1, 1, 1};
    double logSum = 0, weightSum = 0;
    for (std::size_t i = 0; i < std::size(scores); ++i) {
        if (scores[i] <= 0) return 0;
        logSum += weights[i] * std::log(scores[i]);
        weightSum += weights[i];
    }
    return std::clamp(static_cast<int>(std::lround(100 * std::exp(logSum / weightSum))), 0, 100);
}

int imageQuality(const std::uint8_t* frame, std::size_t byteCount, int width, int height) {
    if (frame == nullptr || width < smallestSide || height < smallestSide ||
        byteCount != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return 0;
    }
    return extractMinutiae(frame, width, height).quality;
}

}  // namespace fingerprint
