#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace gapscope {

// The text of a log file as the report reads it, always valid UTF-8. A UTF-8 or UTF-16
// (LE/BE) byte-order mark selects that encoding; any other file is 8-bit text in
// Windows-1252, the code page of the stations' PCs, so that every system reads a log alike.
// Invalid sequences become U+FFFD; the mark itself is not part of the text. Plain ASCII
// comes back in the buffer it came in.
std::string DecodeLogBytes(std::string bytes);

// The encodings a log file's first bytes select, as DecodeLogBytes reads them. A log that
// grows keeps the encoding of its start: what is appended is decoded alike.
enum class LogEncoding { EightBit, Utf8, Utf16Le, Utf16Be };
LogEncoding DetectLogEncoding(std::string_view start);
// The length of the byte-order mark of an encoding (0 for 8-bit text).
std::size_t MarkLength(LogEncoding encoding);
// Decodes bytes that follow the mark, or follow a whole line after it, as DecodeLogBytes does.
std::string DecodeLogBody(std::string bytes, LogEncoding encoding);
// The bytes of one code unit (2 in UTF-16), and the code unit at unit index k.
std::size_t CodeUnitWidth(LogEncoding encoding);
char16_t CodeUnitAt(std::string_view bytes, std::size_t k, LogEncoding encoding);
// The length of `bytes` up to the end of their last whole line, 0 when none ends in them. A
// CR as the last unit may yet be followed by its LF, so its line is not whole yet.
std::size_t WholeLinesLength(std::string_view bytes, LogEncoding encoding);

// Whether every byte is ASCII, which any decoding leaves as it is.
bool IsAscii(std::string_view bytes);

// Calls `line` for every line of text. Lines end at CR LF, lone LF or lone CR; a last
// line without a line end still counts, an empty text has no lines.
template <typename F>
void ForEachLine(std::string_view text, F&& line) {
    const std::size_t n = text.size();
    // Where the next LF and CR are; each is looked for again only once passed, so a text
    // of lone CRs costs no more than one of LFs.
    std::size_t lf = text.find('\n');
    std::size_t cr = text.find('\r');
    std::size_t start = 0;
    while (start < n) {
        if (lf < start) lf = text.find('\n', start);
        if (cr < start) cr = text.find('\r', start);
        const std::size_t end = std::min({lf, cr, n});
        line(text.substr(start, end - start));
        const bool crLf = end + 1 < n && text[end] == '\r' && text[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
}

// The characters of UTF-8 text such as DecodeLogBytes gives: rules that count or number
// characters (sequence numbers, the length of a shown text) count these, not bytes.
std::u32string Characters(std::string_view utf8);
// Appends the UTF-8 form of one character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace gapscope
