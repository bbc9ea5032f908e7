// What the two systems' writers share: the temporary file's name and the words of their
// refusals, so that both say the same.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "files/replace_file.h"

namespace gapscope {

// A leftover of a killed run is removed once it is older than this: no save still in
// progress is that slow.
constexpr int kStaleAfterSeconds = 15 * 60;

// ".NAME.XXXXXX.partial", six random letters or digits.
std::string TemporaryNameFor(std::string_view name);

// A write that replaced nothing, and why.
inline WriteOutcome Failed(std::string why) {
    return {std::move(why), std::nullopt};
}

std::string LinkRefused(const std::filesystem::path& path);
// `kind` as "a folder", "a FIFO".
std::string KindRefused(const std::filesystem::path& path, std::string_view kind);
std::string ReadOnlyRefused(const std::filesystem::path& path);
std::string NotOursRefused(const std::filesystem::path& path, std::string_view ownStart);
std::string Unflushed(const std::filesystem::path& path, const std::filesystem::path& folder,
                      const std::string& cause);

}  // namespace gapscope
