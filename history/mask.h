#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gapscope {

// A segment mask that is not a hexadecimal number fitting in 32 bits. Ends a report run;
// what() is the message the operator sees. The scan that read the mask names its item, so
// that the operator can find the damaged line.
class MaskError : public std::runtime_error {
  public:
    explicit MaskError(std::string_view text);
    std::string item;  // the key of the item whose mask it is, once known
};

// "$" is put in front unless present, then the text is read as hexadecimal: one optional
// "$", one or more hex digits, nothing else, value at most FFFFFFFF.
std::optional<std::uint32_t> TryParseMask(std::string_view text);
// As TryParseMask, but throws MaskError naming the text with its "$".
std::uint32_t ParseMask(std::string_view text);

}  // namespace gapscope
