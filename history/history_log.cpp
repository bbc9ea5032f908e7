#include "history/history_log.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

#include "history/date_set.h"
#include "history/items.h"
#include "history/log_text.h"

#if defined(_WIN32)
#include <share.h>
#endif

namespace gapscope {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;

std::uint64_t LoadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// ASCII letters of eight bytes at once to lower case; other bytes stay as they are.
std::uint64_t FoldCase(std::uint64_t w) {
    const std::uint64_t low = w & kLowBits;
    const std::uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
    const std::uint64_t pastZ = low + (0x80 - 'Z' - 1) * kOnes;
    const std::uint64_t upper = atLeastA & ~pastZ & ~w & kHighBits;
    return w | (upper >> 2);
}

std::uint64_t MixWord(std::uint64_t h, std::uint64_t w) {
    h = (h ^ w) * 0xff51afd7ed558ccdULL;
    return h ^ (h >> 29);
}

// Hash of the case-folded key, eight bytes at a time, finished so that the top bits that
// choose the slot depend on every byte (minute keys differ only in their last digits).
std::uint32_t HashKey(std::string_view key) {
    const char* const p = key.data();
    const std::size_t n = key.size();
    std::uint64_t h = static_cast<std::uint64_t>(n) * 0x9E3779B97F4A7C15ULL;
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) h = MixWord(h, FoldCase(LoadWord(p + i)));
        // The last eight bytes, overlapping the word before when the length is no multiple.
        h = MixWord(h, FoldCase(LoadWord(p + n - 8)));
    } else if (n >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        h = MixWord(h, FoldCase(std::uint64_t{first} << 32 | last));
    } else if (n > 0) {
        const auto byte = [&](std::size_t i) {
            return std::uint64_t{static_cast<unsigned char>(p[i])};
        };
        h = MixWord(h, FoldCase(byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16));
    }
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h >> 32);
}

constexpr std::size_t kFirstTableSize = 16;
// After this many lines the size of the whole log is estimated.
constexpr std::size_t kLinesToEstimate = 2048;
constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
constexpr std::size_t kKeysInFlight = 16;
// Blocks classified at a time: 4 KB of text, still in the nearest cache when it is read.
constexpr std::size_t kBlocksPerScan = 64;
// Line numbers are 32-bit, so more slots would never be filled.
constexpr std::size_t kLastTableSize = std::size_t{1} << 32;

std::size_t HomeSlot(std::uint32_t hash, std::size_t tableSize) {
    // Table sizes are powers of two of at least 16 slots.
    return static_cast<std::size_t>(hash) >> (32 - std::countr_zero(tableSize));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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

HistoryLog HistoryLog::FromBytes(std::string_view bytes) {
    return FromStore(TextStore(DecodeLogBytes(bytes)));
}

HistoryLog HistoryLog::FromOwnedBytes(std::string bytes) {
    DecodeLogBytesInPlace(bytes);
    return FromStore(TextStore(std::move(bytes)));
}

HistoryLog HistoryLog::FromFileBuffer(std::unique_ptr<char[]> bytes, std::size_t size) {
    const std::string_view raw(bytes.get(), size);
    const std::string_view utf8Mark = "\xEF\xBB\xBF";
    if (raw.substr(0, 2) == "\xFF\xFE" || raw.substr(0, 2) == "\xFE\xFF") {
        return FromStore(TextStore(DecodeLogBytes(raw)));
    }
    // A UTF-8 mark is stepped over rather than cut out of the buffer.
    const std::size_t offset = raw.substr(0, utf8Mark.size()) == utf8Mark ? utf8Mark.size() : 0;
    return FromStore(TextStore(std::move(bytes), size, offset));
}

HistoryLog HistoryLog::FromStore(TextStore store) {
    HistoryLog log;
    log.store_ = std::move(store);
    log.Build();
    return log;
}

void HistoryLog::Build() {
    const std::string_view text = Text();
    const char* const p = text.data();
    const std::size_t n = text.size();
    const BlockScanner& scanner = BestBlockScanner();
    DateSet dates(text);

    // Digit runs long enough to hold a date: each block continues the previous block's.
    std::uint64_t lastDigits = 0;
    std::uint64_t lastPairs = 0;
    std::uint64_t lastQuads = 0;
    std::size_t runStart = 0;
    std::size_t openRunEnd = 0;  // a run reaching the end of its block: where that is
    bool runOpen = false;

    std::size_t lineStart = 0;
    std::size_t keyEnd = kNoKey;  // the current line's first "=" once seen
    // Keys wait a little before they go into the table, so that the slots they need are
    // fetched from memory meanwhile rather than one after the other.
    std::array<PendingKey, kKeysInFlight> pending;
    std::size_t queued = 0;
    const auto addLine = [&](std::size_t end) {
        lineEnds_.push_back(end);
        if (lineEnds_.size() == kLinesToEstimate) ReserveLike(end);
        // Slots hold line numbers in 32 bits; a log of more lines has no key beyond them.
        if (keyEnd == kNoKey || lineEnds_.size() >= std::numeric_limits<std::uint32_t>::max()) {
            return;
        }
        const PendingKey key{lineStart, keyEnd - lineStart,
                             HashKey(text.substr(lineStart, keyEnd - lineStart)),
                             static_cast<std::uint32_t>(lineEnds_.size())};
        PrefetchSlot(key.hash);
        PendingKey& place = pending[queued++ % kKeysInFlight];
        if (queued > kKeysInFlight) InsertKey(place);
        place = key;
    };

    // One part of the text at a time, kBlocksPerScan blocks or the padded last block. The
    // blocks are first reduced to lists (where lines break, which blocks end windows)
    // without a branch on what a block holds, as that is all but unforeseeable; the lists
    // are then worked through.
    std::array<BlockClasses, kBlocksPerScan> classes;
    std::array<std::uint16_t, kBlocksPerScan * kBlockBytes + 2> breaks;
    std::array<std::uint8_t, kBlocksPerScan + 1> windowBlocks;
    std::array<std::uint64_t, kBlocksPerScan + 1> windowMasks;
    const auto part = [&](std::size_t partBase, std::size_t count) {
        std::size_t breakCount = 0;
        std::size_t windowCount = 0;
        for (std::size_t b = 0; b < count; ++b) {
            const BlockClasses& c = classes[b];
            // Bit i of `eights`: the bytes i-7..i are all digits, so a window ends at i.
            const std::uint64_t pairs = c.digit & ((c.digit << 1) | (lastDigits >> 63));
            const std::uint64_t quads = pairs & ((pairs << 2) | (lastPairs >> 62));
            const std::uint64_t eights = quads & ((quads << 4) | (lastQuads >> 60));
            lastDigits = c.digit;
            lastPairs = pairs;
            lastQuads = quads;
            windowBlocks[windowCount] = static_cast<std::uint8_t>(b);
            windowMasks[windowCount] = eights;
            windowCount += eights != 0;

            const auto offset = static_cast<std::uint16_t>(b * kBlockBytes);
            std::uint64_t bits = c.breaks;
            for (int unrolled = 0; unrolled < 2; ++unrolled) {
                // Written whether or not there is a break; only a break is counted. The top
                // bit keeps the count of zeros defined, and free of a branch, for no break.
                breaks[breakCount] =
                    static_cast<std::uint16_t>(offset + std::countr_zero(bits | kTopBit));
                breakCount += bits != 0;
                bits &= bits - 1;
            }
            for (; bits != 0; bits &= bits - 1) {
                breaks[breakCount++] = static_cast<std::uint16_t>(offset + std::countr_zero(bits));
            }
        }

        // Each group of consecutive window ends is one run of digits: windows end at
        // start + 7 .. end - 1 of the run start..end.
        for (std::size_t w = 0; w < windowCount; ++w) {
            const std::size_t base = partBase + windowBlocks[w] * kBlockBytes;
            std::uint64_t windows = windowMasks[w];
            if (runOpen && (base != openRunEnd || (windows & 1) == 0)) {
                dates.AddRun(runStart, openRunEnd);
                runOpen = false;
            }
            while (windows != 0) {
                const int at = std::countr_zero(windows);
                const int ones = std::countr_zero(~(windows >> at));
                if (!runOpen) runStart = base + static_cast<std::size_t>(at) - 7;
                if (at + ones == 64) {
                    runOpen = true;
                    openRunEnd = base + kBlockBytes;
                    break;
                }
                runOpen = false;
                dates.AddRun(runStart, base + static_cast<std::size_t>(at + ones));
                windows &= ~std::uint64_t{0} << (at + ones);
            }
        }

        // The first "=" of the current line from `from` on, before `to`, within this part.
        const std::size_t partEnd = partBase + count * kBlockBytes;
        const auto firstEquals = [&](std::size_t from, std::size_t to) {
            while (from < to) {
                const std::size_t b = (from - partBase) / kBlockBytes;
                const std::uint64_t bits = classes[b].equals >> ((from - partBase) % kBlockBytes);
                if (bits != 0) {
                    const std::size_t at = from + static_cast<std::size_t>(std::countr_zero(bits));
                    return at < to ? at : kNoKey;
                }
                from = partBase + (b + 1) * kBlockBytes;
            }
            return kNoKey;
        };
        for (std::size_t i = 0; i < breakCount; ++i) {
            const std::size_t end = partBase + breaks[i];
            // The LF of a CR LF pair: the line ended at the CR.
            if (p[end] == '\n' && end > 0 && p[end - 1] == '\r') {
                lineStart = end + 1;
                continue;
            }
            if (keyEnd == kNoKey) keyEnd = firstEquals(std::max(lineStart, partBase), end);
            addLine(end);
            lineStart = end + 1;
            keyEnd = kNoKey;
        }
        // The line still open at the end of the part.
        if (keyEnd == kNoKey && lineStart < partEnd) {
            keyEnd = firstEquals(std::max(lineStart, partBase), partEnd);
        }
    };

    const std::size_t wholeBlocks = n / kBlockBytes;
    for (std::size_t first = 0; first < wholeBlocks; first += kBlocksPerScan) {
        const std::size_t count = std::min(kBlocksPerScan, wholeBlocks - first);
        scanner.classify(p + first * kBlockBytes, count, classes.data());
        part(first * kBlockBytes, count);
    }
    // The last part block, padded with NULs (no line end, no "=", no digit).
    if (const std::size_t rest = n % kBlockBytes; rest != 0) {
        std::array<char, kBlockBytes> tail{};
        std::memcpy(tail.data(), p + wholeBlocks * kBlockBytes, rest);
        scanner.classify(tail.data(), 1, classes.data());
        part(wholeBlocks * kBlockBytes, 1);
    }
    // A run reaching the end of the text, and a final line without a line end.
    if (runOpen) dates.AddRun(runStart, openRunEnd);
    if (lineStart < n) addLine(n);
    for (std::size_t k = queued > kKeysInFlight ? queued - kKeysInFlight : 0; k < queued; ++k) {
        InsertKey(pending[k % kKeysInFlight]);
    }
    dates_ = dates.Sorted();
}

void HistoryLog::PrefetchSlot(std::uint32_t hash) const {
#if defined(__GNUC__)
    if (!slots_.empty()) __builtin_prefetch(&slots_[HomeSlot(hash, slots_.size())]);
#else
    (void)hash;
#endif
}

void HistoryLog::InsertKey(const PendingKey& pending) {
    const std::string_view key = Text().substr(pending.start, pending.length);
    if ((keys_ + 1) * 3 > slots_.size() * 2 && slots_.size() < kLastTableSize) {
        GrowIndex(2 * slots_.size());
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = HomeSlot(pending.hash, slots_.size());
    for (; slots_[s].line != 0; s = (s + 1) & mask) {
        // Keys go in in file order, so the first line of a key keeps its slot.
        if (slots_[s].hash == pending.hash && KeyEquals(slots_[s].line - 1, key)) return;
    }
    slots_[s] = Slot{pending.line, pending.hash};
    ++keys_;
}

void HistoryLog::ReserveLike(std::size_t bytesSoFar) {
    // The rest of a log is taken to look like its start, with an eighth to spare, so that
    // the table is not rebuilt again and again as it fills.
    const std::size_t total = Text().size();
    const auto scaled = [&](std::size_t count) {
        const double estimate = static_cast<double>(count) * static_cast<double>(total) /
                                static_cast<double>(std::max<std::size_t>(bytesSoFar, 1));
        return static_cast<std::size_t>(std::min(estimate * 1.125, 4e9));
    };
    lineEnds_.reserve(scaled(lineEnds_.size()));
    std::size_t size = slots_.empty() ? kFirstTableSize : slots_.size();
    while (size < kLastTableSize && size * 2 < scaled(keys_) * 3) size *= 2;
    if (size > slots_.size()) GrowIndex(size);
}

void HistoryLog::GrowIndex(std::size_t size) {
    std::vector<Slot> grown(std::max(kFirstTableSize, size));
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.line == 0) continue;
        std::size_t s = HomeSlot(slot.hash, grown.size());
        while (grown[s].line != 0) s = (s + 1) & mask;
        grown[s] = slot;
    }
    slots_.swap(grown);
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
    constexpr std::size_t kMaxNeedles = 32;
    std::array<std::string_view, kMaxNeedles> wanted;
    std::uint32_t found = 0;
    std::uint32_t pending = 0;
    std::size_t count = 0;
    for (const std::string_view needle : needles) {
        if (count == kMaxNeedles) break;
        const std::uint32_t bit = std::uint32_t{1} << count;
        wanted[count++] = needle;
        if (needle.empty() || HasLineBreak(needle)) {
            if (TextContains(needle)) found |= bit;
        } else {
            pending |= bit;
        }
    }

    // A needle may stand where its first, middle and last bytes stand; only there is it
    // compared. Needles that differ only in the middle byte share one test without it;
    // longer ones are tested by their first byte alone.
    std::array<NeedleTest, kMaxNeedles> tests;
    std::size_t testCount = 0;
    const auto collectTests = [&] {
        testCount = 0;
        for (std::uint32_t bits = pending; bits != 0; bits &= bits - 1) {
            const std::string_view needle =
                wanted[static_cast<std::size_t>(std::countr_zero(bits))];
            const std::size_t span = needle.size() <= kBlockBytes ? needle.size() - 1 : 0;
            const NeedleTest test{needle.front(), needle[span / 2], needle[span],
                                  static_cast<std::uint8_t>(span / 2),
                                  static_cast<std::uint8_t>(span)};
            NeedleTest* const same =
                std::find_if(tests.begin(), tests.begin() + testCount, [&](const NeedleTest& o) {
                    return o.first == test.first && o.last == test.last && o.span == test.span;
                });
            if (same == tests.begin() + testCount) {
                tests[testCount++] = test;
            } else if (same->middle != test.middle || same->middleAt != test.middleAt) {
                same->middle = test.first;
                same->middleAt = 0;
            }
        }
    };
    // Compares the pending needles at the candidate places; true when one was found.
    const std::string_view text = Text();
    const std::size_t n = text.size();
    const auto check = [&](std::size_t base, std::uint64_t candidates) {
        bool changed = false;
        for (std::uint64_t bits = candidates; bits != 0; bits &= bits - 1) {
            const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(bits));
            if (at >= n) break;
            for (std::uint32_t left = pending; left != 0; left &= left - 1) {
                const std::size_t k = static_cast<std::size_t>(std::countr_zero(left));
                const std::string_view needle = wanted[k];
                if (text[at] == needle.front() && text.substr(at, needle.size()) == needle) {
                    found |= std::uint32_t{1} << k;
                    pending &= ~(std::uint32_t{1} << k);
                    changed = true;
                }
            }
        }
        return changed;
    };

    // Whole blocks whose reads stay inside the text, a few at a time; the rest from a copy
    // padded with NULs.
    const BlockScanner& scanner = BestBlockScanner();
    std::array<std::uint64_t, kBlocksPerScan> candidates;
    const std::size_t reach = 2 * kBlockBytes - 1;
    const std::size_t safeBlocks = n >= reach ? (n - reach) / kBlockBytes + 1 : 0;
    collectTests();
    std::size_t first = 0;
    while (first < safeBlocks && pending != 0) {
        const std::size_t blocks = std::min(kBlocksPerScan, safeBlocks - first);
        scanner.matchNeedles(text.data() + first * kBlockBytes, blocks, tests.data(), testCount,
                             candidates.data());
        std::size_t next = first + blocks;
        for (std::size_t b = 0; b < blocks; ++b) {
            if (candidates[b] != 0 && check((first + b) * kBlockBytes, candidates[b])) {
                // Fewer needles, other tests: the scan goes on from the next block.
                collectTests();
                next = first + b + 1;
                break;
            }
        }
        first = next;
    }
    const std::size_t done = std::min(first, safeBlocks) * kBlockBytes;
    if (pending != 0 && done < n) {
        std::array<char, 4 * kBlockBytes> tail{};
        std::memcpy(tail.data(), text.data() + done, n - done);
        const std::size_t blocks = (n - done + kBlockBytes - 1) / kBlockBytes;
        scanner.matchNeedles(tail.data(), blocks, tests.data(), testCount, candidates.data());
        for (std::size_t b = 0; b < blocks && pending != 0; ++b) {
            if (candidates[b] != 0 && check(done + b * kBlockBytes, candidates[b])) collectTests();
        }
    }
    return found;
}

bool HistoryLog::ContainsDate(std::string_view yyyymmdd) const {
    if (yyyymmdd.size() == 8 && std::all_of(yyyymmdd.begin(), yyyymmdd.end(), IsDigit)) {
        if (const std::optional<std::uint32_t> value = PlausibleDateValue(yyyymmdd)) {
            return std::binary_search(dates_.begin(), dates_.end(), *value);
        }
    }
    // Not a date, so not prepared at load.
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

LogReadResult ReadHistoryLog(const std::filesystem::path& path) {
    LogReadResult result;
    FilePtr file;
    std::size_t size = 0;
    result.status = OpenLogFile(path, file, size);
    if (result.status != LogReadStatus::Ok) return result;
    // One buffer of the file's size, filled by one read and never cleared beforehand.
    std::unique_ptr<char[]> bytes(new char[size]);
    std::size_t got = std::fread(bytes.get(), 1, size, file.get());
    std::string rest;
    if (!ReadRest(file.get(), rest)) {
        result.status = LogReadStatus::Unreadable;
        return result;
    }
    if (!rest.empty()) {
        std::unique_ptr<char[]> grown(new char[got + rest.size()]);
        std::memcpy(grown.get(), bytes.get(), got);
        std::memcpy(grown.get() + got, rest.data(), rest.size());
        bytes = std::move(grown);
        got += rest.size();
    }
    result.log = HistoryLog::FromFileBuffer(std::move(bytes), got);
    return result;
}

}  // namespace gapscope
