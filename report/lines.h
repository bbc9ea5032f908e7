#pragma once

#include <string>
#include <vector>

namespace gapscope {

// An ordered list of report text lines.
using Lines = std::vector<std::string>;

}  // namespace gapscope
