#include "fingerprint/ridge_flow.h"

#include <cmath>

#include "fingerprint/angles.h"

namespace fingerprint {

namespace {

// Blocks on each side whose gradients are pooled: a window about four ridges wide.
constexpr int poolRadius = 2;

}  // namespace

RidgeFlow estimateRidgeFlow(const Plane<std::uint8_t>& image) {
    const int cols = (image.width + flowBlock - 1) / flowBlock;
    const int rows = (image.height + flowBlock - 1) / flowBlock;
    // Per block sums of the squared-gradient tensor.
    Plane<float> gxx(cols, rows), gyy(cols, rows), gxy(cols, rows);
    for (int y = 1; y + 1 < image.height; ++y) {
        const std::uint8_t* above = image.row(y - 1);
        const std::uint8_t* here = image.row(y);
        const std::uint8_t* below = image.row(y + 1);
        const int by = y / flowBlock;
        for (int x = 1; x + 1 < image.width; ++x) {
            const int gx = (above[x + 1] + 2 * here[x + 1] + below[x + 1]) - (above[x - 1] + 2 * here[x - 1] + below[x - 1]);
            const int gy = (below[x - 1] + 2 * below[x] + below[x + 1]) - (above[x - 1] + 2 * above[x] + above[x + 1]);
            const int bx = x / flowBlock;
            gxx.at(bx, by) += static_cast<float>(gx * gx);
            gyy.at(bx, by) += static_cast<float>(gy * gy);
            gxy.at(bx, by) += static_cast<float>(gx * gy);
        }
    }
    RidgeFlow flow{Plane<float>(cols, rows), Plane<float>(cols, rows)};
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < cols; ++bx) {
            double sxx = 0, syy = 0, sxy = 0;
            for (int dy = -poolRadius; dy <= poolRadius; ++dy) {
                for (int dx = -poolRadius; dx <= poolRadius; ++dx) {
                    if (!gxx.contains(bx + dx, by + dy)) continue;
                    // Nearer blocks count more.
                    const double weight = 1.0 / (1 + dx * dx + dy * dy);
                    sxx += weight * gxx.at(bx + dx, by + dy);
                    syy += weight * gyy.at(bx + dx, by + dy);
                    sxy += weight * gxy.at(bx + dx, by + dy);
                }
            }
            // Gradients run across the ridges: the ridge direction is a quarter turn on.
            const double direction = angleWithin(0.5 * std::atan2(2 * sxy, sxx - syy) + pi / 2, pi);
            const double spread = sxx + syy;
            flow.direction.at(bx, by) = static_cast<float>(direction);
            flow.coherence.at(bx, by) =
                spread > 0 ? static_cast<float>(std::sqrt((sxx - syy) * (sxx - syy) + 4 * sxy * sxy) / spread) : 0.0f;
        }
    }
    return flow;
}

float directionAt(const RidgeFlow& flow, int x, int y) {
    return flow.direction.at(x / flowBlock, y / flowBlock);
}

}  // namespace fingerprint
