#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

#include "settings/stored_options.h"

namespace gapscope {

// Base name of the running program file ("Gapscope.exe" -> "Gapscope").
QString RunningProgramBaseName();

// The current user's store of one program: the key \Software\Quillan\<base name> on
// Windows, the per-user file Qt chooses elsewhere. System-wide and folder-wide fallbacks
// are off, so only what this user stored for this program counts.
std::unique_ptr<QSettings> OpenProgramSettings(const QString& programBaseName);

// A stored 32-bit integer as a flag (non-zero: set). Missing, unreadable or of another
// type (a text or a 64-bit number in the registry, a text that is no such integer in a
// text-only store): nullopt.
std::optional<bool> ReadStoredFlag(const QSettings& settings, const QString& valueName);

// Writes 1 or 0 as a 32-bit integer, replacing a value of any other type.
void WriteStoredFlag(QSettings& settings, const QString& valueName, bool value);

// A stored signed 32-bit integer, read as strictly as a flag; nullopt otherwise.
std::optional<int> ReadStoredInteger(const QSettings& settings, const QString& valueName);
void WriteStoredInteger(QSettings& settings, const QString& valueName, int value);

// One named value under \Software\Quillan\<program base name> of the current user.
class TRegistryVariable {
  public:
    explicit TRegistryVariable(QString valueName,
                               QString programBaseName = RunningProgramBaseName());
    virtual ~TRegistryVariable() = default;
    TRegistryVariable(const TRegistryVariable&) = delete;
    TRegistryVariable& operator=(const TRegistryVariable&) = delete;

    virtual void Store() = 0;

    const QString& ValueName() const { return valueName_; }
    const QString& KeyPath() const { return keyPath_; }

  protected:
    const QString& ProgramBase() const { return programBaseName_; }

  private:
    QString valueName_;
    QString programBaseName_;
    QString keyPath_;
};

// A flag read when it is created and written when it is destroyed. Every failure is
// silent: an unreadable value leaves the default, an unwritable one the store as it was.
class TRegistryBoolean : public TRegistryVariable {
  public:
    TRegistryBoolean(QString valueName, bool defaultValue,
                     QString programBaseName = RunningProgramBaseName());
    ~TRegistryBoolean() override;

    void Store() override;

    bool Value;
};

}  // namespace gapscope
