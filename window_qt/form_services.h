#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "window_model/window_model.h"

class QWidget;

namespace gapscope {

// What the main window takes from outside itself: the model's inputs (the window adds this
// user's stored options and folder, kept under `settingsBaseName`) and the dialogs. Tests
// replace the clock, the report run and the dialogs so that nothing waits for a person.
struct FormServices {
    WindowInputs window;
    QString settingsBaseName;
    // A message box, or, for the automatic run, the lines on standard error.
    std::function<void(QWidget* parent, const QString& title, const WindowMessage& message)> say;
    // Modal folder dialog starting at `start`; empty text when the operator cancels.
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>
        chooseFolder;
    // A desktop notification of new losses, through the system tray where there is one.
    std::function<void(QWidget* parent, const Announcement& announcement)> notify;
};

// The services of the running program, with its command-line arguments (program name
// excluded); needs the application object.
FormServices DefaultFormServices(std::vector<std::string> arguments);

}  // namespace gapscope
