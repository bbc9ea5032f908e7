#pragma once

#include <cstdint>

namespace gapscope::sim {

// SplitMix64 step: used to spread a seed and to derive independent streams.
constexpr std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Mixes several values into one seed, so that each (seed, day, stream) has its own sequence.
constexpr std::uint64_t MixSeed(std::uint64_t a, std::uint64_t b, std::uint64_t c = 0) {
    std::uint64_t s = a;
    std::uint64_t h = SplitMix64(s);
    s = h ^ b;
    h = SplitMix64(s);
    s = h ^ c;
    return SplitMix64(s);
}

// xoshiro256**: small, fast and fully specified, so a seed gives the same history with any
// compiler and standard library (the standard distributions do not promise that).
class Prng {
  public:
    explicit constexpr Prng(std::uint64_t seed) {
        std::uint64_t s = seed;
        for (auto& word : state_) word = SplitMix64(s);
    }

    constexpr std::uint64_t Next() {
        const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = Rotl(state_[3], 45);
        return result;
    }

    // Uniform in [0, bound); bound must be positive. Lemire's multiply-shift with rejection,
    // written out so the result never depends on the platform.
    std::uint32_t Below(std::uint32_t bound) {
        std::uint64_t m =
            static_cast<std::uint64_t>(static_cast<std::uint32_t>(Next() >> 32)) * bound;
        auto low = static_cast<std::uint32_t>(m);
        if (low < bound) {
            const std::uint32_t threshold = static_cast<std::uint32_t>(-bound) % bound;
            while (low < threshold) {
                m = static_cast<std::uint64_t>(static_cast<std::uint32_t>(Next() >> 32)) * bound;
                low = static_cast<std::uint32_t>(m);
            }
        }
        return static_cast<std::uint32_t>(m >> 32);
    }

    // Uniform in [0, 1) with 53 random bits.
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    // True with probability p (p <= 0 never, p >= 1 always).
    bool Chance(double p) { return p > 0.0 && (p >= 1.0 || Unit() < p); }

    // How many events happen when `rate` are expected: the whole part surely, the fraction
    // by chance.
    int Occurrences(double rate) {
        if (rate <= 0.0) return 0;
        const int whole = static_cast<int>(rate);
        return whole + (Chance(rate - whole) ? 1 : 0);
    }

  private:
    static constexpr std::uint64_t Rotl(std::uint64_t x, int k) {
        return (x << k) | (x >> (64 - k));
    }
    std::uint64_t state_[4]{};
};

}  // namespace gapscope::sim
