// Accuracy of the simulated scanner, in the manner of the fingerprint
// verification competitions (FVC2002): 100 virtual fingers, 8 impressions each.
// Every impression is matched against the later impressions of its finger
// (2,800 genuine comparisons) and the first impression of every finger against
// the first of every later finger (4,950 impostor comparisons). Impressions that
// fail to enrol take part with a score of 0.
//
//   build/sim_accuracy_bench [--fingers N] [--impressions K]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scanner/simulated_scanner.h"
#include "scanner/simulator/finger_sensor.h"
#include "scanner/simulator/iso_minutiae_record.h"
#include "scanner/simulator/master_print_cache.h"
#include "scanner/simulator/minutiae_matcher.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int width = static_cast<int>(simulatedFrameWidth);
constexpr int height = static_cast<int>(simulatedFrameHeight);

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Rates {
    double falseMatch;     // impostor scores at or above the threshold
    double falseNonMatch;  // genuine scores below it
};

Rates ratesAt(double threshold, const std::vector<double>& genuine, const std::vector<double>& impostor) {
    const auto above = std::count_if(impostor.begin(), impostor.end(), [&](double s) { return s >= threshold; });
    const auto below = std::count_if(genuine.begin(), genuine.end(), [&](double s) { return s < threshold; });
    return {double(above) / double(impostor.size()), double(below) / double(genuine.size())};
}

// Every threshold worth trying: each score seen, and one above them all.
std::vector<double> thresholds(const std::vector<double>& genuine, const std::vector<double>& impostor) {
    std::vector<double> all = genuine;
    all.insert(all.end(), impostor.begin(), impostor.end());
    all.push_back(*std::max_element(all.begin(), all.end()) + 1);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

// The lowest false non-match rate with a false match rate of at most `limit`.
double falseNonMatchAt(double limit, const std::vector<double>& genuine, const std::vector<double>& impostor) {
    double best = 1;
    for (double t : thresholds(genuine, impostor)) {
        const Rates r = ratesAt(t, genuine, impostor);
        if (r.falseMatch <= limit) best = std::min(best, r.falseNonMatch);
    }
    return best;
}

// Equal error rate and the threshold where it occurs.
std::pair<double, double> equalErrorRate(const std::vector<double>& genuine, const std::vector<double>& impostor) {
    double bestGap = 2, rate = 1, at = 0;
    for (double t : thresholds(genuine, impostor)) {
        const Rates r = ratesAt(t, genuine, impostor);
        const double gap = std::abs(r.falseMatch - r.falseNonMatch);
        if (gap < bestGap) {
            bestGap = gap;
            rate = (r.falseMatch + r.falseNonMatch) / 2;
            at = t;
        }
    }
    return {rate, at};
}

int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int fingers = argument(argc, argv, "--fingers", 100);
    const int impressions = argument(argc, argv, "--impressions", 8);
    std::vector<std::vector<std::vector<std::uint8_t>>> templates(fingers);
    int failedToEnrol = 0;
    std::size_t minutiaeTotal = 0;
    double growing = 0, capturing = 0;
    for (int f = 0; f < fingers; ++f) {
        Clock::time_point start = Clock::now();
        cachedMasterPrint(f + 1, width, height);
        growing += millisecondsSince(start);
        for (int i = 0; i < impressions; ++i) {
            start = Clock::now();
            // Fixed touch seeds make the figures repeatable.
            const std::vector<std::uint8_t> frame = touchSensor(f + 1, 1000003ull * (f + 1) + i, width, height);
            templates[f].push_back(templateOfImpression(frame, width, height));
            capturing += millisecondsSince(start);
            const std::vector<std::uint8_t>& made = templates[f].back();
            if (auto record = readMinutiaeRecord(made.data(), made.size())) {
                minutiaeTotal += record->minutiae.size();
            } else {
                ++failedToEnrol;
            }
        }
    }
    auto compare = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        return compareTemplates(a.data(), a.size(), b.data(), b.size());
    };
    std::vector<double> genuine, impostor;
    Clock::time_point start = Clock::now();
    for (int f = 0; f < fingers; ++f) {
        for (int i = 0; i < impressions; ++i) {
            for (int j = i + 1; j < impressions; ++j) genuine.push_back(compare(templates[f][i], templates[f][j]));
        }
    }
    for (int f = 0; f < fingers; ++f) {
        for (int g = f + 1; g < fingers; ++g) impostor.push_back(compare(templates[f][0], templates[g][0]));
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
    std::printf("failure to enrol     %d of %d impressions (fewer than %zu minutiae)\n", failedToEnrol, captures,
                minutiaeToEnrol);
    std::printf("minutiae per template %.1f on average\n", double(minutiaeTotal) / std::max(1, captures - failedToEnrol));
    std::printf("EER                  %.3f%% (at score %.1f)\n", 100 * eer, eerThreshold);
    std::printf("FMR100               %.3f%%\n", 100 * falseNonMatchAt(0.01, genuine, impostor));
    std::printf("FMR1000              %.3f%%\n", 100 * falseNonMatchAt(0.001, genuine, impostor));
    std::printf("ZeroFMR              %.3f%%\n", 100 * falseNonMatchAt(0.0, genuine, impostor));
    std::printf("device threshold     %.1f: FMR %.3f%%, FNMR %.3f%%\n", sameFingerScore, 100 * atDevice.falseMatch,
                100 * atDevice.falseNonMatch);
    std::printf("highest impostor score %.1f, lowest genuine score %.1f\n",
                *std::max_element(impostor.begin(), impostor.end()), *std::min_element(genuine.begin(), genuine.end()));
    std::printf("master print         %.1f ms per finger (once, then cached)\n", growing / fingers);
    std::printf("capture + extraction %.2f ms per impression\n", capturing / captures);
    std::printf("match                %.3f ms per comparison\n", matching / double(genuine.size() + impostor.size()));
    return 0;
}
