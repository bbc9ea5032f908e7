#include "history/mask.h"

#include "history/log_text.h"

namespace gapscope {

namespace {

// A mask is a few hex digits; a longer text is damage, of which the operator is shown the
// first characters only. Control characters are shown as '?' so that a log cannot drive a
// terminal.
constexpr std::size_t kShownMaskLength = 64;

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string ShownMask(std::string_view text) {
    std::string shown = (!text.empty() && text.front() == '$') ? "" : "$";
    const std::size_t room = kShownMaskLength - shown.size();
    const std::u32string characters = Characters(text);
    for (std::size_t i = 0; i < characters.size() && i < room; ++i) {
        AppendUtf8(shown, IsControl(characters[i]) ? U'?' : characters[i]);
    }
    if (characters.size() > room) shown += "...";
    return shown;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

MaskError::MaskError(std::string_view text)
    : std::runtime_error("''" + ShownMask(text) + "'' is not a valid integer value") {}

std::optional<std::uint32_t> TryParseMask(std::string_view text) {
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t ParseMask(std::string_view text) {
    if (const auto value = TryParseMask(text)) return *value;
    throw MaskError(text);
}

}  // namespace gapscope
