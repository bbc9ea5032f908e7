#include "history/needle_search.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace gapscope {

namespace {

// Blocks matched at a time.
constexpr std::size_t kBlocksPerMatch = 64;

}  // namespace

bool IsPlainNeedle(std::string_view needle) {
    return !needle.empty() && needle.find_first_of("\r\n") == std::string_view::npos;
}

NeedleSearch::NeedleSearch(std::span<const std::string_view> needles, std::size_t start)
    : nextBlock_(start / kBlockBytes) {
    const std::size_t count = std::min(needles.size(), kMaxNeedles);
    for (std::size_t k = 0; k < count; ++k) {
        needles_[k] = needles[k];
        if (IsPlainNeedle(needles[k])) pending_ |= std::uint32_t{1} << k;
    }
    CollectTests();
}

// A needle may stand where its first, middle and last bytes stand; only there is it
// compared. Needles that differ only in the middle byte share one test without it; longer
// ones are tested by their first byte alone.
void NeedleSearch::CollectTests() {
    testCount_ = 0;
    for (std::uint32_t bits = pending_; bits != 0; bits &= bits - 1) {
        const std::string_view needle = needles_[static_cast<std::size_t>(std::countr_zero(bits))];
        const std::size_t span = needle.size() <= kBlockBytes ? needle.size() - 1 : 0;
        const NeedleTest test{needle.front(), needle[span / 2], needle[span],
                              static_cast<std::uint8_t>(span / 2), static_cast<std::uint8_t>(span)};
        NeedleTest* const end = tests_.begin() + testCount_;
        NeedleTest* const same = std::find_if(tests_.begin(), end, [&](const NeedleTest& o) {
            return o.first == test.first && o.last == test.last && o.span == test.span;
        });
        if (same == end) {
            tests_[testCount_++] = test;
        } else if (same->middle != test.middle || same->middleAt != test.middleAt) {
            same->middle = test.first;
            same->middleAt = 0;
        }
    }
    // Tests that end in the same byte at the same span next to each other: a scanner may
    // then compare that byte once for them all.
    std::stable_sort(tests_.begin(), tests_.begin() + testCount_,
                     [](const NeedleTest& a, const NeedleTest& b) {
                         return a.last != b.last ? a.last < b.last : a.span < b.span;
                     });
}

bool NeedleSearch::Check(std::string_view text, std::size_t base, std::uint64_t candidates) {
    bool changed = false;
    for (std::uint64_t bits = candidates; bits != 0; bits &= bits - 1) {
        const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(bits));
        if (at >= text.size()) break;
        for (std::uint32_t left = pending_; left != 0; left &= left - 1) {
            const std::size_t k = static_cast<std::size_t>(std::countr_zero(left));
            const std::string_view needle = needles_[k];
            if (text[at] == needle.front() && text.substr(at, needle.size()) == needle) {
                found_ |= std::uint32_t{1} << k;
                pending_ &= ~(std::uint32_t{1} << k);
                changed = true;
            }
        }
    }
    if (changed) CollectTests();
    return changed;
}

void NeedleSearch::SearchUpTo(std::string_view text) {
    Advance(text, true);
    // The places from the block holding the end on are searched again when more follows.
    nextBlock_ = text.size() / kBlockBytes;
}

void NeedleSearch::Absorb(const NeedleSearch& later) {
    const std::uint32_t found = found_ | later.found_;
    *this = later;
    found_ = found;
    pending_ &= ~found;
    CollectTests();
}

void NeedleSearch::Advance(std::string_view text, bool whole) {
    // Whole blocks whose reads (a block and up to a block's length beyond it, which a test
    // and a comparison may reach) stay inside the text, a few at a time.
    const BlockScanner& scanner = BestBlockScanner();
    std::array<std::uint64_t, kBlocksPerMatch> candidates;
    const std::size_t n = text.size();
    const std::size_t reach = 2 * kBlockBytes - 1;
    const std::size_t safeBlocks = n >= reach ? (n - reach) / kBlockBytes + 1 : 0;
    while (nextBlock_ < safeBlocks && pending_ != 0) {
        const std::size_t first = nextBlock_;
        const std::size_t blocks = std::min(kBlocksPerMatch, safeBlocks - first);
        scanner.matchNeedles(text.data() + first * kBlockBytes, blocks, tests_.data(), testCount_,
                             candidates.data());
        nextBlock_ = first + blocks;
        for (std::size_t b = 0; b < blocks; ++b) {
            // Fewer needles, other tests: the search goes on from the next block.
            if (candidates[b] != 0 && Check(text, (first + b) * kBlockBytes, candidates[b])) {
                nextBlock_ = first + b + 1;
                break;
            }
        }
    }
    if (!whole || pending_ == 0) return;
    // The last blocks of a whole text, from a copy padded with NULs.
    const std::size_t done = std::min(nextBlock_, safeBlocks) * kBlockBytes;
    if (done >= n) return;
    std::array<char, 4 * kBlockBytes> tail{};
    std::memcpy(tail.data(), text.data() + done, n - done);
    const std::size_t blocks = (n - done + kBlockBytes - 1) / kBlockBytes;
    scanner.matchNeedles(tail.data(), blocks, tests_.data(), testCount_, candidates.data());
    for (std::size_t b = 0; b < blocks && pending_ != 0; ++b) {
        if (candidates[b] != 0) Check(text, done + b * kBlockBytes, candidates[b]);
    }
    nextBlock_ = (n + kBlockBytes - 1) / kBlockBytes;
}

}  // namespace gapscope
