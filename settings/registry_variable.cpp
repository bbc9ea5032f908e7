#include "settings/registry_variable.h"

#include <QCoreApplication>
#include <QMetaType>
#include <QVariant>
#include <cstdint>
#include <limits>
#include <utility>

#include "settings/stored_options.h"

namespace gapscope {
namespace {

// The Windows registry and the macOS preferences keep a value's type; the INI file used
// elsewhere holds text only, so there an integer can only be told by its digits.
bool StoreKeepsTypes(const QSettings& settings) {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return settings.format() != QSettings::IniFormat;
#else
    Q_UNUSED(settings);
    return false;
#endif
}

std::optional<bool> FlagFromText(const QString& text) {
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok, 10);
    // A 32-bit value, signed or not, as a registry double word holds it.
    if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return number != 0;
}

}  // namespace

QString RunningProgramBaseName() {
    const QString path = QCoreApplication::instance() != nullptr
                             ? QCoreApplication::applicationFilePath()
                             : QString();
    return QString::fromStdString(ProgramBaseName(path.toStdString()));
}

std::unique_ptr<QSettings> OpenProgramSettings(const QString& programBaseName) {
    auto settings =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                    QString::fromLatin1(kSettingsFolder), programBaseName);
    settings->setFallbacksEnabled(false);
    return settings;
}

std::optional<bool> ReadStoredFlag(const QSettings& settings, const QString& valueName) {
    const QVariant value = settings.value(valueName);
    switch (value.metaType().id()) {
        case QMetaType::Int:
            return value.toInt() != 0;
        case QMetaType::UInt:
            return value.toUInt() != 0;
        case QMetaType::QString:
            if (StoreKeepsTypes(settings)) return std::nullopt;
            return FlagFromText(value.toString());
        default:
            return std::nullopt;
    }
}

void WriteStoredFlag(QSettings& settings, const QString& valueName, bool value) {
    settings.setValue(valueName, QVariant(static_cast<int>(value ? 1 : 0)));
}

std::optional<int> ReadStoredInteger(const QSettings& settings, const QString& valueName) {
    const QVariant value = settings.value(valueName);
    switch (value.metaType().id()) {
        case QMetaType::Int:
            return value.toInt();
        case QMetaType::QString: {
            if (StoreKeepsTypes(settings)) return std::nullopt;
            bool ok = false;
            const int number = value.toString().toInt(&ok, 10);
            if (!ok) return std::nullopt;
            return number;
        }
        default:
            return std::nullopt;
    }
}

void WriteStoredInteger(QSettings& settings, const QString& valueName, int value) {
    settings.setValue(valueName, QVariant(value));
}

TRegistryVariable::TRegistryVariable(QString valueName, QString programBaseName)
    : valueName_(std::move(valueName)),
      programBaseName_(std::move(programBaseName)),
      keyPath_(QStringLiteral("\\Software\\") + QString::fromLatin1(kSettingsFolder) +
               QStringLiteral("\\") + programBaseName_) {}

TRegistryBoolean::TRegistryBoolean(QString valueName, bool defaultValue, QString programBaseName)
    : TRegistryVariable(std::move(valueName), std::move(programBaseName)), Value(defaultValue) {
    const auto settings = OpenProgramSettings(ProgramBase());
    if (const std::optional<bool> stored = ReadStoredFlag(*settings, ValueName())) {
        Value = *stored;
    }
}

TRegistryBoolean::~TRegistryBoolean() {
    Store();
}

void TRegistryBoolean::Store() {
    const auto settings = OpenProgramSettings(ProgramBase());
    WriteStoredFlag(*settings, ValueName(), Value);
    settings->sync();
}

}  // namespace gapscope
