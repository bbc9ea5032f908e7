// Reading log files from disk, whole or as they grow (history_log.h).
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "history/history_log.h"
#include "history/log_text.h"

#if defined(_WIN32)
#include <io.h>
#include <share.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace gapscope {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A log file open for reading, with which file it is and its size then; or why it is not.
struct OpenedLog {
    FilePtr file;
    LogReadStatus status = LogReadStatus::Ok;
    std::string reason;
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

void OpenForReading(const fs::path& path, OpenedLog& opened) {
#if defined(_WIN32)
    // Others may read the log meanwhile, but not write it.
    opened.file.reset(_wfsopen(path.c_str(), L"rb", _SH_DENYWR));
    if (opened.file) {
        BY_HANDLE_FILE_INFORMATION info;
        const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(opened.file.get())));
        if (GetFileInformationByHandle(handle, &info)) {
            opened.identity = {info.dwVolumeSerialNumber,
                               std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
            opened.size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
            opened.modified = static_cast<std::int64_t>(
                std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                info.ftLastWriteTime.dwLowDateTime);
            return;
        }
        opened.file.reset();
    }
    const DWORD error = GetLastError();
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    opened.status = busy ? LogReadStatus::Busy : LogReadStatus::Unreadable;
    opened.reason = busy ? "in use by another program"
                         : std::system_category().message(static_cast<int>(error));
#else
    // Opened without waiting, then examined: a FIFO put in the log's place after any look
    // at it can never block the run. Only a regular file is read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    int error = fd < 0 || fstat(fd, &info) != 0 ? errno : 0;
    if (error == 0 && S_ISREG(info.st_mode)) {
        opened.file.reset(fdopen(fd, "rb"));
        if (opened.file) {
            opened.identity = {static_cast<std::uint64_t>(info.st_dev),
                               static_cast<std::uint64_t>(info.st_ino)};
            opened.size = static_cast<std::uint64_t>(info.st_size);
            opened.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                              info.st_mtim.tv_nsec;
            return;
        }
        error = errno;
    }
    if (fd >= 0) close(fd);
    const bool busy = error == EBUSY || error == EAGAIN || error == ETXTBSY;
    if (error == ENOENT || error == ENOTDIR) {
        opened.status = LogReadStatus::Missing;
    } else {
        opened.status = busy ? LogReadStatus::Busy : LogReadStatus::Unreadable;
        // A folder, device or pipe of that name.
        opened.reason = error == 0 ? "not a regular file" : std::generic_category().message(error);
    }
#endif
}

OpenedLog OpenLog(const fs::path& path) {
    OpenedLog opened;
#if !defined(_WIN32)
    OpenForReading(path, opened);
    return opened;
#else
    std::error_code error;
    const auto status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        opened.status = LogReadStatus::Missing;
        return opened;
    }
    // A folder, device or pipe of that name, or a path that cannot even be examined.
    if (error || !fs::is_regular_file(status)) {
        opened.status = LogReadStatus::Unreadable;
        opened.reason = error ? error.message() : "not a regular file";
        return opened;
    }
    OpenForReading(path, opened);
    return opened;
#endif
}

// Reads from byte `from` to the end of the file, whatever size it had when it was opened:
// the station's software may be appending to it. False on a read error.
bool ReadFrom(const OpenedLog& opened, std::uint64_t from, std::string& bytes) {
    std::FILE* file = opened.file.get();
#if defined(_WIN32)
    const bool placed = _fseeki64(file, static_cast<__int64>(from), SEEK_SET) == 0;
#else
    const bool placed = fseeko(file, static_cast<off_t>(from), SEEK_SET) == 0;
#endif
    if (!placed) return false;
    bytes.assign(opened.size > from ? static_cast<std::size_t>(opened.size - from) : 0, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::array<char, 65536> chunk;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        bytes.append(chunk.data(), got);
        if (got < chunk.size()) return std::ferror(file) == 0;
    }
}

// "not enough memory to read SegHistory.log (2.1 GB)": the size in GB (10^9 bytes) with one
// decimal, or in MB (10^6) below that.
std::string NotEnoughMemory(const fs::path& path, std::uint64_t bytes) {
    const std::uint64_t megabyteTenths = (bytes + 50'000) / 100'000;
    const bool giga = megabyteTenths >= 10'000;
    const std::uint64_t tenths = giga ? (bytes + 50'000'000) / 100'000'000 : megabyteTenths;
    const std::u8string name = path.filename().u8string();
    return "not enough memory to read " + std::string(name.begin(), name.end()) + " (" +
           std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
           (giga ? " GB)" : " MB)");
}

// The whole lines a refresh adds, decoded, and the mark after them.
struct Growth {
    bool afresh = false;  // read from the start of the file: they replace the log's lines
    std::string text;
    LogReadMark mark;
};

// The last line of bytes[begin, end), which ends with its line end: at most its last
// kLastLineKept bytes, in whole code units.
std::string LastLine(std::string_view bytes, std::size_t begin, std::size_t end,
                     LogEncoding encoding) {
    const std::size_t width = CodeUnitWidth(encoding);
    const auto isEnd = [&](std::size_t at) {
        const char16_t unit = CodeUnitAt(bytes, at / width, encoding);
        return unit == u'\n' || unit == u'\r';
    };
    std::size_t start = end;
    while (start >= begin + width && isEnd(start - width)) start -= width;
    while (start >= begin + width && !isEnd(start - width)) start -= width;
    const std::size_t kept = LogReadMark::kLastLineKept / width * width;
    start = std::max(start, end > begin + kept ? end - kept : begin);
    return std::string(bytes.substr(start, end - start));
}

// Reads the whole lines after `mark`; or all of them when the file is another, is shorter
// than they were, or no longer has the last line read where it ended (rewritten since).
// nullopt on a read error.
std::optional<Growth> ReadGrowth(const OpenedLog& opened, const LogReadMark& mark) {
    Growth growth{false, {}, mark};
    growth.mark.identity = opened.identity;
    growth.mark.modified = opened.modified;
    std::uint64_t from = 0;  // where `bytes` begin in the file
    std::size_t skip = 0;    // bytes before the first new line
    std::string bytes;
    growth.afresh = mark.wholeLinesEnd == 0 || opened.identity != mark.identity ||
                    opened.size < mark.wholeLinesEnd ||
                    (opened.size == mark.size && opened.modified != mark.modified);
    if (!growth.afresh && !mark.lastLine.empty()) {
        skip = mark.lastLine.size();
        from = mark.wholeLinesEnd - skip;
        if (!ReadFrom(opened, from, bytes)) return std::nullopt;
        growth.afresh = !std::string_view(bytes).starts_with(mark.lastLine);
    } else if (!growth.afresh) {
        skip = CodeUnitWidth(mark.encoding);
        from = mark.wholeLinesEnd - skip;
        if (!ReadFrom(opened, from, bytes)) return std::nullopt;
        const char16_t end = bytes.size() >= skip ? CodeUnitAt(bytes, 0, mark.encoding) : u'\0';
        growth.afresh = end != u'\n' && end != u'\r';
    }
    if (growth.afresh) {
        from = 0;
        if (!ReadFrom(opened, 0, bytes)) return std::nullopt;
        // Decided anew until a whole line shows that the start is no mark still being written.
        growth.mark.encoding = DetectLogEncoding(bytes);
        skip = std::min(MarkLength(growth.mark.encoding), bytes.size());
        growth.mark.wholeLinesEnd = 0;
        growth.mark.lastLine.clear();
    }
    growth.mark.size = from + bytes.size();
    const std::size_t whole =
        WholeLinesLength(std::string_view(bytes).substr(skip), growth.mark.encoding);
    if (whole > 0) {
        growth.mark.wholeLinesEnd = from + skip + whole;
        growth.mark.lastLine = LastLine(bytes, skip, skip + whole, growth.mark.encoding);
    }
    bytes.resize(skip + whole);
    bytes.erase(0, skip);
    growth.text = DecodeLogBody(std::move(bytes), growth.mark.encoding);
    return growth;
}

}  // namespace

LogFileText ReadLogText(const fs::path& path) {
    const OpenedLog opened = OpenLog(path);
    if (opened.status != LogReadStatus::Ok) return {opened.status, opened.reason, {}};
    try {
        std::string bytes;
        if (!ReadFrom(opened, 0, bytes)) return {LogReadStatus::Unreadable, "read error", {}};
        return {LogReadStatus::Ok, {}, DecodeLogBytes(std::move(bytes))};
    } catch (const std::bad_alloc&) {
        return {LogReadStatus::Unreadable, NotEnoughMemory(path, opened.size), {}};
    }
}

LogReadResult ReadHistoryLog(const fs::path& path, HistoryLog::Dates dates) {
    LogReadMark mark;
    return ReadHistoryLog(path, dates, mark);
}

LogReadResult ReadHistoryLog(const fs::path& path, HistoryLog::Dates dates, LogReadMark& mark) {
    mark = LogReadMark{};
    const OpenedLog opened = OpenLog(path);
    if (opened.status != LogReadStatus::Ok) return {opened.status, opened.reason, {}};
    try {
        std::string bytes;
        if (!ReadFrom(opened, 0, bytes)) return {LogReadStatus::Unreadable, "read error", {}};
        const LogEncoding encoding = DetectLogEncoding(bytes);
        const std::size_t skip = std::min(MarkLength(encoding), bytes.size());
        const std::size_t whole =
            WholeLinesLength(std::string_view(bytes).substr(skip), encoding);
        // An unfinished last line is in the log now, so that only a whole reading can take
        // its finished form: no mark to go on from.
        if (whole > 0 && skip + whole == bytes.size()) {
            mark = {opened.identity, bytes.size(), bytes.size(), encoding, opened.modified,
                    LastLine(bytes, skip, bytes.size(), encoding)};
        }
        return {LogReadStatus::Ok, {}, HistoryLog::FromBytes(std::move(bytes), dates)};
    } catch (const std::bad_alloc&) {
        mark = LogReadMark{};
        return {LogReadStatus::Unreadable, NotEnoughMemory(path, opened.size), {}};
    }
}

LogRefresh RefreshHistoryLog(const fs::path& path, HistoryLog& log, LogReadMark& mark,
                             HistoryLog::Dates dates) {
    const OpenedLog opened = OpenLog(path);
    if (opened.status == LogReadStatus::Missing) {
        // As a first read would find it.
        const bool changed = !log.Empty();
        log = HistoryLog{};
        mark = LogReadMark{};
        return {LogReadStatus::Missing, {}, changed, true};
    }
    if (opened.status != LogReadStatus::Ok) return {opened.status, opened.reason, false};
    if (mark.wholeLinesEnd > 0 && opened.identity == mark.identity && opened.size == mark.size &&
        opened.modified == mark.modified) {
        return {LogReadStatus::Ok, {}, false};
    }
    try {
        std::optional<Growth> growth = ReadGrowth(opened, mark);
        if (!growth) return {LogReadStatus::Unreadable, "read error", false};
        const bool changed = growth->afresh || !growth->text.empty();
        if (growth->afresh) {
            log = HistoryLog::FromText(std::move(growth->text), dates);
        } else {
            log.Append(std::move(growth->text));
        }
        mark = growth->mark;
        return {LogReadStatus::Ok, {}, changed, growth->afresh};
    } catch (const std::bad_alloc&) {
        return {LogReadStatus::Unreadable, NotEnoughMemory(path, opened.size), false};
    }
}

}  // namespace gapscope
