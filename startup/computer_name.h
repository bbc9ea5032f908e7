#pragma once

#include <optional>
#include <string>

namespace gapscope {

// The station's name as the system knows it: COMPUTERNAME when it is set (even to an
// empty value), otherwise the host name; nullopt when there is no name at all.
std::optional<std::string> SystemComputerName();

}  // namespace gapscope
