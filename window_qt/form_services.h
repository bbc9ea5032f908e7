#pragma once

#include <QString>
#include <chrono>
#include <functional>

#include "history/time_keys.h"
#include "report/day_report.h"
#include "report/report_options.h"
#include "startup/startup_state.h"

class QWidget;

namespace gapscope {

// What the main window takes from outside itself: the command line and the program's
// place, the clock, the report engine, and the ways it speaks to the operator. Tests
// replace the clock and the message boxes so that nothing waits for a person.
struct FormServices {
    StartupInputs startup;
    // How the unattended run (-s) retries a log that another program holds busy; the
    // window itself reads each log once, as designed.
    RetryPolicy unattendedRetry;
    // Program base name under which the option switches are kept for this user.
    QString settingsBaseName;
    std::function<std::chrono::system_clock::time_point()> now;
    std::function<DayReportResult(const StartupState&, const ReportOptions&, Day)> buildReport;
    // Modal information message (the save confirmation).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> inform;
    // Modal error message (a report run stopped by a bad segment mask).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> showError;
    // Where the automatic run reports why it saved nothing: no dialog may wait there.
    std::function<void(const QString& text)> autoRunFailure;
    // Modal folder dialog starting at `start`; empty text when the operator cancels.
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>
        chooseFolder;
};

// The services of the running program; needs the application object.
FormServices DefaultFormServices();

}  // namespace gapscope
