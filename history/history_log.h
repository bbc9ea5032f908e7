#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "history/log_text.h"
#include "history/time_keys.h"

namespace gapscope {

// One history log held in memory: its text, its lines, an index from the key of each keyed
// line (letter case ignored) to the first line with that key, and, when asked for (the
// segment history), the dates "yyyymmdd" that occur in the text. Lines are indexed as they
// are added, once; a look-up never scans the log.
class HistoryLog {
  public:
    HistoryLog() = default;
    // Whether the dates in the text are collected for ContainsDate, or looked for in the text.
    enum class Dates { Collect, Search };

    // From the bytes of a log file, decoded as log files are (DecodeLogBytes).
    static HistoryLog FromBytes(std::string bytes, Dates dates = Dates::Collect);
    // From text already decoded.
    static HistoryLog FromText(std::string text, Dates dates = Dates::Collect);

    // Adds the lines of decoded text that was read after the last line, which must have
    // ended. A key already present keeps its first line. Running out of memory (bad_alloc)
    // leaves the log as it was.
    void Append(std::string text);

    std::size_t LineCount() const { return lineCount_; }
    std::string_view Line(std::size_t i) const { return i < lineCount_ ? LineAt(i) : ""; }
    bool Empty() const { return lineCount_ == 0; }

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
    // Whole lines of the text as they were added: their bytes, shared and never changed so
    // that copies of a log keep views into them, and where each line starts in them. Starts
    // take 32 bits, so a text of more than 4 GiB is held as several chunks.
    struct Chunk {
        std::shared_ptr<const std::string> owner;
        std::string_view text;
        std::size_t firstLine = 0;
        std::vector<std::uint32_t> starts;
    };
    // One place of the key index: the first line with a key (line index + 1; 0 while the
    // place is free) and the key's hash, so that a probe reads a line only when they agree.
    struct Slot {
        std::uint32_t line = 0;
        std::uint32_t hash = 0;
    };

    void AddText(std::string text);
    std::string_view LineAt(std::size_t i) const;
    // Whether line i's key (the text before its first "=") is `key`, letter case ignored.
    bool LineHasKey(std::size_t i, std::string_view key) const;
    // Makes room in the index for `keys` keys in all.
    void ReserveKeys(std::size_t keys);
    void IndexKey(std::size_t i, std::string_view line);
    void CollectDates(std::string_view line);

    std::vector<Chunk> chunks_;
    std::size_t lineCount_ = 0;
    std::size_t keyCount_ = 0;
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

// Tells one file from another while both exist: device and inode, or on Windows volume
// serial number and file index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// How far a log file has been read: which file, its size and last modification then, the
// end of its last whole line (0 before any), the encoding its start selected, and the bytes
// of that last line (its last kLastLineKept at most), which a file that only grew still has
// there.
struct LogReadMark {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::uint64_t wholeLinesEnd = 0;
    LogEncoding encoding = LogEncoding::EightBit;
    std::int64_t modified = 0;  // in the file system's own units
    std::string lastLine;
    static constexpr std::size_t kLastLineKept = 64;
};

// ReadHistoryLog, and the mark RefreshHistoryLog goes on from: after the whole text when it
// ends with a whole line; empty otherwise (the unfinished line is in the log, so that the
// first refresh reads the file whole).
LogReadResult ReadHistoryLog(const std::filesystem::path& path, HistoryLog::Dates dates,
                             LogReadMark& mark);

struct LogRefresh {
    LogReadStatus status = LogReadStatus::Missing;
    std::string reason;
    bool changed = false;  // lines were added, or the log was read anew
    bool afresh = false;   // what was read of the log before is gone: read anew, or emptied
};
// Brings `log`, read up to `mark` (both empty at first), up to what its file holds now:
// only the whole lines after the mark are read and appended, and a file replaced, cut
// shorter, rewritten where its last line read stood, or changed without a change of size
// (rewritten in place) is read whole. A last line without its line end waits for a later
// refresh. Missing empties log and mark; on any other failure both stay as they were.
LogRefresh RefreshHistoryLog(const std::filesystem::path& path, HistoryLog& log, LogReadMark& mark,
                             HistoryLog::Dates dates = HistoryLog::Dates::Collect);

}  // namespace gapscope
