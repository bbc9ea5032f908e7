#include "startup/computer_name.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace gapscope {

#ifdef _WIN32

std::optional<std::string> SystemComputerName() {
    // With no buffer the call gives the size the value needs, its NUL included, so a
    // variable set to an empty value still counts as set.
    const DWORD needed = GetEnvironmentVariableA("COMPUTERNAME", nullptr, 0);
    if (needed > 0) {
        std::string value(needed, '\0');
        const DWORD length = GetEnvironmentVariableA("COMPUTERNAME", value.data(), needed);
        value.resize(length < needed ? length : 0);
        return value;
    }
    char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof buffer;
    if (GetComputerNameA(buffer, &size) && size > 0) return std::string(buffer, size);
    return std::nullopt;
}

#else

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

#endif

}  // namespace gapscope
