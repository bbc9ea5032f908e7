#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

// One history log held in memory: its decoded text, its lines, and an index from the
// key of each keyed line (letter case folded) to the first line with that key. Built
// once at load; every look-up is a hash probe, never a scan of the log.
class HistoryLog {
public:
    HistoryLog() = default;
    // Builds the log from raw file bytes (decoded as log files are).
    static HistoryLog FromBytes(std::string_view bytes);
    // The same, taking over the buffer so that a plain 8-bit log is never copied.
    static HistoryLog FromOwnedBytes(std::string bytes);

    std::size_t LineCount() const { return lineEnds_.size(); }
    std::string_view Line(std::size_t i) const;
    bool Empty() const { return lineEnds_.empty(); }
    std::size_t TextBytes() const { return text_.size(); }

    // Value of the first line whose key equals `key` ignoring ASCII letter case; empty
    // when there is none (an empty value and a missing line are the same to callers).
    std::string_view ValueOf(std::string_view key) const;

    // Case-sensitive search in the whole text (all lines, each followed by a line break).
    // Used by the start-up tests only; it scans.
    bool TextContains(std::string_view needle) const;

    // Whether `yyyymmdd` occurs anywhere in the whole text. Prepared at load, so the
    // answer costs the same whatever the size of the log.
    bool ContainsDate(std::string_view yyyymmdd) const;

private:
    static HistoryLog FromText(std::string text);
    void BuildLines();
    void BuildIndex();
    void BuildDates();
    std::size_t LineStart(std::size_t i) const;
    // The key of line i: the text before its first "=", or nothing when it has none.
    std::optional<std::string_view> KeyOf(std::size_t i) const;
    // Whether line i's key equals `key` (which holds no "=") ignoring letter case.
    bool KeyEquals(std::size_t i, std::string_view key) const;
    // Adds line i under `key` unless an earlier line holds the key; false when it was held.
    bool Insert(std::vector<std::uint32_t>& slots, std::uint32_t i, std::string_view key) const;

    // Kept lean: a year of segment history is hundreds of MB, so each line costs only its
    // end offset and its share of the hash table.
    std::string text_;
    std::vector<std::uint64_t> lineEnds_;  // offset just past the last character of each line
    std::vector<std::uint32_t> slots_;     // open addressing: line index + 1, 0 = empty
    std::vector<std::uint32_t> dates_;     // sorted yyyymmdd values found in the text
};

// Outcome of reading one log file from disk.
enum class LogReadStatus { Ok, Missing, Unreadable };

struct LogReadResult {
    LogReadStatus status = LogReadStatus::Missing;
    HistoryLog log;
};

// Reads a file's bytes whole, in one go, with the same outcomes as ReadHistoryLog.
LogReadStatus ReadLogFileBytes(const std::filesystem::path& path, std::string& bytes);
// As ReadLogFileBytes, then decoded as log files are (DecodeLogBytes).
LogReadStatus ReadLogFileText(const std::filesystem::path& path, std::string& text);

// Reads a log file whole, in one go. A missing file gives an empty log with status
// Missing; one that exists but cannot be read gives an empty log with Unreadable.
LogReadResult ReadHistoryLog(const std::filesystem::path& path);

}  // namespace gapscope
