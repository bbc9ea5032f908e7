#pragma once

#include <string>
#include <string_view>

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

}  // namespace gapscope
