#include "history/history_log.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <new>

#include "history/items.h"
#include "history/log_text.h"

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

}  // namespace

HistoryLog HistoryLog::FromBytes(std::string bytes, Dates dates) {
    return FromText(DecodeLogBytes(std::move(bytes)), dates);
}

HistoryLog HistoryLog::FromText(std::string text, Dates dates) {
    HistoryLog log;
    if (dates == Dates::Collect) log.dates_.resize(kDatePlaces);
    // Even an empty text is the log's text, in which an empty needle is found.
    log.AddText(std::move(text));
    return log;
}

void HistoryLog::Append(std::string text) {
    if (!text.empty()) AddText(std::move(text));
}

void HistoryLog::AddText(std::string text) {
    // Everything that may fail is allocated before the log changes, so that running out of
    // memory leaves it as it was; the lines are counted first, so that each table is
    // allocated once, at its size.
    const auto owner = std::make_shared<const std::string>(std::move(text));
    const std::string_view all = *owner;
    std::vector<std::size_t> begins = {0};  // where each chunk begins in `all`
    std::vector<std::size_t> counts = {0};  // and its lines
    std::size_t keyed = 0;
    ForEachLine(all, [&](std::string_view line) {
        const auto start = static_cast<std::size_t>(line.data() - all.data());
        if (start - begins.back() > UINT32_MAX) {
            begins.push_back(start);
            counts.push_back(0);
        }
        ++counts.back();
        keyed += line.find('=') != std::string_view::npos ? 1 : 0;
    });
    std::vector<Chunk> added;
    std::size_t lines = lineCount_;
    for (std::size_t k = 0; k < begins.size(); ++k) {
        const std::size_t end = k + 1 < begins.size() ? begins[k + 1] : all.size();
        added.push_back({owner, all.substr(begins[k], end - begins[k]), lines, {}});
        added.back().starts.reserve(counts[k]);
        lines += counts[k];
    }
    // A slot numbers its line in 32 bits; so many lines would not fit in memory anyway.
    if (lines >= UINT32_MAX) throw std::bad_alloc();
    ReserveKeys(keyCount_ + keyed);
    if (chunks_.capacity() < chunks_.size() + added.size()) {
        chunks_.reserve(std::max(chunks_.size() + added.size(), 2 * chunks_.capacity()));
    }

    // From here on nothing allocates.
    const std::size_t firstAdded = chunks_.size();
    for (Chunk& chunk : added) chunks_.push_back(std::move(chunk));
    for (std::size_t c = firstAdded; c < chunks_.size(); ++c) {
        Chunk& chunk = chunks_[c];
        ForEachLine(chunk.text, [&](std::string_view line) {
            chunk.starts.push_back(static_cast<std::uint32_t>(line.data() - chunk.text.data()));
            IndexKey(lineCount_, line);
            if (!dates_.empty()) CollectDates(line);
            ++lineCount_;
        });
    }
}

std::string_view HistoryLog::LineAt(std::size_t i) const {
    // The last chunk that begins at or before line i.
    const auto after =
        std::upper_bound(chunks_.begin(), chunks_.end(), i,
                         [](std::size_t line, const Chunk& c) { return line < c.firstLine; });
    const Chunk& chunk = *std::prev(after);
    const std::size_t k = i - chunk.firstLine;
    const std::size_t start = chunk.starts[k];
    std::size_t end = k + 1 < chunk.starts.size() ? chunk.starts[k + 1] : chunk.text.size();
    // The line end, LF, CR or CR LF, is not part of the line, which holds neither.
    if (end > start && chunk.text[end - 1] == '\n') --end;
    if (end > start && chunk.text[end - 1] == '\r') --end;
    return chunk.text.substr(start, end - start);
}

bool HistoryLog::LineHasKey(std::size_t i, std::string_view key) const {
    // A key never holds "=", so the line's first "=" is the one right after the key.
    const std::string_view line = LineAt(i);
    return line.size() > key.size() && line[key.size()] == '=' &&
           EqualsIgnoreCase(line.substr(0, key.size()), key);
}

void HistoryLog::ReserveKeys(std::size_t keys) {
    // Sized by the keyed lines, so that a log of junk lines costs no table; it grows by
    // doubling, each key moved by its hash without reading its line.
    if (keys == 0) return;
    const std::size_t size = std::bit_ceil(keys + keys / 2 + 1);
    if (size <= slots_.size()) return;
    std::vector<Slot> larger(size);
    for (const Slot slot : slots_) {
        if (slot.line == 0) continue;
        std::size_t s = slot.hash & (size - 1);
        while (larger[s].line != 0) s = (s + 1) & (size - 1);
        larger[s] = slot;
    }
    slots_ = std::move(larger);
}

void HistoryLog::IndexKey(std::size_t i, std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = line.substr(0, equals);
    const std::uint32_t hash = FoldedHash(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot slot = slots_[s];
        if (slot.line == 0) {
            slots_[s] = {static_cast<std::uint32_t>(i + 1), hash};
            ++keyCount_;
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
            return LineAt(slot.line - 1).substr(key.size() + 1);
        }
    }
    return {};
}

bool HistoryLog::TextContains(std::string_view needle) const {
    // Chunks end at line ends, which no needle crosses.
    return std::any_of(chunks_.begin(), chunks_.end(), [needle](const Chunk& chunk) {
        return chunk.text.find(needle) != std::string_view::npos;
    });
}

bool HistoryLog::TextContainsAny(std::initializer_list<std::string_view> needles) const {
    if (needles.size() == 0) return false;
    const char lead = needles.begin()->empty() ? '\0' : needles.begin()->front();
    const bool oneLead = std::all_of(needles.begin(), needles.end(), [lead](std::string_view n) {
        return !n.empty() && n.front() == lead;
    });
    if (!oneLead) {
        return std::any_of(needles.begin(), needles.end(),
                           [this](std::string_view n) { return TextContains(n); });
    }
    for (const Chunk& chunk : chunks_) {
        const std::string_view text = chunk.text;
        for (std::size_t at = text.find(lead); at != std::string_view::npos;
             at = text.find(lead, at + 1)) {
            for (const std::string_view needle : needles) {
                if (text.substr(at).starts_with(needle)) return true;
            }
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

}  // namespace gapscope
