#pragma once

#include <QCheckBox>
#include <QString>
#include <memory>

#include "settings/registry_variable.h"

namespace gapscope {

// A check box whose state is kept per user under the name `NamedAs` (the control's own
// object name when empty): read when the window is built, written when the box is
// destroyed.
class TvelCheckBox : public QCheckBox {
  public:
    TvelCheckBox(const QString& text, QWidget* parent);
    ~TvelCheckBox() override;

    // Once the box holds its design state: reads the stored state, with the design state
    // as the default, and shows it without raising a click.
    void AttachStoredValue(const QString& programBaseName);
    // Stores the current state at once.
    void Flush();

    QString NamedAs;

  private:
    std::unique_ptr<TRegistryBoolean> variable_;
};

}  // namespace gapscope
