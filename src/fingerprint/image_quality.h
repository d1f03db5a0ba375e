#pragma once
// How good a capture looks, 0 (no usable finger) to 100, judged from what the
// analysis of the impression already holds:
//   cover     the share of the frame the finger covers (scored 0 at 15%, 1 at 50%);
//   clarity   the mean clarity of the ridge direction over the finger (0.45 .. 0.8);
//   period    the share of the finger whose ridges lie 7 to 13 pixels apart,
//             as a finger's do at 500 dpi (30% .. 75%);
//   contrast  the median spread of grey levels within a block of the finger
//             (10 .. 32 grey levels);
//   minutiae  how many minutiae the extractor rates clean: clear flow around
//             them, away from the finger's edge (0 .. 35).
// The score is 100 times the weighted geometric mean of the five, cover
// counting three times (a partial touch spoils matching most), so one bad piece
// of evidence pulls the whole down. bench/sim_accuracy_bench and
// bench/sim_nbis_judge show how well it predicts matching. It is not NFIQ 2.

#include <cstdint>
#include <vector>

#include "fingerprint/foreground.h"
#include "fingerprint/minutia.h"
#include "fingerprint/plane.h"
#include "fingerprint/ridge_flow.h"

namespace fingerprint {

struct QualityEvidence {
    double cover = 0;
    double clarity = 0;
    double period = 0;
    double contrast = 0;
    double minutiae = 0;
};

QualityEvidence gatherQualityEvidence(const Plane<std::uint8_t>& image, const Foreground& foreground,
                                      const RidgeFlow& flow, const std::vector<Minutia>& minutiae);

int combineQuality(const QualityEvidence& evidence);

// A frame of width x height grey bytes, top row first. A frame that is
// blank, uniform, too small to hold a finger, or whose size disagrees with
// its byte count scores 0.
int imageQuality(const std::uint8_t* frame, std::size_t byteCount, int width, int height);

}  // namespace fingerprint
