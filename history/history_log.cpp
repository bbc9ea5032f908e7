#include "history/history_log.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "history/items.h"
#include "history/log_text.h"

#if defined(_WIN32)
#include <share.h>
#include <windows.h>
#endif

namespace gapscope {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// FNV-1a of the key with ASCII letters lowered, so that keys differing in case meet.
std::uint32_t FoldedHash(std::string_view key) {
    std::uint32_t hash = 2166136261u;
    for (const char c : key) hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 16777619u;
    return hash;
}

// The years whose dates a log keeps, one bit a day; any other day is looked for in the text.
constexpr int kFirstKeptYear = 1900;
constexpr int kLastKeptYear = 2199;
constexpr std::size_t kDatePlaces = (kLastKeptYear - kFirstKeptYear + 1) * 12 * 31;

// Place of eight digits "yyyymmdd" among the kept dates with a month 01..12 and a day
// 01..31, or -1 when they are no such date.
std::ptrdiff_t DateIndex(const char* digits) {
    const auto two = [digits](int at) { return (digits[at] - '0') * 10 + (digits[at + 1] - '0'); };
    const int month = two(4);
    const int day = two(6);
    if (month < 1 || month > 12 || day < 1 || day > 31) return -1;
    const int year = two(0) * 100 + two(2);
    if (year < kFirstKeptYear || year > kLastKeptYear) return -1;
    return (static_cast<std::ptrdiff_t>(year - kFirstKeptYear) * 12 + (month - 1)) * 31 + (day - 1);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct OpenedFile {
    FilePtr file;
    LogReadStatus status = LogReadStatus::Ok;
    std::string reason;
};

OpenedFile OpenForReading(const std::filesystem::path& path) {
    OpenedFile opened;
#if defined(_WIN32)
    // Others may read the log meanwhile, but not write it.
    opened.file.reset(_wfsopen(path.c_str(), L"rb", _SH_DENYWR));
    if (opened.file) return opened;
    const DWORD error = GetLastError();
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    opened.status = busy ? LogReadStatus::Busy : LogReadStatus::Unreadable;
    opened.reason = busy ? "in use by another program"
                         : std::system_category().message(static_cast<int>(error));
#else
    opened.file.reset(std::fopen(path.c_str(), "rb"));
    if (opened.file) return opened;
    const int error = errno;
    const bool busy = error == EBUSY || error == EAGAIN || error == ETXTBSY;
    opened.status = busy ? LogReadStatus::Busy : LogReadStatus::Unreadable;
    opened.reason = std::generic_category().message(error);
#endif
    return opened;
}

// Reads to the end of the file, whatever size it had when it was opened: the station's
// software may be appending to it.
bool ReadToEnd(std::FILE* file, std::string& bytes) {
    std::array<char, 65536> chunk;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        bytes.append(chunk.data(), got);
        if (got < chunk.size()) return std::ferror(file) == 0;
    }
}

}  // namespace

HistoryLog HistoryLog::FromBytes(std::string bytes, Dates dates) {
    return FromText(DecodeLogBytes(std::move(bytes)), dates);
}

HistoryLog HistoryLog::FromText(std::string text, Dates dates) {
    HistoryLog log;
    log.text_ = std::make_shared<const std::string>(std::move(text));
    log.lines_.reserve(log.text_->size() / 64);  // log lines are some tens of characters or more
    std::size_t keyed = 0;
    ForEachLine(*log.text_, [&](std::string_view line) {
        log.lines_.push_back(line);
        keyed += line.find('=') != std::string_view::npos ? 1 : 0;
    });
    // Sized by the keyed lines, so that a log of junk lines costs no table.
    log.slots_.resize(std::bit_ceil(keyed + keyed / 2 + 1));
    if (dates == Dates::Collect) log.dates_.resize(kDatePlaces);
    for (std::size_t i = 0; i < log.lines_.size(); ++i) {
        log.IndexKey(i);
        if (dates == Dates::Collect) log.CollectDates(log.lines_[i]);
    }
    return log;
}

bool HistoryLog::LineHasKey(std::size_t i, std::string_view key) const {
    // A key never holds "=", so the line's first "=" is the one right after the key.
    const std::string_view line = lines_[i];
    return line.size() > key.size() && line[key.size()] == '=' &&
           EqualsIgnoreCase(line.substr(0, key.size()), key);
}

void HistoryLog::IndexKey(std::size_t i) {
    const std::size_t equals = lines_[i].find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = lines_[i].substr(0, equals);
    const std::uint32_t hash = FoldedHash(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot slot = slots_[s];
        if (slot.line == 0) {
            slots_[s] = {static_cast<std::uint32_t>(i + 1), hash};
            return;
        }
        // Only the first line with a key is ever found.
        if (slot.hash == hash && LineHasKey(slot.line - 1, key)) return;
    }
}

void HistoryLog::CollectDates(std::string_view line) {
    // A window of eight digits that holds position i + 7 starts at i .. i + 7, so a
    // non-digit there rules all of them out at once.
    std::size_t i = 0;
    while (i + 8 <= line.size()) {
        if (!IsDigit(line[i + 7])) {
            i += 8;
            continue;
        }
        std::size_t start = i + 7;
        while (start > i && IsDigit(line[start - 1])) --start;
        if (start > i) {
            i = start;
            continue;
        }
        const std::ptrdiff_t date = DateIndex(line.data() + i);
        if (date >= 0) dates_[static_cast<std::size_t>(date)] = true;
        ++i;
    }
}

std::string_view HistoryLog::ValueOf(std::string_view key) const {
    if (slots_.empty()) return {};
    const std::uint32_t hash = FoldedHash(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask; slots_[s].line != 0; s = (s + 1) & mask) {
        const Slot slot = slots_[s];
        if (slot.hash == hash && LineHasKey(slot.line - 1, key)) {
            return lines_[slot.line - 1].substr(key.size() + 1);
        }
    }
    return {};
}

bool HistoryLog::TextContains(std::string_view needle) const {
    return text_ && text_->find(needle) != std::string::npos;
}

bool HistoryLog::TextContainsAny(std::initializer_list<std::string_view> needles) const {
    if (!text_ || needles.size() == 0) return false;
    const char lead = needles.begin()->empty() ? '\0' : needles.begin()->front();
    const bool oneLead = std::all_of(needles.begin(), needles.end(), [lead](std::string_view n) {
        return !n.empty() && n.front() == lead;
    });
    if (!oneLead) {
        return std::any_of(needles.begin(), needles.end(),
                           [this](std::string_view n) { return TextContains(n); });
    }
    const std::string_view text = *text_;
    for (std::size_t at = text.find(lead); at != std::string_view::npos; at = text.find(lead, at + 1)) {
        for (const std::string_view needle : needles) {
            if (text.substr(at).starts_with(needle)) return true;
        }
    }
    return false;
}

bool HistoryLog::ContainsDate(Day day) const {
    const std::string yyyymmdd = CompactDate(day);
    const int year = static_cast<int>(std::chrono::year_month_day{day}.year());
    if (dates_.empty() || year < kFirstKeptYear || year > kLastKeptYear) {
        return TextContains(yyyymmdd);
    }
    return dates_[static_cast<std::size_t>(DateIndex(yyyymmdd.data()))];
}

LogFileText ReadLogText(const std::filesystem::path& path) {
    LogFileText result;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return result;
    // A folder, device or pipe of that name, or a path that cannot even be examined.
    if (error || !std::filesystem::is_regular_file(status)) {
        result.status = LogReadStatus::Unreadable;
        result.reason = error ? error.message() : "not a regular file";
        return result;
    }
    OpenedFile opened = OpenForReading(path);
    if (!opened.file) {
        result.status = opened.status;
        result.reason = opened.reason;
        return result;
    }
    // Sized as the file is now; what is appended meanwhile is read as well.
    const auto size = std::filesystem::file_size(path, error);
    std::string bytes(error ? 0 : static_cast<std::size_t>(size), '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), opened.file.get()));
    if (!ReadToEnd(opened.file.get(), bytes)) {
        result.status = LogReadStatus::Unreadable;
        result.reason = "read error";
        return result;
    }
    result.status = LogReadStatus::Ok;
    result.text = DecodeLogBytes(std::move(bytes));
    return result;
}

LogReadResult ReadHistoryLog(const std::filesystem::path& path, HistoryLog::Dates dates) {
    LogFileText file = ReadLogText(path);
    LogReadResult result{file.status, std::move(file.reason), {}};
    if (file.status == LogReadStatus::Ok) {
        result.log = HistoryLog::FromText(std::move(file.text), dates);
    }
    return result;
}

}  // namespace gapscope
