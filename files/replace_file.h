#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "startup/startup_state.h"

namespace gapscope {

// One attempt at putting a finished file in the place of another in one step.
struct ReplaceResult {
    enum Outcome { kDone, kBusy, kFailed };
    Outcome outcome = kDone;
    std::string reason;  // why, when not done
};

// Moves `replacement` over `target` (which need not exist) and flushes the move to disk.
// On failure `target` is as it was. kBusy: another program holds `target` open in a way
// that forbids replacing it now; a later attempt may succeed (this happens on Windows only).
ReplaceResult ReplaceFileWith(const std::filesystem::path& target,
                              const std::filesystem::path& replacement);

// Creates `temporary` (which must not exist), writes `bytes` into it and flushes them to
// disk; it takes the permissions of `modelFile` when that exists. Why not, or nothing; a
// failure removes what it created.
std::optional<std::string> WriteFlushedFile(const std::filesystem::path& temporary,
                                            std::string_view bytes,
                                            const std::filesystem::path& modelFile);

// Whether the file may not be written: no write permission at all, or none for this user.
bool IsWriteProtected(const std::filesystem::path& file);

// Writes `bytes` durably in the place of `path`: into a hidden temporary file beside it
// (".NAME.XXXXXX.partial"), flushed to disk, renamed over `path`, the folder flushed, trying
// again while another program holds the old file as `retry` says. A symlink is followed and
// its target replaced. Only a regular file is replaced: a folder, device, FIFO or socket in
// its place, or a read-only file, is refused. A failure never leaves a half-written file
// nor harms the old one. Removes the stale temporary files of earlier runs in that folder.
// Returns why it failed in one line, naming the file or folder, never the temporary file.
std::optional<std::string> WriteFileInPlaceOf(const std::filesystem::path& path,
                                              std::string_view bytes,
                                              const RetryPolicy& retry = {});

// Whether `name` is that of a temporary file WriteFileInPlaceOf makes.
bool IsTemporaryFileName(std::string_view name);

// Removes the temporary files of WriteFileInPlaceOf in `folder` last written more than 15
// minutes before `now`, left by runs that were killed; younger ones may belong to a run in
// progress. Regular files only; failures are ignored.
void RemoveStaleTemporaryFiles(const std::filesystem::path& folder,
                               std::filesystem::file_time_type now);

}  // namespace gapscope
