#include "history/history_log.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>

#include "history/date_set.h"
#include "history/items.h"
#include "history/key_hash.h"
#include "history/log_builder.h"
#include "history/log_text.h"
#include "history/needle_search.h"

#if defined(_WIN32)
#include <share.h>
#endif

namespace gapscope {

namespace {

constexpr std::size_t kFirstTableSize = 16;
// Files are read in chunks of this size, and built while they are read from this size on
// (below it a thread costs more than it saves); a text in memory is built in two halves at
// once from the same size on.
constexpr std::size_t kReadChunk = std::size_t{128} << 10;
constexpr std::size_t kBuildWhileReadingFrom = std::size_t{1} << 20;
// About a tenth of a millisecond of yielding before the builder sleeps until a chunk comes.
constexpr int kYieldsBeforeSleep = 256;
// The builder claims the text it is to build this much at a time, so that the reader can
// take over what is left once it has read it all.
constexpr std::size_t kClaimBytes = std::size_t{64} << 10;
// A tail of less is not worth a hand-over.
constexpr std::size_t kLeastTail = std::size_t{64} << 10;
// The top bit of a position shared between the threads: for the bytes read, the reader has
// stopped; for the text the builder has claimed, the reader has taken the rest.
constexpr std::uint64_t kStopped = std::uint64_t{1} << 63;
// Line numbers are 32-bit, so more slots would never be filled.
constexpr std::size_t kLastTableSize = std::size_t{1} << 32;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUtf16Marked(std::string_view raw) {
    return raw.substr(0, 2) == "\xFF\xFE" || raw.substr(0, 2) == "\xFE\xFF";
}

// A UTF-8 mark is stepped over rather than cut out of the buffer.
std::size_t Utf8MarkBytes(std::string_view raw) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return raw.substr(0, kMark.size()) == kMark ? kMark.size() : 0;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* OpenForReading(const std::filesystem::path& path) {
#if defined(_WIN32)
    // Others may read the log meanwhile, but not write it.
    return _wfsopen(path.c_str(), L"rb", _SH_DENYWR);
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// Opens a log and tells its size on disk (0 when it cannot be told).
LogReadStatus OpenLogFile(const std::filesystem::path& path, FilePtr& file, std::size_t& size) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return LogReadStatus::Missing;
    // A directory, device or pipe of that name, or a path that cannot even be examined.
    if (error || !std::filesystem::is_regular_file(status)) return LogReadStatus::Unreadable;
    file.reset(OpenForReading(path));
    if (!file) return LogReadStatus::Unreadable;
    // Read straight into the caller's buffer, without a stdio buffer in between.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    const auto onDisk = std::filesystem::file_size(path, error);
    size = error ? 0 : static_cast<std::size_t>(onDisk);
    return LogReadStatus::Ok;
}

// The writer may have appended since the file was sized; takes what is there now.
bool ReadRest(std::FILE* file, std::string& rest) {
    std::array<char, 65536> chunk;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        rest.append(chunk.data(), got);
        if (got < chunk.size()) return std::ferror(file) == 0;
    }
}

// A new buffer holding the `got` bytes at `bytes` followed by `rest`.
std::unique_ptr<char[]> Appended(const char* bytes, std::size_t got, const std::string& rest) {
    std::unique_ptr<char[]> joined(new char[got + rest.size()]);
    std::memcpy(joined.get(), bytes, got);
    std::memcpy(joined.get() + got, rest.data(), rest.size());
    return joined;
}

// Claims the text up to `want` for the builder; returns how far it may build, which is less
// once the reader has taken the rest.
std::size_t Claim(std::atomic<std::uint64_t>& bound, std::size_t want) {
    std::uint64_t claimed = bound.load(std::memory_order_acquire);
    for (;;) {
        if ((claimed & kStopped) != 0) return static_cast<std::size_t>(claimed & ~kStopped);
        if (want <= claimed) return static_cast<std::size_t>(claimed);
        if (bound.compare_exchange_weak(claimed, want, std::memory_order_acq_rel)) return want;
    }
}

// The first line start of `text` after `from` whose line is not the last, or 0.
std::size_t LineStartAfter(std::string_view text, std::size_t from) {
    const std::size_t lineFeed = text.find('\n', from);
    return lineFeed == std::string_view::npos || lineFeed + 1 == text.size() ? 0 : lineFeed + 1;
}

// Takes for the reader the second half of the text the builder has not claimed yet, from a
// line start; returns where it begins, or 0 when there is too little left to share.
std::size_t ClaimTail(std::atomic<std::uint64_t>& bound, std::string_view text) {
    std::uint64_t claimed = bound.load(std::memory_order_acquire);
    for (;;) {
        if (text.size() < claimed + 2 * kLeastTail) return 0;
        const std::size_t split = LineStartAfter(text, claimed + (text.size() - claimed) / 2);
        if (split == 0) return 0;
        if (bound.compare_exchange_weak(claimed, split | kStopped, std::memory_order_acq_rel)) {
            return split;
        }
    }
}

}  // namespace

HistoryLog::TextStore::TextStore(std::unique_ptr<char[]> bytes, std::size_t size,
                                 std::size_t offset)
    : bytes_(std::move(bytes)), offset_(offset), size_(size - offset) {}

HistoryLog::TextStore::TextStore(std::string text) : text_(std::move(text)) {}

HistoryLog::TextStore::TextStore(const TextStore& other) {
    *this = other;
}

HistoryLog::TextStore& HistoryLog::TextStore::operator=(const TextStore& other) {
    if (this == &other) return *this;
    text_ = std::string(other.View());
    bytes_.reset();
    offset_ = 0;
    size_ = 0;
    return *this;
}

HistoryLog::TextStore::TextStore(TextStore&& other) noexcept {
    *this = std::move(other);
}

HistoryLog::TextStore& HistoryLog::TextStore::operator=(TextStore&& other) noexcept {
    if (this == &other) return *this;
    bytes_ = std::move(other.bytes_);
    text_ = std::move(other.text_);
    offset_ = std::exchange(other.offset_, 0);
    size_ = std::exchange(other.size_, 0);
    other.text_.clear();
    return *this;
}

std::string_view HistoryLog::TextStore::View() const {
    if (bytes_) return {bytes_.get() + offset_, size_};
    return text_;
}

HistoryLog HistoryLog::FromBytes(std::string_view bytes, const LogPreparation& prepare) {
    return FromStore(TextStore(DecodeLogBytes(bytes)), prepare);
}

HistoryLog HistoryLog::FromOwnedBytes(std::string bytes, const LogPreparation& prepare) {
    DecodeLogBytesInPlace(bytes);
    return FromStore(TextStore(std::move(bytes)), prepare);
}

HistoryLog HistoryLog::FromFileBuffer(std::unique_ptr<char[]> bytes, std::size_t size,
                                      const LogPreparation& prepare) {
    const std::string_view raw(bytes.get(), size);
    if (IsUtf16Marked(raw)) return FromStore(TextStore(DecodeLogBytes(raw)), prepare);
    return FromStore(TextStore(std::move(bytes), size, Utf8MarkBytes(raw)), prepare);
}

HistoryLog HistoryLog::FromStore(TextStore store, const LogPreparation& prepare) {
    HistoryLog log;
    log.store_ = std::move(store);
    const std::string_view text = log.Text();
    Builder builder(log, text.size(), prepare);
    // A large text is built in two halves at once, split at a line start.
    if (const std::size_t split =
            text.size() < kBuildWhileReadingFrom ? 0 : LineStartAfter(text, text.size() / 2);
        split != 0) {
        Builder::Tail tail;
        {
            const std::jthread other([&] { tail.Build(text.data(), split, text.size(), prepare); });
            builder.CatchUp(text.data(), split);
        }
        builder.Absorb(tail);
    }
    builder.Finish(text.data(), text.size());
    return log;
}

void HistoryLog::TakeNeedles(const NeedleSearch& search,
                             std::span<const std::string_view> needles) {
    const std::size_t count = std::min(needles.size(), NeedleSearch::kMaxNeedles);
    preparedNeedles_.assign(needles.begin(), needles.begin() + count);
    preparedFound_ = search.Found();
}

void HistoryLog::IndexKeys(const std::vector<Slot>& keyed) {
    // Sized once for every keyed line, at most two thirds full (repeated keys only leave it
    // emptier).
    std::size_t size = kFirstTableSize;
    while (size < kLastTableSize && size * 2 < keyed.size() * 3) size *= 2;
    slots_.assign(size, Slot{});
    // The keys go in grouped by the part of the table their home slot lies in, so that the
    // table fills part by part rather than at random. The grouping is stable: the lines of
    // one key keep their file order, and the first line of a key keeps its slot.
    const int groupBits = std::min(std::countr_zero(size), 12);
    std::vector<std::uint32_t> starts((std::size_t{1} << groupBits) + 1);
    const auto group = [&](const Slot& slot) {
        return static_cast<std::size_t>(slot.hash) >> (32 - groupBits);
    };
    for (const Slot& slot : keyed) ++starts[group(slot) + 1];
    for (std::size_t g = 1; g < starts.size(); ++g) starts[g] += starts[g - 1];
    std::vector<Slot> grouped(keyed.size());
    for (const Slot& slot : keyed) grouped[starts[group(slot)]++] = slot;

    const std::size_t mask = size - 1;
    for (const Slot& slot : grouped) {
        std::size_t s = HomeSlot(slot.hash, size);
        bool known = false;
        for (; slots_[s].line != 0 && !known; s = (s + 1) & mask) {
            known = slots_[s].hash == slot.hash &&
                    KeyEquals(slots_[s].line - 1, KeyOfLine(slot.line - 1));
        }
        if (!known) slots_[s] = slot;
    }
}

std::string_view HistoryLog::KeyOfLine(std::size_t i) const {
    const std::string_view line = Line(i);
    return line.substr(0, line.find('='));
}

void HistoryLog::ReserveLike(std::size_t bytesSoFar, std::size_t totalBytes) {
    // The rest of a log is taken to look like its start, with an eighth to spare.
    const std::size_t total = std::max(totalBytes, bytesSoFar);
    const double scale = 1.125 * static_cast<double>(total) /
                         static_cast<double>(std::max<std::size_t>(bytesSoFar, 1));
    lineEnds_.reserve(
        static_cast<std::size_t>(std::min(static_cast<double>(lineEnds_.size()) * scale, 4e9)));
}

std::size_t HistoryLog::LineStart(std::size_t i) const {
    if (i == 0) return 0;
    const std::string_view text = Text();
    const auto end = static_cast<std::size_t>(lineEnds_[i - 1]);
    const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return end + (crLf ? 2 : 1);
}

bool HistoryLog::KeyEquals(std::size_t i, std::string_view key) const {
    const std::string_view text = Text();
    const std::size_t start = LineStart(i);
    const auto end = static_cast<std::size_t>(lineEnds_[i]);
    if (end - start <= key.size() || text[start + key.size()] != '=') return false;
    return EqualsIgnoreCase(text.substr(start, key.size()), key);
}

std::string_view HistoryLog::Line(std::size_t i) const {
    if (i >= lineEnds_.size()) return {};
    const std::size_t start = LineStart(i);
    return Text().substr(start, static_cast<std::size_t>(lineEnds_[i]) - start);
}

std::string_view HistoryLog::ValueOf(std::string_view key) const {
    // A key never holds "=", so such a query matches nothing.
    if (slots_.empty() || key.find('=') != std::string_view::npos) return {};
    const std::uint32_t hash = HashKey(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = HomeSlot(hash, slots_.size()); slots_[s].line != 0; s = (s + 1) & mask) {
        const Slot slot = slots_[s];
        if (slot.hash != hash) continue;
        const std::size_t i = slot.line - 1;
        if (KeyEquals(i, key)) return Line(i).substr(key.size() + 1);
    }
    return {};
}

bool HistoryLog::TextContains(std::string_view needle) const {
    if (!HasLineBreak(needle)) return Text().find(needle) != std::string_view::npos;
    // A needle spanning lines has to be matched against the joined text itself.
    std::string joined;
    joined.reserve(Text().size() + lineEnds_.size());
    for (std::size_t i = 0; i < lineEnds_.size(); ++i) {
        joined.append(Line(i));
        joined.append("\r\n");
    }
    return joined.find(needle) != std::string::npos;
}

std::uint32_t HistoryLog::TextContainsEach(std::initializer_list<std::string_view> needles) const {
    return TextContainsEach(std::span<const std::string_view>(needles.begin(), needles.size()));
}

std::uint32_t HistoryLog::TextContainsEach(std::span<const std::string_view> needles) const {
    const std::span<const std::string_view> wanted =
        needles.first(std::min(needles.size(), NeedleSearch::kMaxNeedles));
    std::uint32_t found = 0;
    if (std::equal(wanted.begin(), wanted.end(), preparedNeedles_.begin(),
                   preparedNeedles_.end())) {
        found = preparedFound_;
    } else {
        NeedleSearch search(wanted);
        search.Advance(Text(), true);
        found = search.Found();
    }
    // Empty needles and those spanning lines are matched against the joined text.
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        if (!IsPlainNeedle(wanted[k]) && TextContains(wanted[k])) found |= std::uint32_t{1} << k;
    }
    return found;
}

bool HistoryLog::ContainsDate(std::string_view yyyymmdd) const {
    if (yyyymmdd.size() == 8 && std::all_of(yyyymmdd.begin(), yyyymmdd.end(), IsDigit)) {
        const std::optional<std::uint32_t> value = PlausibleDateValue(yyyymmdd);
        if (datesPrepared_ && value && DateSet::Covers(*value)) {
            return std::binary_search(dates_.begin(), dates_.end(), *value);
        }
    }
    // Not a date kept at load: looked for in the text.
    return TextContains(yyyymmdd);
}

LogReadStatus ReadLogFileBytes(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    FilePtr file;
    std::size_t size = 0;
    const LogReadStatus status = OpenLogFile(path, file, size);
    if (status != LogReadStatus::Ok) return status;
    bytes.resize(size);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (!ReadRest(file.get(), bytes)) {
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

LogReadResult ReadHistoryLog(const std::filesystem::path& path, const LogPreparation& prepare,
                             const std::function<void()>& alongside) {
    if (!alongside) return HistoryLog::Read(path, prepare, {});
    bool done = false;
    LogReadResult result = HistoryLog::Read(path, prepare, [&] {
        alongside();
        done = true;
    });
    if (!done) alongside();
    return result;
}

LogReadResult HistoryLog::Read(const std::filesystem::path& path, const LogPreparation& prepare,
                               const std::function<void()>& onReader) {
    LogReadResult result;
    FilePtr file;
    std::size_t size = 0;
    result.status = OpenLogFile(path, file, size);
    if (result.status != LogReadStatus::Ok) return result;
    // One buffer of the file's size, never cleared beforehand. The first chunk tells the
    // encoding; a large 8-bit or UTF-8 log is then built behind a thread reading ahead.
    std::unique_ptr<char[]> bytes(new char[size]);
    std::size_t got = std::fread(bytes.get(), 1, std::min(size, kReadChunk), file.get());
    const std::string_view head(bytes.get(), got);
    if (size < kBuildWhileReadingFrom || got < kReadChunk || IsUtf16Marked(head)) {
        got += std::fread(bytes.get() + got, 1, size - got, file.get());
        std::string rest;
        if (!ReadRest(file.get(), rest)) {
            result.status = LogReadStatus::Unreadable;
            return result;
        }
        if (!rest.empty()) {
            bytes = Appended(bytes.get(), got, rest);
            got += rest.size();
        }
        result.log = HistoryLog::FromFileBuffer(std::move(bytes), got, prepare);
        return result;
    }

    const std::size_t offset = Utf8MarkBytes(head);
    HistoryLog& log = result.log;
    log.store_ = HistoryLog::TextStore(std::move(bytes), size, offset);
    char* buffer = log.store_.Buffer();
    const char* const text = buffer + offset;
    HistoryLog::Builder builder(log, size - offset, prepare);
    // The end of the text, when the reader builds it.
    HistoryLog::Builder::Tail tail;
    {
        // Bytes read so far; the top bit is set once the reader has stopped.
        std::atomic<std::uint64_t> progress{got};
        std::atomic<std::uint64_t> bound{0};
        // Reads ahead; once all is read, it takes the half of what the builder has yet to
        // claim and builds it. Joined before the buffer and the file go, even when the
        // builder throws.
        const std::jthread reader([&](const std::stop_token& stop) {
            std::size_t have = got;
            while (have < size && !stop.stop_requested()) {
                const std::size_t n =
                    std::fread(buffer + have, 1, std::min(kReadChunk, size - have), file.get());
                if (n == 0) break;  // the end (the file shrank) or an error, told apart later
                have += n;
                progress.store(have, std::memory_order_release);
                progress.notify_one();
            }
            // Whatever the caller has to do besides, while the builder catches up; the tail
            // is claimed afterwards, so that the two threads still finish together.
            if (onReader && !stop.stop_requested()) onReader();
            const std::size_t split =
                stop.stop_requested() ? 0 : ClaimTail(bound, std::string_view(text, have - offset));
            progress.store(have | kStopped, std::memory_order_release);
            progress.notify_one();
            if (split != 0) tail.Build(text, split, have - offset, prepare);
        });
        std::uint64_t seen = got;
        for (;;) {
            const auto available = static_cast<std::size_t>(seen & ~kStopped) - offset;
            // What has arrived, a claim at a time, up to the reader's tail once it has one.
            for (std::size_t before = ~std::size_t{0}; builder.Done() != before;) {
                before = builder.Done();
                builder.Advance(text, Claim(bound, std::min(available, before + kClaimBytes)));
            }
            if ((seen & kStopped) != 0) break;
            // The next chunk is usually a moment away: waiting for it by yielding keeps this
            // processor awake, where sleeping would cost a wake-up per chunk (dear on a
            // virtual machine). Only a slow disk makes it sleep.
            for (int spin = 0; spin < kYieldsBeforeSleep; ++spin) {
                if (progress.load(std::memory_order_acquire) != seen) break;
                std::this_thread::yield();
            }
            progress.wait(seen, std::memory_order_acquire);
            seen = progress.load(std::memory_order_acquire);
        }
        got = static_cast<std::size_t>(seen & ~kStopped);
        // The reader decided on its tail before it stopped.
        if (const std::uint64_t claimed = bound.load(std::memory_order_acquire);
            (claimed & kStopped) != 0) {
            builder.CatchUp(text, static_cast<std::size_t>(claimed & ~kStopped));
        }
    }
    builder.Absorb(tail);
    std::string rest;
    if (std::ferror(file.get()) != 0 || !ReadRest(file.get(), rest)) {
        result.log = HistoryLog();
        result.status = LogReadStatus::Unreadable;
        return result;
    }
    if (!rest.empty()) {
        // The log grew while it was read: the text moves to a larger buffer and the build
        // goes on over the new bytes.
        std::unique_ptr<char[]> grown = Appended(buffer, got, rest);
        got += rest.size();
        log.store_ = HistoryLog::TextStore(std::move(grown), got, offset);
        buffer = log.store_.Buffer();
    }
    log.store_.Truncate(got - offset);
    builder.Finish(buffer + offset, got - offset);
    return result;
}

}  // namespace gapscope
