#include "platform/program_location.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace gapscope {

std::filesystem::path ProgramFile(const std::string& argv0) {
    std::error_code ec;
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer)) return std::filesystem::path(std::wstring(buffer, n));
#else
    // argv[0] may be a bare name found through PATH; the kernel knows the real file.
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty()) return self;
#endif
    return std::filesystem::absolute(argv0, ec);
}

std::filesystem::path ProgramDirectory(const std::string& argv0) {
    return ProgramFile(argv0).parent_path();
}

}  // namespace gapscope
