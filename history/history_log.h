#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "history/time_keys.h"

namespace gapscope {

// One history log held in memory: its text, its lines, an index from the key of each keyed
// line (letter case ignored) to the first line with that key, and, when asked for (the
// segment history), the dates "yyyymmdd" that occur in the text. Built once, in one pass; a
// look-up never scans the log.
class HistoryLog {
  public:
    HistoryLog() = default;
    // Whether the dates in the text are collected for ContainsDate, or looked for in the text.
    enum class Dates { Collect, Search };

    // From the bytes of a log file, decoded as log files are (DecodeLogBytes).
    static HistoryLog FromBytes(std::string bytes, Dates dates = Dates::Collect);
    // From text already decoded.
    static HistoryLog FromText(std::string text, Dates dates = Dates::Collect);

    std::size_t LineCount() const { return lines_.size(); }
    std::string_view Line(std::size_t i) const { return i < lines_.size() ? lines_[i] : ""; }
    bool Empty() const { return lines_.empty(); }

    // Value of the first line whose key (the text before its first "=") equals `key`
    // ignoring ASCII letter case; empty when there is none.
    std::string_view ValueOf(std::string_view key) const;

    // Case-sensitive search in the whole text, for a needle without line breaks (the text's
    // own line ends stand where a joining of the lines would put its own).
    bool TextContains(std::string_view needle) const;
    // Whether any of the needles occurs; in one pass over the text when they all begin with
    // the same character, as the keys of one service do.
    bool TextContainsAny(std::initializer_list<std::string_view> needles) const;

    // Whether the day, written "yyyymmdd", occurs anywhere in the text.
    bool ContainsDate(Day day) const;

  private:
    // One place of the key index: the first line with a key (line index + 1; 0 while the
    // place is free) and the key's hash, so that a probe reads a line only when they agree.
    struct Slot {
        std::uint32_t line = 0;
        std::uint32_t hash = 0;
    };

    // Whether line i's key (the text before its first "=") is `key`, letter case ignored.
    bool LineHasKey(std::size_t i, std::string_view key) const;
    void IndexKey(std::size_t i);
    void CollectDates(std::string_view line);

    // Shared and never changed, so that copies of a log can keep views into it.
    std::shared_ptr<const std::string> text_;
    std::vector<std::string_view> lines_;
    // Open addressing with linear probing, a power of two in size, at most two thirds full.
    std::vector<Slot> slots_;
    // Every eight-digit window of every run of digits that reads as a date of the years
    // kept (history_log.cpp), one bit each.
    std::vector<bool> dates_;
};

// Outcome of reading a log file. Busy: another program holds it in a way that may pass
// (locked or shared for writing only); waiting may help, unlike Unreadable.
enum class LogReadStatus { Ok, Missing, Unreadable, Busy };

struct LogFileText {
    LogReadStatus status = LogReadStatus::Missing;
    std::string reason;  // why it could not be read, in words for the operator
    std::string text;    // decoded, when Ok
};
// Reads a log file whole, in one go, and decodes it.
LogFileText ReadLogText(const std::filesystem::path& path);

struct LogReadResult {
    LogReadStatus status = LogReadStatus::Missing;
    std::string reason;
    HistoryLog log;  // empty unless Ok
};
// Reads a history log whole and builds it.
LogReadResult ReadHistoryLog(const std::filesystem::path& path,
                             HistoryLog::Dates dates = HistoryLog::Dates::Collect);

}  // namespace gapscope
