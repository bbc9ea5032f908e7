#include "settings/version.h"
#include "settings/version_text.h"

namespace gapscope {

std::string ProgramVersionText() {
    return kVersionText;
}

}  // namespace gapscope
