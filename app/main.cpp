#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QtGlobal>
#include <string>
#include <vector>

#include "app/form_gapscope.h"
#include "app/form_services.h"
#include "startup/startup_state.h"

namespace {

// A daily run started by cron or a service has no display to open; Qt's offscreen
// platform lets the window run, save and close all the same. An interactive start
// without a display is left to fail with Qt's own message rather than run unseen.
void UseOffscreenWithoutDisplay(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return;
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (gapscope::ParseSwitches(arguments).autoRun) qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    UseOffscreenWithoutDisplay(argc, argv);
    QApplication application(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("MSG Gapscope"));

    int status = 0;
    {
        gapscope::TFormGapscope form(gapscope::DefaultFormServices());
        // For the documentation: a picture of the window once its first report is shown.
        const QString screenshot = qEnvironmentVariable("GAPSCOPE_SCREENSHOT");
        if (!screenshot.isEmpty()) {
            QTimer::singleShot(500, &form, [&form, screenshot] {
                form.grab().save(screenshot);
                form.close();
            });
        }
        form.show();
        QApplication::exec();
        status = form.ExitStatus();
    }  // the stored option switches are written as the window goes
    return status;
}
