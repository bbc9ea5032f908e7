#include "history/log_text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace gapscope {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined keep their C1 code, as
// Windows itself converts them. 0xA0..0xFF are Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}


std::string DecodeUtf16(std::string_view body, bool bigEndian) {
    std::string out;
    out.reserve(body.size() / 2 + 4);  // log text is ASCII: one byte per code unit
    const auto unit = [&](std::size_t k) -> char16_t {
        const auto b0 = static_cast<unsigned char>(body[2 * k]);
        const auto b1 = static_cast<unsigned char>(body[2 * k + 1]);
        return static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    const std::size_t units = body.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char16_t low = unit(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u - 0xD800) << 10) | (low - 0xDC00)));
                ++k;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t{u});
    }
    if (body.size() % 2 != 0) AppendUtf8(out, kReplacement);
    return out;
}

// The length of the valid UTF-8 sequence at text[i], or 0 when there is none.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // Over-long forms, surrogates and code points past U+10FFFF are not valid UTF-8.
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

std::string ValidUtf8(std::string text) {
    if (IsAscii(text)) return text;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

std::string FromCp1252(std::string bytes) {
    if (IsAscii(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out.push_back(c);
        } else if (u < 0xA0) {
            AppendUtf8(out, kCp1252High[u - 0x80]);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

}  // namespace

bool IsAscii(std::string_view text) {
    // Eight bytes at a time: no byte of ASCII text has its top bit set.
    std::uint64_t seen = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        seen |= word;
    }
    for (; i < text.size(); ++i) seen |= static_cast<unsigned char>(text[i]);
    return (seen & 0x8080808080808080u) == 0;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

LogEncoding DetectLogEncoding(std::string_view start) {
    if (StartsWith(start, kUtf8Mark)) return LogEncoding::Utf8;
    if (StartsWith(start, kUtf16LeMark)) return LogEncoding::Utf16Le;
    if (StartsWith(start, kUtf16BeMark)) return LogEncoding::Utf16Be;
    return LogEncoding::EightBit;
}

std::size_t MarkLength(LogEncoding encoding) {
    switch (encoding) {
        case LogEncoding::Utf8:
            return kUtf8Mark.size();
        case LogEncoding::Utf16Le:
            return kUtf16LeMark.size();
        case LogEncoding::Utf16Be:
            return kUtf16BeMark.size();
        case LogEncoding::EightBit:
            break;
    }
    return 0;
}

std::string DecodeLogBody(std::string bytes, LogEncoding encoding) {
    switch (encoding) {
        case LogEncoding::Utf8:
            return ValidUtf8(std::move(bytes));
        case LogEncoding::Utf16Le:
            return DecodeUtf16(bytes, false);
        case LogEncoding::Utf16Be:
            return DecodeUtf16(bytes, true);
        case LogEncoding::EightBit:
            break;
    }
    return FromCp1252(std::move(bytes));
}

std::string DecodeLogBytes(std::string bytes) {
    const LogEncoding encoding = DetectLogEncoding(bytes);
    bytes.erase(0, MarkLength(encoding));
    return DecodeLogBody(std::move(bytes), encoding);
}

std::size_t CodeUnitWidth(LogEncoding encoding) {
    return encoding == LogEncoding::Utf16Le || encoding == LogEncoding::Utf16Be ? 2 : 1;
}

char16_t CodeUnitAt(std::string_view bytes, std::size_t k, LogEncoding encoding) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (encoding == LogEncoding::Utf16Le)
        return static_cast<char16_t>(byte(2 * k + 1) << 8 | byte(2 * k));
    if (encoding == LogEncoding::Utf16Be)
        return static_cast<char16_t>(byte(2 * k) << 8 | byte(2 * k + 1));
    return byte(k);
}

std::size_t WholeLinesLength(std::string_view bytes, LogEncoding encoding) {
    // Line ends are ASCII code units, which no multi-byte sequence or surrogate pair holds:
    // decoding stops at a line end exactly as it would in the whole file.
    const std::size_t width = CodeUnitWidth(encoding);
    const std::size_t units = bytes.size() / width;
    for (std::size_t k = units; k > 0; --k) {
        const char16_t unit = CodeUnitAt(bytes, k - 1, encoding);
        if (unit == u'\n' || (unit == u'\r' && k < units)) return k * width;
    }
    return 0;
}

std::u32string Characters(std::string_view utf8) {
    std::u32string characters;
    characters.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = Utf8SequenceAt(utf8, i);
        if (length == 0) {
            characters.push_back(kReplacement);
            ++i;
            continue;
        }
        char32_t c = static_cast<unsigned char>(utf8[i]);
        if (length > 1) c &= 0x7F >> length;
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        characters.push_back(c);
        i += length;
    }
    return characters;
}

}  // namespace gapscope
