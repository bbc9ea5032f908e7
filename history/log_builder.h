#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "history/date_collector.h"
#include "history/history_log.h"
#include "history/log_text.h"
#include "history/needle_search.h"

namespace gapscope {

// Builds a log's line table, key index and what else it is prepared for (its dates and
// needles) in one pass that can follow the text as it is read: what has arrived is worked
// through in parts of a few kilobytes while they are still in the nearest caches.
class HistoryLog::Builder {
  public:
    // `expectedSize` is what the whole text is expected to hold; it sizes the tables.
    Builder(HistoryLog& log, std::size_t expectedSize, const LogPreparation& prepare);
    // A builder of the text from `start` on, a line start, about `expectedSize` bytes, so
    // that another thread can build the end of a log meanwhile. Its lines go into `scratch`
    // until the builder of the text before it absorbs them (Absorb).
    Builder(HistoryLog& scratch, std::size_t start, std::size_t expectedSize,
            const LogPreparation& prepare);

    // The first `available` bytes of the text at `text` are final. The text may have moved
    // since the last call (a buffer grown), but the bytes already given are the same.
    void Advance(const char* text, std::size_t available);
    // Works through every byte before `end`, a line start, the last part too.
    void CatchUp(const char* text, std::size_t end);
    class Tail;
    // Goes on as the builder of `tail`, the text from where this one has stopped: its lines,
    // keys and dates follow these, and its place in the text becomes this one's. A tail that
    // could not be built is left for this builder to go on over.
    void Absorb(Tail& tail);
    // Bytes of the text worked through.
    std::size_t Done() const { return done_; }
    // The whole text is the `size` bytes at `text`; the lines, the index and the dates are
    // complete afterwards.
    void Finish(const char* text, std::size_t size);

  private:
    // Blocks classified at a time: 4 KB of text, still in the nearest cache when it is read.
    static constexpr std::size_t kBlocksPerPart = 64;
    static constexpr std::size_t kPartBytes = kBlocksPerPart * kBlockBytes;

    // Classifies `count` blocks from `partBase` (read from `blocks`) and works through them.
    void Part(const char* blocks, std::size_t partBase, std::size_t count);
    void AddLine(std::size_t end);
    // The first "=" of the current line from `from` on, before `to`, within the part.
    std::size_t FirstEquals(std::size_t partBase, std::size_t from, std::size_t to) const;

    HistoryLog& log_;
    const std::size_t start_;  // of the text this builder was given
    const std::size_t expected_;
    const BlockScanner& scanner_;
    std::string_view text_;  // the part of the text that has arrived
    std::size_t done_ = 0;   // bytes worked through: whole parts until the end
    const bool collectDates_;
    DateCollector dates_;
    const std::span<const std::string_view> needleList_;
    NeedleSearch needles_;

    std::size_t lineStart_ = 0;
    std::size_t keyEnd_;  // the current line's first "=" once seen
    // The keyed lines in file order; they go into the table once all are known, as its
    // size is then known and it can be filled part by part.
    std::vector<Slot> keyed_;

    std::array<BlockClasses, kBlocksPerPart> classes_{};
    std::array<std::uint16_t, kPartBytes + 2> breaks_{};
};

// The end of a text, built apart from a line start on (by another thread) while the builder
// of the text before it goes on; that builder then absorbs it.
class HistoryLog::Builder::Tail {
  public:
    // Builds the text at `text` from `start`, a line start, up to `end`; the last part of
    // less than a few kilobytes is left to the builder that absorbs it. Never throws: what
    // could not be built (out of memory) is left to that builder too.
    void Build(const char* text, std::size_t start, std::size_t end,
               const LogPreparation& prepare) noexcept;

  private:
    friend class Builder;
    HistoryLog lines_;
    std::optional<Builder> builder_;
    bool built_ = false;
};

}  // namespace gapscope
