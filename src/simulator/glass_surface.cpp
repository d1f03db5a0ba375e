#include "simulator/glass_surface.h"

#include <algorithm>
#include <cmath>

#include "simulator/smooth_noise.h"
#include "simulator/smooth_step.h"

namespace simulator {

using fingerprint::Plane;

namespace {

// Latent residue lies in smears about this wide.
constexpr float residuePatch = 48;

void addDust(Plane<float>& image, const GlassConditions& glass, SeededGenerator& random) {
    for (int k = 0; k < glass.dustGrains; ++k) {
        const double x = random.between(0, image.width), y = random.between(0, image.height);
        const double radius = random.between(0.8, 2.6), darkness = random.between(30, 100);
        for (int py = static_cast<int>(y - radius - 1); py <= static_cast<int>(y + radius + 1); ++py) {
            for (int px = static_cast<int>(x - radius - 1); px <= static_cast<int>(x + radius + 1); ++px) {
                if (!image.contains(px, py)) continue;
                const double d = std::hypot(px - x, py - y);
                image.at(px, py) -= static_cast<float>(darkness * smoothStep(radius + 0.5 - d));
            }
        }
    }
}

}  // namespace

Plane<float> glassImage(const MasterPrint& print, const GlassConditions& glass, SeededGenerator& random, int width,
                        int height) {
    Plane<float> image(width, height);
    const SmoothNoise smears(random, width, height, residuePatch);
    const double c = std::cos(glass.residueTurn), s = std::sin(glass.residueTurn);
    const double cx = width / 2.0, cy = height / 2.0;
    const double towardsX = std::cos(glass.shadingAngle), towardsY = std::sin(glass.shadingAngle);
    const double diagonal = std::hypot(cx, cy);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = x - cx, dy = y - cy;
            // A slope across the frame and a dimmer rim.
            const double slope = 0.5 + 0.5 * (dx * towardsX + dy * towardsY) / diagonal;
            const double rim = (dx * dx + dy * dy) / (diagonal * diagonal);
            double grey = glass.paper - glass.shading * (0.7 * slope + 0.5 * rim);
            if (glass.residue > 0) {
                const double smear = smoothStep(0.8 * smears.at(static_cast<float>(x), static_cast<float>(y)) + 0.1);
                if (smear > 0) {
                    const double rx = c * dx - s * dy + cx + glass.residueShiftX + masterMargin;
                    const double ry = s * dx + c * dy + cy + glass.residueShiftY + masterMargin;
                    const double ridge = bilinear(print.ridges, rx, ry);
                    grey -= glass.residue * smear * smoothStep(ridge + 0.3);
                }
            }
            image.at(x, y) = static_cast<float>(grey);
        }
    }
    addDust(image, glass, random);
    return image;
}

}  // namespace simulator
