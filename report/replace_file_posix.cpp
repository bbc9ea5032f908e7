#include <system_error>

#include "report/replace_file.h"
#include "startup/system_text.h"

namespace gapscope {

ReplaceResult ReplaceFileWith(const std::filesystem::path& target,
                              const std::filesystem::path& replacement) {
    std::error_code error;
    std::filesystem::rename(replacement, target, error);
    if (!error) return {};
    return {ReplaceResult::kFailed,
            "cannot replace " + TextOfPath(target) + ": " + error.message()};
}

}  // namespace gapscope
