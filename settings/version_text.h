#pragma once

#include <string>

namespace gapscope {

// The version text of the caption and the report banner: on Windows the FileVersion string
// of the running program's own version resource (empty when it has none), elsewhere the
// version fixed at build time. Both are the project's major.minor.release.build.
std::string ProgramVersionText();

}  // namespace gapscope
