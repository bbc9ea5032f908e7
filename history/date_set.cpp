#include "history/date_set.h"

namespace gapscope {

std::optional<std::uint32_t> PlausibleDateValue(std::string_view digits) {
    const auto d = [&](std::size_t i) { return static_cast<unsigned>(digits[i] - '0'); };
    const unsigned month = d(4) * 10 + d(5);
    const unsigned day = d(6) * 10 + d(7);
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return (d(0) * 1000 + d(1) * 100 + d(2) * 10 + d(3)) * 10000 + month * 100 + day;
}

std::vector<std::uint32_t> DateSet::Sorted() const {
    std::vector<std::uint32_t> dates;
    for (std::size_t w = 0; w < bits_.size(); ++w) {
        for (std::uint64_t bits = bits_[w]; bits != 0; bits &= bits - 1) {
            const std::size_t slot = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            const auto year = static_cast<std::uint32_t>(kFirstYear + slot / kDaysPerYear);
            const auto rest = static_cast<std::uint32_t>(slot % kDaysPerYear);
            dates.push_back(year * 10000 + (rest / 31 + 1) * 100 + rest % 31 + 1);
        }
    }
    return dates;
}

}  // namespace gapscope
