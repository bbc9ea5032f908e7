#include "catalogue/labels.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "catalogue/calendar_rules.h"
#include "catalogue/catalogue.h"

namespace gapscope {

namespace {

namespace cal = calendar;

enum class When { Always, Before, From };

// One renaming: in the labels of `channels`, the first occurrence of `pattern` (letter
// case ignored) becomes `replacement`, before or from the day `changeover`. Rows apply in
// order, so a later row can rename what an earlier one produced.
struct Renaming {
    ChannelSet channels;
    std::string_view pattern;
    std::string_view replacement;
    When when = When::Always;
    cal::Day changeover{};
};

const std::array<Renaming, 13>& Renamings() {
    const ChannelSet goesWest = cal::SetOf(cal::kGoesWest);
    const ChannelSet goesEast = cal::SetOf(cal::kGoesEast);
    const ChannelSet mtsat = cal::SetOf(cal::kMtsat);
    static const std::array<Renaming, 13> table = {{
        {cal::SetOf(cal::kHrit), "msg-ch", "HRIT ch "},
        {cal::SetOf(cal::kLrit), "lrit-ch", "LRIT ch "},
        {goesWest, "g10-", "GOES-W-", When::Before, cal::kGoes15NamedFrom},
        {goesWest, "g10-", "GOES-15-", When::From, cal::kGoes15NamedFrom},
        {goesEast, "g12-", "GOES-12-", When::Before, cal::kGoes13NamedFrom},
        {goesEast, "g12-", "GOES-13-", When::From, cal::kGoes13NamedFrom},
        {mtsat, "g9-", "MTSAT-1R-"},
        {mtsat, "mt1-", "MTSAT-1R-"},
        {mtsat, "MTSAT-1R-", "MTSAT-2-", When::From, cal::kMtsat2NamedFrom},
        {ChannelSet{52}, "fir", "FIRG"},
        {ChannelSet{54}, "fir", "FIRA"},
        {cal::SetOf(cal::kFy2g), "fy2c", "FY-2G", When::From, cal::kFy2gNamedFrom},
        {cal::SetOf(cal::kFy2e), "fy2d", "FY-2E", When::From, cal::kFy2eNamedFrom},
    }};
    return table;
}

bool Holds(const Renaming& rule, cal::Day reportDay) {
    switch (rule.when) {
        case When::Always:
            return true;
        case When::Before:
            return reportDay < rule.changeover;
        case When::From:
            return reportDay >= rule.changeover;
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
    for (const Renaming& rule : Renamings()) {
        if (rule.channels.Contains(n) && Holds(rule, reportDay)) {
            ReplaceFirstIgnoringCase(label, rule.pattern, rule.replacement);
        }
    }
    return label;
}

}  // namespace gapscope
