#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tools/simulator/dissemination.h"
#include "tools/simulator/prng.h"

namespace gapscope::sim {

// What each fault may strike: the MSG channels, the MPEF products, or (for late segments)
// the channels whose late segments the station keeps.
bool IsMsgItem(const SlotItem& item);
bool IsProductItem(const SlotItem& item);
bool CanBeLate(const SlotItem& item);

// One item of the slot that satisfies `pred`, drawn evenly; nullptr when there is none.
template <typename Pred>
const SlotItem* PickItem(const SlotContent& slot, Prng& rng, Pred pred) {
    const auto count =
        static_cast<std::uint32_t>(std::count_if(slot.items.begin(), slot.items.end(), pred));
    if (count == 0) return nullptr;
    std::uint32_t index = rng.Below(count);
    for (const SlotItem& item : slot.items) {
        if (pred(item) && index-- == 0) return &item;
    }
    return nullptr;
}

// A short run of the segments in `mask`: mostly one, at most three, never all of them
// unless `allowAll`. 0 when nothing can be picked.
std::uint32_t PickSegments(std::uint32_t mask, Prng& rng, bool allowAll);

// The mask of the segment numbers (1..32).
std::uint32_t MaskOf(const std::vector<int>& segments);

// Groups of foreign satellites the plan disseminates on its day.
std::vector<FsdGroup> GroupsSent(const DayPlan& plan);

}  // namespace gapscope::sim
