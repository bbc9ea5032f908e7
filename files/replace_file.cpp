#include "files/replace_file.h"

#include <algorithm>
#include <random>
#include <system_error>

#include "startup/system_text.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemporaryEnd = ".partial";
constexpr std::string_view kRandomLetters = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kRandomLength = 6;
// Long enough that no save still in progress is disturbed.
constexpr auto kStaleAfter = std::chrono::minutes{15};
// As the kernel limits chains of symbolic links.
constexpr int kMaxLinks = 40;

std::string TemporaryName(const fs::path& target) {
    std::random_device entropy;
    std::uniform_int_distribution<std::size_t> pick(0, kRandomLetters.size() - 1);
    std::string name(1, '.');
    name += TextOfPath(target.filename());
    name += '.';
    for (std::size_t i = 0; i < kRandomLength; ++i) name += kRandomLetters[pick(entropy)];
    return name + std::string(kTemporaryEnd);
}

// The file at the end of a chain of symbolic links starting at `path` (`path` itself when it
// is none); the file need not exist.
std::optional<fs::path> FollowLinks(const fs::path& path, std::string& problem) {
    fs::path at = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error))) return at;
        const fs::path link = fs::read_symlink(at, error);
        if (error) {
            problem = "cannot follow the link " + TextOfPath(path) + ": " + error.message();
            return std::nullopt;
        }
        at = link.is_absolute() ? link : at.parent_path() / link;
    }
    problem = "cannot follow the link " + TextOfPath(path) + ": " +
              std::make_error_code(std::errc::too_many_symbolic_link_levels).message();
    return std::nullopt;
}

const char* KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::block:
        case fs::file_type::character:
            return "a device";
        case fs::file_type::fifo:
            return "a FIFO";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "not a regular file";
    }
}

// Why what stands at `target` (reached from `named`) must not be replaced, if it must not.
std::optional<std::string> Refusal(const fs::path& named, const fs::path& target) {
    std::error_code error;
    const fs::file_type type = fs::symlink_status(target, error).type();
    // Nothing there yet, or nothing that can be seen: creating the file says the rest.
    if (type == fs::file_type::not_found || type == fs::file_type::none) return std::nullopt;
    std::string name = TextOfPath(named);
    if (target != named) name += " (a link to " + TextOfPath(target) + ")";
    if (type != fs::file_type::regular) {
        const std::string kind = KindOf(type);
        return "cannot replace " + name + ": it is " + kind +
               (kind.starts_with("not") ? "" : ", not a regular file");
    }
    if (IsWriteProtected(target)) return "cannot replace " + name + ": the file is read-only";
    return std::nullopt;
}

}  // namespace

bool IsTemporaryFileName(std::string_view name) {
    if (!name.starts_with('.') || !name.ends_with(kTemporaryEnd)) return false;
    name.remove_suffix(kTemporaryEnd.size());
    const std::size_t dot = name.rfind('.');
    // "." + at least one letter of the file's own name + "." + the random letters.
    if (dot == std::string_view::npos || dot < 2) return false;
    const std::string_view random = name.substr(dot + 1);
    return !random.empty() && random.size() <= kRandomLength &&
           std::all_of(random.begin(), random.end(),
                       [](char c) { return kRandomLetters.find(c) != std::string_view::npos; });
}

void RemoveStaleTemporaryFiles(const fs::path& folder, fs::file_time_type now) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator{}; entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        if (!IsTemporaryFileName(TextOfPath(entry.path().filename()))) continue;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || entry.is_symlink(ignored)) continue;
        const fs::file_time_type written = entry.last_write_time(ignored);
        if (!ignored && written + kStaleAfter < now) fs::remove(entry.path(), ignored);
    }
}

std::optional<std::string> WriteFileInPlaceOf(const fs::path& path, std::string_view bytes,
                                              const RetryPolicy& retry) {
    std::string problem;
    const std::optional<fs::path> target = FollowLinks(path, problem);
    if (!target) return problem;
    if (auto refused = Refusal(path, *target)) return refused;
    const fs::path folder = target->parent_path();
    RemoveStaleTemporaryFiles(folder.empty() ? fs::path(".") : folder,
                              fs::file_time_type::clock::now());
    const fs::path temporary = folder / PathFromText(TemporaryName(*target));
    if (auto failed = WriteFlushedFile(temporary, bytes, *target)) return failed;
    const ReplaceResult replaced = RetryWhileBusy(
        retry, [&] { return ReplaceFileWith(*target, temporary); },
        [](const ReplaceResult& r) { return r.outcome == ReplaceResult::kBusy; });
    if (replaced.outcome == ReplaceResult::kDone) return std::nullopt;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return replaced.reason;
}

}  // namespace gapscope
