#include <QString>

#include "settings/registry_variable.h"
#include "settings/stored_options.h"

namespace gapscope {
namespace {

QString Name(std::string_view valueName) {
    return QString::fromLatin1(valueName.data(), static_cast<qsizetype>(valueName.size()));
}

}  // namespace

ReportOptions ReadStoredOptions(const std::string& programBaseName) {
    const auto settings = OpenProgramSettings(QString::fromStdString(programBaseName));
    return OptionsFromStore(
        [&](std::string_view valueName) { return ReadStoredFlag(*settings, Name(valueName)); });
}

void StoreOptions(const std::string& programBaseName, const ReportOptions& options) {
    const auto settings = OpenProgramSettings(QString::fromStdString(programBaseName));
    for (const OptionField& field : OptionFields()) {
        if (field.stored) WriteStoredFlag(*settings, Name(field.storedName), options.*field.member);
    }
    settings->sync();
}

}  // namespace gapscope
