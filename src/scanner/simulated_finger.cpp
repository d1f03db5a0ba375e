#include "scanner/simulated_finger.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "scanner/simulated_scanner.h"

namespace {

constexpr int width = static_cast<int>(simulatedFrameWidth);
constexpr int height = static_cast<int>(simulatedFrameHeight);
constexpr int block = 16;
constexpr int blocksAcross = width / block;
constexpr int blocksDown = height / block;
constexpr int blockCount = blocksAcross * blocksDown;
constexpr std::array<std::uint8_t, 4> templateMagic{'F', 'B', 'S', '1'};
// Mean difference per block (in grey levels) below which two impressions are
// taken to be of the same finger.
constexpr double matchThreshold = 12.0;

struct Wave {
    double fx, fy, phase, amplitude;
};

// The finger's own broad pattern of pressure and ridge direction, fixed by its number.
std::array<Wave, 6> fingerWaves(int finger) {
    std::mt19937 engine(static_cast<std::uint32_t>(finger) * 2654435761u);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::array<Wave, 6> waves{};
    for (Wave& wave : waves) {
        double angle = unit(engine) * 6.283185307179586;
        double period = 60.0 + unit(engine) * 120.0;
        wave = {std::cos(angle) / period, std::sin(angle) / period, unit(engine) * 6.2832,
                10.0 + unit(engine) * 12.0};
    }
    return waves;
}

std::array<std::uint8_t, blockCount> blockMeans(const std::uint8_t* frame) {
    std::array<std::uint8_t, blockCount> means{};
    for (int by = 0; by < blocksDown; ++by) {
        for (int bx = 0; bx < blocksAcross; ++bx) {
            int sum = 0;
            for (int y = 0; y < block; ++y) {
                const std::uint8_t* row = frame + (by * block + y) * width + bx * block;
                for (int x = 0; x < block; ++x) sum += row[x];
            }
            means[by * blocksAcross + bx] = static_cast<std::uint8_t>(sum / (block * block));
        }
    }
    return means;
}

}  // namespace

int fingerOnSensor() { return 1; }

std::vector<std::uint8_t> takeImpression(int finger) {
    std::array<Wave, 6> waves = fingerWaves(finger);
    std::random_device entropy;
    std::mt19937 noise(entropy());
    std::uniform_int_distribution<int> jitter(-6, 6);
    std::vector<std::uint8_t> frame(simulatedFrameSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double level = 150.0;
            for (const Wave& wave : waves) {
                level += wave.amplitude * std::sin(6.283185307179586 * (wave.fx * x + wave.fy * y) +
                                                   wave.phase);
            }
            // Fine ridges on top of the broad pattern; they average out within a block.
            level += 40.0 * std::sin(0.6981 * (x + y * 0.3));
            level += jitter(noise);
            frame[y * width + x] = static_cast<std::uint8_t>(std::clamp(level, 0.0, 255.0));
        }
    }
    return frame;
}

std::vector<std::uint8_t> makeTemplate(const std::vector<std::uint8_t>& frame) {
    if (frame.size() != simulatedFrameSize) return {templateMagic.begin(), templateMagic.end()};
    std::array<std::uint8_t, blockCount> means = blockMeans(frame.data());
    std::vector<std::uint8_t> made(templateMagic.size() + blockCount);
    std::copy(templateMagic.begin(), templateMagic.end(), made.begin());
    std::copy(means.begin(), means.end(), made.begin() + templateMagic.size());
    return made;
}

bool templateMatchesFrame(const std::uint8_t* templ, std::size_t length,
                          const std::vector<std::uint8_t>& live) {
    if (templ == nullptr || length != templateMagic.size() + blockCount) return false;
    if (std::memcmp(templ, templateMagic.data(), templateMagic.size()) != 0) return false;
    if (live.size() != simulatedFrameSize) return false;
    std::array<std::uint8_t, blockCount> means = blockMeans(live.data());
    double total = 0;
    for (int i = 0; i < blockCount; ++i) {
        total += std::abs(int(templ[templateMagic.size() + i]) - int(means[i]));
    }
    return total / blockCount < matchThreshold;
}
