#include "settings/stored_options.h"

namespace gapscope {

std::string ProgramBaseName(std::string_view programPath) {
    const std::size_t separator = programPath.find_last_of("/\\");
    std::string_view name =
        separator == std::string_view::npos ? programPath : programPath.substr(separator + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name);
}

ReportOptions OptionsFromStore(
    const std::function<std::optional<bool>(std::string_view valueName)>& readFlag) {
    ReportOptions options;  // the design defaults
    for (const OptionField& field : OptionFields()) {
        if (!field.stored) continue;
        if (const std::optional<bool> stored = readFlag(field.storedName)) {
            options.*field.member = *stored;
        }
    }
    return options;
}

}  // namespace gapscope
