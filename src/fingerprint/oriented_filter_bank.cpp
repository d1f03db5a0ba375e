#include "fingerprint/oriented_filter_bank.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"

namespace fingerprint {

namespace {

// Taps whose envelope falls below this share of the peak are left out.
constexpr double envelopeCutoff = 0.03;

}  // namespace

OrientedFilterBank::OrientedFilterBank(const FilterShape& shape)
    : radius_(shape.radius), directions_(shape.directions), periods_(shape.periods) {
    const int side = 2 * radius_ + 1;
    for (double period : periods_) {
        const double sigmaU = shape.sigmaAcross * period;
        const double sigmaV = shape.sigmaAlong * period;
        for (int d = 0; d < directions_; ++d) {
            const double theta = pi * d / directions_;
            const double c = std::cos(theta), s = std::sin(theta);
            std::vector<double> envelope(side * side), wave(side * side);
            double envelopeSum = 0, waveSum = 0;
            for (int dy = -radius_; dy <= radius_; ++dy) {
                for (int dx = -radius_; dx <= radius_; ++dx) {
                    const double u = -dx * s + dy * c;  // across the ridges
                    const double v = dx * c + dy * s;   // along them
                    const double e = std::exp(-0.5 * (u * u / (sigmaU * sigmaU) + v * v / (sigmaV * sigmaV)));
                    const int i = (dy + radius_) * side + dx + radius_;
                    envelope[i] = e < envelopeCutoff ? 0 : e;
                    wave[i] = envelope[i] * std::cos(2 * pi * u / period);
                    envelopeSum += envelope[i];
                    waveSum += wave[i];
                }
            }
            // No response to flat grey, and a response of 1 to an ideal ridge pattern.
            double gain = 0;
            for (int dy = -radius_; dy <= radius_; ++dy) {
                for (int dx = -radius_; dx <= radius_; ++dx) {
                    const int i = (dy + radius_) * side + dx + radius_;
                    wave[i] -= envelope[i] * waveSum / envelopeSum;
                    gain += wave[i] * std::cos(2 * pi * (-dx * s + dy * c) / period);
                }
            }
            for (int row = 0; row < side; ++row) {
                int first = side, last = -1;
                for (int col = 0; col < side; ++col) {
                    if (envelope[row * side + col] > 0) {
                        first = std::min(first, col);
                        last = std::max(last, col);
                    }
                }
                const int count = last < first ? 0 : last - first + 1;
                spans_.push_back({first - radius_, count, static_cast<int>(weights_.size())});
                for (int col = first; col < first + count; ++col) {
                    weights_.push_back(static_cast<float>(wave[row * side + col] / gain));
                }
            }
        }
    }
}

std::uint16_t OrientedFilterBank::kernelFor(double direction, double period) const {
    double turns = direction / pi;
    turns -= std::floor(turns);
    const int d = static_cast<int>(std::lround(turns * directions_)) % directions_;
    std::size_t p = 0;
    while (p + 1 < periods_.size() && std::abs(periods_[p + 1] - period) < std::abs(periods_[p] - period)) ++p;
    return static_cast<std::uint16_t>(p * directions_ + d);
}

void OrientedFilterBank::filterPadded(const std::vector<float>& padded, const Plane<std::uint16_t>& choice,
                                      Plane<float>& out) const {
    const int width = choice.width, height = choice.height, r = radius_;
    const int paddedWidth = width + 2 * r;
    out = Plane<float>(width, height, 0.0f);
    const int side = 2 * r + 1;
    for (int y = 0; y < height; ++y) {
        const std::uint16_t* choiceRow = choice.row(y);
        float* outRow = out.row(y);
        for (int x = 0; x < width;) {
            if (choiceRow[x] == skipPixel) {
                ++x;
                continue;
            }
            const Span* spans = spans_.data() + static_cast<std::size_t>(choiceRow[x]) * side;
            // The flow changes slowly, so neighbours mostly share a kernel: four
            // pixels at once keep four independent sums in flight.
            const bool four = x + 3 < width && choiceRow[x + 1] == choiceRow[x] && choiceRow[x + 2] == choiceRow[x] &&
                              choiceRow[x + 3] == choiceRow[x];
            float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
            for (int row = 0; row < side; ++row) {
                const Span& span = spans[row];
                const float* in = padded.data() + static_cast<std::size_t>(y + row) * paddedWidth + x + r + span.first;
                const float* w = weights_.data() + span.weightOffset;
                if (four) {
                    for (int k = 0; k < span.count; ++k) {
                        const float weight = w[k];
                        s0 += weight * in[k];
                        s1 += weight * in[k + 1];
                        s2 += weight * in[k + 2];
                        s3 += weight * in[k + 3];
                    }
                } else {
                    for (int k = 0; k < span.count; ++k) s0 += w[k] * in[k];
                }
            }
            outRow[x] = s0;
            if (four) {
                outRow[x + 1] = s1;
                outRow[x + 2] = s2;
                outRow[x + 3] = s3;
                x += 4;
            } else {
                ++x;
            }
        }
    }
}

}  // namespace fingerprint
