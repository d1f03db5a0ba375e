#include "fingerprint/skeleton_trace.h"

#include <cstdlib>

#include "fingerprint/skeleton.h"

namespace fingerprint {

Trace traceSkeleton(const Plane<std::uint8_t>& skeleton, int x, int y, int firstX, int firstY, int maxSteps) {
    // The last two pixels behind the walk; on a one-pixel line the next pixel
    // is the one neighbour that is neither of them nor next to the one before.
    int backX = x, backY = y, beforeX = x, beforeY = y;
    int cx = firstX, cy = firstY;
    for (int steps = 1;; ++steps) {
        const std::uint8_t bits = neighbourBits(skeleton, cx, cy);
        const int lines = crossingNumber(bits);
        if (lines == 1) return {cx, cy, steps, TraceEnd::ending};  // only the way back remains
        if (lines >= 3) return {cx, cy, steps, TraceEnd::junction};
        if (steps >= maxSteps) return {cx, cy, steps, TraceEnd::distance};
        int nextX = -1, nextY = -1;
        // Prefer a pixel clear of the one just left; on a sharp bend take any ahead.
        for (int pass = 0; pass < 2 && nextX < 0; ++pass) {
            for (int i = 0; i < 8 && nextX < 0; ++i) {
                if (((bits >> i) & 1) == 0) continue;
                const int nx = cx + ringSteps[i][0], ny = cy + ringSteps[i][1];
                const bool behind = (nx == backX && ny == backY) || (nx == beforeX && ny == beforeY);
                const bool besideBack = std::abs(nx - backX) <= 1 && std::abs(ny - backY) <= 1;
                if (!behind && (pass == 1 || !besideBack)) {
                    nextX = nx;
                    nextY = ny;
                }
            }
        }
        if (nextX < 0) return {cx, cy, steps, TraceEnd::ending};
        beforeX = backX;
        beforeY = backY;
        backX = cx;
        backY = cy;
        cx = nextX;
        cy = nextY;
    }
}

}  // namespace fingerprint
