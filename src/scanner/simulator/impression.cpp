#include "scanner/simulator/impression.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180;
// The finger's position is worked out exactly on a grid this coarse and
// interpolated in between: skin stretch is smooth at this scale.
constexpr int gridStep = 8;
// Moisture and dryness vary over patches about this wide.
constexpr int patchSize = 16;

struct CanvasPoint {
    float x, y;
};

double smoothStep(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return v * v * (3 - 2 * v);
}

// Where the skin under frame points (gx, gy) * gridStep sits on the master
// print's canvas; in between, positions are interpolated.
Plane<CanvasPoint> skinGrid(const MasterPrint& print, const TouchConditions& touch, int width, int height) {
    Plane<CanvasPoint> grid(width / gridStep + 2, height / gridStep + 2);
    const double c = std::cos(touch.rotation), s = std::sin(touch.rotation);
    const double cx = width / 2.0, cy = height / 2.0;
    const double contactX = print.pattern.padCentre.x - masterMargin + touch.contactShiftX;
    const double contactY = print.pattern.padCentre.y - masterMargin + touch.contactShiftY;
    const double reach = print.pattern.padHalfWidth;
    const double wave = 2 * pi / 320.0;
    for (int gy = 0; gy < grid.height; ++gy) {
        for (int gx = 0; gx < grid.width; ++gx) {
            // Undo the finger's placement: frame point -> finger point.
            const double px = gx * gridStep - cx - touch.shiftX, py = gy * gridStep - cy - touch.shiftY;
            double qx = c * px + s * py + cx, qy = -s * px + c * py + cy;
            // Skin stretches more the farther it is from where the finger presses hardest.
            const double rx = (qx - contactX) / reach, ry = (qy - contactY) / reach;
            const double amount = touch.stretch * std::min(rx * rx + ry * ry, 1.5);
            const double along = qx * std::cos(touch.stretchAngleX) + qy * std::sin(touch.stretchAngleX);
            const double across = qx * std::cos(touch.stretchAngleY) + qy * std::sin(touch.stretchAngleY);
            qx += amount * std::sin(wave * along + touch.stretchPhaseX);
            qy += amount * std::sin(wave * across + touch.stretchPhaseY);
            grid.at(gx, gy) = {static_cast<float>(qx + masterMargin), static_cast<float>(qy + masterMargin)};
        }
    }
    return grid;
}

// Bilinear sample of a plane; 0 outside it.
template <class T>
float sample(const Plane<T>& plane, float x, float y) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= plane.width || y0 + 1 >= plane.height) return 0.0f;
    const float fx = x - x0, fy = y - y0;
    const T* top = plane.row(y0) + x0;
    const T* bottom = top + plane.width;
    return (top[0] * (1 - fx) + top[1] * fx) * (1 - fy) + (bottom[0] * (1 - fx) + bottom[1] * fx) * fy;
}

// Light blur of the sensor optics, then rounding to grey bytes.
std::vector<std::uint8_t> blurToBytes(const Plane<float>& image) {
    std::vector<std::uint8_t> frame(image.values.size());
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            float sum = 0, weight = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                if (y + dy < 0 || y + dy >= image.height) continue;
                const float* row = image.row(y + dy);
                for (int dx = -1; dx <= 1; ++dx) {
                    if (x + dx < 0 || x + dx >= image.width) continue;
                    const float w = (dx == 0 ? 2.0f : 1.0f) * (dy == 0 ? 2.0f : 1.0f);
                    sum += w * row[x + dx];
                    weight += w;
                }
            }
            frame[static_cast<std::size_t>(y) * image.width + x] =
                static_cast<std::uint8_t>(std::clamp(sum / weight + 0.5f, 0.0f, 255.0f));
        }
    }
    return frame;
}

}  // namespace

TouchConditions drawTouchConditions(RandomSource& random) {
    TouchConditions touch{};
    touch.rotation = random.between(-15, 15) * degree;
    const double shiftAngle = random.between(0, 2 * pi), shift = 40 * std::sqrt(random.unit());
    touch.shiftX = shift * std::cos(shiftAngle);
    touch.shiftY = shift * std::sin(shiftAngle);
    touch.stretch = random.between(0.5, 3.5);
    touch.stretchAngleX = random.between(0, 2 * pi);
    touch.stretchAngleY = random.between(0, 2 * pi);
    touch.stretchPhaseX = random.between(0, 2 * pi);
    touch.stretchPhaseY = random.between(0, 2 * pi);
    touch.pressure = random.between(-1, 1);
    touch.contrast = random.between(110, 190);
    touch.paper = random.between(205, 240);
    touch.noise = random.between(4, 14);
    touch.dryness = random.between(0, 1);
    touch.contactShiftX = random.between(-20, 20);
    touch.contactShiftY = random.between(-30, 20);
    touch.contactWidth = random.between(0.72, 0.95);
    touch.contactHeight = random.between(0.68, 0.9);
    return touch;
}

void spoilTouch(TouchConditions& touch, RandomSource& random) {
    touch.pressure = random.between(-1, -0.6);
    touch.contrast = random.between(50, 80);
    touch.noise = random.between(22, 32);
    touch.dryness = random.between(0.8, 1);
    touch.contactWidth = random.between(0.45, 0.6);
    touch.contactHeight = random.between(0.4, 0.55);
}

std::vector<std::uint8_t> renderImpression(const MasterPrint& print, const TouchConditions& touch,
                                           RandomSource& random, int width, int height) {
    const Plane<CanvasPoint> grid = skinGrid(print, touch, width, height);
    // Moisture varies over patches: smooth noise, deviation about 1.
    Plane<float> moisture(width / patchSize + 2, height / patchSize + 2);
    for (float& v : moisture.values) v = static_cast<float>(random.gaussian());
    const double contactX = print.pattern.padCentre.x + touch.contactShiftX;
    const double contactY = print.pattern.padCentre.y + touch.contactShiftY;
    const double contactA = print.pattern.padHalfWidth * touch.contactWidth;
    const double contactB = print.pattern.padHalfHeight * touch.contactHeight;
    const double threshold = -0.45 * touch.pressure;

    Plane<float> image(width, height);
    for (int y = 0; y < height; ++y) {
        const int gy = y / gridStep;
        const float fy = static_cast<float>(y % gridStep) / gridStep;
        for (int x = 0; x < width; ++x) {
            const int gx = x / gridStep;
            const float fx = static_cast<float>(x % gridStep) / gridStep;
            const CanvasPoint& a = grid.at(gx, gy);
            const CanvasPoint& b = grid.at(gx + 1, gy);
            const CanvasPoint& d = grid.at(gx, gy + 1);
            const CanvasPoint& e = grid.at(gx + 1, gy + 1);
            const float px = (a.x * (1 - fx) + b.x * fx) * (1 - fy) + (d.x * (1 - fx) + e.x * fx) * fy;
            const float py = (a.y * (1 - fx) + b.y * fx) * (1 - fy) + (d.y * (1 - fx) + e.y * fx) * fy;
            const double ex = (px - contactX) / contactA, ey = (py - contactY) / contactB;
            double grey = touch.paper;
            // Full contact inside, fading out over the rim of the contact ellipse.
            const double contact = smoothStep((1.0 - (ex * ex + ey * ey)) / 0.3);
            if (contact > 0 && sample(print.pad, px, py) > 0.5f) {
                const double wet = sample(moisture, static_cast<float>(x) / patchSize, static_cast<float>(y) / patchSize);
                const double local = threshold + 1.2 * (1 - contact) + touch.dryness * std::max(0.0, wet - 0.5);
                const double ink = smoothStep((sample(print.ridges, px, py) - local) / 0.6 + 0.5);
                grey -= touch.contrast * ink * (0.55 + 0.45 * contact);
            }
            image.at(x, y) = static_cast<float>(grey + touch.noise * random.gaussian());
        }
    }
    return blurToBytes(image);
}
