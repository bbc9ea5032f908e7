#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "files/replace_file.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

// Errors that mean another program has the old file open without delete sharing (or a
// range of it locked); it may close it in a moment.
bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_USER_MAPPED_FILE;
}

// The cause of a failed call that names the target, in the words of the other messages.
std::string Failure(const char* what, const std::filesystem::path& file, DWORD error) {
    return std::string(what) + " " + TextOfPath(file) + ": " + SystemErrorText(error);
}

// ReplaceFileW does not write through; a flush of the file in its new place also commits the
// file system's log, rename included. Where the old file's permissions forbid opening it
// for writing, the replacement still stands, as unflushed as a plain rename would be.
void FlushReplaced(const std::filesystem::path& target) {
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    FlushFileBuffers(file);
    CloseHandle(file);
}

}  // namespace

bool IsWriteProtected(const std::filesystem::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::optional<std::string> WriteFlushedFile(const std::filesystem::path& temporary,
                                            std::string_view bytes,
                                            const std::filesystem::path& target) {
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const std::filesystem::path folder =
            temporary.parent_path().empty() ? std::filesystem::path(".") : temporary.parent_path();
        return Failure("cannot create a file in", folder, GetLastError());
    }
    DWORD error = 0;
    while (!bytes.empty() && error == 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            error = GetLastError();
        } else if (written == 0) {
            error = ERROR_WRITE_FAULT;
        }
        bytes.remove_prefix(written);
    }
    if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    if (error == 0) return std::nullopt;
    DeleteFileW(temporary.c_str());
    return Failure("cannot write", target, error);
}

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
        FlushReplaced(target);
        return {};
    }
    DWORD error = GetLastError();
    // No old file to replace (ReplaceFileW needs one), or the old one is already gone and
    // the new one not yet in its place: a plain move, flushed before it returns, finishes
    // the job.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
        error = GetLastError();
    }
    if (HeldByAnother(error)) {
        return {ReplaceResult::kBusy, TextOfPath(target) + " is held open by another program (" +
                                          SystemErrorText(error) + ")"};
    }
    return {ReplaceResult::kFailed,
            "cannot replace " + TextOfPath(target) + ": " + SystemErrorText(error)};
}

}  // namespace gapscope
