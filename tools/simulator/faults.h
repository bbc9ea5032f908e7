#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "history/time_keys.h"
#include "tools/simulator/dissemination.h"

namespace gapscope::sim {

// The faults a simulated station can suffer. Each has a name used by --inject and --rate.
enum class FaultKind {
    Cycle,     // a repeat cycle not received at all (runs of them at a rate)
    Segments,  // an MSG channel received without some of its segments
    Channel,   // one channel or product of a cycle not received
    Product,   // one MPEF product of a cycle not received
    Fsd,       // a foreign-satellite outage of some hours
    FsdDay,    // a foreign satellite absent the whole day
    Late,      // segments that arrived late
    SeqGap,    // a DCP/MDD sequence number never received
    SeqDup,    // a DCP/MDD sequence number received twice
    FillIn,    // a rapid-scan fill-in day (process.log markers, no save notes)
    NoSave,    // the midday product save notes missing from process.log
};
inline constexpr int kFaultKindCount = 11;

std::string_view FaultKindName(FaultKind kind);
std::optional<FaultKind> FaultKindFromName(std::string_view name);
// One line of help: what the fault is, what its rate counts and what its target means.
std::string_view FaultKindHelp(FaultKind kind);
// Whether the fault concerns a whole day (its time is a date only).
bool IsDayFault(FaultKind kind);

// How often each fault happens: per repeat cycle for cycle, segments, channel, product and
// late; per sequence number for seq-gap and seq-dup; expected occurrences per day for fsd,
// fsd-day, fill-in and no-save.
struct FaultRates {
    std::array<double, kFaultKindCount> rate{};
    // Chance that a run of missing cycles goes on by one more cycle.
    double cycleRunContinue = 0.0;

    double& operator[](FaultKind k) { return rate[static_cast<std::size_t>(k)]; }
    double operator[](FaultKind k) const { return rate[static_cast<std::size_t>(k)]; }
};

struct Scenario {
    std::string_view name;
    std::string_view description;
    FaultRates rates;
};
const std::vector<Scenario>& Scenarios();
std::optional<Scenario> FindScenario(std::string_view name);

// A fault asked for at a given time, "KIND@YYYY-MM-DDThh:nn[:TARGET]".
struct Injection {
    FaultKind kind = FaultKind::Cycle;
    Day day{};
    int minute = 0;
    int count = 1;  // cycle: consecutive cycles; fsd: hours
    std::optional<ChannelNumber> channel;
    std::vector<int> segments;  // segments, late: the segments concerned
    std::optional<FsdGroup> group;
    std::optional<SequenceKind> sequenceKind;
};

// The whole of `text` as a number of type T; none for anything else (an empty text too).
template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Parses one injection; on failure returns nullopt and sets `error`.
std::optional<Injection> ParseInjection(std::string_view text, std::string& error);

// A fault as it was written into the logs.
struct AppliedFault {
    FaultKind kind = FaultKind::Cycle;
    Day day{};
    int minute = 0;
    int count = 1;
    ChannelNumber channel = 0;
    std::uint32_t segments = 0;
    std::optional<FsdGroup> group;
    std::optional<SequenceKind> sequenceKind;
    bool injected = false;
};

// The fault in the --inject form, so that a listed fault can be replayed on a clean station.
std::string DescribeFault(const AppliedFault& fault);

// Name of a message kind as targets write it: its suffix without the leading "-".
std::string_view SequenceKindName(SequenceKind kind);
std::optional<SequenceKind> SequenceKindFromName(std::string_view name);

}  // namespace gapscope::sim
