#include "fingerprint/minutiae_extractor.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/foreground.h"
#include "fingerprint/image_quality.h"
#include "fingerprint/minutiae_cleanup.h"
#include "fingerprint/minutiae_detection.h"
#include "fingerprint/ridge_flow.h"
#include "fingerprint/ridge_map.h"
#include "fingerprint/skeleton.h"

namespace fingerprint {

namespace {

// Ridge endings are recorded where the valleys on either side of the ridge
// meet, just beyond the ridge's end: about half a ridge period on.
constexpr double endingToValley = 4.5;

// Endings point back along their ridge, so the valley lies the other way.
void placeEndingsInValleys(std::vector<Minutia>& minutiae, int width, int height) {
    for (Minutia& m : minutiae) {
        if (m.kind != MinutiaKind::ending) continue;
        m.x = std::clamp(static_cast<int>(std::lround(m.x - endingToValley * std::cos(m.direction))), 0, width - 1);
        m.y = std::clamp(static_cast<int>(std::lround(m.y - endingToValley * std::sin(m.direction))), 0, height - 1);
    }
}

}  // namespace

Extraction extractMinutiae(const std::uint8_t* frame, int width, int height) {
    Plane<std::uint8_t> image(width, height);
    std::copy_n(frame, image.values.size(), image.values.begin());
    const Foreground foreground = findForeground(image);
    const RidgeFlow flow = estimateRidgeFlow(image);
    Plane<std::uint8_t> skeleton = ridgeMap(image, flow, foreground);
    thinToSkeleton(skeleton);
    std::vector<Minutia> minutiae = keepGenuineMinutiae(detectMinutiae(skeleton, foreground, flow), foreground, flow);
    placeEndingsInValleys(minutiae, width, height);
    if (minutiae.size() > maxExtractedMinutiae) {
        std::stable_sort(minutiae.begin(), minutiae.end(),
                         [](const Minutia& a, const Minutia& b) { return a.quality > b.quality; });
        minutiae.resize(maxExtractedMinutiae);
    }
    const int quality = combineQuality(gatherQualityEvidence(image, foreground, flow, minutiae));
    return {std::move(minutiae), quality};
}

}  // namespace fingerprint
