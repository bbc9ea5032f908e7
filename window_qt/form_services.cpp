#include "window_qt/form_services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdio>

#include "platform/console.h"
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

// The system clock, or the minute GAPSCOPE_NOW names ("YYYY-MM-DDThh:mm", UTC, a day from
// 1970-01-01 to 9999-12-31), as gapscope-report's --now does: a replay of a past day, and
// tests that must not depend on when they run (an unattended run started just before
// midnight reports another day).
std::function<std::chrono::sys_seconds()> Clock() {
    const QByteArray text = qgetenv("GAPSCOPE_NOW");
    if (text.isEmpty()) return SystemNow;
    const std::optional<MinuteTime> minute = ParseIsoMinute(text.toStdString());
    if (!minute) {
        std::fprintf(stderr, "gapscope: GAPSCOPE_NOW ignored: '%s' is not YYYY-MM-DDThh:mm\n",
                     text.constData());
        return SystemNow;
    }
    const Day day = std::chrono::floor<std::chrono::days>(*minute);
    if (day < kFirstGivenDay || day > kLastGivenDay) {
        std::fprintf(stderr, "gapscope: GAPSCOPE_NOW ignored: '%s' is out of range (%s to %s)\n",
                     text.constData(), IsoDate(kFirstGivenDay).c_str(),
                     IsoDate(kLastGivenDay).c_str());
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

// The tray icon that carries the notifications, made with the first one and kept by the
// window; a click on a notification brings the window to the front.
void NotifyThroughTray(QWidget* window, const Announcement& announcement) {
    if (window == nullptr || !QSystemTrayIcon::isSystemTrayAvailable() ||
        !QSystemTrayIcon::supportsMessages()) {
        return;  // the title and the highlight say it
    }
    auto* tray = window->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIconLosses"));
    if (tray == nullptr) {
        QIcon icon = window->windowIcon();
        if (icon.isNull()) icon = window->style()->standardIcon(QStyle::SP_MessageBoxWarning);
        tray = new QSystemTrayIcon(icon, window);
        tray->setObjectName(QStringLiteral("TrayIconLosses"));
        tray->setToolTip(window->windowTitle());
        QObject::connect(tray, &QSystemTrayIcon::messageClicked, window, [window] {
            window->showNormal();
            window->raise();
            window->activateWindow();
        });
        tray->show();
    }
    tray->showMessage(QString::fromStdString(announcement.title),
                      QString::fromStdString(announcement.text), QSystemTrayIcon::Warning);
}

}  // namespace

FormServices DefaultFormServices(std::vector<std::string> arguments) {
    FormServices services;
    WindowInputs& window = services.window;
    window.arguments = std::move(arguments);
    window.programDirectory = QCoreApplication::applicationDirPath().toStdU16String();
    window.computerName = SystemComputerName();
    window.versionText = kVersionText;
    window.now = Clock();
    window.unattendedRetry = UnattendedRetryPolicy();
    window.saveRetry = SaveRetryPolicy();
    if (auto problem = BusyWaitProblem()) window.warnings.push_back(std::move(*problem));
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
                // The text's own bytes: a folder's name need not be UTF-8.
                WriteStandard(StandardStream::kError, message.text + "\n");
                break;
        }
    };
    services.chooseFolder = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    services.notify = NotifyThroughTray;
    return services;
}

}  // namespace gapscope
