#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

// The text of a log file as the report reads it: a UTF-8 or UTF-16 (LE/BE) byte-order
// mark selects that encoding (UTF-16 becomes UTF-8, invalid sequences U+FFFD); any other
// file is 8-bit text taken byte for byte. The mark itself is not part of the text.
std::string DecodeLogBytes(std::string_view bytes);
// The same, in place: a plain 8-bit file is kept in its buffer rather than copied.
void DecodeLogBytesInPlace(std::string& bytes);

// Calls `line` for every line of text. Lines end at CR LF, lone LF or lone CR; a last
// line without a line end still counts, an empty text has no lines.
template <typename F>
void ForEachLine(std::string_view text, F&& line) {
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t i = start;
        while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
        line(text.substr(start, i - start));
        if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
}

// Bytes of one 64-byte block of log text by kind, bit i standing for byte i: what the
// loader needs to split lines, find keys and find runs of digits in a single pass.
struct BlockClasses {
    std::uint64_t breaks = 0;  // CR or LF
    std::uint64_t equals = 0;
    std::uint64_t digit = 0;
    friend bool operator==(const BlockClasses&, const BlockClasses&) = default;
};
inline constexpr std::size_t kBlockBytes = 64;

// Where a short needle may stand: a place whose byte is `first`, whose byte `middleAt`
// further on is `middle` and whose byte `span` further on is `last`.
struct NeedleTest {
    char first = 0;
    char middle = 0;
    char last = 0;
    std::uint8_t middleAt = 0;  // at most span
    std::uint8_t span = 0;      // below kBlockBytes
};

// One way of scanning blocks of text. Vector forms are chosen by what the processor
// offers; the plain form runs anywhere and is the yardstick the others are held to.
struct BlockScanner {
    const char* name;
    // out[b] = the classes of the block at blocks + b * kBlockBytes, for b < count.
    void (*classify)(const char* blocks, std::size_t count, BlockClasses* out);
    // out[b] bit i set where one of the tests holds at byte i of block b. Reads up to
    // kBlockBytes - 1 bytes past the last block.
    void (*matchNeedles)(const char* blocks, std::size_t count, const NeedleTest* tests,
                         std::size_t testCount, std::uint64_t* out);
};

// The scanners this processor can run, fastest first; the plain form is always last.
const std::vector<BlockScanner>& BlockScanners();
// The fastest of them.
const BlockScanner& BestBlockScanner();

}  // namespace gapscope
