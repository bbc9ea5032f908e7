#pragma once

#include <string>
#include <string_view>

namespace gapscope {

// What becomes of bytes that are not UTF-8 in a name put into an output.
enum class NotUtf8 {
    Replace,  // U+FFFD: the output is UTF-8 (JSON, metrics, the check, the window)
    Keep,     // unchanged: 8-bit text of the system's code page, where Latin-1 is a name
};

// A name from outside (a station, a folder, a computer) as an output may carry it on one of
// its lines: control characters (C0, DEL and, written in UTF-8, C1) become '?', so that no
// name ends a line, a label or a field, nor reaches a terminal as an escape sequence.
std::string SafeName(std::string_view name, NotUtf8 notUtf8 = NotUtf8::Replace);

}  // namespace gapscope
