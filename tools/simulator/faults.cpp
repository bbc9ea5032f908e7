#include "tools/simulator/faults.h"

#include <cstdio>

#include "history/items.h"

namespace gapscope::sim {

namespace {

using std::chrono::minutes;

struct KindRow {
    FaultKind kind;
    std::string_view name;
    bool dayOnly;
    std::string_view help;
};

constexpr std::array<KindRow, kFaultKindCount> kKinds = {{
    {FaultKind::Cycle, "cycle", false,
     "repeat cycle not received at all; rate per cycle; target: number of consecutive cycles"},
    {FaultKind::Segments, "segments", false,
     "channel received incomplete; rate per cycle; target: CHANNEL[/SEG,SEG-SEG]"},
    {FaultKind::Channel, "channel", false,
     "MSG channel (or any channel named) not received; rate per cycle; target: CHANNEL"},
    {FaultKind::Product, "product", false,
     "MPEF product not received; rate per cycle; target: CHANNEL or short name (mpe, clm ...)"},
    {FaultKind::Fsd, "fsd", false, "foreign-satellite outage; rate per day; target: GROUP[/HOURS]"},
    {FaultKind::FsdDay, "fsd-day", true,
     "foreign satellite absent all day; rate per day; target: GROUP"},
    {FaultKind::Late, "late", false,
     "segments arrived late; rate per cycle; target: CHANNEL (1..26)[/SEG,SEG-SEG]"},
    {FaultKind::SeqGap, "seq-gap", false,
     "DCP/MDD sequence number missing; rate per number; target: message kind (dcp, gts ...)"},
    {FaultKind::SeqDup, "seq-dup", false,
     "DCP/MDD sequence number received twice; rate per number; target: message kind"},
    {FaultKind::FillIn, "fill-in", true,
     "rapid-scan fill-in day: process.log markers, no save notes; rate per day"},
    {FaultKind::NoSave, "no-save", true,
     "midday product save notes missing from process.log; rate per day"},
}};

const KindRow& RowOf(FaultKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

FaultRates MakeRates(std::initializer_list<std::pair<FaultKind, double>> values,
                     double runContinue) {
    FaultRates rates;
    for (const auto& [kind, value] : values) rates[kind] = value;
    rates.cycleRunContinue = runContinue;
    return rates;
}

std::optional<ChannelNumber> ParseChannel(std::string_view text) {
    if (const auto n = ParseNumber<int>(text)) {
        if (*n >= kFirstChannel && *n <= kLastChannel) return *n;
        return std::nullopt;
    }
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (EqualsIgnoreCase(ChannelShortName(n), text)) return n;
    }
    return std::nullopt;
}

// "3,4,6-8" into rising, distinct segment numbers 1..32.
bool ParseSegments(std::string_view text, std::vector<int>& out) {
    std::uint32_t mask = 0;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const std::size_t dash = part.find('-');
        const auto from = ParseNumber<int>(part.substr(0, dash));
        const auto to = dash == std::string_view::npos ? from : ParseNumber<int>(part.substr(dash + 1));
        if (!from || !to || *from < 1 || *to > 32 || *from > *to) return false;
        for (int k = *from; k <= *to; ++k) mask |= std::uint32_t{1} << (k - 1);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (text.empty()) return false;
    }
    for (int k = 1; k <= 32; ++k) {
        if (mask & (std::uint32_t{1} << (k - 1))) out.push_back(k);
    }
    return !out.empty();
}

std::string TwoDigits(int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string SegmentListText(std::uint32_t mask) {
    std::string text;
    for (int k = 1; k <= 32; ++k) {
        if (!(mask & (std::uint32_t{1} << (k - 1)))) continue;
        if (!text.empty()) text += ',';
        text += std::to_string(k);
    }
    return text;
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
    return RowOf(kind).name;
}
std::string_view FaultKindHelp(FaultKind kind) {
    return RowOf(kind).help;
}
bool IsDayFault(FaultKind kind) {
    return RowOf(kind).dayOnly;
}

std::optional<FaultKind> FaultKindFromName(std::string_view name) {
    for (const KindRow& row : kKinds) {
        if (EqualsIgnoreCase(row.name, name)) return row.kind;
    }
    return std::nullopt;
}

const std::vector<Scenario>& Scenarios() {
    using K = FaultKind;
    static const std::vector<Scenario> scenarios = {
        {"clean", "nothing goes wrong: every report list that can say (none) says it",
         FaultRates{}},
        {"typical",
         "an ordinary station: a few incomplete channels, now and then a lost cycle, product or "
         "late segment, short foreign-satellite outages, a few DCP/MDD gaps",
         MakeRates({{K::Cycle, 0.004},
                    {K::Segments, 0.03},
                    {K::Channel, 0.003},
                    {K::Product, 0.008},
                    {K::Fsd, 0.15},
                    {K::FsdDay, 0.02},
                    {K::Late, 0.015},
                    {K::SeqGap, 0.003},
                    {K::SeqDup, 0.0005},
                    {K::FillIn, 0.01},
                    {K::NoSave, 0.0}},
                   0.5)},
        {"bad-day",
         "a station in trouble: runs of lost cycles, many incomplete channels and lost products, "
         "long foreign-satellite outages and whole days without some of them, many gaps",
         MakeRates({{K::Cycle, 0.04},
                    {K::Segments, 0.2},
                    {K::Channel, 0.05},
                    {K::Product, 0.1},
                    {K::Fsd, 1.5},
                    {K::FsdDay, 0.5},
                    {K::Late, 0.1},
                    {K::SeqGap, 0.03},
                    {K::SeqDup, 0.005},
                    {K::FillIn, 0.2},
                    {K::NoSave, 0.2}},
                   0.7)},
    };
    return scenarios;
}

std::optional<Scenario> FindScenario(std::string_view name) {
    for (const Scenario& s : Scenarios()) {
        if (EqualsIgnoreCase(s.name, name)) return s;
    }
    return std::nullopt;
}

std::string_view SequenceKindName(SequenceKind kind) {
    return SequenceSuffix(kind).substr(1);
}

std::optional<SequenceKind> SequenceKindFromName(std::string_view name) {
    if (!name.empty() && name.front() == '-') name.remove_prefix(1);
    for (SequenceKind k = 0; k < kSequenceKindCount; ++k) {
        if (EqualsIgnoreCase(SequenceKindName(k), name)) return k;
    }
    return std::nullopt;
}

std::optional<Injection> ParseInjection(std::string_view text, std::string& error) {
    const std::string given(text);
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos) {
        error = "'" + given + "': expected KIND@YYYY-MM-DDThh:nn[:TARGET]";
        return std::nullopt;
    }
    const auto kind = FaultKindFromName(text.substr(0, at));
    if (!kind) {
        error = "'" + given + "': unknown fault kind '" + std::string(text.substr(0, at)) + "'";
        return std::nullopt;
    }
    Injection inj;
    inj.kind = *kind;
    std::string_view rest = text.substr(at + 1);

    // The time is a date, or a date and "Thh:nn"; a target follows after a further ':'.
    std::string_view when = rest.substr(0, std::min<std::size_t>(rest.size(), 10));
    rest.remove_prefix(when.size());
    std::string_view clock;
    if (!rest.empty() && rest.front() == 'T') {
        clock = rest.substr(0, std::min<std::size_t>(rest.size(), 6));
        rest.remove_prefix(clock.size());
    }
    std::string_view target;
    if (!rest.empty()) {
        if (rest.front() != ':' || rest.size() == 1) {
            error = "'" + given + "': expected ':TARGET' after the time";
            return std::nullopt;
        }
        target = rest.substr(1);
    }
    const auto day = ParseIsoDate(when);
    if (!day) {
        error = "'" + given + "': '" + std::string(when) + "' is not a date YYYY-MM-DD";
        return std::nullopt;
    }
    inj.day = *day;
    if (!clock.empty()) {
        const auto t = ParseIsoMinute(std::string(when) + std::string(clock));
        if (!t) {
            error = "'" + given + "': '" + std::string(clock.substr(1)) + "' is not a time hh:nn";
            return std::nullopt;
        }
        inj.minute = static_cast<int>((*t - std::chrono::sys_time<minutes>(*day)).count());
    } else if (!IsDayFault(inj.kind)) {
        error = "'" + given + "': " + std::string(FaultKindName(inj.kind)) +
                " needs a time, YYYY-MM-DDThh:nn";
        return std::nullopt;
    }

    auto bad_target = [&](std::string_view why) {
        error = "'" + given + "': " + std::string(why);
        return std::nullopt;
    };
    if (target.empty()) return inj;

    switch (inj.kind) {
        case FaultKind::Cycle: {
            const auto n = ParseNumber<int>(target);
            if (!n || *n < 1 || *n > 288)
                return bad_target("the target of cycle is a count 1..288");
            inj.count = *n;
            break;
        }
        case FaultKind::Segments:
        case FaultKind::Late:
        case FaultKind::Channel:
        case FaultKind::Product: {
            const std::size_t slash = target.find('/');
            const auto channel = ParseChannel(target.substr(0, slash));
            if (!channel)
                return bad_target("unknown channel '" + std::string(target.substr(0, slash)) + "'");
            inj.channel = *channel;
            if (slash != std::string_view::npos) {
                if (inj.kind != FaultKind::Segments && inj.kind != FaultKind::Late) {
                    return bad_target("only segments and late take a segment list");
                }
                if (!ParseSegments(target.substr(slash + 1), inj.segments)) {
                    return bad_target("bad segment list '" + std::string(target.substr(slash + 1)) +
                                      "' (numbers 1..32, commas and ranges such as 3-5)");
                }
            }
            break;
        }
        case FaultKind::Fsd:
        case FaultKind::FsdDay: {
            const std::size_t slash = target.find('/');
            const auto group = FsdGroupFromName(target.substr(0, slash));
            if (!group) {
                return bad_target("unknown satellite group '" +
                                  std::string(target.substr(0, slash)) +
                                  "' (goes-w, goes-e, mtsat, fy2g, fy2e, himawari)");
            }
            inj.group = *group;
            if (slash != std::string_view::npos) {
                const auto hours = ParseNumber<int>(target.substr(slash + 1));
                if (inj.kind != FaultKind::Fsd || !hours || *hours < 1 || *hours > 24) {
                    return bad_target("an outage lasts 1..24 hours (fsd@T:GROUP/HOURS)");
                }
                inj.count = *hours;
            }
            break;
        }
        case FaultKind::SeqGap:
        case FaultKind::SeqDup: {
            const auto k = SequenceKindFromName(target);
            if (!k) return bad_target("unknown message kind '" + std::string(target) + "'");
            inj.sequenceKind = *k;
            break;
        }
        case FaultKind::FillIn:
        case FaultKind::NoSave:
            return bad_target("this fault takes no target");
    }
    return inj;
}

std::string DescribeFault(const AppliedFault& fault) {
    std::string text(FaultKindName(fault.kind));
    text += '@';
    text += IsoDate(fault.day);
    if (!IsDayFault(fault.kind)) {
        text += 'T' + TwoDigits(fault.minute / 60) + ':' + TwoDigits(fault.minute % 60);
    }
    switch (fault.kind) {
        case FaultKind::Cycle:
            text += ':' + std::to_string(fault.count);
            break;
        case FaultKind::Segments:
        case FaultKind::Late:
            text += ':' + std::to_string(fault.channel) + '/' + SegmentListText(fault.segments);
            break;
        case FaultKind::Channel:
        case FaultKind::Product:
            text += ':' + std::to_string(fault.channel);
            break;
        case FaultKind::Fsd:
            if (fault.group) {
                text += ':' + std::string(FsdGroupName(*fault.group)) + '/' +
                        std::to_string(fault.count);
            }
            break;
        case FaultKind::FsdDay:
            if (fault.group) text += ':' + std::string(FsdGroupName(*fault.group));
            break;
        case FaultKind::SeqGap:
        case FaultKind::SeqDup:
            if (fault.sequenceKind)
                text += ':' + std::string(SequenceKindName(*fault.sequenceKind));
            break;
        case FaultKind::FillIn:
        case FaultKind::NoSave:
            break;
    }
    return text;
}

}  // namespace gapscope::sim
