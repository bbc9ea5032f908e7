#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "startup/computer_name.h"

namespace gapscope {

std::optional<std::string> SystemComputerName() {
    if (const char* name = std::getenv("COMPUTERNAME")) return std::string(name);
#ifdef HOST_NAME_MAX
    char buffer[HOST_NAME_MAX + 1] = {};
#else
    char buffer[256] = {};
#endif
    if (gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return std::nullopt;
    return std::string(buffer);
}

}  // namespace gapscope
