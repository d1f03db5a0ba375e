#include "fingerprint/skeleton.h"

#include <bit>
#include <vector>

namespace fingerprint {

namespace {

// A pixel may go in the first (second) half-pass of a thinning round when it
// sits on the south-east (north-west) side of its ridge and removing it
// neither breaks nor shortens the ridge.
struct ThinningTables {
    std::array<bool, 256> firstHalf{};
    std::array<bool, 256> secondHalf{};
    std::array<bool, 256> redundant{};  // removable from a finished skeleton's corners
};

bool bit(std::uint8_t bits, int i) { return ((bits >> (i & 7)) & 1) != 0; }

// Separate 8-connected groups among the set neighbours.
int neighbourGroups(std::uint8_t bits) {
    int parent[8];
    for (int i = 0; i < 8; ++i) parent[i] = i;
    auto find = [&](int i) {
        while (parent[i] != i) i = parent[i];
        return i;
    };
    auto join = [&](int a, int b) { parent[find(a)] = find(b); };
    for (int i = 0; i < 8; ++i) {
        if (bit(bits, i) && bit(bits, i + 1)) join(i, (i + 1) & 7);
        // Two edge neighbours (even ring places) touch diagonally across a corner.
        if (i % 2 == 0 && bit(bits, i) && bit(bits, i + 2)) join(i, (i + 2) & 7);
    }
    int groups = 0;
    for (int i = 0; i < 8; ++i) groups += bit(bits, i) && find(i) == i ? 1 : 0;
    return groups;
}

const ThinningTables& tables() {
    static const ThinningTables built = [] {
        ThinningTables t;
        for (int b = 0; b < 256; ++b) {
            const auto bits = static_cast<std::uint8_t>(b);
            const int count = std::popcount(bits);
            const bool thinnable = count >= 2 && count <= 6 && crossingNumber(bits) == 1;
            const bool n = bit(bits, 0), e = bit(bits, 2), s = bit(bits, 4), w = bit(bits, 6);
            t.firstHalf[b] = thinnable && !(n && e && s) && !(e && s && w);
            t.secondHalf[b] = thinnable && !(n && e && w) && !(n && s && w);
            t.redundant[b] = count >= 2 && neighbourGroups(bits) == 1;
        }
        return t;
    }();
    return built;
}

// neighbourBits for a pixel at least one pixel inside the plane's edges.
std::uint8_t innerNeighbourBits(const Plane<std::uint8_t>& plane, int index) {
    const std::uint8_t* p = plane.values.data() + index;
    const int w = plane.width;
    return static_cast<std::uint8_t>((p[-w] != 0) | (p[1 - w] != 0) << 1 | (p[1] != 0) << 2 | (p[1 + w] != 0) << 3 |
                                     (p[w] != 0) << 4 | (p[w - 1] != 0) << 5 | (p[-1] != 0) << 6 |
                                     (p[-1 - w] != 0) << 7);
}

}  // namespace

std::uint8_t neighbourBits(const Plane<std::uint8_t>& plane, int x, int y) {
    std::uint8_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        const int nx = x + ringSteps[i][0], ny = y + ringSteps[i][1];
        if (plane.contains(nx, ny) && plane.at(nx, ny) != 0) bits |= static_cast<std::uint8_t>(1u << i);
    }
    return bits;
}

int crossingNumber(std::uint8_t bits) {
    int rises = 0;
    for (int i = 0; i < 8; ++i) rises += !bit(bits, i) && bit(bits, i + 1) ? 1 : 0;
    return rises;
}

void thinToSkeleton(Plane<std::uint8_t>& ridges) {
    const ThinningTables& t = tables();
    // Clearing the outermost pixels keeps every neighbourhood on the plane.
    for (int x = 0; x < ridges.width; ++x) ridges.at(x, 0) = ridges.at(x, ridges.height - 1) = 0;
    for (int y = 0; y < ridges.height; ++y) ridges.at(0, y) = ridges.at(ridges.width - 1, y) = 0;
    std::vector<int> candidates;
    for (int y = 1; y + 1 < ridges.height; ++y) {
        for (int x = 1; x + 1 < ridges.width; ++x) {
            if (ridges.at(x, y) != 0) candidates.push_back(y * ridges.width + x);
        }
    }
    std::vector<int> doomed;
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto* table : {&t.firstHalf, &t.secondHalf}) {
            doomed.clear();
            for (int index : candidates) {
                if ((*table)[innerNeighbourBits(ridges, index)]) doomed.push_back(index);
            }
            for (int index : doomed) ridges.values[index] = 0;
            changed = changed || !doomed.empty();
            std::erase_if(candidates, [&](int index) { return ridges.values[index] == 0; });
        }
    }
    // Thinning leaves L-shaped corners two pixels thick; a corner pixel whose
    // neighbours stay connected without it goes.
    for (int index : candidates) {
        if (t.redundant[innerNeighbourBits(ridges, index)]) ridges.values[index] = 0;
    }
}

}  // namespace fingerprint
