#include "history/history_log.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>

#include "history/items.h"
#include "history/log_text.h"

namespace gapscope {

namespace {

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// FNV-1a over the case-folded key, finished with a 64-bit mixer so that the low bits
// used for the slot are spread even for keys that differ only in their last digits.
std::uint64_t HashKey(std::string_view key) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const char c : key) {
        h ^= LowerAscii(static_cast<unsigned char>(c));
        h *= 1099511628211ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// At most two thirds full, so every probe ends at an empty slot.
std::size_t TableSize(std::size_t keys) {
    return keys + keys / 2 + 1;
}

// Dates are taken as plausible when the month is 1..12 and the day 1..31; every day
// the report can ask for is among them.
constexpr int kYears = 10000;
constexpr int kDaysPerYearSlot = 12 * 31;

bool PlausibleDate(const char* digits, std::uint32_t& value, std::size_t& slot) {
    const auto d = [&](int i) { return static_cast<unsigned>(digits[i] - '0'); };
    const unsigned month = d(4) * 10 + d(5);
    const unsigned day = d(6) * 10 + d(7);
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    const unsigned year = d(0) * 1000 + d(1) * 100 + d(2) * 10 + d(3);
    value = year * 10000 + month * 100 + day;
    slot = static_cast<std::size_t>(year) * kDaysPerYearSlot + (month - 1) * 31 + (day - 1);
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

HistoryLog HistoryLog::FromBytes(std::string_view bytes) {
    return FromText(DecodeLogBytes(bytes));
}

HistoryLog HistoryLog::FromOwnedBytes(std::string bytes) {
    DecodeLogBytesInPlace(bytes);
    return FromText(std::move(bytes));
}

HistoryLog HistoryLog::FromText(std::string text) {
    HistoryLog log;
    log.text_ = std::move(text);
    log.BuildLines();
    log.BuildIndex();
    log.BuildDates();
    return log;
}

void HistoryLog::BuildLines() {
    std::size_t count = 0;
    ForEachLine(text_, [&](std::string_view) { ++count; });
    lineEnds_.reserve(count);
    const char* base = text_.data();
    ForEachLine(text_, [&](std::string_view line) {
        lineEnds_.push_back(static_cast<std::uint64_t>(line.data() - base) + line.size());
    });
}

std::size_t HistoryLog::LineStart(std::size_t i) const {
    if (i == 0) return 0;
    const auto end = static_cast<std::size_t>(lineEnds_[i - 1]);
    const bool crLf = text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n';
    return end + (crLf ? 2 : 1);
}

std::optional<std::string_view> HistoryLog::KeyOf(std::size_t i) const {
    const std::string_view line = Line(i);
    const void* eq = std::memchr(line.data(), '=', line.size());
    if (eq == nullptr) return std::nullopt;
    return line.substr(0, static_cast<std::size_t>(static_cast<const char*>(eq) - line.data()));
}

bool HistoryLog::KeyEquals(std::size_t i, std::string_view key) const {
    const std::size_t start = LineStart(i);
    const auto end = static_cast<std::size_t>(lineEnds_[i]);
    if (end - start <= key.size() || text_[start + key.size()] != '=') return false;
    return EqualsIgnoreCase(std::string_view(text_).substr(start, key.size()), key);
}

bool HistoryLog::Insert(std::vector<std::uint32_t>& slots, std::uint32_t i,
                        std::string_view key) const {
    const std::size_t size = slots.size();
    for (std::size_t s = HashKey(key) % size;; s = (s + 1 == size) ? 0 : s + 1) {
        if (slots[s] == 0) {
            slots[s] = i + 1;
            return true;
        }
        if (KeyEquals(slots[s] - 1, key)) return false;
    }
}

void HistoryLog::BuildIndex() {
    std::size_t keyed = 0;
    for (std::size_t i = 0; i < lineEnds_.size(); ++i) {
        if (KeyOf(i)) ++keyed;
    }
    if (keyed == 0) return;
    std::vector<std::uint32_t> slots(TableSize(keyed), 0);
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < lineEnds_.size(); ++i) {
        // Lines go in in file order, so the first line of a key keeps its slot.
        const auto key = KeyOf(i);
        if (key && Insert(slots, static_cast<std::uint32_t>(i), *key)) ++distinct;
    }
    // Many repeated keys leave the table mostly empty; size it to the distinct keys.
    if (distinct < keyed / 2) {
        std::vector<std::uint32_t> smaller(TableSize(distinct), 0);
        for (const std::uint32_t slot : slots) {
            if (slot != 0) Insert(smaller, slot - 1, *KeyOf(slot - 1));
        }
        slots.swap(smaller);
    }
    slots_ = std::move(slots);
}

void HistoryLog::BuildDates() {
    // One bit per plausible date: linear in the text whatever its digit runs look like.
    std::vector<std::uint64_t> seen;
    std::size_t run = 0;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        run = IsDigit(text_[i]) ? run + 1 : 0;
        if (run < 8) continue;
        std::uint32_t value = 0;
        std::size_t slot = 0;
        if (!PlausibleDate(text_.data() + i - 7, value, slot)) continue;
        if (seen.empty())
            seen.resize((static_cast<std::size_t>(kYears) * kDaysPerYearSlot + 63) / 64);
        seen[slot / 64] |= std::uint64_t{1} << (slot % 64);
    }
    for (std::size_t w = 0; w < seen.size(); ++w) {
        for (std::uint64_t bits = seen[w]; bits != 0; bits &= bits - 1) {
            const std::size_t slot = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            const auto year = static_cast<std::uint32_t>(slot / kDaysPerYearSlot);
            const auto rest = static_cast<std::uint32_t>(slot % kDaysPerYearSlot);
            dates_.push_back(year * 10000 + (rest / 31 + 1) * 100 + rest % 31 + 1);
        }
    }
    dates_.shrink_to_fit();
}

std::string_view HistoryLog::Line(std::size_t i) const {
    if (i >= lineEnds_.size()) return {};
    const std::size_t start = LineStart(i);
    return std::string_view(text_).substr(start, static_cast<std::size_t>(lineEnds_[i]) - start);
}

std::string_view HistoryLog::ValueOf(std::string_view key) const {
    // A key never holds "=", so such a query matches nothing.
    if (slots_.empty() || key.find('=') != std::string_view::npos) return {};
    const std::size_t size = slots_.size();
    for (std::size_t s = HashKey(key) % size; slots_[s] != 0; s = (s + 1 == size) ? 0 : s + 1) {
        const std::size_t i = slots_[s] - 1;
        if (KeyEquals(i, key)) return Line(i).substr(key.size() + 1);
    }
    return {};
}

bool HistoryLog::TextContains(std::string_view needle) const {
    if (needle.find_first_of("\r\n") == std::string_view::npos) {
        return text_.find(needle) != std::string::npos;
    }
    // A needle spanning lines has to be matched against the joined text itself.
    std::string joined;
    joined.reserve(text_.size() + lineEnds_.size());
    for (std::size_t i = 0; i < lineEnds_.size(); ++i) {
        joined.append(Line(i));
        joined.append("\r\n");
    }
    return joined.find(needle) != std::string::npos;
}

bool HistoryLog::ContainsDate(std::string_view yyyymmdd) const {
    std::uint32_t value = 0;
    std::size_t slot = 0;
    if (yyyymmdd.size() == 8 && std::all_of(yyyymmdd.begin(), yyyymmdd.end(), IsDigit) &&
        PlausibleDate(yyyymmdd.data(), value, slot)) {
        return std::binary_search(dates_.begin(), dates_.end(), value);
    }
    // Not a date, so not prepared at load.
    return TextContains(yyyymmdd);
}

LogReadStatus ReadLogFileBytes(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return LogReadStatus::Missing;
    // A directory, device or pipe of that name, or a path that cannot even be examined.
    if (error || !std::filesystem::is_regular_file(status)) return LogReadStatus::Unreadable;

    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return LogReadStatus::Unreadable;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    // The writer may have appended meanwhile; take what is there now.
    std::array<char, 65536> chunk;
    while (in.good()) {
        in.read(chunk.data(), chunk.size());
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        bytes.clear();
        return LogReadStatus::Unreadable;
    }
    return LogReadStatus::Ok;
}

LogReadStatus ReadLogFileText(const std::filesystem::path& path, std::string& text) {
    const LogReadStatus status = ReadLogFileBytes(path, text);
    DecodeLogBytesInPlace(text);
    return status;
}

LogReadResult ReadHistoryLog(const std::filesystem::path& path) {
    LogReadResult result;
    std::string bytes;
    result.status = ReadLogFileBytes(path, bytes);
    if (result.status == LogReadStatus::Ok)
        result.log = HistoryLog::FromOwnedBytes(std::move(bytes));
    return result;
}

}  // namespace gapscope
