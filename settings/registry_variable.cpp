#include "settings/registry_variable.h"

#include <QCoreApplication>
#include <utility>

#include "settings/settings_file.h"

namespace gapscope {

QString RunningProgramBaseName() {
    const QString path = QCoreApplication::instance() != nullptr
                             ? QCoreApplication::applicationFilePath()
                             : QString();
    return QString::fromStdString(ProgramBaseName(path.toStdString()));
}

TRegistryVariable::TRegistryVariable(QString valueName, QString programBaseName)
    : valueName_(std::move(valueName)),
      programBaseName_(std::move(programBaseName)),
      keyPath_(QStringLiteral("\\Software\\") + QString::fromLatin1(kSettingsFolder) +
               QStringLiteral("\\") + programBaseName_) {}

TRegistryBoolean::TRegistryBoolean(QString valueName, bool defaultValue, QString programBaseName)
    : TRegistryVariable(std::move(valueName), std::move(programBaseName)), Value(defaultValue) {
    const std::optional<std::string> written =
        StoredValue(ProgramBase().toStdString(), ValueName().toStdString());
    if (const std::optional<bool> stored = written ? FlagValue(*written) : std::nullopt) {
        Value = *stored;
    }
}

TRegistryBoolean::~TRegistryBoolean() {
    Store();
}

void TRegistryBoolean::Store() {
    StoreValues(ProgramBase().toStdString(), {{ValueName().toStdString(), Value ? "1" : "0"}});
}

}  // namespace gapscope
