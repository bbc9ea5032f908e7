#include <windows.h>

#include <cerrno>
#include <system_error>

#include "report/replace_file.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

std::string SystemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) return "error " + std::to_string(error);
    return Utf8FromUtf16(text);
}

// Errors that mean another program has the old file open without delete sharing (or a
// range of it locked); it may close it in a moment.
bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_USER_MAPPED_FILE;
}

}  // namespace

ReplaceResult ReplaceFileWith(const std::filesystem::path& target,
                              const std::filesystem::path& replacement) {
    const wchar_t* to = target.c_str();
    const wchar_t* from = replacement.c_str();
    // Wine's ReplaceFileW would move a folder of that name aside; Windows refuses. Said in
    // the words a rename over a folder gives elsewhere.
    const DWORD attributes = GetFileAttributesW(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {ReplaceResult::kFailed, "cannot replace " + TextOfPath(target) + ": " +
                                            std::generic_category().message(EISDIR)};
    }
    if (ReplaceFileW(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return {};
    }
    DWORD error = GetLastError();
    // No old file to replace (ReplaceFileW needs one), or the old one is already gone and
    // the new one not yet in its place: a plain move finishes the job.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
        error = GetLastError();
    }
    if (HeldByAnother(error)) {
        return {ReplaceResult::kBusy, TextOfPath(target) + " is held open by another program (" +
                                          SystemMessage(error) + ")"};
    }
    return {ReplaceResult::kFailed,
            "cannot replace " + TextOfPath(target) + ": " + SystemMessage(error)};
}

}  // namespace gapscope
