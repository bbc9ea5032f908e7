#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace gapscope {

// The bytes of the regular file `path` when it holds at most `limit` of them; nothing when
// it is anything else (a symbolic link in its place is not followed) or cannot be read.
// Opening it never waits, whatever was put in its place.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::uintmax_t limit);

}  // namespace gapscope
