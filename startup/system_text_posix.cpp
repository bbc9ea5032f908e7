#include "startup/system_text.h"

namespace gapscope {

std::string SystemText(std::string_view text) {
    return std::string(text);
}

}  // namespace gapscope
