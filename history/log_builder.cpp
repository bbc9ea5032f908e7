#include "history/log_builder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "history/key_hash.h"

namespace gapscope {

namespace {

constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
// After this many lines the size of the whole log is estimated.
constexpr std::size_t kLinesToEstimate = 2048;

}  // namespace

HistoryLog::Builder::Builder(HistoryLog& log, std::size_t expectedSize,
                             const LogPreparation& prepare)
    : Builder(log, 0, expectedSize, prepare) {}

HistoryLog::Builder::Builder(HistoryLog& scratch, std::size_t start, std::size_t expectedSize,
                             const LogPreparation& prepare)
    : log_(scratch),
      start_(start),
      expected_(expectedSize),
      scanner_(BestBlockScanner()),
      done_(start),
      collectDates_(prepare.dates),
      needleList_(prepare.needles),
      needles_(prepare.needles, start),
      lineStart_(start),
      keyEnd_(kNoKey) {
    log_.lineEnds_.clear();
    log_.slots_.clear();
}

void HistoryLog::Builder::Advance(const char* text, std::size_t available) {
    text_ = std::string_view(text, available);
    for (; done_ + kPartBytes <= available; done_ += kPartBytes) {
        Part(text + done_, done_, kBlocksPerPart);
        if (needles_.Pending()) needles_.Advance(text_.substr(0, done_ + kPartBytes), false);
    }
}

void HistoryLog::Builder::CatchUp(const char* text, std::size_t end) {
    Advance(text, end);
    if (const std::size_t blocks = (end - done_) / kBlockBytes; blocks != 0) {
        Part(text + done_, done_, blocks);
        done_ += blocks * kBlockBytes;
    }
    // The last part block, padded with NULs (no line end, no "=", no digit).
    if (const std::size_t rest = end - done_; rest != 0) {
        std::array<char, kBlockBytes> tail{};
        std::memcpy(tail.data(), text + done_, rest);
        Part(tail.data(), done_, 1);
        done_ = end;
    }
    needles_.SearchUpTo(text_.substr(0, end));
}

void HistoryLog::Builder::Tail::Build(const char* text, std::size_t start, std::size_t end,
                                      const LogPreparation& prepare) noexcept {
    try {
        builder_.emplace(lines_, start, end - start, prepare);
        builder_->Advance(text, end);
        built_ = true;
    } catch (const std::exception&) {
        // Out of memory on this thread: not built, so the absorbing builder goes over it.
    }
}

void HistoryLog::Builder::Absorb(Tail& tail) {
    // Anything else leaves the tail's text for this builder to go on over.
    if (!tail.built_ || tail.builder_->start_ != done_) return;
    Builder& later = *tail.builder_;
    std::vector<std::uint64_t>& lineEnds = log_.lineEnds_;
    const std::vector<std::uint64_t>& more = later.log_.lineEnds_;
    const std::size_t before = lineEnds.size();
    lineEnds.insert(lineEnds.end(), more.begin(), more.end());
    keyed_.reserve(keyed_.size() + later.keyed_.size());
    for (const Slot& slot : later.keyed_) {
        // Numbered from the later builder's first line; past 32 bits a line has no key.
        const std::uint64_t line = slot.line + std::uint64_t{before};
        if (line >= std::numeric_limits<std::uint32_t>::max()) break;
        keyed_.push_back(Slot{static_cast<std::uint32_t>(line), slot.hash});
    }
    dates_.Absorb(std::move(later.dates_));
    needles_.Absorb(later.needles_);
    done_ = later.done_;
    lineStart_ = later.lineStart_;
    keyEnd_ = later.keyEnd_;
}

void HistoryLog::Builder::Finish(const char* text, std::size_t size) {
    CatchUp(text, size);
    dates_.Finish();
    if (collectDates_) log_.dates_ = dates_.Sorted();
    log_.datesPrepared_ = collectDates_;
    log_.TakeNeedles(needles_, needleList_);
    // A final line without a line end.
    if (lineStart_ < size) AddLine(size);
    log_.IndexKeys(keyed_);
    keyed_ = {};
}

void HistoryLog::Builder::AddLine(std::size_t end) {
    std::vector<std::uint64_t>& lineEnds = log_.lineEnds_;
    lineEnds.push_back(end);
    if (lineEnds.size() == kLinesToEstimate) {
        log_.ReserveLike(end - start_, expected_);
        keyed_.reserve(lineEnds.capacity());
    }
    // Slots hold line numbers in 32 bits; a log of more lines has no key beyond them.
    if (keyEnd_ == kNoKey || lineEnds.size() >= std::numeric_limits<std::uint32_t>::max()) {
        return;
    }
    keyed_.push_back(Slot{static_cast<std::uint32_t>(lineEnds.size()),
                          HashKey(text_.substr(lineStart_, keyEnd_ - lineStart_))});
}

std::size_t HistoryLog::Builder::FirstEquals(std::size_t partBase, std::size_t from,
                                             std::size_t to) const {
    while (from < to) {
        const std::size_t b = (from - partBase) / kBlockBytes;
        const std::uint64_t bits = classes_[b].equals >> ((from - partBase) % kBlockBytes);
        if (bits != 0) {
            const std::size_t at = from + static_cast<std::size_t>(std::countr_zero(bits));
            return at < to ? at : kNoKey;
        }
        from = partBase + (b + 1) * kBlockBytes;
    }
    return kNoKey;
}

// The line breaks of the blocks are first listed without a branch on what a block holds,
// as that is all but unforeseeable; the list is then worked through.
void HistoryLog::Builder::Part(const char* blocks, std::size_t partBase, std::size_t count) {
    scanner_.classify(blocks, count, classes_.data());
    if (collectDates_) dates_.AddBlocks(text_.data(), partBase, classes_.data(), count);
    std::size_t breakCount = 0;
    for (std::size_t b = 0; b < count; ++b) {
        const auto offset = static_cast<std::uint16_t>(b * kBlockBytes);
        std::uint64_t bits = classes_[b].breaks;
        for (int unrolled = 0; unrolled < 2; ++unrolled) {
            // Written whether or not there is a break; only a break is counted. The top bit
            // keeps the count of zeros defined, and free of a branch, for no break.
            breaks_[breakCount] =
                static_cast<std::uint16_t>(offset + std::countr_zero(bits | kTopBit));
            breakCount += bits != 0;
            bits &= bits - 1;
        }
        for (; bits != 0; bits &= bits - 1) {
            breaks_[breakCount++] = static_cast<std::uint16_t>(offset + std::countr_zero(bits));
        }
    }

    const char* const p = text_.data();
    for (std::size_t i = 0; i < breakCount; ++i) {
        const std::size_t end = partBase + breaks_[i];
        // The LF of a CR LF pair: the line ended at the CR.
        if (p[end] == '\n' && end > 0 && p[end - 1] == '\r') {
            lineStart_ = end + 1;
            continue;
        }
        if (keyEnd_ == kNoKey) keyEnd_ = FirstEquals(partBase, std::max(lineStart_, partBase), end);
        AddLine(end);
        lineStart_ = end + 1;
        keyEnd_ = kNoKey;
    }
    // The line still open at the end of the part.
    const std::size_t partEnd = partBase + count * kBlockBytes;
    if (keyEnd_ == kNoKey && lineStart_ < partEnd) {
        keyEnd_ = FirstEquals(partBase, std::max(lineStart_, partBase), partEnd);
    }
}

}  // namespace gapscope
