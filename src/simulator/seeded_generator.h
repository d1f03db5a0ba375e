#pragma once
// A small, fast generator whose sequence is the same on every platform, so a
// finger number always names the same finger (std:: distributions differ
// between standard libraries). Predictable by design: secrets come from
// platform/random_source.h.

#include <cmath>
#include <cstdint>

namespace simulator {

// splitmix64 in its two halves: a state that steps by splitmixGamma, and the
// mix that turns a state into a value, each bit of the state stirring every
// bit of the value. It seeds the generator and spreads impression seeds.
inline constexpr std::uint64_t splitmixGamma = 0x9e3779b97f4a7c15ull;

constexpr std::uint64_t splitmix64(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

class SeededGenerator {
public:
    explicit SeededGenerator(std::uint64_t seed) {
        for (std::uint64_t& word : state_) word = splitmix64(seed += splitmixGamma);
    }

    std::uint64_t next() {
        const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotate(state_[3], 45);
        return result;
    }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * unit(); }
    // Roughly normal, mean 0 and deviation 1 (sum of four uniforms): cheap enough per pixel.
    double gaussian() {
        std::uint64_t bits = next();
        double sum = 0;
        for (int i = 0; i < 4; ++i, bits >>= 16) sum += static_cast<double>(bits & 0xffff);
        return (sum / 65536.0 - 2.0) * 1.7320508075688772;
    }
    int below(int bound) { return static_cast<int>(unit() * bound); }

private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4];
};

}  // namespace simulator
