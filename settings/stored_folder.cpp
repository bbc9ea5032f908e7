#include "settings/stored_folder.h"

#include <QMetaType>
#include <QSettings>
#include <QString>
#include <QVariant>

#include "settings/registry_variable.h"

namespace gapscope {

std::optional<std::filesystem::path> ReadStoredDataFolder(const std::string& programBaseName) {
    const auto settings = OpenProgramSettings(QString::fromStdString(programBaseName));
    const QVariant value = settings->value(QString::fromLatin1(kDataFolderValueName));
    if (value.metaType().id() != QMetaType::QString) return std::nullopt;
    const QString text = value.toString();
    if (text.isEmpty()) return std::nullopt;
    return std::filesystem::path(text.toStdU16String());
}

bool StoreDataFolder(const std::string& programBaseName, const std::filesystem::path& folder) {
    const auto settings = OpenProgramSettings(QString::fromStdString(programBaseName));
    settings->setValue(QString::fromLatin1(kDataFolderValueName),
                       QString::fromStdU16String(folder.u16string()));
    settings->sync();
    return settings->status() == QSettings::NoError;
}

}  // namespace gapscope
