#include "history/date_set.h"

#include <algorithm>

namespace gapscope {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;

// High bit of each byte of `w` that is zero.
std::uint64_t ZeroBytesHigh(std::uint64_t w) {
    return ~(((w & kLowBits) + kLowBits) | w | kLowBits);
}

std::uint64_t LoadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

}  // namespace

std::optional<std::uint32_t> PlausibleDateValue(std::string_view digits) {
    const auto d = [&](std::size_t i) { return static_cast<unsigned>(digits[i] - '0'); };
    const unsigned month = d(4) * 10 + d(5);
    const unsigned day = d(6) * 10 + d(7);
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return (d(0) * 1000 + d(1) * 100 + d(2) * 10 + d(3)) * 10000 + month * 100 + day;
}

void DateSet::AddLongRun(std::size_t start, std::size_t end) {
    const char* const p = text_.data();
    const std::size_t lastWindow = end - 8;
    AddWindow(LoadDigits(p + start), true);
    std::size_t next = start + 1;  // the first window not yet taken
    const auto changeAt = [&](std::size_t at) {
        const std::size_t to = std::min(at, lastWindow);
        for (std::size_t k = std::max(next, at < 7 ? 0 : at - 7); k <= to; ++k) {
            AddWindow(LoadDigits(p + k), true);
        }
        next = std::max(next, to + 1);
    };
    std::size_t at = start + 1;
    if constexpr (std::endian::native == std::endian::little) {
        for (; at + 8 <= end; at += 8) {
            const std::uint64_t x = LoadWord(p + at) ^ LoadWord(p + at - 1);
            for (std::uint64_t changed = ~ZeroBytesHigh(x) & kHighBits; changed != 0;
                 changed &= changed - 1) {
                changeAt(at + static_cast<std::size_t>(std::countr_zero(changed)) / 8);
            }
        }
    }
    for (; at < end; ++at) {
        if (p[at] != p[at - 1]) changeAt(at);
    }
}

std::vector<std::uint32_t> DateSet::Sorted() const {
    std::vector<std::uint32_t> dates;
    for (std::size_t p = 0; p < kDatePages; ++p) {
        if (pageOf_[p] == 0) continue;
        const Page& page = pages_[pageOf_[p] - 1u];
        for (std::size_t w = 0; w < page.size(); ++w) {
            for (std::uint64_t bits = page[w]; bits != 0; bits &= bits - 1) {
                const std::size_t slot =
                    p * kPageBits + w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                if (slot >= kSlots) continue;
                const auto year = static_cast<std::uint32_t>(slot / kDaysPerYear);
                const auto rest = static_cast<std::uint32_t>(slot % kDaysPerYear);
                dates.push_back(year * 10000 + (rest / 31 + 1) * 100 + rest % 31 + 1);
            }
        }
    }
    return dates;
}

}  // namespace gapscope
