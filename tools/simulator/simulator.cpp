#include "tools/simulator/simulator.h"

#include <algorithm>
#include <bit>
#include <climits>

#include "catalogue/catalogue.h"
#include "tools/simulator/fault_targets.h"
#include "tools/simulator/messages.h"
#include "tools/simulator/prng.h"
#include "tools/simulator/process_log.h"

namespace gapscope::sim {

namespace {

using std::chrono::days;
using std::chrono::minutes;

std::string Hhnn(int minute) {
    std::string text(4, '0');
    text[0] = static_cast<char>('0' + minute / 600);
    text[1] = static_cast<char>('0' + minute / 60 % 10);
    text[2] = static_cast<char>('0' + minute % 60 / 10);
    text[3] = static_cast<char>('0' + minute % 10);
    return text;
}

// Independent random streams: one per day and purpose, so a fault rate changed for one kind
// leaves the faults of the other kinds where they were.
Prng Stream(std::uint64_t seed, Day day, int purpose) {
    return Prng(MixSeed(seed, static_cast<std::uint64_t>(day.time_since_epoch().count()),
                        static_cast<std::uint64_t>(purpose)));
}
constexpr int kChoicePurpose = 100;

struct Outage {
    FsdGroup group;
    int from;
    int to;
};

// One day of the station, written minute by minute.
class DayWriter {
  public:
    DayWriter(const SimulationConfig& config, Day day, int receivedBy, LogSink& sink,
              SimulationSummary& summary)
        : config_(config),
          day_(day),
          receivedBy_(receivedBy),
          sink_(sink),
          summary_(summary),
          plan_(day, config.service, config.feeds),
          dayKey_(CompactDate(day)),
          prefix_(ChannelKeyPrefix(config.service)),
          choices_(Stream(config.seed, day, kChoicePurpose)) {
        for (const Injection& inj : config.injections) {
            if (inj.day == day) injections_.push_back(inj);
        }
        std::stable_sort(
            injections_.begin(), injections_.end(),
            [](const Injection& a, const Injection& b) { return a.minute < b.minute; });
    }

    void Run() {
        PlanCycles();
        PlanOutages();
        PlanDayFlags();
        WriteMinutes();
        WriteMessages();
        WriteProcessLog();
    }

  private:
    Prng KindStream(FaultKind kind) const {
        return Stream(config_.seed, day_, static_cast<int>(kind));
    }
    double Rate(FaultKind kind) const { return config_.rates[kind]; }

    void Record(AppliedFault fault) {
        ++summary_.faultCount[static_cast<std::size_t>(fault.kind)];
        if (config_.recordFaults) summary_.faults.push_back(std::move(fault));
    }

    AppliedFault Fault(FaultKind kind, int minute, bool injected) const {
        AppliedFault fault;
        fault.kind = kind;
        fault.day = day_;
        fault.minute = minute;
        fault.injected = injected;
        return fault;
    }

    void MarkCycles(int first, int count, bool injected) {
        const int step = plan_.CycleStep();
        int marked = 0;
        for (int i = 0; i < count && first + i * step < kMinutesPerDay; ++i, ++marked) {
            cycleMissing_[static_cast<std::size_t>(first + i * step)] = true;
        }
        AppliedFault fault = Fault(FaultKind::Cycle, first, injected);
        fault.count = marked;
        Record(fault);
    }

    void PlanCycles() {
        Prng rng = KindStream(FaultKind::Cycle);
        const int step = plan_.CycleStep();
        for (int c = 0; c < kMinutesPerDay;) {
            if (!rng.Chance(Rate(FaultKind::Cycle))) {
                c += step;
                continue;
            }
            int length = 1;
            while (length < 12 && rng.Chance(config_.rates.cycleRunContinue)) ++length;
            MarkCycles(c, length, false);
            c += length * step;
        }
        for (const Injection& inj : injections_) {
            if (inj.kind == FaultKind::Cycle) MarkCycles(inj.minute, inj.count, true);
        }
    }

    void AddOutage(FsdGroup group, int from, int to, FaultKind kind, bool injected) {
        outages_.push_back({group, from, to});
        AppliedFault fault = Fault(kind, from, injected);
        fault.group = group;
        fault.count = (to - from + 59) / 60;
        Record(fault);
    }

    void PlanOutages() {
        const std::vector<FsdGroup> groups = GroupsSent(plan_);
        if (!groups.empty()) {
            auto pick = [&](Prng& rng) {
                return groups[rng.Below(static_cast<std::uint32_t>(groups.size()))];
            };
            Prng rng = KindStream(FaultKind::Fsd);
            for (int i = rng.Occurrences(Rate(FaultKind::Fsd)); i > 0; --i) {
                const FsdGroup group = pick(rng);
                const int hour = static_cast<int>(rng.Below(24));
                const int hours = 1 + static_cast<int>(rng.Below(6));
                AddOutage(group, hour * 60, std::min(24, hour + hours) * 60, FaultKind::Fsd, false);
            }
            Prng dayRng = KindStream(FaultKind::FsdDay);
            for (int i = dayRng.Occurrences(Rate(FaultKind::FsdDay)); i > 0; --i) {
                AddOutage(pick(dayRng), 0, kMinutesPerDay, FaultKind::FsdDay, false);
            }
            for (const Injection& inj : injections_) {
                if (inj.kind != FaultKind::Fsd && inj.kind != FaultKind::FsdDay) continue;
                const FsdGroup group = inj.group ? *inj.group : pick(choices_);
                if (inj.kind == FaultKind::Fsd) {
                    AddOutage(group, inj.minute,
                              std::min(kMinutesPerDay, inj.minute + inj.count * 60), FaultKind::Fsd,
                              true);
                } else {
                    AddOutage(group, 0, kMinutesPerDay, FaultKind::FsdDay, true);
                }
            }
        }
    }

    void PlanDayFlags() {
        // Fill-in days only happen to rapid-scan stations unless asked for.
        if (config_.service == ScanMode::RapidScan) {
            Prng rng = KindStream(FaultKind::FillIn);
            if (rng.Occurrences(Rate(FaultKind::FillIn)) > 0) {
                fillIn_ = true;
                Record(Fault(FaultKind::FillIn, 0, false));
            }
        }
        Prng rng = KindStream(FaultKind::NoSave);
        if (plan_.MpefActive() && !fillIn_ && rng.Occurrences(Rate(FaultKind::NoSave)) > 0) {
            noSave_ = true;
            Record(Fault(FaultKind::NoSave, 0, false));
        }
        for (const Injection& inj : injections_) {
            if (inj.kind == FaultKind::FillIn) {
                fillIn_ = true;
                Record(Fault(FaultKind::FillIn, 0, true));
            } else if (inj.kind == FaultKind::NoSave) {
                noSave_ = true;
                Record(Fault(FaultKind::NoSave, 0, true));
            }
        }
    }

    // Removes segments (or the whole item when none is left) and records the fault.
    void DropSegments(SlotContent& slot, const SlotItem& item, std::uint32_t drop, int minute,
                      bool injected) {
        const ChannelNumber channel = item.channel;
        SlotItem* target = slot.Find(channel);
        target->mask &= ~drop;
        if (target->mask == 0) slot.Remove(channel);
        touched_.Add(channel);
        AppliedFault fault = Fault(FaultKind::Segments, minute, injected);
        fault.channel = channel;
        fault.segments = drop;
        Record(fault);
    }

    void DropItem(SlotContent& slot, FaultKind kind, ChannelNumber channel, int minute,
                  bool injected) {
        slot.Remove(channel);
        touched_.Add(channel);
        AppliedFault fault = Fault(kind, minute, injected);
        fault.channel = channel;
        Record(fault);
    }

    void AddLate(const SlotItem& item, std::uint32_t segments, int minute, bool injected) {
        late_.push_back({item.channel, segments, item.segmentCount});
        touched_.Add(item.channel);
        AppliedFault fault = Fault(FaultKind::Late, minute, injected);
        fault.channel = item.channel;
        fault.segments = segments;
        Record(fault);
    }

    void ApplyInjection(SlotContent& slot, const Injection& inj, int minute) {
        auto chosen = [&](auto pred) -> const SlotItem* {
            if (inj.channel) return slot.Find(*inj.channel);
            return PickItem(slot, choices_, pred);
        };
        switch (inj.kind) {
            case FaultKind::Segments: {
                const SlotItem* item = chosen(IsMsgItem);
                if (item == nullptr) return;
                const std::uint32_t drop = inj.segments.empty()
                                               ? PickSegments(item->mask, choices_, false)
                                               : MaskOf(inj.segments) & item->mask;
                if (drop != 0) DropSegments(slot, *item, drop, minute, true);
                return;
            }
            case FaultKind::Channel:
            case FaultKind::Product: {
                const SlotItem* item =
                    inj.kind == FaultKind::Product ? chosen(IsProductItem) : chosen(IsMsgItem);
                if (item != nullptr) DropItem(slot, inj.kind, item->channel, minute, true);
                return;
            }
            case FaultKind::Late: {
                const SlotItem* item = chosen(CanBeLate);
                if (item == nullptr) return;
                const std::uint32_t segments = inj.segments.empty()
                                                   ? PickSegments(item->mask, choices_, true)
                                                   : MaskOf(inj.segments);
                if (segments != 0) AddLate(*item, segments, minute, true);
                return;
            }
            default:
                return;  // planned for the whole day
        }
    }

    void ApplyRandomFaults(SlotContent& slot, int minute) {
        // Every cycle draws from every stream, so the faults of one kind do not move when
        // another kind's rate or an injection changes.
        const bool segmentsHit = segmentsRng_.Chance(Rate(FaultKind::Segments));
        const bool channelHit = channelRng_.Chance(Rate(FaultKind::Channel));
        const bool productHit = productRng_.Chance(Rate(FaultKind::Product));
        const bool lateHit = lateRng_.Chance(Rate(FaultKind::Late));
        auto untouched = [this](bool (*pred)(const SlotItem&)) {
            return [this, pred](const SlotItem& item) {
                return pred(item) && !touched_.Contains(item.channel);
            };
        };
        if (segmentsHit) {
            if (const SlotItem* item = PickItem(slot, segmentsRng_, untouched(IsMsgItem))) {
                const std::uint32_t drop = PickSegments(item->mask, segmentsRng_, false);
                if (drop != 0) DropSegments(slot, *item, drop, minute, false);
            }
        }
        if (channelHit) {
            if (const SlotItem* item = PickItem(slot, channelRng_, untouched(IsMsgItem))) {
                DropItem(slot, FaultKind::Channel, item->channel, minute, false);
            }
        }
        if (productHit) {
            if (const SlotItem* item = PickItem(slot, productRng_, untouched(IsProductItem))) {
                DropItem(slot, FaultKind::Product, item->channel, minute, false);
            }
        }
        if (lateHit) {
            if (const SlotItem* item = PickItem(slot, lateRng_, untouched(CanBeLate))) {
                const std::uint32_t segments = PickSegments(item->mask, lateRng_, true);
                if (segments != 0) AddLate(*item, segments, minute, false);
            }
        }
    }

    void WriteMinutes() {
        SlotContent slot;
        std::size_t next = 0;
        const int step = plan_.CycleStep();
        for (int minute = 0; minute < kMinutesPerDay; ++minute) {
            // A slot is in the logs once its cycle has been received.
            if (minute + step > receivedBy_) break;
            plan_.NominalSlot(minute, slot);
            const bool cycle = slot.cycle;
            if (cycleMissing_[static_cast<std::size_t>(minute)]) slot.Clear();
            for (const Outage& outage : outages_) {
                if (minute < outage.from || minute >= outage.to) continue;
                const ChannelSet gone = FsdGroupChannels(outage.group);
                std::erase_if(slot.items,
                              [&](const SlotItem& item) { return gone.Contains(item.channel); });
            }
            touched_ = {};
            late_.clear();
            for (; next < injections_.size() && injections_[next].minute <= minute; ++next) {
                if (injections_[next].minute == minute)
                    ApplyInjection(slot, injections_[next], minute);
            }
            if (cycle) ApplyRandomFaults(slot, minute);
            WriteSegLine(slot, minute);
            WriteLateLine(minute);
        }
    }

    void WriteSegLine(const SlotContent& slot, int minute) {
        if (slot.Empty()) return;
        line_.clear();
        line_ += dayKey_;
        line_ += Hhnn(minute);
        line_ += '=';
        bool first = true;
        auto item = [&](std::string_view key, std::string_view value) {
            if (!first) line_ += ',';
            first = false;
            line_ += key;
            line_ += '=';
            line_ += value;
        };
        const std::string prefix(prefix_);
        if (slot.prolog != 0) item(prefix + "P", std::to_string(slot.prolog));
        if (slot.epilog != 0) item(prefix + "E", std::to_string(slot.epilog));
        int files = std::popcount(slot.prolog) + std::popcount(slot.epilog);
        for (const SlotItem& it : slot.items) {
            // Foreign-satellite data keeps its plain keys in every service.
            const bool plain = it.source == ItemSource::Fsd || it.source == ItemSource::Himawari;
            item((plain ? std::string() : prefix) + std::to_string(it.channel),
                 MaskText(it.mask, it.segmentCount));
            files += std::popcount(it.mask);
        }
        line_ += "\r\n";
        sink_.Append(LogFile::Seg, line_);
        ++summary_.lines[static_cast<std::size_t>(LogFile::Seg)];
        filesPerHour_[static_cast<std::size_t>(minute / 60)] += files;
    }

    void WriteLateLine(int minute) {
        if (late_.empty()) return;
        std::sort(late_.begin(), late_.end(),
                  [](const LateItem& a, const LateItem& b) { return a.channel < b.channel; });
        line_.clear();
        line_ += dayKey_;
        line_ += Hhnn(minute);
        line_ += '=';
        for (std::size_t i = 0; i < late_.size(); ++i) {
            if (i > 0) line_ += ',';
            line_ += std::to_string(late_[i].channel);
            line_ += '=';
            line_ += MaskText(late_[i].mask, late_[i].segmentCount);
            lateFilesPerHour_[static_cast<std::size_t>(minute / 60)] +=
                std::popcount(late_[i].mask);
        }
        line_ += "\r\n";
        sink_.Append(LogFile::LateSeg, line_);
        ++summary_.lines[static_cast<std::size_t>(LogFile::LateSeg)];
    }

    void WriteMessages() {
        if (!config_.feeds.messages) return;
        Prng gaps = KindStream(FaultKind::SeqGap);
        Prng dups = KindStream(FaultKind::SeqDup);
        for (const MessageFeed& feed : MessageFeeds(config_.service)) {
            std::string sequence;
            for (int n = 1; n <= feed.perDay; ++n) {
                const int minute = MinuteOfSequenceNumber(n, feed.perDay);
                if (minute >= receivedBy_) break;
                char c = kReceived;
                FaultKind kind = FaultKind::SeqGap;
                bool injected = false;
                if (gaps.Chance(Rate(FaultKind::SeqGap))) {
                    c = kNotReceived;
                } else if (dups.Chance(Rate(FaultKind::SeqDup))) {
                    c = kReceivedTwice;
                    kind = FaultKind::SeqDup;
                }
                for (const Injection& inj : injections_) {
                    if ((inj.kind != FaultKind::SeqGap && inj.kind != FaultKind::SeqDup) ||
                        SequenceNumberAt(inj.minute, feed.perDay) != n) {
                        continue;
                    }
                    const auto target = FindMessageFeed(config_.service, inj.sequenceKind);
                    if (target && target->kind == feed.kind) {
                        c = inj.kind == FaultKind::SeqGap ? kNotReceived : kReceivedTwice;
                        kind = inj.kind;
                        injected = true;
                    }
                }
                if (c != kReceived) {
                    AppliedFault fault = Fault(kind, minute, injected);
                    fault.sequenceKind = feed.kind;
                    Record(fault);
                }
                sequence += c;
            }
            if (sequence.empty()) continue;
            line_ = dayKey_;
            line_ += SequenceSuffix(feed.kind);
            line_ += '=';
            line_ += sequence;
            line_ += "\r\n";
            sink_.Append(LogFile::File, line_);
            ++summary_.lines[static_cast<std::size_t>(LogFile::File)];
        }
    }

    void WriteProcessLog() {
        ProcessDay day;
        day.day = day_;
        day.productsSaved = plan_.MpefActive();
        day.fillIn = fillIn_;
        day.noMiddaySaves = noSave_;
        day.filesPerHour = filesPerHour_;
        day.lateFilesPerHour = lateFilesPerHour_;
        day.endSecond = receivedBy_ >= kMinutesPerDay ? 86400 : receivedBy_ * 60;
        std::string text;
        AppendProcessLog(day, text);
        summary_.lines[static_cast<std::size_t>(LogFile::Process)] +=
            static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        sink_.Append(LogFile::Process, text);
    }

    struct LateItem {
        ChannelNumber channel;
        std::uint32_t mask;
        int segmentCount;
    };

    const SimulationConfig& config_;
    Day day_;
    int receivedBy_;
    LogSink& sink_;
    SimulationSummary& summary_;
    DayPlan plan_;
    std::string dayKey_;
    std::string_view prefix_;
    std::vector<Injection> injections_;
    Prng choices_;
    Prng segmentsRng_ = KindStream(FaultKind::Segments);
    Prng channelRng_ = KindStream(FaultKind::Channel);
    Prng productRng_ = KindStream(FaultKind::Product);
    Prng lateRng_ = KindStream(FaultKind::Late);
    std::array<bool, kMinutesPerDay> cycleMissing_{};
    std::vector<Outage> outages_;
    bool fillIn_ = false;
    bool noSave_ = false;
    ChannelSet touched_;
    std::vector<LateItem> late_;
    std::array<int, 24> filesPerHour_{};
    std::array<int, 24> lateFilesPerHour_{};
    std::string line_;
};

}  // namespace

std::string MaskText(std::uint32_t mask, int segmentCount) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const int digits = std::max(1, (segmentCount + 7) / 8) * 2;
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0 && mask != 0; --i, mask >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[mask & 0xF];
    }
    return text;
}

SimulationSummary Simulate(const SimulationConfig& config, LogSink& sink) {
    SimulationSummary summary;
    for (Day day = config.first; day <= config.last; day += days{1}) {
        int receivedBy = INT_MAX;
        if (config.until) {
            if (*config.until <= Instant(day)) break;
            const auto left = (*config.until - Instant(day)).count();
            if (left < INT_MAX) receivedBy = static_cast<int>(left);
        }
        DayWriter(config, day, receivedBy, sink, summary).Run();
        ++summary.days;
    }
    return summary;
}

DirectoryResult SimulateToDirectory(const SimulationConfig& config,
                                    const std::filesystem::path& directory, bool replace) {
    DirectoryResult result;
    result.errors = CheckConfig(config);
    if (!result.errors.empty()) return result;
    std::string error;
    std::unique_ptr<DirectorySink> sink = DirectorySink::Open(directory, replace, error);
    if (!sink) {
        result.errors.push_back(error);
        return result;
    }
    SimulationSummary summary = Simulate(config, *sink);
    if (auto failed = sink->Commit()) {
        result.errors.push_back(*failed);
        return result;
    }
    result.summary = std::move(summary);
    return result;
}

}  // namespace gapscope::sim
