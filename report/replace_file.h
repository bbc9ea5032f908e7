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

// Moves `replacement` over `target` (which need not exist). On failure `target` is as it
// was. kBusy: another program holds `target` open in a way that forbids replacing it now;
// a later attempt may succeed (this happens on Windows only).
ReplaceResult ReplaceFileWith(const std::filesystem::path& target,
                              const std::filesystem::path& replacement);

// Writes `bytes` to a hidden temporary file beside `path` and then puts it in the place of
// `path`, trying again while another program holds the old file as `retry` says: a failure
// never leaves a half-written file nor harms the old one. Returns why it failed, naming the
// folder or the file and the cause, never the temporary file.
std::optional<std::string> WriteFileInPlaceOf(const std::filesystem::path& path,
                                              std::string_view bytes,
                                              const RetryPolicy& retry = {});

}  // namespace gapscope
