// Whether a configuration can be simulated, and each injection can happen as asked.
#include <algorithm>

#include "tools/simulator/fault_targets.h"
#include "tools/simulator/messages.h"
#include "tools/simulator/simulator.h"

namespace gapscope::sim {

namespace {

using std::chrono::minutes;

std::string TwoDigits(int v) {
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

std::string SlotText(Day day, int minute) {
    return IsoDate(day) + " " + TwoDigits(minute / 60) + ":" + TwoDigits(minute % 60);
}

// Whether `inj` can take effect in the configured history; an error text if not.
std::optional<std::string> CheckInjection(const SimulationConfig& config, const Injection& inj) {
    const std::string at = IsDayFault(inj.kind) ? IsoDate(inj.day) : SlotText(inj.day, inj.minute);
    const std::string where = std::string(FaultKindName(inj.kind)) + " at " + at + ": ";

    if (inj.day < config.first || inj.day > config.last) {
        return where + "outside the simulated days " + IsoDate(config.first) + " to " +
               IsoDate(config.last);
    }
    const DayPlan plan(inj.day, config.service, config.feeds);
    const int step = plan.CycleStep();
    if (config.until && Instant(inj.day) + minutes(inj.minute + (IsDayFault(inj.kind) ? 0 : step)) >
                            *config.until) {
        return where + "after the end of the history";
    }
    SlotContent slot;
    plan.NominalSlot(inj.minute, slot);
    const std::string service(ServiceName(config.service, ServiceText::Message));

    auto needItem = [&](auto pred, std::string_view what) -> std::optional<std::string> {
        if (inj.channel) {
            const SlotItem* item = slot.Find(*inj.channel);
            if (item == nullptr || !pred(*item)) {
                return where + "channel " + std::to_string(*inj.channel) + " is not" +
                       std::string(what) + " disseminated then in the " + service + " service";
            }
            return std::nullopt;
        }
        if (std::none_of(slot.items.begin(), slot.items.end(), pred)) {
            return where + "nothing of the kind is disseminated then in the " + service +
                   " service";
        }
        return std::nullopt;
    };

    switch (inj.kind) {
        case FaultKind::Cycle:
            if (!plan.IsCycle(inj.minute)) {
                return where + "not the start of a repeat cycle (every " + std::to_string(step) +
                       " minutes)";
            }
            if (inj.minute + (inj.count - 1) * step >= kMinutesPerDay) {
                return where + "the run of " + std::to_string(inj.count) +
                       " cycles passes midnight";
            }
            return std::nullopt;
        case FaultKind::Segments:
        case FaultKind::Late: {
            const bool late = inj.kind == FaultKind::Late;
            if (late && inj.channel && *inj.channel > 26) {
                return where + "late segments are kept for channels 1..26 only";
            }
            auto any = [](const SlotItem&) { return true; };
            if (auto error =
                    inj.channel ? needItem(any, "") : needItem(late ? CanBeLate : IsMsgItem, "")) {
                return error;
            }
            if (inj.channel && !inj.segments.empty()) {
                const SlotItem& item = *slot.Find(*inj.channel);
                const std::uint32_t asked = MaskOf(inj.segments);
                if ((asked & ~item.mask) != 0) {
                    return where + "channel " + std::to_string(item.channel) +
                           " sends only segments " + std::to_string(item.firstSegment) + ".." +
                           std::to_string(item.segmentCount) + " then";
                }
                if (!late && asked == item.mask) {
                    return where + "every segment named; use channel@ for a channel not received";
                }
            }
            return std::nullopt;
        }
        case FaultKind::Channel: {
            auto any = [](const SlotItem&) { return true; };
            return inj.channel ? needItem(any, "") : needItem(IsMsgItem, "");
        }
        case FaultKind::Product:
            return needItem(IsProductItem, " an MPEF product");
        case FaultKind::Fsd:
        case FaultKind::FsdDay: {
            const std::vector<FsdGroup> groups = GroupsSent(plan);
            if (groups.empty())
                return where + "no foreign-satellite data in the " + service + " service that day";
            if (inj.group && std::find(groups.begin(), groups.end(), *inj.group) == groups.end()) {
                return where + std::string(FsdGroupName(*inj.group)) +
                       " is not disseminated that day";
            }
            return std::nullopt;
        }
        case FaultKind::SeqGap:
        case FaultKind::SeqDup:
            if (!config.feeds.messages || !FindMessageFeed(config.service, inj.sequenceKind)) {
                return where + "the station receives no such message files in the " + service +
                       " service";
            }
            return std::nullopt;
        case FaultKind::FillIn:
        case FaultKind::NoSave:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> CheckConfig(const SimulationConfig& config) {
    std::vector<std::string> errors;
    if (config.last < config.first) {
        errors.push_back("the last day " + IsoDate(config.last) + " is before the first " +
                         IsoDate(config.first));
        return errors;
    }
    if ((config.last - config.first).count() + 1 > kMaxDays) {
        errors.push_back("more than " + std::to_string(kMaxDays) + " days asked for");
        return errors;
    }
    if (config.until && *config.until <= Instant(config.first)) {
        errors.push_back("the history would end before its first day begins");
        return errors;
    }
    for (const Injection& inj : config.injections) {
        if (auto error = CheckInjection(config, inj)) errors.push_back(*error);
    }
    return errors;
}

}  // namespace gapscope::sim
