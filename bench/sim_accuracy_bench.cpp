// Accuracy of the simulated scanner, in the manner of the fingerprint
// verification competitions (FVC2002): 100 virtual fingers, 8 impressions each.
// Every impression is matched against the later impressions of its finger
// (2,800 genuine comparisons) and the first impression of every finger against
// the first of every later finger (4,950 impostor comparisons). Each capture is
// counted on its own, as FVC does: one that fails to enrol (the device would
// ask for another touch) takes part with a score of 0, a non-match. Then the
// same comparisons after rejecting the captures of lowest quality, and the
// quality of normal and of "poor" touches about the page's threshold.
//
//   build/sim_accuracy_bench [--fingers N] [--impressions K] [--threshold Q]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "error_rates.h"
#include "fingerprint/image_quality.h"
#include "fingerprint/iso_minutiae_record.h"
#include "fingerprint/minutiae_matcher.h"
#include "quality_curve.h"
#include "scanner/simulated_scanner.h"
#include "simulator/finger_sensor.h"
#include "simulator/master_print_cache.h"

namespace {

using fingerprint::imageQuality;
using fingerprint::readMinutiaeRecord;
using fingerprint::sameFingerScore;
using simulator::cachedMasterPrint;
using simulator::compareTemplates;
using simulator::minutiaeToEnrol;
using simulator::sameFinger;
using simulator::templateOfImpression;
using simulator::touchSensor;

using Clock = std::chrono::steady_clock;
constexpr int width = static_cast<int>(simulatedFrameWidth);
constexpr int height = static_cast<int>(simulatedFrameHeight);

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int fingers = argument(argc, argv, "--fingers", 100);
    const int impressions = argument(argc, argv, "--impressions", 8);
    const int threshold = argument(argc, argv, "--threshold", 40);
    std::vector<std::vector<std::vector<std::uint8_t>>> templates(fingers);
    std::vector<int> quality, poorQuality;  // per capture, numbered finger by finger
    int failedToEnrol = 0, poorVerified = 0;
    std::size_t minutiaeTotal = 0;
    double growing = 0, capturing = 0, extracting = 0, judging = 0;
    auto compare = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        return compareTemplates(a.data(), a.size(), b.data(), b.size());
    };
    for (int f = 0; f < fingers; ++f) {
        Clock::time_point start = Clock::now();
        cachedMasterPrint(f + 1, width, height);
        growing += millisecondsSince(start);
        for (int i = 0; i < impressions; ++i) {
            start = Clock::now();
            // Fixed touch seeds make the figures repeatable.
            const std::vector<std::uint8_t> frame = touchSensor(f + 1, 1000003ull * (f + 1) + i, width, height);
            capturing += millisecondsSince(start);
            start = Clock::now();
            templates[f].push_back(templateOfImpression(frame, width, height));
            extracting += millisecondsSince(start);
            start = Clock::now();
            quality.push_back(imageQuality(frame.data(), frame.size(), width, height));
            judging += millisecondsSince(start);
            const std::vector<std::uint8_t>& made = templates[f].back();
            if (auto record = readMinutiaeRecord(made.data(), made.size())) {
                minutiaeTotal += record->minutiae.size();
            } else {
                ++failedToEnrol;
            }
        }
        // The control file's "poor" scenario: one such touch per finger against its first impression.
        const std::vector<std::uint8_t> poorFrame = touchSensor(f + 1, 7000003ull * (f + 1), width, height, true);
        poorQuality.push_back(imageQuality(poorFrame.data(), poorFrame.size(), width, height));
        poorVerified += sameFinger(compare(templates[f][0], templateOfImpression(poorFrame, width, height))) ? 1 : 0;
    }
    std::vector<double> genuine, impostor;
    std::vector<GenuinePair> pairs;
    std::vector<int> matchingFirst;  // the quality of touches that match their finger's first impression
    double slowest = 0;
    Clock::time_point start = Clock::now();
    auto timed = [&](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        const Clock::time_point begin = Clock::now();
        const double score = compare(a, b);
        slowest = std::max(slowest, millisecondsSince(begin));
        return score;
    };
    for (int f = 0; f < fingers; ++f) {
        for (int i = 0; i < impressions; ++i) {
            for (int j = i + 1; j < impressions; ++j) {
                genuine.push_back(timed(templates[f][i], templates[f][j]));
                pairs.push_back({f * impressions + i, f * impressions + j, genuine.back()});
                if (i == 0 && sameFinger(genuine.back())) matchingFirst.push_back(quality[f * impressions + j]);
            }
        }
    }
    for (int f = 0; f < fingers; ++f) {
        for (int g = f + 1; g < fingers; ++g) impostor.push_back(timed(templates[f][0], templates[g][0]));
    }
    const double matching = millisecondsSince(start);
    if (genuine.empty() || impostor.empty()) {
        std::printf("need at least 2 fingers and 2 impressions\n");
        return 1;
    }
    const auto [eer, eerThreshold] = equalErrorRate(genuine, impostor);
    const Rates atDevice = ratesAt(sameFingerScore, genuine, impostor);
    const int captures = fingers * impressions;
    std::printf("fingers %d, impressions %d: %zu genuine and %zu impostor comparisons\n", fingers, impressions,
                genuine.size(), impostor.size());
    std::printf("failure to enrol     %d of %d captures (%.2f%%, fewer than %zu minutiae)\n", failedToEnrol, captures,
                100.0 * failedToEnrol / captures, minutiaeToEnrol);
    std::printf("minutiae per template %.1f on average\n", double(minutiaeTotal) / std::max(1, captures - failedToEnrol));
    std::printf("EER                  %.3f%% (at score %.1f)\n", 100 * eer, eerThreshold);
    std::printf("FMR100               %.3f%%\n", 100 * falseNonMatchAt(0.01, genuine, impostor));
    std::printf("FMR1000              %.3f%%\n", 100 * falseNonMatchAt(0.001, genuine, impostor));
    std::printf("ZeroFMR              %.3f%%\n", 100 * falseNonMatchAt(0.0, genuine, impostor));
    std::printf("device threshold     %.1f: FMR %.3f%%, FNMR %.3f%%\n", sameFingerScore, 100 * atDevice.falseMatch,
                100 * atDevice.falseNonMatch);
    std::printf("genuine scores       min %.1f, 1%% %.1f, 5%% %.1f, median %.1f\n",
                *std::min_element(genuine.begin(), genuine.end()), percentile(genuine, 0.01),
                percentile(genuine, 0.05), percentile(genuine, 0.5));
    std::printf("impostor scores      median %.1f, 99.9%% %.1f, max %.1f\n", percentile(impostor, 0.5),
                percentile(impostor, 0.999), *std::max_element(impostor.begin(), impostor.end()));
    std::printf("poor touches         %d of %d verified against the finger's first impression\n", poorVerified, fingers);
    std::printf("master print         %.1f ms per finger (once, then cached)\n", growing / fingers);
    std::printf("capture + extraction %.2f ms per impression (%.2f + %.2f)\n", (capturing + extracting) / captures,
                capturing / captures, extracting / captures);
    std::printf("quality              %.2f ms per frame analysed anew\n", judging / captures);
    std::printf("match                %.3f ms per comparison, slowest %.2f ms\n",
                matching / double(genuine.size() + impostor.size()), slowest);
    printRejectCurve("our matcher", quality, pairs, sameFingerScore);
    std::printf("quality about %d:\n", threshold);
    printQualitySpread("all normal touches", quality, threshold);
    printQualitySpread("normal touches matching the first impression", matchingFirst, threshold);
    printQualitySpread("poor touches", poorQuality, threshold);
    return 0;
}
