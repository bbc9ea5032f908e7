#include "history/log_text.h"

namespace gapscope {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

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

// `body` is the text after the byte-order mark.
std::string DecodeUtf16(std::string_view body, bool bigEndian) {
    std::string out;
    // Log files are ASCII, so one byte per code unit is the usual size.
    out.reserve(body.size() / 2 + 4);
    const auto unit = [&](std::size_t i) -> char16_t {
        const auto b0 = static_cast<unsigned char>(body[i]);
        const auto b1 = static_cast<unsigned char>(body[i + 1]);
        return static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    const std::size_t units = body.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unit(2 * k);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 < units) {
                const char16_t low = unit(2 * (k + 1));
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((char32_t(u - 0xD800) << 10) | (low - 0xDC00)));
                    ++k;
                    continue;
                }
            }
            AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    if (body.size() % 2 != 0) AppendUtf8(out, kReplacement);
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

}  // namespace

std::string DecodeLogBytes(std::string_view bytes) {
    if (StartsWith(bytes, kUtf8Mark)) return std::string(bytes.substr(kUtf8Mark.size()));
    if (StartsWith(bytes, kUtf16LeMark)) return DecodeUtf16(bytes.substr(2), false);
    if (StartsWith(bytes, kUtf16BeMark)) return DecodeUtf16(bytes.substr(2), true);
    return std::string(bytes);
}

void DecodeLogBytesInPlace(std::string& bytes) {
    const std::string_view view(bytes);
    if (StartsWith(view, kUtf8Mark)) {
        bytes.erase(0, kUtf8Mark.size());
    } else if (StartsWith(view, kUtf16LeMark) || StartsWith(view, kUtf16BeMark)) {
        bytes = DecodeLogBytes(view);
    }
}

}  // namespace gapscope
