#pragma once

#include <QString>

#include "settings/stored_options.h"

namespace gapscope {

// Base name of the running program file ("Gapscope.exe" -> "Gapscope").
QString RunningProgramBaseName();

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

// A flag read when it is created and written when it is destroyed, in this user's settings
// file (settings_file.h). Every failure is silent here: an unreadable value leaves the
// default, an unwritable one the store as it was; SettingsProblem says why, once.
class TRegistryBoolean : public TRegistryVariable {
  public:
    TRegistryBoolean(QString valueName, bool defaultValue,
                     QString programBaseName = RunningProgramBaseName());
    ~TRegistryBoolean() override;

    void Store() override;

    bool Value;
};

}  // namespace gapscope
