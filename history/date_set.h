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
        for (std::size_t k = 0; k + 8 <= length; ++k) {
            const bool century =
                (run[k] == '2' && run[k + 1] == '0') || (run[k] == '1' && run[k + 1] == '9');
            if (!century) continue;
            std::uint64_t window;
            std::memcpy(&window, run + k, sizeof window);
            if (window == lastWindow_) continue;
            lastWindow_ = window;
            AddWindow(run + k);
        }
    }

    // The dates as yyyymmdd values in rising order.
    std::vector<std::uint32_t> Sorted() const;

  private:
    static constexpr std::size_t kDaysPerYear = 12 * 31;
    static constexpr std::size_t kSlots = (kLastYear - kFirstYear + 1) * kDaysPerYear;

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
    std::array<std::uint64_t, (kSlots + 63) / 64> bits_{};
};

}  // namespace gapscope
