#include "window_qt/form_services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>

#include "unattended/unattended_run.h"
#include "settings/registry_variable.h"
#include "startup/computer_name.h"

namespace gapscope {
namespace {

std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(text.toStdU16String());
}

// The system clock, or the minute GAPSCOPE_NOW names ("YYYY-MM-DDThh:mm", UTC), as
// gapscope-report's --now does: a replay of a past day, and tests that must not depend on
// when they run (an unattended run started just before midnight reports another day).
std::function<std::chrono::system_clock::time_point()> Clock() {
    const QByteArray text = qgetenv("GAPSCOPE_NOW");
    if (text.isEmpty()) return [] { return std::chrono::system_clock::now(); };
    const std::optional<MinuteTime> minute = ParseIsoMinute(text.toStdString());
    if (!minute) {
        std::fprintf(stderr, "gapscope: GAPSCOPE_NOW ignored: '%s' is not YYYY-MM-DDThh:mm\n",
                     text.constData());
        return [] { return std::chrono::system_clock::now(); };
    }
    return [at = std::chrono::system_clock::time_point{*minute}] { return at; };
}

}  // namespace

FormServices DefaultFormServices() {
    FormServices services;
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    for (const QString& argument : arguments) {
        services.startup.arguments.push_back(argument.toStdString());
    }
    services.startup.programDirectory = ToPath(QCoreApplication::applicationDirPath());
    services.unattendedRetry = UnattendedRetryPolicy();
    services.startup.computerName = SystemComputerName();
    services.settingsBaseName = RunningProgramBaseName();
    services.now = Clock();
    // The current minute makes the current day's later cycles "not yet due" in the
    // findings (the day timeline shows them so); the lists do not depend on it.
    services.buildReport = [now = services.now](const StartupState& startup,
                                                const ReportOptions& options, Day day) {
        const RunInputs inputs{std::chrono::floor<std::chrono::minutes>(now()), nullptr};
        return BuildDayReportWith(startup, options, day, inputs);
    };
    services.inform = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::information(parent, title, text);
    };
    services.showError = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::critical(parent, title, text);
    };
    services.autoRunFailure = [](const QString& text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    };
    services.chooseFolder = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    return services;
}

}  // namespace gapscope
