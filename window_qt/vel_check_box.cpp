#include "window_qt/vel_check_box.h"

#include <QSignalBlocker>

namespace gapscope {

TvelCheckBox::TvelCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

TvelCheckBox::~TvelCheckBox() {
    if (variable_ == nullptr) return;
    variable_->Value = isChecked();
    variable_.reset();  // stores the value
}

void TvelCheckBox::AttachStoredValue(const QString& programBaseName) {
    if (variable_ != nullptr) return;
    if (NamedAs.isEmpty()) NamedAs = objectName();
    variable_ = std::make_unique<TRegistryBoolean>(NamedAs, isChecked(), programBaseName);
    const QSignalBlocker blocker(this);
    setChecked(variable_->Value);
}

void TvelCheckBox::Flush() {
    if (variable_ == nullptr) return;
    variable_->Value = isChecked();
    variable_->Store();
}

}  // namespace gapscope
