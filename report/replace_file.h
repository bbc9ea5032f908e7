#pragma once

#include <filesystem>
#include <string>

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

}  // namespace gapscope
