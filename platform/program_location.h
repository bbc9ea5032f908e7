#pragma once

#include <filesystem>
#include <string>

namespace gapscope {

// Directory of the running program file (where the logs are looked for by default).
std::filesystem::path ProgramDirectory(const std::string& argv0);

}  // namespace gapscope
