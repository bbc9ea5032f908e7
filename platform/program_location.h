#pragma once

#include <filesystem>
#include <string>

namespace gapscope {

// The running program file; argv0 is the fallback where the system cannot say.
std::filesystem::path ProgramFile(const std::string& argv0);

// Directory of the running program file (where the logs are looked for by default).
std::filesystem::path ProgramDirectory(const std::string& argv0);

}  // namespace gapscope
