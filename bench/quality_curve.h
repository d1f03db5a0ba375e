#pragma once
// Whether capture quality predicts matching: the false non-match rate after
// rejecting the lowest-quality captures, and how the quality of normal and
// of poor touches falls about a threshold. Shared by the accuracy benches.

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

// One genuine comparison, between captures numbered first and second.
struct GenuinePair {
    int first;
    int second;
    double score;
};

// The false non-match rate at `threshold` after rejecting the 0, 5, 10 and 20%
// lowest-quality captures (ties: the lower capture number goes first); a
// comparison is dropped when either of its captures is rejected.
inline void printRejectCurve(const char* judge, const std::vector<int>& quality, const std::vector<GenuinePair>& pairs,
                             double threshold) {
    std::vector<int> order(quality.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return quality[a] < quality[b]; });
    std::printf("%s: false non-match rate at %.0f after rejecting the lowest-quality captures\n", judge, threshold);
    for (int percent : {0, 5, 10, 20}) {
        std::vector<bool> rejected(quality.size(), false);
        const auto count = static_cast<std::size_t>(percent * quality.size() / 100);
        for (std::size_t i = 0; i < count; ++i) rejected[order[i]] = true;
        int kept = 0, failed = 0;
        for (const GenuinePair& pair : pairs) {
            if (rejected[pair.first] || rejected[pair.second]) continue;
            ++kept;
            failed += pair.score < threshold ? 1 : 0;
        }
        std::printf("  reject %2d%%: %3d of %4d comparisons fail (%.2f%%)\n", percent, failed, kept,
                    kept > 0 ? 100.0 * failed / kept : 0.0);
    }
}

// The quality's quartiles and the share of scores below the threshold.
inline void printQualitySpread(const char* touches, std::vector<int> quality, int threshold) {
    if (quality.empty()) return;
    std::sort(quality.begin(), quality.end());
    auto at = [&quality](double share) { return quality[static_cast<std::size_t>(share * double(quality.size() - 1))]; };
    const auto below = std::count_if(quality.begin(), quality.end(), [threshold](int q) { return q < threshold; });
    std::printf("  %-44s min %3d, 10%% %3d, median %3d, 90%% %3d; %5.1f%% below %d\n", touches, quality.front(), at(0.1),
                at(0.5), at(0.9), 100.0 * double(below) / double(quality.size()), threshold);
}
