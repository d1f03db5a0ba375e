#pragma once
// Smooth ramps and samples between pixels, for drawing impressions.

#include <algorithm>
#include <cmath>

#include "fingerprint/plane.h"

namespace simulator {

// 0 below 0, 1 above 1, an S-curve in between.
inline double smoothStep(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return v * v * (3 - 2 * v);
}

// Bilinear sample of a plane between its pixels; 0 outside it.
template <class T>
float bilinear(const fingerprint::Plane<T>& plane, double x, double y) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= plane.width || y0 + 1 >= plane.height) return 0.0f;
    const auto fx = static_cast<float>(x - x0), fy = static_cast<float>(y - y0);
    const T* top = plane.row(y0) + x0;
    const T* bottom = top + plane.width;
    return (top[0] * (1 - fx) + top[1] * fx) * (1 - fy) + (bottom[0] * (1 - fx) + bottom[1] * fx) * fy;
}

}  // namespace simulator
