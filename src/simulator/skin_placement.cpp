#include "simulator/skin_placement.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"
#include "simulator/smooth_step.h"

namespace simulator {

using fingerprint::pi;

namespace {

// Skin moves smoothly at this scale; in between, positions are interpolated.
constexpr int gridStep = 8;
// Contact fades out over this share of the squared elliptic radius.
constexpr double rimFade = 0.3;
// Wavelength of the ripples of uneven stretch, pixels.
constexpr double rippleWave = 320;

}  // namespace

SkinGrid::SkinGrid(const MasterPrint& print, const FingerPlacement& placement, const PlasticDistortion& distortion,
                   const ContactArea& contact, int width, int height)
    : grid_(width / gridStep + 2, height / gridStep + 2) {
    const double c = std::cos(placement.rotation), s = std::sin(placement.rotation);
    const double twistC = std::cos(distortion.twist), twistS = std::sin(distortion.twist);
    const double cx = width / 2.0, cy = height / 2.0;
    // Finger coordinates: the canvas without its margin.
    const double contactX = print.pattern.padCentre.x - masterMargin + contact.shiftX;
    const double contactY = print.pattern.padCentre.y - masterMargin + contact.shiftY;
    const double halfA = print.pattern.padHalfWidth * contact.width;
    const double halfB = print.pattern.padHalfHeight * contact.height;
    const double wave = 2 * pi / rippleWave;
    for (int gy = 0; gy < grid_.height; ++gy) {
        for (int gx = 0; gx < grid_.width; ++gx) {
            // Undo the finger's placement: frame point -> finger point.
            const double px = gx * gridStep - cx - placement.shiftX, py = gy * gridStep - cy - placement.shiftY;
            double qx = c * px + s * py + cx, qy = -s * px + c * py + cy;
            // Plastic distortion: past the rigid centre, skin follows the drag and
            // twist of the finger more and more; the frame shows skin that came from
            // that far back.
            const double rx = qx - contactX, ry = qy - contactY;
            const double radius = std::hypot(rx / halfA, ry / halfB);
            const double brake = smoothStep((radius - distortion.rigidShare) / (1 - distortion.rigidShare));
            qx -= brake * (distortion.pushX + (twistC - 1) * rx - twistS * ry);
            qy -= brake * (distortion.pushY + twistS * rx + (twistC - 1) * ry);
            const double amount = distortion.ripple * std::min(radius * radius, 1.5);
            const double along = qx * std::cos(distortion.rippleAngleX) + qy * std::sin(distortion.rippleAngleX);
            const double across = qx * std::cos(distortion.rippleAngleY) + qy * std::sin(distortion.rippleAngleY);
            qx += amount * std::sin(wave * along + distortion.ripplePhaseX);
            qy += amount * std::sin(wave * across + distortion.ripplePhaseY);
            // Contact: an ellipse whose radius wavers with the direction.
            const double ex = (qx - contactX) / halfA, ey = (qy - contactY) / halfB;
            const double angle = std::atan2(ey, ex);
            double reach = 1;
            const int harmonics[3] = {2, 3, 5};
            for (int k = 0; k < 3; ++k) reach += contact.wobble[k] * std::cos(harmonics[k] * angle + contact.wobblePhase[k]);
            const double pressed = smoothStep((reach * reach - (ex * ex + ey * ey)) / rimFade);
            grid_.at(gx, gy) = {static_cast<float>(qx + masterMargin), static_cast<float>(qy + masterMargin),
                                static_cast<float>(pressed)};
        }
    }
}

SkinPoint SkinGrid::at(int x, int y) const {
    const int gx = x / gridStep, gy = y / gridStep;
    const float fx = static_cast<float>(x % gridStep) / gridStep, fy = static_cast<float>(y % gridStep) / gridStep;
    const SkinPoint& a = grid_.at(gx, gy);
    const SkinPoint& b = grid_.at(gx + 1, gy);
    const SkinPoint& d = grid_.at(gx, gy + 1);
    const SkinPoint& e = grid_.at(gx + 1, gy + 1);
    auto mix = [&](float SkinPoint::*field) {
        return (a.*field * (1 - fx) + b.*field * fx) * (1 - fy) + (d.*field * (1 - fx) + e.*field * fx) * fy;
    };
    return {mix(&SkinPoint::x), mix(&SkinPoint::y), mix(&SkinPoint::contact)};
}

}  // namespace simulator
