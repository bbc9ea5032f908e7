#include <QString>

#include "settings/registry_variable.h"
#include "settings/stored_options.h"

namespace gapscope {

ReportOptions ReadStoredOptions(const std::string& programBaseName) {
    const auto settings = OpenProgramSettings(QString::fromStdString(programBaseName));
    return OptionsFromStore([&](std::string_view valueName) {
        return ReadStoredFlag(
            *settings,
            QString::fromLatin1(valueName.data(), static_cast<qsizetype>(valueName.size())));
    });
}

}  // namespace gapscope
