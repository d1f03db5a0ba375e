#pragma once
// Gabor filters tuned to ridges: one kernel per ridge direction and ridge
// period, each passing ridges of that direction and spacing and damping
// everything else. Ridge synthesis grows ridges with them; the extractor
// cleans impressions with them.

#include <cstdint>
#include <vector>

#include "fingerprint/plane.h"

namespace fingerprint {

struct FilterShape {
    int directions;              // kernels spread evenly over [0, pi)
    std::vector<double> periods; // one kernel set per ridge period, ascending
    double sigmaAcross;          // envelope across the ridges, in periods
    double sigmaAlong;           // envelope along the ridges, in periods
    int radius;                  // kernels span 2 * radius + 1 pixels each way
};

// A choice that leaves a pixel unfiltered.
inline constexpr std::uint16_t skipPixel = 0xffff;

class OrientedFilterBank {
public:
    explicit OrientedFilterBank(const FilterShape& shape);

    int radius() const { return radius_; }
    // The kernel index for a ridge direction (radians, any value) and period.
    std::uint16_t kernelFor(double direction, double period) const;

    // out(x, y) = kernel[choice(x, y)] applied to (source - bias) around (x, y),
    // for every pixel whose choice is not skipPixel; 0 elsewhere. Beyond the
    // source's edges, source - bias counts as 0.
    template <class Sample>
    void apply(const Plane<Sample>& source, float bias, const Plane<std::uint16_t>& choice, Plane<float>& out) const;

private:
    void filterPadded(const std::vector<float>& padded, const Plane<std::uint16_t>& choice, Plane<float>& out) const;

    // Per kernel and kernel row, the span of taps worth keeping.
    struct Span {
        int first;
        int count;
        int weightOffset;
    };
    int radius_;
    int directions_;
    std::vector<double> periods_;
    std::vector<Span> spans_;     // (2 * radius + 1) per kernel
    std::vector<float> weights_;
};

template <class Sample>
void OrientedFilterBank::apply(const Plane<Sample>& source, float bias, const Plane<std::uint16_t>& choice,
                               Plane<float>& out) const {
    // A zero border lets the inner loop run without bounds checks.
    const int paddedWidth = source.width + 2 * radius_;
    std::vector<float> padded(static_cast<std::size_t>(paddedWidth) * (source.height + 2 * radius_), 0.0f);
    for (int y = 0; y < source.height; ++y) {
        const Sample* in = source.row(y);
        float* to = padded.data() + static_cast<std::size_t>(y + radius_) * paddedWidth + radius_;
        for (int x = 0; x < source.width; ++x) to[x] = static_cast<float>(in[x]) - bias;
    }
    filterPadded(padded, choice, out);
}

}  // namespace fingerprint
