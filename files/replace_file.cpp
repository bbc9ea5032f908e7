#include "files/replace_file.h"

#include <algorithm>
#include <random>

#include "files/replace_file_words.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

constexpr std::string_view kTemporaryEnd = ".partial";
constexpr std::string_view kRandomLetters = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kRandomLength = 6;

}  // namespace

std::string TemporaryNameFor(std::string_view name) {
    std::random_device entropy;
    std::uniform_int_distribution<std::size_t> pick(0, kRandomLetters.size() - 1);
    std::string temporary(1, '.');
    temporary += name;
    temporary += '.';
    for (std::size_t i = 0; i < kRandomLength; ++i) temporary += kRandomLetters[pick(entropy)];
    return temporary + std::string(kTemporaryEnd);
}

bool IsTemporaryFileOf(std::string_view entry, std::string_view name) {
    // "." + name + "." + the random letters + ".partial", nothing more nor less.
    if (entry.size() != 1 + name.size() + 1 + kRandomLength + kTemporaryEnd.size()) return false;
    if (!entry.starts_with('.') || entry.substr(1, name.size()) != name ||
        entry[1 + name.size()] != '.' || !entry.ends_with(kTemporaryEnd)) {
        return false;
    }
    const std::string_view random = entry.substr(2 + name.size(), kRandomLength);
    return std::all_of(random.begin(), random.end(),
                       [](char c) { return kRandomLetters.find(c) != std::string_view::npos; });
}

std::string LinkRefused(const std::filesystem::path& path) {
    return TextOfPath(path) + " is a symbolic link; it is not followed";
}

std::string KindRefused(const std::filesystem::path& path, std::string_view kind) {
    return "cannot replace " + TextOfPath(path) + ": it is " + std::string(kind) +
           ", not a regular file";
}

std::string ReadOnlyRefused(const std::filesystem::path& path) {
    return "cannot replace " + TextOfPath(path) + ": the file is read-only";
}

std::string NotOursRefused(const std::filesystem::path& path, std::string_view ownStart) {
    return "cannot replace " + TextOfPath(path) + ": it does not begin with \"" +
           std::string(ownStart) + "\", so it is not a file this program wrote";
}

std::string Unflushed(const std::filesystem::path& path, const std::filesystem::path& folder,
                      const std::string& cause) {
    return TextOfPath(path) + " was replaced, but its folder " + TextOfPath(folder) +
           " could not be flushed to disk (" + cause + "): it may not survive a power cut";
}

std::optional<std::string> WriteFileInPlaceOf(const std::filesystem::path& path,
                                              std::string_view bytes, const RetryPolicy& retry) {
    return WriteFile(path, bytes, WriteRules{retry, {}}).failure;
}

}  // namespace gapscope
