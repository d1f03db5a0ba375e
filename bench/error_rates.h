#pragma once
// Error rates of a verifier from its genuine and impostor scores, as the
// fingerprint verification competitions report them. Higher scores mean more alike.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

struct Rates {
    double falseMatch;     // impostor scores at or above the threshold
    double falseNonMatch;  // genuine scores below it
};

inline Rates ratesAt(double threshold, const std::vector<double>& genuine, const std::vector<double>& impostor) {
    const auto above = std::count_if(impostor.begin(), impostor.end(), [&](double s) { return s >= threshold; });
    const auto below = std::count_if(genuine.begin(), genuine.end(), [&](double s) { return s < threshold; });
    return {double(above) / double(impostor.size()), double(below) / double(genuine.size())};
}

// Every threshold worth trying: each score seen, and one above them all.
inline std::vector<double> thresholds(const std::vector<double>& genuine, const std::vector<double>& impostor) {
    std::vector<double> all = genuine;
    all.insert(all.end(), impostor.begin(), impostor.end());
    all.push_back(*std::max_element(all.begin(), all.end()) + 1);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

// The lowest false non-match rate with a false match rate of at most `limit`.
inline double falseNonMatchAt(double limit, const std::vector<double>& genuine, const std::vector<double>& impostor) {
    double best = 1;
    for (double t : thresholds(genuine, impostor)) {
        const Rates r = ratesAt(t, genuine, impostor);
        if (r.falseMatch <= limit) best = std::min(best, r.falseNonMatch);
    }
    return best;
}

// Equal error rate and the threshold where it occurs.
inline std::pair<double, double> equalErrorRate(const std::vector<double>& genuine, const std::vector<double>& impostor) {
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

// The score below which a share of the scores lies.
inline double percentile(std::vector<double> scores, double share) {
    std::sort(scores.begin(), scores.end());
    const auto at = static_cast<std::size_t>(std::clamp(share, 0.0, 1.0) * double(scores.size() - 1));
    return scores[at];
}

// The whole number after the argument `name` (at least 1), or fallback: the
// benches' --fingers and --impressions.
inline int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}
