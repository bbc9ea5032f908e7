#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "history/log_text.h"

namespace gapscope {

// A search for up to 32 needles at once in a text that may still be arriving. Only needles
// that are not empty and hold no line break are searched; bit k of Found() is set once
// needles[k] was seen. The needles are views: they must outlive the search.
class NeedleSearch {
  public:
    static constexpr std::size_t kMaxNeedles = 32;

    // A search of the text from `start` on (places just before it may be searched too).
    explicit NeedleSearch(std::span<const std::string_view> needles, std::size_t start = 0);

    // `text` is all of the text so far, from its first byte. Places are examined only where
    // every byte a test reads is already there, unless `whole` says no more will come.
    void Advance(std::string_view text, bool whole);
    // Every place before the end of `text`, which is a line start or the end of the whole
    // text: no needle runs across it. More text may follow.
    void SearchUpTo(std::string_view text);
    // Goes on as `later`, the search of the text from where this one has searched up to,
    // keeping what both have found.
    void Absorb(const NeedleSearch& later);

    std::uint32_t Found() const { return found_; }
    bool Pending() const { return pending_ != 0; }

  private:
    void CollectTests();
    // Compares the pending needles at the candidate places from `base`; true when one was
    // found (and the tests have changed).
    bool Check(std::string_view text, std::size_t base, std::uint64_t candidates);

    std::array<std::string_view, kMaxNeedles> needles_{};
    std::array<NeedleTest, kMaxNeedles> tests_{};
    std::size_t testCount_ = 0;
    std::uint32_t found_ = 0;
    std::uint32_t pending_ = 0;
    std::size_t nextBlock_ = 0;  // the first block of the text not yet searched
};

// Whether a needle can be searched by NeedleSearch.
bool IsPlainNeedle(std::string_view needle);

}  // namespace gapscope
