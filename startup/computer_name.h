#pragma once

#include <optional>
#include <string>

namespace gapscope {

// The station's name as the system knows it, as UTF-8: COMPUTERNAME when it is set (even
// to an empty value); where that variable is not normally set (Linux), otherwise the host
// name. nullopt when there is no name at all.
std::optional<std::string> SystemComputerName();

}  // namespace gapscope
