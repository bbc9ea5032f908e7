#pragma once

#include <filesystem>
#include <string>

namespace gapscope {

// Directory of the running program file (where the logs are looked for by default).
std::filesystem::path ProgramDirectory(const std::string& argv0);
// The running program file's name without directory and extension ("gapscope-report").
std::string ProgramBaseName(const std::string& argv0);

}  // namespace gapscope
