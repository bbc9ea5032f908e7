#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace gapscope {

// yyyymmdd as a number when the eight digits are a plausible date: month 1..12 and day
// 1..31. Every day the report can ask for is among them.
std::optional<std::uint32_t> PlausibleDateValue(std::string_view digits);

// The plausible dates of the years 1900 to 2099 among the 8-digit windows of a text, one bit
// per date (9 KB). Those years hold every day a station's history can cover; a log asked
// about any other date looks for it in its text.
class DateSet {
  public:
    static constexpr std::uint32_t kFirstYear = 1900;
    static constexpr std::uint32_t kLastYear = 2099;
    // Whether a yyyymmdd value lies in the years kept.
    static bool Covers(std::uint32_t yyyymmdd) {
        return yyyymmdd / 10000 >= kFirstYear && yyyymmdd / 10000 <= kLastYear;
    }

    // The run of digits run[0..length), at least eight of them: every window starting with
    // "19" or "20" is taken. Consecutive minute keys repeat their date window, which is
    // passed over.
    void AddRun(const char* run, std::size_t length) {
        if (length < 9 || length > 15 || std::endian::native != std::endian::little) {
            for (std::size_t k = 0; k + 8 <= length; ++k) {
                if (IsCentury(run[k], run[k + 1])) Take(run + k);
            }
            return;
        }
        // The windows of a minute key and the like at once: bit 8k + 7 of `starts` is set
        // where bytes k and k + 1 are "19" or "20", for the windows k = 0 .. length - 8.
        const std::uint64_t here = LoadWord(run);
        const std::uint64_t next = LoadWord(run + 1);
        std::uint64_t starts = 0;
        if (length == previousLength_ && here == previousHere_ && next == previousNext_) {
            // Begun as the run before (the same day and hour of a minute key): the same
            // windows may be dates, and the first is the one that run began with.
            starts = previousStarts_ & ~std::uint64_t{0x80};
        } else {
            starts =
                ((Bytes(here, '2') & Bytes(next, '0')) | (Bytes(here, '1') & Bytes(next, '9'))) &
                (kHighBits >> (8 * (15 - length)));
            previousLength_ = length;
            previousHere_ = here;
            previousNext_ = next;
            previousStarts_ = starts;
        }
        for (std::uint64_t bits = starts; bits != 0; bits &= bits - 1) {
            Take(run + static_cast<std::size_t>(std::countr_zero(bits)) / 8);
        }
    }

    // The dates as yyyymmdd values in rising order.
    std::vector<std::uint32_t> Sorted() const;
    // Takes the dates of `other` too.
    void Add(const DateSet& other) {
        for (std::size_t w = 0; w < bits_.size(); ++w) bits_[w] |= other.bits_[w];
    }

  private:
    static constexpr std::size_t kDaysPerYear = 12 * 31;
    static constexpr std::size_t kSlots = (kLastYear - kFirstYear + 1) * kDaysPerYear;

    static constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    static constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    static constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;

    static bool IsCentury(char first, char second) {
        return (first == '2' && second == '0') || (first == '1' && second == '9');
    }
    static std::uint64_t LoadWord(const char* p) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
    // High bit of each byte of `w` (first byte lowest) that is `c`.
    static std::uint64_t Bytes(std::uint64_t w, char c) {
        const std::uint64_t x = w ^ (static_cast<unsigned char>(c) * kOnes);
        return ~(((x & kLowBits) + kLowBits) | x | kLowBits);
    }
    // The window at `digits`, unless it repeats the one taken last.
    void Take(const char* digits) {
        const std::uint64_t window = LoadWord(digits);
        if (window == lastWindow_) return;
        lastWindow_ = window;
        AddWindow(digits);
    }

    void AddWindow(const char* digits) {
        const auto d = [&](int i) { return static_cast<std::size_t>(digits[i] - '0'); };
        const std::size_t month = d(4) * 10 + d(5);
        const std::size_t day = d(6) * 10 + d(7);
        if (month - 1 >= 12 || day - 1 >= 31) return;
        const std::size_t year = d(0) * 1000 + d(1) * 100 + d(2) * 10 + d(3);
        const std::size_t slot = (year - kFirstYear) * kDaysPerYear + (month - 1) * 31 + day - 1;
        bits_[slot / 64] |= std::uint64_t{1} << (slot % 64);
    }

    std::uint64_t lastWindow_ = 0;
    // The first nine bytes of the last run of 9 to 15 digits, and its window starts.
    std::size_t previousLength_ = 0;
    std::uint64_t previousHere_ = 0;
    std::uint64_t previousNext_ = 0;
    std::uint64_t previousStarts_ = 0;
    std::array<std::uint64_t, (kSlots + 63) / 64> bits_{};
};

}  // namespace gapscope
