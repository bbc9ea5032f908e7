#include "window_qt/form_services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>

#include "platform/platform.h"
#include "settings/registry_variable.h"
#include "settings/version.h"
#include "startup/computer_name.h"
#include "unattended/unattended_run.h"
#include "window_model/front_pieces.h"

namespace gapscope {
namespace {

std::chrono::sys_seconds SystemNow() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

// The system clock, or the minute GAPSCOPE_NOW names ("YYYY-MM-DDThh:mm", UTC), as
// gapscope-report's --now does: a replay of a past day, and tests that must not depend on
// when they run (an unattended run started just before midnight reports another day).
std::function<std::chrono::sys_seconds()> Clock() {
    const QByteArray text = qgetenv("GAPSCOPE_NOW");
    if (text.isEmpty()) return SystemNow;
    const std::optional<MinuteTime> minute = ParseIsoMinute(text.toStdString());
    if (!minute) {
        std::fprintf(stderr, "gapscope: GAPSCOPE_NOW ignored: '%s' is not YYYY-MM-DDThh:mm\n",
                     text.constData());
        return SystemNow;
    }
    return [at = std::chrono::sys_seconds{*minute}] { return at; };
}

class BusyCursor {
  public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

FormServices DefaultFormServices() {
    FormServices services;
    WindowInputs& window = services.window;
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    for (const QString& argument : arguments) window.arguments.push_back(argument.toStdString());
    window.programDirectory = QCoreApplication::applicationDirPath().toStdU16String();
    window.computerName = SystemComputerName();
    window.versionText = kVersionText;
    window.now = Clock();
    window.unattendedRetry = UnattendedRetryPolicy();
    window.runReport = RunReportBusy<BusyCursor>;
    services.settingsBaseName = RunningProgramBaseName();
    services.say = [](QWidget* parent, const QString& title, const WindowMessage& message) {
        const QString text = QString::fromStdString(message.text);
        switch (message.kind) {
            case WindowMessage::Kind::Information:
                QMessageBox::information(parent, title, text);
                break;
            case WindowMessage::Kind::Error:
                QMessageBox::critical(parent, title, text);
                break;
            case WindowMessage::Kind::Unattended:
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
                std::fflush(stderr);
                break;
        }
    };
    services.chooseFolder = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    return services;
}

}  // namespace gapscope
