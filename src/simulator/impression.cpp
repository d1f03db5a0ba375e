#include "simulator/impression.h"

#include <algorithm>
#include <cmath>

#include "fingerprint/angles.h"
#include "simulator/smooth_noise.h"
#include "simulator/smooth_step.h"

namespace simulator {

using fingerprint::pi;
using fingerprint::Plane;

namespace {

constexpr double degree = pi / 180;
// Shares of touches that are placed off-centre or touch with part of the pad,
// that turn further than usual, and that go wrong.
constexpr double partialShare = 0.2;
constexpr double wideTurnShare = 0.25;
constexpr double badCaptureShare = 0.05;
// Moisture varies over patches this wide; pores and creases in the skin, and
// the cracks of dry skin, at the finer scale.
constexpr float moisturePatch = 24;
constexpr float poreSize = 2.5f;
// How much pores and creases alone break ridges, even on skin neither dry nor wet.
constexpr double skinTexture = 0.3;

// One pass of a 3 x 3 binomial blur, edges clamped.
void blur(Plane<float>& image) {
    Plane<float> across(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        const float* in = image.row(y);
        float* out = across.row(y);
        for (int x = 0; x < image.width; ++x) {
            out[x] = 0.25f * (in[std::max(x - 1, 0)] + 2 * in[x] + in[std::min(x + 1, image.width - 1)]);
        }
    }
    for (int y = 0; y < image.height; ++y) {
        const float* above = across.row(std::max(y - 1, 0));
        const float* here = across.row(y);
        const float* below = across.row(std::min(y + 1, image.height - 1));
        float* out = image.row(y);
        for (int x = 0; x < image.width; ++x) out[x] = 0.25f * (above[x] + 2 * here[x] + below[x]);
    }
}

void drawPlacement(TouchConditions& touch, SeededGenerator& random) {
    const double turn = random.unit() < wideTurnShare ? 30 : 15;
    touch.placement.rotation = random.between(-turn, turn) * degree;
    const double shiftAngle = random.between(0, 2 * pi), shift = 50 * std::sqrt(random.unit());
    touch.placement.shiftX = shift * std::cos(shiftAngle);
    touch.placement.shiftY = shift * std::sin(shiftAngle);
    ContactArea& contact = touch.contact;
    contact.shiftX = random.between(-20, 20);
    contact.shiftY = random.between(-30, 20);
    contact.width = random.between(0.72, 0.95);
    contact.height = random.between(0.68, 0.9);
    for (int k = 0; k < 3; ++k) {
        contact.wobble[k] = random.between(0.0, 0.09 - 0.02 * k);
        contact.wobblePhase[k] = random.between(0, 2 * pi);
    }
    if (random.unit() >= partialShare) return;
    if (random.unit() < 0.5) {
        // Off-centre: part of the pad lies beyond the frame.
        const double away = random.between(0, 2 * pi), far = random.between(90, 160);
        touch.placement.shiftX = far * std::cos(away);
        touch.placement.shiftY = 1.2 * far * std::sin(away);
    } else {
        // Tip or side only: a small contact away from the pad's middle.
        const double away = random.between(0, 2 * pi);
        contact.width = random.between(0.48, 0.7);
        contact.height = random.between(0.44, 0.66);
        contact.shiftX = 50 * std::cos(away);
        contact.shiftY = 80 * std::sin(away);
        // The finger lands further over, so that the contact stays mostly in frame.
        touch.placement.shiftX = -0.6 * contact.shiftX;
        touch.placement.shiftY = -0.6 * contact.shiftY;
    }
}

// The rim moves by up to about 14 pixels (a drag of 9 and a twist of 0.03
// radians some 165 pixels out), the centre not at all.
void drawDistortion(PlasticDistortion& distortion, SeededGenerator& random) {
    const double dragAngle = random.between(0, 2 * pi), drag = random.between(0, 9);
    distortion.pushX = drag * std::cos(dragAngle);
    distortion.pushY = drag * std::sin(dragAngle);
    distortion.twist = random.between(-0.03, 0.03);
    distortion.rigidShare = random.between(0.2, 0.4);
    distortion.ripple = random.between(1, 4);
    distortion.rippleAngleX = random.between(0, 2 * pi);
    distortion.rippleAngleY = random.between(0, 2 * pi);
    distortion.ripplePhaseX = random.between(0, 2 * pi);
    distortion.ripplePhaseY = random.between(0, 2 * pi);
}

void drawGlass(GlassConditions& glass, SeededGenerator& random) {
    glass.paper = random.between(215, 245);
    glass.shading = random.between(5, 40);
    glass.shadingAngle = random.between(0, 2 * pi);
    glass.residue = random.unit() < 0.5 ? random.between(6, 24) : 0;
    glass.residueTurn = random.between(-pi, pi);
    glass.residueShiftX = random.between(-120, 120);
    glass.residueShiftY = random.between(-160, 160);
    glass.dustGrains = random.below(12);
}

// A capture gone wrong: faint and dry, a wet smudge, or light and noisy.
void spoilCapture(TouchConditions& touch, SeededGenerator& random) {
    switch (random.below(3)) {
        case 0:
            touch.contrast = random.between(60, 85);
            touch.moisture = random.between(-0.95, -0.65);
            touch.noise = random.between(8, 14);
            break;
        case 1:
            touch.moisture = random.between(0.8, 1.1);
            touch.pressure = random.between(0.4, 1);
            touch.blurPasses = 3;
            break;
        default:
            touch.pressure = random.between(-1, -0.6);
            touch.contrast = random.between(60, 85);
            touch.noise = random.between(16, 24);
            break;
    }
}

}  // namespace

TouchConditions drawTouchConditions(SeededGenerator& random) {
    TouchConditions touch{};
    drawPlacement(touch, random);
    drawDistortion(touch.distortion, random);
    drawGlass(touch.glass, random);
    touch.pressure = random.between(-1, 1);
    const double skin = random.unit();
    touch.moisture = skin < 0.35 ? random.between(-1, -0.45) : skin < 0.65 ? random.between(0.4, 1.0)
                                                                            : random.between(-0.3, 0.3);
    touch.contrast = random.between(110, 190);
    touch.valleyShade = random.between(6, 30);
    touch.noise = random.between(5, 16);
    touch.blurPasses = touch.moisture > 0.6 || random.unit() < 0.2 ? 2 : 1;
    if (random.unit() < badCaptureShare) spoilCapture(touch, random);
    return touch;
}

void spoilTouch(TouchConditions& touch, SeededGenerator& random) {
    touch.pressure = random.between(-1, -0.6);
    touch.contrast = random.between(60, 85);
    touch.noise = random.between(18, 26);
    touch.moisture = random.between(-0.7, -0.5);
    touch.contact.width = random.between(0.45, 0.6);
    touch.contact.height = random.between(0.4, 0.55);
}

std::vector<std::uint8_t> renderImpression(const MasterPrint& print, const TouchConditions& touch,
                                           SeededGenerator& random, int width, int height) {
    const SkinGrid skin(print, touch.placement, touch.distortion, touch.contact, width, height);
    Plane<float> image = glassImage(print, touch.glass, random, width, height);
    const SmoothNoise moisturePatches(random, width, height, moisturePatch);
    const SmoothNoise pores(random, width, height, poreSize);
    for (int y = 0; y < height; ++y) {
        float* row = image.row(y);
        for (int x = 0; x < width; ++x) {
            const SkinPoint p = skin.at(x, y);
            double grey = row[x];
            if (p.contact > 0 && bilinear(print.pad, p.x, p.y) > 0.5f) {
                const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
                const double wet = std::clamp(touch.moisture + 0.6 * moisturePatches.at(fx, fy), -1.4, 1.4);
                // Wet skin inks valleys too; dry skin cracks, and its ridges print faint.
                double threshold = -0.45 * touch.pressure - 0.5 * wet + 1.2 * (1 - p.contact);
                const double pore = std::max(0.0f, pores.at(fx, fy) - 0.1f);
                threshold += skinTexture * pore;
                if (wet < 0) threshold -= 2.0 * wet * pore;
                const double softness = 0.6 + 0.6 * std::max(0.0, wet);
                const double ink = smoothStep((bilinear(print.ridges, p.x, p.y) - threshold) / softness + 0.5);
                const double strength = touch.contrast * (1 - 0.3 * std::max(0.0, -wet));
                grey -= p.contact * (touch.valleyShade + 20 * std::max(0.0, wet));
                grey -= strength * ink * (0.55 + 0.45 * p.contact);
            }
            row[x] = static_cast<float>(grey + touch.noise * random.gaussian());
        }
    }
    for (int pass = 0; pass < touch.blurPasses; ++pass) blur(image);
    std::vector<std::uint8_t> frame(image.values.size());
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<std::uint8_t>(std::clamp(image.values[i] + 0.5f, 0.0f, 255.0f));
    }
    return frame;
}

}  // namespace simulator
