#include "settings/stored_options.h"

#include <QString>

#include "settings/registry_variable.h"

namespace gapscope {

std::string ProgramBaseName(std::string_view programPath) {
    const std::size_t separator = programPath.find_last_of("/\\");
    std::string_view name =
        separator == std::string_view::npos ? programPath : programPath.substr(separator + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name);
}

ReportOptions ReadStoredOptions(const std::string& programBaseName) {
    ReportOptions options;  // the design defaults
    const auto settings = OpenProgramSettings(QString::fromStdString(programBaseName));
    for (const OptionField& field : OptionFields()) {
        if (!field.stored) continue;
        const QString name = QString::fromLatin1(field.storedName.data(),
                                                 static_cast<qsizetype>(field.storedName.size()));
        if (const std::optional<bool> stored = ReadStoredFlag(*settings, name)) {
            options.*field.member = *stored;
        }
    }
    return options;
}

}  // namespace gapscope
