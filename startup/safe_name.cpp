#include "startup/safe_name.h"

namespace gapscope {
namespace {

// The length of the well-formed UTF-8 character at the start of `text` (no overlong form, no
// surrogate, nothing above U+10FFFF); 0 when there is none.
std::size_t CharacterLength(std::string_view text, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string SafeName(std::string_view name, NotUtf8 notUtf8) {
    std::string out;
    out.reserve(name.size());
    while (!name.empty()) {
        char32_t code = 0;
        const std::size_t length = CharacterLength(name, code);
        if (length == 0) {
            // A byte from 0x80 up that begins no character.
            out += notUtf8 == NotUtf8::Replace ? std::string_view("\xEF\xBF\xBD") : name.substr(0, 1);
            name.remove_prefix(1);
            continue;
        }
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
        if (control) {
            out += '?';
        } else {
            out += name.substr(0, length);
        }
        name.remove_prefix(length);
    }
    return out;
}

}  // namespace gapscope
