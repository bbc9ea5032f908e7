#include "measures/day_measures.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "report/repeat_cycle.h"

namespace gapscope {

namespace {

// Minutes from one cycle that can be missing to the next: every cycle of the service, or
// only those at :15 and :45 when the station's MSG data is LRIT from the FTP service.
int CycleStep(const Findings& findings) {
    if (findings.options.met8LritOnly) return 30;
    return RepeatCycleMinutes(findings.service);
}

std::vector<CycleRun> Runs(const std::vector<int>& minutes, int step) {
    std::vector<CycleRun> runs;
    for (int minute : minutes) {
        if (!runs.empty() && minute == runs.back().last + step) {
            runs.back().last = minute;
            ++runs.back().cycles;
        } else {
            runs.push_back(CycleRun{minute, minute, 1});
        }
    }
    return runs;
}

// Segments of the channels and files expected in cycles that are judged and not missing.
// Both lists run by rising minute.
int ExpectedSegments(const Findings& findings) {
    auto missingCycle = findings.missingCycles.begin();
    int segments = 0;
    for (const ExpectedChannel& channel : findings.expected) {
        if (!findings.judged.Judges(channel.minute)) continue;
        while (missingCycle != findings.missingCycles.end() && *missingCycle < channel.minute) {
            ++missingCycle;
        }
        const bool inMissingCycle =
            missingCycle != findings.missingCycles.end() && *missingCycle == channel.minute;
        if (!inMissingCycle && !CountsAsProduct(channel.kind)) segments += channel.SegmentCount();
    }
    return segments;
}

// Segments of the channels and files expected in the judged cycles, missing cycles included.
int DueSegments(const Findings& findings) {
    int segments = 0;
    for (const ExpectedChannel& channel : findings.expected) {
        if (!findings.judged.Judges(channel.minute)) continue;
        if (!CountsAsProduct(channel.kind)) segments += channel.SegmentCount();
    }
    return segments;
}

// The names of the report's channel key, by MSG channel number.
constexpr const char* kKeyNames[12] = {"VIS006", "VIS008", "IR016", "IR039", "WV062", "WV073",
                                       "IR087",  "IR097",  "IR108", "IR120", "IR134", "HRV"};

std::string NameOf(ItemKind kind, ChannelNumber channel, const std::string& label) {
    if (kind == ItemKind::Hrit && channel >= 1 && channel <= 12) return kKeyNames[channel - 1];
    // LRIT channels 13..17 carry MSG channels 1, 3, 4, 5 and 9.
    constexpr int kLritMsg[5] = {1, 3, 4, 5, 9};
    if (kind == ItemKind::Lrit && channel >= 13 && channel <= 17) {
        return std::string("LRIT ") + kKeyNames[kLritMsg[channel - 13] - 1];
    }
    return label;
}

using ChannelKey = std::pair<ItemKind, ChannelNumber>;

// The channel's longest run, walking the due minutes that expect it (rising).
void FindRun(const std::vector<int>& expectedMinutes, const std::map<int, bool>& lost,
             LostChannel& channel) {
    int first = -1, last = 0, length = 0;
    int bridged = 0;  // missing cycles since the run's last own cycle
    const auto close = [&](bool ongoing) {
        if (first >= 0 && length >= channel.runCycles) {  // of equal runs, the latest
            channel.runFirst = first;
            channel.runLast = last;
            channel.runCycles = length;
            channel.runOngoing = ongoing;
        }
        first = -1;
        length = bridged = 0;
    };
    for (int minute : expectedMinutes) {
        const auto at = lost.find(minute);
        if (at == lost.end()) {
            close(false);
        } else if (at->second) {  // nothing of the channel itself
            if (first < 0) first = minute;
            length += bridged + 1;
            bridged = 0;
            last = minute;
        } else if (first >= 0) {  // a missing cycle
            ++bridged;
        }
    }
    close(true);
}

std::vector<LostChannel> LostChannels(const Findings& findings) {
    // Per channel: the minutes at which nothing of it arrived, true where its own loss
    // rather than a missing cycle; only channels with a loss of their own count.
    std::map<ChannelKey, std::map<int, bool>> lost;
    std::map<ChannelKey, std::string> labels;
    for (const FoundItem& item : findings.missing) {
        if (!item.all || CountsAsProduct(item.kind) || item.within == Within::MissingCycle) continue;
        const ChannelKey key{item.kind, item.channel};
        lost[key][item.minute] = true;
        labels.emplace(key, item.label);
    }
    for (const FoundItem& item : findings.missing) {
        if (item.within != Within::MissingCycle) continue;
        const auto channel = lost.find({item.kind, item.channel});
        if (channel != lost.end()) channel->second.emplace(item.minute, false);
    }
    std::map<ChannelKey, std::vector<int>> expectedMinutes;
    for (const ExpectedChannel& e : findings.expected) {
        if (!findings.judged.Judges(e.minute)) continue;
        const ChannelKey key{e.kind, e.channel};
        if (lost.contains(key)) expectedMinutes[key].push_back(e.minute);
    }
    std::vector<LostChannel> channels;
    for (const auto& [key, minutes] : lost) {
        LostChannel channel{key.first, key.second, NameOf(key.first, key.second, labels[key])};
        channel.cycles = static_cast<int>(
            std::count_if(minutes.begin(), minutes.end(), [](const auto& m) { return m.second; }));
        FindRun(expectedMinutes[key], minutes, channel);
        channels.push_back(std::move(channel));
    }
    // The worst first: the longest run, one still going on, the most cycles, the earliest.
    std::stable_sort(channels.begin(), channels.end(), [](const LostChannel& a, const LostChannel& b) {
        if (a.runCycles != b.runCycles) return a.runCycles > b.runCycles;
        if (a.runOngoing != b.runOngoing) return a.runOngoing;
        if (a.cycles != b.cycles) return a.cycles > b.cycles;
        return a.runFirst < b.runFirst;
    });
    return channels;
}

}  // namespace

double DayMeasures::MissingSegmentsPercent() const {
    if (expectedSegments == 0) return 0;
    return std::round(10000.0 * counts.segments / expectedSegments) / 100;
}

DayMeasures MeasureDay(const Findings& findings) {
    DayMeasures measures;
    measures.counts = Summarise(findings);
    measures.cycleRuns = Runs(findings.missingCycles, CycleStep(findings));
    for (const CycleRun& run : measures.cycleRuns) {
        measures.longestCycleRun = std::max(measures.longestCycleRun, run.cycles);
    }
    for (const FoundItem& item : findings.missing) {
        if (item.within != Within::MissingCycle && !CountsAsProduct(item.kind) && item.all) {
            ++measures.wholeChannels;
        }
    }
    measures.expectedSegments = ExpectedSegments(findings);
    measures.dueCycles = findings.dueCycles;
    measures.dueSegments = DueSegments(findings);
    measures.lostChannels = LostChannels(findings);
    if (!measures.lostChannels.empty()) {
        measures.longestChannelRun = measures.lostChannels.front().runCycles;
    }
    return measures;
}

}  // namespace gapscope
