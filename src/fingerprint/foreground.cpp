#include "fingerprint/foreground.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace fingerprint {

namespace {

// Ridges vary the grey level this much more than the bare glass around them
// does, and at least by the lower limit: faint prints on clean glass count,
// noise on dirty glass does not.
constexpr double deviationOverGlass = 1.8;
constexpr double deviationMargin = 3;
constexpr double leastRidgeDeviation = 8, mostRidgeDeviation = 24;
// The share of blocks that surely shows bare glass, whatever the placement.
constexpr double glassShare = 0.1;

Plane<std::uint8_t> variedBlocks(const Plane<std::uint8_t>& image) {
    const int cols = (image.width + flowBlock - 1) / flowBlock;
    const int rows = (image.height + flowBlock - 1) / flowBlock;
    Plane<double> sum(cols, rows), squares(cols, rows), count(cols, rows);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            sum.at(x / flowBlock, y / flowBlock) += row[x];
            squares.at(x / flowBlock, y / flowBlock) += row[x] * row[x];
            count.at(x / flowBlock, y / flowBlock) += 1;
        }
    }
    Plane<double> deviation(cols, rows);
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < cols; ++bx) {
            // Pool the 3 x 3 neighbourhood: one block holds barely one ridge.
            double s = 0, q = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!sum.contains(bx + dx, by + dy)) continue;
                    s += sum.at(bx + dx, by + dy);
                    q += squares.at(bx + dx, by + dy);
                    n += count.at(bx + dx, by + dy);
                }
            }
            const double mean = s / n;
            deviation.at(bx, by) = std::sqrt(std::max(0.0, q / n - mean * mean));
        }
    }
    std::vector<double> sorted = deviation.values;
    const auto glass = sorted.begin() + static_cast<std::ptrdiff_t>(glassShare * double(sorted.size()));
    std::nth_element(sorted.begin(), glass, sorted.end());
    const double threshold =
        std::clamp(deviationOverGlass * *glass + deviationMargin, leastRidgeDeviation, mostRidgeDeviation);
    Plane<std::uint8_t> varied(cols, rows);
    for (std::size_t i = 0; i < varied.values.size(); ++i) varied.values[i] = deviation.values[i] > threshold ? 1 : 0;
    return varied;
}

// Keeps the largest 4-connected region of set blocks and fills its holes.
void keepLargestRegion(Plane<std::uint8_t>& blocks) {
    Plane<int> label(blocks.width, blocks.height, 0);
    std::vector<int> sizes{0};
    std::vector<std::pair<int, int>> stack;
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (int y = 0; y < blocks.height; ++y) {
        for (int x = 0; x < blocks.width; ++x) {
            if (blocks.at(x, y) == 0 || label.at(x, y) != 0) continue;
            const int id = static_cast<int>(sizes.size());
            sizes.push_back(0);
            stack.push_back({x, y});
            label.at(x, y) = id;
            while (!stack.empty()) {
                auto [cx, cy] = stack.back();
                stack.pop_back();
                ++sizes[id];
                for (const auto& step : steps) {
                    const int nx = cx + step[0], ny = cy + step[1];
                    if (blocks.contains(nx, ny) && blocks.at(nx, ny) != 0 && label.at(nx, ny) == 0) {
                        label.at(nx, ny) = id;
                        stack.push_back({nx, ny});
                    }
                }
            }
        }
    }
    if (sizes.size() == 1) return;  // no region at all
    const int largest = static_cast<int>(std::max_element(sizes.begin() + 1, sizes.end()) - sizes.begin());
    // Holes: unset blocks that cannot reach the frame edge through unset blocks.
    Plane<std::uint8_t> outside(blocks.width, blocks.height, 0);
    for (int y = 0; y < blocks.height; ++y) {
        for (int x = 0; x < blocks.width; ++x) {
            const bool edge = x == 0 || y == 0 || x + 1 == blocks.width || y + 1 == blocks.height;
            if (edge && label.at(x, y) != largest) {
                outside.at(x, y) = 1;
                stack.push_back({x, y});
            }
        }
    }
    while (!stack.empty()) {
        auto [cx, cy] = stack.back();
        stack.pop_back();
        for (const auto& step : steps) {
            const int nx = cx + step[0], ny = cy + step[1];
            if (blocks.contains(nx, ny) && label.at(nx, ny) != largest && outside.at(nx, ny) == 0) {
                outside.at(nx, ny) = 1;
                stack.push_back({nx, ny});
            }
        }
    }
    for (std::size_t i = 0; i < blocks.values.size(); ++i) blocks.values[i] = outside.values[i] == 0 ? 1 : 0;
}

// Chessboard distance, in blocks, to the nearest unset block or the frame
// edge: two sweeps, forward and back.
Plane<std::uint8_t> depthOf(const Plane<std::uint8_t>& blocks) {
    Plane<int> depth(blocks.width, blocks.height, 0);
    auto reach = [&](int x, int y) { return depth.contains(x, y) ? depth.at(x, y) : 0; };
    for (int y = 0; y < blocks.height; ++y) {
        for (int x = 0; x < blocks.width; ++x) {
            if (blocks.at(x, y) == 0) continue;
            depth.at(x, y) = 1 + std::min({reach(x - 1, y), reach(x - 1, y - 1), reach(x, y - 1), reach(x + 1, y - 1)});
        }
    }
    for (int y = blocks.height - 1; y >= 0; --y) {
        for (int x = blocks.width - 1; x >= 0; --x) {
            if (blocks.at(x, y) == 0) continue;
            depth.at(x, y) = std::min(depth.at(x, y), 1 + std::min({reach(x + 1, y), reach(x + 1, y + 1),
                                                                    reach(x, y + 1), reach(x - 1, y + 1)}));
        }
    }
    Plane<std::uint8_t> result(blocks.width, blocks.height);
    for (std::size_t i = 0; i < result.values.size(); ++i) {
        result.values[i] = static_cast<std::uint8_t>(std::min(depth.values[i], 255));
    }
    return result;
}

}  // namespace

Foreground findForeground(const Plane<std::uint8_t>& image) {
    Plane<std::uint8_t> blocks = variedBlocks(image);
    keepLargestRegion(blocks);
    Plane<std::uint8_t> depth = depthOf(blocks);
    return {std::move(blocks), std::move(depth)};
}

bool onFinger(const Foreground& foreground, int x, int y) {
    return foreground.blocks.at(x / flowBlock, y / flowBlock) != 0;
}

int depthAt(const Foreground& foreground, int x, int y) {
    return foreground.depth.at(x / flowBlock, y / flowBlock);
}

}  // namespace fingerprint
