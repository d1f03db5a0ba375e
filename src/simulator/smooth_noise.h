#pragma once
// Random values on a coarse lattice, read back with bilinear interpolation:
// smooth variation over patches about `cell` pixels wide, cheap per pixel.

#include <algorithm>

#include "fingerprint/plane.h"
#include "simulator/seeded_generator.h"

namespace simulator {

class SmoothNoise {
public:
    SmoothNoise() = default;
    // Covers width x height pixels; values roughly normal, deviation about 1.
    SmoothNoise(SeededGenerator& random, int width, int height, float cell)
        : scale_(1.0f / cell), lattice_(static_cast<int>(width / cell) + 2, static_cast<int>(height / cell) + 2) {
        for (float& v : lattice_.values) v = static_cast<float>(random.gaussian());
    }

    float at(float x, float y) const {
        if (lattice_.values.empty()) return 0.0f;
        const float u = x * scale_, v = y * scale_;
        int i = static_cast<int>(u), j = static_cast<int>(v);
        i = i < 0 ? 0 : (i > lattice_.width - 2 ? lattice_.width - 2 : i);
        j = j < 0 ? 0 : (j > lattice_.height - 2 ? lattice_.height - 2 : j);
        const float fx = std::clamp(u - i, 0.0f, 1.0f), fy = std::clamp(v - j, 0.0f, 1.0f);
        const float* top = lattice_.row(j) + i;
        const float* bottom = top + lattice_.width;
        return (top[0] * (1 - fx) + top[1] * fx) * (1 - fy) + (bottom[0] * (1 - fx) + bottom[1] * fx) * fy;
    }

private:
    float scale_ = 1.0f;
    fingerprint::Plane<float> lattice_;
};

}  // namespace simulator
