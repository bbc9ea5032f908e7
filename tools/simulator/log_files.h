#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope::sim {

// The four logs a station writes into its data directory.
enum class LogFile { Seg = 0, LateSeg = 1, File = 2, Process = 3 };
inline constexpr int kLogFileCount = 4;
std::string_view LogFileName(LogFile file);

// Where generated log text goes; text comes in whole lines, in file order.
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void Append(LogFile file, std::string_view text) = 0;
};

// Keeps the logs in memory.
class MemorySink final : public LogSink {
  public:
    void Append(LogFile file, std::string_view text) override;
    const std::string& Text(LogFile file) const { return texts_[static_cast<std::size_t>(file)]; }

  private:
    std::array<std::string, kLogFileCount> texts_;
};

// Counts bytes only (for measuring generation without the disk).
class CountingSink final : public LogSink {
  public:
    void Append(LogFile file, std::string_view text) override;
    std::size_t Bytes(LogFile file) const { return bytes_[static_cast<std::size_t>(file)]; }

  private:
    std::array<std::size_t, kLogFileCount> bytes_{};
};

// The history logs (by file name) that already exist in `directory`.
std::vector<std::string> ExistingLogs(const std::filesystem::path& directory);

// Writes the four logs of a directory, streaming through a buffer. Everything goes to
// temporary files first and Commit() renames them into place, so a failed or interrupted
// run never leaves half-written logs in place of earlier ones; no other file is touched.
class DirectorySink final : public LogSink {
  public:
    // Refuses a directory that already holds history logs unless `replace`; creates the
    // directory when missing. Returns nullptr with `error` set on failure.
    static std::unique_ptr<DirectorySink> Open(const std::filesystem::path& directory, bool replace,
                                               std::string& error);
    ~DirectorySink() override;
    DirectorySink(const DirectorySink&) = delete;
    DirectorySink& operator=(const DirectorySink&) = delete;

    void Append(LogFile file, std::string_view text) override;
    // Flushes, closes and renames the files into place; returns an error text on failure.
    std::optional<std::string> Commit();

  private:
    explicit DirectorySink(std::filesystem::path directory) : directory_(std::move(directory)) {}
    void Flush(std::size_t i);
    std::filesystem::path FinalPath(std::size_t i) const;
    std::filesystem::path TempPath(std::size_t i) const;

    std::filesystem::path directory_;
    std::array<std::FILE*, kLogFileCount> files_{};
    std::array<std::string, kLogFileCount> buffers_;
    std::optional<std::string> error_;
    bool committed_ = false;
};

}  // namespace gapscope::sim
