#pragma once

#include <algorithm>
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

// Eight characters as a word with the first in the lowest byte.
inline std::uint64_t LoadDigits(const char* p) {
    std::uint64_t w = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&w, p, sizeof w);
    } else {
        for (int i = 0; i < 8; ++i) w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    return w;
}

// The plausible dates among the 8-digit windows of a text: one bit per date, kept in pages
// that exist only where dates were seen, so that a small log costs little and a large one
// no more than a bit per date. Digit runs are handed in whole; windows that repeat the
// run before (the day and hour of consecutive minute keys) or the window before (long
// runs of one digit) are passed over.
class DateSet {
  public:
    explicit DateSet(std::string_view text) : text_(text) {}

    // The digits text[start..end), at least eight of them.
    void AddRun(std::size_t start, std::size_t end) {
        const std::size_t length = end - start;
        if (length > kShortRun) {
            AddLongRun(start, end);
            previousLength_ = 0;
            return;
        }
        // The run as two words, bytes past it cleared; read in place where the text goes
        // on far enough.
        const char* const run = text_.data() + start;
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        if (start + kShortRun <= text_.size()) {
            low = LoadDigits(run);
            const std::size_t highBytes = length - 8;
            const std::uint64_t keep =
                highBytes == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * highBytes)) - 1;
            high = LoadDigits(run + 8) & keep;
        } else {
            std::array<char, kShortRun> bytes{};
            std::memcpy(bytes.data(), run, length);
            low = LoadDigits(bytes.data());
            high = LoadDigits(bytes.data() + 8);
        }
        // The leading bytes this run shares with the one before: windows within them
        // were taken with that run.
        std::size_t same = std::min(length, previousLength_);
        if (const std::uint64_t x = low ^ previousLow_; x != 0) {
            same = std::min(same, static_cast<std::size_t>(std::countr_zero(x)) / 8);
        } else if (const std::uint64_t y = high ^ previousHigh_; y != 0) {
            same = std::min(same, 8 + static_cast<std::size_t>(std::countr_zero(y)) / 8);
        }
        // Consecutive minute keys differ in their last digit or two: the last two windows
        // are taken without a branch (the one before only when new), any others in a loop.
        const std::size_t firstNew = same >= 7 ? same - 7 : 0;
        const std::size_t last = length - 8;
        AddWindow(LoadDigits(run + last), true);
        AddWindow(LoadDigits(run + last - (last > 0)), last > firstNew);
        for (std::size_t k = firstNew; k + 2 <= last; ++k) AddWindow(LoadDigits(run + k), true);
        previousLow_ = low;
        previousHigh_ = high;
        previousLength_ = length;
    }

    // The dates as yyyymmdd values in rising order.
    std::vector<std::uint32_t> Sorted() const;

  private:
    static constexpr std::size_t kShortRun = 16;
    static constexpr std::size_t kDaysPerYear = 12 * 31;
    static constexpr std::size_t kSlots = 10000 * kDaysPerYear;
    static constexpr std::size_t kPageBits = 4096;
    static constexpr std::size_t kDatePages = (kSlots + kPageBits - 1) / kPageBits;
    // Past the last page of dates.
    static constexpr std::size_t kNowhere = kDatePages * kPageBits;
    using Page = std::array<std::uint64_t, kPageBits / 64>;

    // A window differs from the one a byte before it only where the run changes digit
    // within its eight bytes; the others repeat it.
    void AddLongRun(std::size_t start, std::size_t end);

    // Eight digits, the first in the lowest byte; passed over (without a branch) when not
    // `wanted`.
    void AddWindow(std::uint64_t window, bool wanted) {
        // All eight at once: bytes 0, 2, 4 and 6 of `pairs` hold the century, the year in
        // it, the month and the day.
        const std::uint64_t values = window - 0x3030303030303030ULL;
        const std::uint64_t pairs = (values * 10 + (values >> 8)) & 0x00FF00FF00FF00FFULL;
        const auto year = static_cast<std::size_t>((pairs & 0xFF) * 100 + ((pairs >> 16) & 0xFF));
        const auto month = static_cast<std::size_t>((pairs >> 32) & 0xFF);
        const auto day = static_cast<std::size_t>(pairs >> 48);
        // No branch on the outcome: an implausible window marks a page of its own.
        const std::size_t plausible =
            std::size_t{0} - ((month - 1 < 12) & (day - 1 < 31) & static_cast<int>(wanted));
        const std::size_t slot =
            ((year * kDaysPerYear + (month - 1) * 31 + (day - 1)) & plausible) |
            (kNowhere & ~plausible);
        std::uint16_t& page = pageOf_[slot / kPageBits];
        if (page == 0) {
            pages_.emplace_back();
            page = static_cast<std::uint16_t>(pages_.size());
        }
        const std::size_t bit = slot % kPageBits;
        pages_[page - 1u][bit / 64] |= std::uint64_t{1} << (bit % 64);
    }

    std::string_view text_;
    std::uint64_t previousLow_ = 0;
    std::uint64_t previousHigh_ = 0;
    std::size_t previousLength_ = 0;  // of the run before when it was short, else 0
    std::array<std::uint16_t, kDatePages + 1> pageOf_{};  // index into pages_ + 1, 0 = none
    std::vector<Page> pages_;
};

}  // namespace gapscope
