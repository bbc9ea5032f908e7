#include <windows.h>

#include "files/small_file.h"

namespace gapscope {

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::uintmax_t limit) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> bytes;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    LARGE_INTEGER size{};
    // A link or junction in its place, a folder or a device is not read.
    if (GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
        GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
        static_cast<std::uintmax_t>(size.QuadPart) <= limit) {
        bytes.emplace(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (!ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) ||
            got != bytes->size()) {
            bytes.reset();
        }
    }
    CloseHandle(file);
    return bytes;
}

}  // namespace gapscope
