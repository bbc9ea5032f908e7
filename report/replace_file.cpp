#include "report/replace_file.h"

#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>

#include "startup/system_text.h"

namespace gapscope {

std::optional<std::string> WriteFileInPlaceOf(const std::filesystem::path& path,
                                              std::string_view bytes, const RetryPolicy& retry) {
    namespace fs = std::filesystem;
    std::random_device entropy;
    std::string temporaryName = ".";
    temporaryName += TextOfPath(path.filename());
    temporaryName += '.';
    temporaryName += std::to_string(entropy() % 1000000);
    temporaryName += ".partial";
    const fs::path temporary = path.parent_path() / PathFromText(temporaryName);
    // The stream leaves the cause in errno.
    const auto cause = [] {
        return errno == 0 ? std::string("unknown cause") : std::generic_category().message(errno);
    };
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
            return "cannot create a file in " + TextOfPath(folder) + ": " + cause();
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            const std::string why = cause();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return "cannot write " + TextOfPath(path) + ": " + why;
        }
    }
    const ReplaceResult replaced = RetryWhileBusy(
        retry, [&] { return ReplaceFileWith(path, temporary); },
        [](const ReplaceResult& r) { return r.outcome == ReplaceResult::kBusy; });
    if (replaced.outcome == ReplaceResult::kDone) return std::nullopt;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return replaced.reason;
}

}  // namespace gapscope
