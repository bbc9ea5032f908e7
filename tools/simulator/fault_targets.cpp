#include "tools/simulator/fault_targets.h"

namespace gapscope::sim {

bool IsMsgItem(const SlotItem& item) {
    return item.source == ItemSource::Hrit || item.source == ItemSource::Lrit;
}
bool IsProductItem(const SlotItem& item) {
    return item.source == ItemSource::Mpef;
}
// The late-segment history is read for channels 1..26 only.
bool CanBeLate(const SlotItem& item) {
    return item.channel <= 26;
}

std::uint32_t PickSegments(std::uint32_t mask, Prng& rng, bool allowAll) {
    std::vector<int> sent;
    for (int k = 0; k < 32; ++k) {
        if (mask & (std::uint32_t{1} << k)) sent.push_back(k);
    }
    const int s = static_cast<int>(sent.size());
    const int most = std::min(3, allowAll ? s : s - 1);
    if (most < 1) return 0;
    const int k =
        1 + (rng.Chance(0.3) ? static_cast<int>(rng.Below(static_cast<std::uint32_t>(most))) : 0);
    const int start = static_cast<int>(rng.Below(static_cast<std::uint32_t>(s - k + 1)));
    std::uint32_t picked = 0;
    for (int i = start; i < start + k; ++i)
        picked |= std::uint32_t{1} << sent[static_cast<std::size_t>(i)];
    return picked;
}

std::uint32_t MaskOf(const std::vector<int>& segments) {
    std::uint32_t mask = 0;
    for (int k : segments) mask |= std::uint32_t{1} << (k - 1);
    return mask;
}

std::vector<FsdGroup> GroupsSent(const DayPlan& plan) {
    SlotContent slot;
    ChannelSet seen;
    for (int minute : {0, 30}) {
        plan.NominalSlot(minute, slot);
        for (const SlotItem& item : slot.items) seen.Add(item.channel);
    }
    std::vector<FsdGroup> groups;
    for (int g = 0; g < kFsdGroupCount; ++g) {
        const auto group = static_cast<FsdGroup>(g);
        if (!(seen & FsdGroupChannels(group)).Empty()) groups.push_back(group);
    }
    return groups;
}

}  // namespace gapscope::sim
