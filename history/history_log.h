#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

struct LogReadResult;

// What a log's build prepares besides its lines and key index, so that the questions a
// caller will ask of the whole text are answered without another pass over it.
struct LogPreparation {
    bool dates = true;  // for ContainsDate
    // For TextContainsEach asked with exactly these needles (at most 32, none empty or
    // holding a line break). Views: they must outlive the build.
    std::span<const std::string_view> needles;
};

// One history log held in memory: its decoded text, its lines, and an index from the
// key of each keyed line (letter case folded) to the first line with that key. Built
// once at load; every look-up is a hash probe, never a scan of the log.
class HistoryLog {
  public:
    HistoryLog() = default;
    // Builds the log from raw file bytes (decoded as log files are).
    static HistoryLog FromBytes(std::string_view bytes, const LogPreparation& prepare = {});
    // The same, taking over the buffer so that a plain 8-bit log is never copied.
    static HistoryLog FromOwnedBytes(std::string bytes, const LogPreparation& prepare = {});
    // The same for the `size` bytes of a buffer that a file was read into.
    static HistoryLog FromFileBuffer(std::unique_ptr<char[]> bytes, std::size_t size,
                                     const LogPreparation& prepare = {});

    std::size_t LineCount() const { return lineEnds_.size(); }
    std::string_view Line(std::size_t i) const;
    bool Empty() const { return lineEnds_.empty(); }
    std::size_t TextBytes() const { return Text().size(); }

    // Value of the first line whose key equals `key` ignoring ASCII letter case; empty
    // when there is none (an empty value and a missing line are the same to callers).
    std::string_view ValueOf(std::string_view key) const;

    // Case-sensitive search in the whole text (all lines, each followed by a line break).
    // Used by the start-up tests only; it scans.
    bool TextContains(std::string_view needle) const;
    // The same for up to 32 needles at once, in one pass over the text for those without
    // line breaks: bit k of the result is set when needles[k] occurs. The needles the log
    // was prepared for are answered from what the build found.
    std::uint32_t TextContainsEach(std::initializer_list<std::string_view> needles) const;
    std::uint32_t TextContainsEach(std::span<const std::string_view> needles) const;

    // Whether `yyyymmdd` occurs anywhere in the whole text. When the log was prepared for
    // dates, the answer costs the same whatever the size of the log; otherwise it scans.
    bool ContainsDate(std::string_view yyyymmdd) const;

  private:
    // The text's bytes: a copy of its own, or the buffer a file was read into. Copies of a
    // log copy the text, so views into it never outlive it.
    class TextStore {
      public:
        TextStore() = default;
        TextStore(std::unique_ptr<char[]> bytes, std::size_t size, std::size_t offset);
        explicit TextStore(std::string text);
        TextStore(const TextStore& other);
        TextStore& operator=(const TextStore& other);
        TextStore(TextStore&& other) noexcept;
        TextStore& operator=(TextStore&& other) noexcept;
        std::string_view View() const;
        // The file buffer itself, for filling it while the text is built.
        char* Buffer() { return bytes_.get(); }
        // Keeps only the first `size` bytes of the text (a file read short).
        void Truncate(std::size_t size) { size_ = std::min(size_, size); }

      private:
        std::unique_ptr<char[]> bytes_;  // a file's bytes, read without being cleared first
        std::string text_;               // used when bytes_ is empty
        std::size_t offset_ = 0;         // of the text in bytes_ (past a byte-order mark)
        std::size_t size_ = 0;
    };

    // One slot of the open-addressing table: line index + 1 (0 = empty) and the key's
    // hash, so that a probe reads the text only when the hashes agree.
    struct Slot {
        std::uint32_t line = 0;
        std::uint32_t hash = 0;
    };

    // Builds the lines, the index and the dates (history/log_builder.h).
    class Builder;
    friend LogReadResult ReadHistoryLog(const std::filesystem::path& path,
                                        const LogPreparation& prepare,
                                        const std::function<void()>& alongside);
    // ReadHistoryLog; `onReader`, if any, is called on the thread reading ahead, when there
    // is one, once it has read the file.
    static LogReadResult Read(const std::filesystem::path& path, const LogPreparation& prepare,
                              const std::function<void()>& onReader);

    static HistoryLog FromStore(TextStore store, const LogPreparation& prepare);
    // Keeps what a needle search beside the build found.
    void TakeNeedles(const class NeedleSearch& search, std::span<const std::string_view> needles);
    std::string_view Text() const { return store_.View(); }
    // Builds the table from the keyed lines (line index + 1 and key hash) in file order.
    void IndexKeys(const std::vector<Slot>& keyed);
    // The key of line i (which holds a "=").
    std::string_view KeyOfLine(std::size_t i) const;
    // Sizes the line table for a whole log of `totalBytes` like its first `bytesSoFar`.
    void ReserveLike(std::size_t bytesSoFar, std::size_t totalBytes);
    std::size_t LineStart(std::size_t i) const;
    // Whether line i's key equals `key` (which holds no "=") ignoring letter case.
    bool KeyEquals(std::size_t i, std::string_view key) const;

    // Kept lean: a year of segment history is hundreds of MB, so each line costs only its
    // end offset and its share of the hash table.
    TextStore store_;
    std::vector<std::uint64_t> lineEnds_;       // offset just past the last character of each line
    std::vector<Slot> slots_;                   // a power of two in size, at most two thirds full
    std::vector<std::uint32_t> dates_;          // sorted yyyymmdd values found in the text
    bool datesPrepared_ = false;                // dates_ holds them all
    std::vector<std::string> preparedNeedles_;  // searched for while the log was built
    std::uint32_t preparedFound_ = 0;           // bit k: preparedNeedles_[k] occurs
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

// Reads a log file whole and builds it. A missing file gives an empty log with status
// Missing; one that exists but cannot be read gives an empty log with Unreadable. A large
// file is built while it is read: a second thread reads ahead, and the lines, keys, dates
// and needles are worked through behind it, part by part; once it has read the file, that
// thread builds the end of it.
// `alongside`, when given, is done once before the function returns: on the thread reading
// ahead, while this one builds, or else on this thread after the log is read. It must not
// throw; when the function throws, it may not have been done.
LogReadResult ReadHistoryLog(const std::filesystem::path& path, const LogPreparation& prepare = {},
                             const std::function<void()>& alongside = {});

}  // namespace gapscope
