#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "history/date_set.h"
#include "history/log_text.h"

namespace gapscope {

// Finds the runs of at least eight digits in a text, block by classified block, and
// collects the dates among their 8-digit windows (DateSet). The blocks come in text order
// from whoever classified them.
class DateCollector {
  public:
    // `count` (at most 64) classified blocks of the text at `text`, the first at `base`.
    // Runs are read from `text`, which may have moved since the last call (the bytes
    // already given are the same).
    void AddBlocks(const char* text, std::size_t base, const BlockClasses* classes,
                   std::size_t count);
    // No more blocks come: a run reaching the end of the text is taken.
    void Finish();
    // Goes on as `later`, the collector of the text from where this one has stopped (with
    // no run open), keeping the dates of both.
    void Absorb(DateCollector&& later);
    // The dates as yyyymmdd values in rising order; after Finish.
    std::vector<std::uint32_t> Sorted() const { return dates_.Sorted(); }

  private:
    static constexpr std::size_t kMaxBlocks = 64;

    void AddRun(std::size_t start, std::size_t end) { dates_.AddRun(text_ + start, end - start); }

    const char* text_ = nullptr;
    DateSet dates_;
    // Each block continues the previous block's runs.
    std::uint64_t lastDigits_ = 0;
    std::uint64_t lastPairs_ = 0;
    std::uint64_t lastQuads_ = 0;
    std::size_t runStart_ = 0;
    std::size_t openRunEnd_ = 0;  // a run reaching the end of its block: where that is
    bool runOpen_ = false;
    std::array<std::uint8_t, kMaxBlocks + 1> windowBlocks_{};
    std::array<std::uint64_t, kMaxBlocks + 1> windowMasks_{};
};

}  // namespace gapscope
