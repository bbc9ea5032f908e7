#include "catalogue/labels.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "catalogue/catalogue.h"

namespace gapscope {

namespace {

using Instant = std::chrono::sys_time<std::chrono::minutes>;
using namespace std::chrono_literals;

// MTSAT-2 took over from MTSAT-1R during 1 July 2010, so reports for that whole day
// still name MTSAT-1R.
constexpr Instant kMtsat2Start = std::chrono::sys_days{2010y / 7 / 1} + 3h;

enum class When { Always, UpTo, After };

// One renaming: in the labels of `channels`, the first occurrence of `pattern` (letter
// case ignored) becomes `replacement`. UpTo holds while the report day is at or before
// `changeover`, After once it is later. Rows apply in order, so a later row can rename
// what an earlier one produced.
struct Renaming {
    ChannelSet channels;
    std::string_view pattern;
    std::string_view replacement;
    When when = When::Always;
    Instant changeover{};
};

constexpr Instant DayStart(std::chrono::year_month_day day) {
    return std::chrono::sys_days{day};
}

const std::array<Renaming, 13>& Renamings() {
    const ChannelSet goesWest{18, 19, 20, 56};
    const ChannelSet goesEast{21, 22, 23, 57};
    const ChannelSet mtsat{24, 25, 26, 58, 84};
    static const std::array<Renaming, 13> table = {{
        {ChannelSet::Range(1, 12), "msg-ch", "HRIT ch "},
        {ChannelSet::Range(13, 17), "lrit-ch", "LRIT ch "},
        {goesWest, "g10-", "GOES-W-", When::UpTo, DayStart(2011y / 12 / 6)},
        {goesWest, "g10-", "GOES-15-", When::After, DayStart(2011y / 12 / 6)},
        {goesEast, "g12-", "GOES-12-", When::UpTo, DayStart(2010y / 4 / 14)},
        {goesEast, "g12-", "GOES-13-", When::After, DayStart(2010y / 4 / 14)},
        {mtsat, "g9-", "MTSAT-1R-"},
        {mtsat, "mt1-", "MTSAT-1R-"},
        {mtsat, "MTSAT-1R-", "MTSAT-2-", When::After, kMtsat2Start},
        {ChannelSet{52}, "fir", "FIRG"},
        {ChannelSet{54}, "fir", "FIRA"},
        {ChannelSet::Range(67, 72), "fy2c", "FY-2G", When::After, DayStart(2009y / 12 / 1)},
        {ChannelSet::Range(77, 82), "fy2d", "FY-2E", When::After, DayStart(2015y / 6 / 30)},
    }};
    return table;
}

bool Holds(const Renaming& rule, Instant reportDay) {
    switch (rule.when) {
        case When::Always:
            return true;
        case When::UpTo:
            return reportDay <= rule.changeover;
        case When::After:
            return reportDay > rule.changeover;
    }
    return false;
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void ReplaceFirstIgnoringCase(std::string& s, std::string_view pattern,
                              std::string_view replacement) {
    const auto at = std::search(s.begin(), s.end(), pattern.begin(), pattern.end(),
                                [](char a, char b) { return Upper(a) == Upper(b); });
    if (at == s.end()) return;
    const auto pos = static_cast<std::size_t>(at - s.begin());
    s.replace(pos, pattern.size(), replacement);
}

}  // namespace

std::string ChannelLabel(ChannelNumber n, std::chrono::sys_days reportDay) {
    std::string label(ChannelShortName(n));
    std::transform(label.begin(), label.end(), label.begin(), Upper);
    const Instant day = reportDay;
    for (const Renaming& rule : Renamings()) {
        if (rule.channels.Contains(n) && Holds(rule, day)) {
            ReplaceFirstIgnoringCase(label, rule.pattern, rule.replacement);
        }
    }
    return label;
}

}  // namespace gapscope
