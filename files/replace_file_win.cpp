#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "files/replace_file.h"
#include "files/replace_file_words.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

// The rename that replaces a file others hold open with delete sharing (POSIX semantics,
// Windows 10 1709 and later), which the headers show only to programs that require it.
constexpr auto kFileRenameInformationEx = static_cast<FILE_INFORMATION_CLASS>(65);
constexpr DWORD kReplaceIfExists = 0x1;
constexpr DWORD kPosixSemantics = 0x2;

// A handle, closed when it goes.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (open()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

std::string Why(DWORD error) {
    return SystemErrorText(error);
}

// Errors that mean another program has the old file open without delete sharing (or a
// range of it locked); it may close it in a moment.
bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE;
}

// What stands at `path`, opened as itself: a link or junction is not followed.
struct Found {
    bool exists = false;
    DWORD attributes = 0;
    DWORD type = FILE_TYPE_DISK;
    std::uint64_t size = 0;
    DWORD error = 0;  // why it could not be examined
};

Found Examine(const fs::path& path) {
    const Handle file(
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    Found found;
    if (!file.open()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            found.exists = true;
            found.error = error;
        }
        return found;
    }
    found.exists = true;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
        found.error = GetLastError();
        return found;
    }
    found.attributes = tag.FileAttributes;
    found.type = GetFileType(file.get());
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size)) found.size = static_cast<std::uint64_t>(size.QuadPart);
    return found;
}

// Whether the file begins with `start`.
bool BeginsWith(const fs::path& path, std::string_view start) {
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.open()) return false;
    std::string head(start.size(), '\0');
    DWORD got = 0;
    return ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr) &&
           got == head.size() && head == start;
}

std::optional<std::string> Refusal(const fs::path& path, const Found& found,
                                   std::string_view ownStart) {
    if (found.error != 0) return "cannot replace " + TextOfPath(path) + ": " + Why(found.error);
    if ((found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return LinkRefused(path);
    if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return KindRefused(path, "a folder");
    if (found.type != FILE_TYPE_DISK) return KindRefused(path, "a device");
    if ((found.attributes & FILE_ATTRIBUTE_READONLY) != 0) return ReadOnlyRefused(path);
    if (!ownStart.empty() && found.size > 0 && !BeginsWith(path, ownStart)) {
        return NotOursRefused(path, ownStart);
    }
    return std::nullopt;
}

std::uint64_t Ticks(const FILETIME& time) {
    return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

// Removes the temporary files of NAME that killed runs left, older than the stale age by
// the time of the file this run has just written, so that no clock is read.
void RemoveLeftovers(const fs::path& folder, const std::wstring& name, const FILETIME& fresh) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder / (L"." + name + L".*.partial")).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    constexpr std::uint64_t kTicksPerSecond = 10'000'000;
    do {
        if (!IsTemporaryFileOf(Utf8FromUtf16(entry.cFileName), Utf8FromUtf16(name))) continue;
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            0)
            continue;
        if (Ticks(entry.ftLastWriteTime) + kStaleAfterSeconds * kTicksPerSecond < Ticks(fresh)) {
            DeleteFileW((folder / entry.cFileName).c_str());
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// Renames the open file to NAME in the folder of `root`, replacing what is there: with the
// POSIX semantics where the system has them, else as older systems rename. Straight to the
// system's own call: the file-name form of the call would take NAME relative to the
// current folder, not to `root`.
DWORD RenameInto(HANDLE file, HANDLE root, const std::wstring& name) {
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFORMATION, FileName) + nameBytes +
                                  sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    info->RootDirectory = root;
    info->FileNameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(info->FileName, name.data(), nameBytes);
    const auto size = static_cast<ULONG>(buffer.size());
    const auto rename = [&](DWORD flags, FILE_INFORMATION_CLASS kind) -> DWORD {
        // The flags are the first member, of which the older form reads one byte.
        std::memcpy(buffer.data(), &flags, sizeof flags);
        IO_STATUS_BLOCK io{};
        const NTSTATUS status = NtSetInformationFile(file, &io, info, size, kind);
        return status >= 0 ? 0 : RtlNtStatusToDosError(status);
    };
    const DWORD error = rename(kReplaceIfExists | kPosixSemantics, kFileRenameInformationEx);
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
        error != ERROR_INVALID_FUNCTION) {
        return error;
    }
    return rename(kReplaceIfExists, FileRenameInformation);
}

// Puts the open file in the place of NAME (`target`). Older systems cannot rename over a file
// that another program holds open, even with delete sharing: that old file is then moved
// aside relative to the folder, the new one put in its place, and the old one removed once
// the other program lets it go (for that moment no file has the name). `held`: the old file
// is held without delete sharing, which a later try may find released.
DWORD Replace(HANDLE file, HANDLE root, const std::wstring& name, const fs::path& target,
              bool& held) {
    held = false;
    const DWORD error = RenameInto(file, root, name);
    if (error != ERROR_ACCESS_DENIED && !HeldByAnother(error)) return error;
    const Handle old(CreateFileW(target.c_str(), DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!old.open()) {
        held = HeldByAnother(GetLastError());
        return error;
    }
    const std::wstring aside = Utf16FromUtf8(TemporaryNameFor(Utf8FromUtf16(name)));
    if (const DWORD notAside = RenameInto(old.get(), root, aside)) return notAside;
    if (const DWORD notIn = RenameInto(file, root, name)) {
        RenameInto(old.get(), root, name);
        return notIn;
    }
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(old.get(), FileDispositionInfo, &gone, sizeof gone);
    return 0;
}

}  // namespace

WriteOutcome WriteFile(const fs::path& path, std::string_view bytes, const WriteRules& rules) {
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const std::wstring name = path.filename().wstring();
    if (name.empty() || name == L"." || name == L"..") return Failed(KindRefused(path, "a folder"));
    // The folder named is followed wherever it leads; held without delete sharing, it cannot
    // be moved or swapped while the file is written.
    const Handle at(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES | FILE_TRAVERSE | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!at.open()) {
        return Failed("cannot create a file in " + TextOfPath(folder) + ": " + Why(GetLastError()));
    }
    const fs::path target = folder / name;
    const Found found = Examine(target);
    if (found.exists) {
        if (auto refused = Refusal(path, found, rules.ownStart)) return Failed(std::move(*refused));
    }

    const std::string temporaryName = TemporaryNameFor(Utf8FromUtf16(name));
    const fs::path temporary = folder / Utf16FromUtf8(temporaryName);
    const Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.open()) {
        return Failed("cannot create a file in " + TextOfPath(folder) + ": " + Why(GetLastError()));
    }
    DWORD error = 0;
    for (std::string_view left = bytes; !left.empty() && error == 0;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file.get(), left.data(), chunk, &written, nullptr)) {
            error = GetLastError();
        } else if (written == 0) {
            error = ERROR_WRITE_FAULT;
        }
        left.remove_prefix(written);
    }
    if (error == 0 && !FlushFileBuffers(file.get())) error = GetLastError();
    FILETIME fresh{};
    if (error == 0 && !GetFileTime(file.get(), nullptr, nullptr, &fresh)) error = GetLastError();
    const auto discard = [&] {
        FILE_DISPOSITION_INFO gone{TRUE};
        SetFileInformationByHandle(file.get(), FileDispositionInfo, &gone, sizeof gone);
    };
    if (error != 0) {
        discard();
        return Failed("cannot write " + TextOfPath(path) + ": " + Why(error));
    }
    RemoveLeftovers(folder, name, fresh);

    bool held = false;
    error = RetryWhileBusy(
        rules.retry, [&] { return Replace(file.get(), at.get(), name, target, held); },
        [&](DWORD) { return held; });
    if (error != 0) {
        discard();
        if (held) {
            return Failed(TextOfPath(path) + " is held open by another program (" +
                          Why(ERROR_SHARING_VIOLATION) + ")");
        }
        return Failed("cannot replace " + TextOfPath(path) + ": " + Why(error));
    }
    // The file's flush in its new place also commits the file system's log, rename included.
    WriteOutcome outcome;
    if (!FlushFileBuffers(file.get()))
        outcome.warning = Unflushed(path, folder, Why(GetLastError()));
    return outcome;
}

}  // namespace gapscope
