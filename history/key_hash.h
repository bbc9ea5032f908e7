#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace gapscope {

namespace key_hash_detail {

inline std::uint64_t LoadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Eight bytes with bit 5 of each set: an ASCII letter and its other case become the same
// byte. Other bytes may meet too ("@" and "`"), which only makes such keys share a hash;
// keys are compared exactly when their hashes agree.
inline std::uint64_t FoldCase(std::uint64_t w) {
    return w | 0x2020202020202020ULL;
}

inline std::uint64_t MixWord(std::uint64_t h, std::uint64_t w) {
    h = (h ^ w) * 0xff51afd7ed558ccdULL;
    return h ^ (h >> 29);
}

}  // namespace key_hash_detail

// Hash of a key with ASCII letter case folded, eight bytes at a time, finished so that the
// top bits that choose a slot depend on every byte (minute keys differ only in their last
// digits). Only ever compared within one run of the program.
inline std::uint32_t HashKey(std::string_view key) {
    using namespace key_hash_detail;
    const char* const p = key.data();
    const std::size_t n = key.size();
    std::uint64_t h = static_cast<std::uint64_t>(n) * 0x9E3779B97F4A7C15ULL;
    if (n > 8 && n <= 16) {
        // Minute keys (12 characters): the first and the last eight bytes, multiplied apart
        // so that the two products are worked out side by side.
        h ^= FoldCase(LoadWord(p)) * 0xff51afd7ed558ccdULL;
        h ^= (FoldCase(LoadWord(p + n - 8)) ^ 0x2545F4914F6CDD1DULL) * 0xc4ceb9fe1a85ec53ULL;
    } else if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) h = MixWord(h, FoldCase(LoadWord(p + i)));
        // The last eight bytes, overlapping the word before when the length is no multiple.
        h = MixWord(h, FoldCase(LoadWord(p + n - 8)));
    } else if (n >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        h = MixWord(h, FoldCase(std::uint64_t{first} << 32 | last));
    } else if (n > 0) {
        const auto byte = [&](std::size_t i) {
            return std::uint64_t{static_cast<unsigned char>(p[i])};
        };
        h = MixWord(h, FoldCase(byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16));
    }
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h >> 32);
}

// The home slot of a hash in a table of `tableSize` slots, a power of two of at least 16.
inline std::size_t HomeSlot(std::uint32_t hash, std::size_t tableSize) {
    return static_cast<std::size_t>(hash) >> (32 - std::countr_zero(tableSize));
}

}  // namespace gapscope
