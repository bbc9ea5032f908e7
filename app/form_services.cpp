#include "app/form_services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>

#include "app/unattended_run.h"
#include "settings/registry_variable.h"
#include "startup/computer_name.h"

namespace gapscope {
namespace {

std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(text.toStdU16String());
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
    services.computerName = SystemComputerName();
    services.settingsBaseName = RunningProgramBaseName();
    services.now = [] { return std::chrono::system_clock::now(); };
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
