#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "startup/startup_state.h"

namespace gapscope {

// How a file is written, besides its bytes.
struct WriteRules {
    // While another program holds the old file so that it cannot be replaced (Windows only).
    RetryPolicy retry;
    // When set, a file in the place that is not empty is replaced only if it begins with
    // these bytes: a mistyped name never costs another program's file.
    std::string_view ownStart;
};

// What came of a write: a failure (nothing was replaced), or a file written, perhaps with a
// warning. Each is one line that names the file or its folder, never the temporary file.
struct WriteOutcome {
    std::optional<std::string> failure;
    std::optional<std::string> warning;  // replaced, but it may not survive a power cut
};

// Writes `bytes` durably in the place of `path`: into a hidden temporary file beside it
// (".NAME.XXXXXX.partial"), flushed to disk, renamed over NAME, the folder flushed. Every
// step is taken relative to the folder opened once, so that neither a link in the file's
// place nor a folder swapped meanwhile can turn the write elsewhere. Only a regular file is
// replaced: a symbolic link, folder, device, FIFO or socket in its place, or a read-only
// file, is refused and left as it is; run as root, so is a folder that another account owns
// or may write (unless its sticky bit is set). The new file keeps the old one's permissions
// (on POSIX systems). Removes the temporary files of that same NAME that killed runs left
// more than 15 minutes earlier.
WriteOutcome WriteFile(const std::filesystem::path& path, std::string_view bytes,
                       const WriteRules& rules = {});

// WriteFile for a file that is made again whenever it is needed (a picture, the settings):
// only a failure is told.
std::optional<std::string> WriteFileInPlaceOf(const std::filesystem::path& path,
                                              std::string_view bytes,
                                              const RetryPolicy& retry = {});

// Whether `entry` is the name of a temporary file that WriteFile makes for the file `name`.
bool IsTemporaryFileOf(std::string_view entry, std::string_view name);

}  // namespace gapscope
