#include "settings/stored_window.h"

#include <QSettings>
#include <QString>

#include "settings/registry_variable.h"

namespace gapscope {
namespace {

std::unique_ptr<QSettings> Open(const std::string& programBaseName) {
    return OpenProgramSettings(QString::fromStdString(programBaseName));
}

}  // namespace

bool ReadAnnounceLosses(const std::string& programBaseName) {
    const auto settings = Open(programBaseName);
    return ReadStoredFlag(*settings, QString::fromLatin1(kAnnounceLossesValueName)).value_or(true);
}

bool StoreAnnounceLosses(const std::string& programBaseName, bool on) {
    const auto settings = Open(programBaseName);
    WriteStoredFlag(*settings, QString::fromLatin1(kAnnounceLossesValueName), on);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

std::optional<StoredPlacement> ReadWindowPlacement(const std::string& programBaseName) {
    const auto settings = Open(programBaseName);
    const auto read = [&](const char* name) {
        return ReadStoredInteger(*settings, QString::fromLatin1(name));
    };
    const auto left = read(kWindowLeftValueName);
    const auto top = read(kWindowTopValueName);
    const auto width = read(kWindowWidthValueName);
    const auto height = read(kWindowHeightValueName);
    if (!left || !top || !width || !height) return std::nullopt;
    return StoredPlacement{*left, *top, *width, *height};
}

bool StoreWindowPlacement(const std::string& programBaseName, const StoredPlacement& placement) {
    const auto settings = Open(programBaseName);
    WriteStoredInteger(*settings, QString::fromLatin1(kWindowLeftValueName), placement.left);
    WriteStoredInteger(*settings, QString::fromLatin1(kWindowTopValueName), placement.top);
    WriteStoredInteger(*settings, QString::fromLatin1(kWindowWidthValueName), placement.width);
    WriteStoredInteger(*settings, QString::fromLatin1(kWindowHeightValueName), placement.height);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

}  // namespace gapscope
