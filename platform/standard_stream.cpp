#include "platform/standard_stream.h"

#include <algorithm>

namespace gapscope {
namespace {

constexpr std::size_t kCapacity = 64 * 1024;

// How many bytes at the end of `text` begin a UTF-8 character that is not yet complete.
std::size_t UnfinishedCharacter(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace

StandardStreamBuffer::StandardStreamBuffer(StandardStream stream)
    : StandardStreamBuffer([stream](std::string_view text) { return WriteStandard(stream, text); },
                           kCapacity) {}

StandardStreamBuffer::StandardStreamBuffer(Writer write, std::size_t capacity)
    : write_(std::move(write)), buffer_(capacity < 4 ? 4 : capacity) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool StandardStreamBuffer::Drain(bool all) {
    if (failure_) return false;
    const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t kept = all ? 0 : UnfinishedCharacter(held);
    if (held.size() > kept) failure_ = write_(held.substr(0, held.size() - kept));
    if (failure_) return false;
    std::copy(held.end() - static_cast<std::ptrdiff_t>(kept), held.end(), buffer_.begin());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(kept));
    return true;
}

StandardStreamBuffer::int_type StandardStreamBuffer::overflow(int_type c) {
    if (!Drain(false)) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

int StandardStreamBuffer::sync() {
    return Drain(true) ? 0 : -1;
}

}  // namespace gapscope
