#include "history/date_collector.h"

#include <bit>
#include <utility>

namespace gapscope {

void DateCollector::Finish() {
    if (runOpen_) AddRun(runStart_, openRunEnd_);
    runOpen_ = false;
}

void DateCollector::Absorb(DateCollector&& later) {
    later.dates_.Add(dates_);
    *this = std::move(later);
}

// The blocks that end 8-digit windows are listed first, without a branch on what a block
// holds (that is all but unforeseeable); the list is then worked through.
void DateCollector::AddBlocks(const char* text, std::size_t base, const BlockClasses* classes,
                              std::size_t count) {
    text_ = text;
    std::size_t windowCount = 0;
    for (std::size_t b = 0; b < count; ++b) {
        const std::uint64_t digit = classes[b].digit;
        // Bit i of `eights`: the bytes i-7..i are all digits, so a window ends at i.
        const std::uint64_t pairs = digit & ((digit << 1) | (lastDigits_ >> 63));
        const std::uint64_t quads = pairs & ((pairs << 2) | (lastPairs_ >> 62));
        const std::uint64_t eights = quads & ((quads << 4) | (lastQuads_ >> 60));
        lastDigits_ = digit;
        lastPairs_ = pairs;
        lastQuads_ = quads;
        windowBlocks_[windowCount] = static_cast<std::uint8_t>(b);
        windowMasks_[windowCount] = eights;
        windowCount += eights != 0;
    }

    // Each group of consecutive window ends is one run of digits: windows end at
    // start + 7 .. end - 1 of the run start..end.
    for (std::size_t w = 0; w < windowCount; ++w) {
        const std::size_t blockBase = base + windowBlocks_[w] * kBlockBytes;
        std::uint64_t windows = windowMasks_[w];
        if (runOpen_ && (blockBase != openRunEnd_ || (windows & 1) == 0)) {
            AddRun(runStart_, openRunEnd_);
            runOpen_ = false;
        }
        while (windows != 0) {
            const int at = std::countr_zero(windows);
            const int ones = std::countr_zero(~(windows >> at));
            if (!runOpen_) runStart_ = blockBase + static_cast<std::size_t>(at) - 7;
            if (at + ones == 64) {
                runOpen_ = true;
                openRunEnd_ = blockBase + kBlockBytes;
                break;
            }
            runOpen_ = false;
            AddRun(runStart_, blockBase + static_cast<std::size_t>(at + ones));
            windows &= ~std::uint64_t{0} << (at + ones);
        }
    }
}

}  // namespace gapscope
