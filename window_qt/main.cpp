#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "window_qt/form_gapscope.h"
#include "window_qt/form_services.h"
#include "unattended/unattended_run.h"
#include "window_model/front_pieces.h"
#include "settings/version.h"
#include "startup/startup_state.h"

namespace {

// What this front says besides the text every window front shares.
const char* const kHelpAfterUsage =
    "The day as a picture (a timeline of every repeat cycle), in a window of its own: the\n"
    "context menu of any report list, or a double click on the missing-cycles list.\n"
    "\n";
const char* const kHelpAfterSwitches =
    "The window needs a display. Without one only the unattended run starts (on Qt's\n"
    "offscreen platform); it prints nothing when the report was saved.\n"
    "\n"
    "Exit status:\n"
    "  0  the window was closed; unattended: the report file was saved\n"
    "  1  unattended: a segment mask of the day is not a hexadecimal number\n"
    "  2  no display to open the window on (and no -s)\n"
    "  3  unattended: the report file could not be written\n"
    "  4  unattended: no such folder, no history log in it, or a log that cannot be read\n"
    "     (a log held busy by another program is tried for about half a minute)\n"
    "Whenever the unattended run saves nothing, one line on standard error says why.\n";

bool Asks(const std::vector<std::string>& arguments, const char* option) {
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

// Whether the program can run here. A daily run started by cron or a service has no
// display to open; Qt's offscreen platform lets the window run, save and close all the
// same. An interactive start without a display cannot show anything. A platform chosen
// explicitly (QT_QPA_PLATFORM) is taken as it is.
bool PrepareDisplay(bool autoRun) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return true;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return true;
    }
    if (!autoRun) return false;
    qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    Q_UNUSED(autoRun);
#endif
    return true;
}

// The unattended run speaks only when it fails, in its own words: a daily job that prints
// on success mails its operator every day. Qt's notes on its set-up (no XDG_RUNTIME_DIR
// under cron, fonts) are dropped; its critical messages still pass.
void QuietUnlessCritical(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    std::fflush(stderr);
}

// Prints the usage or the version. Output that did not reach its reader is a failure, never
// a quiet success; a reader that went away on purpose (`| head`) needs no message.
int Print(const std::string& text) {
    using gapscope::StandardStream;
    const auto failure = gapscope::WriteStandard(StandardStream::kOutput, text);
    if (!failure) return gapscope::kExitDone;
    if (!failure->closedPipe) {
        gapscope::WriteStandard(StandardStream::kError,
                                "gapscope: cannot write the output: " + failure->reason + "\n");
    }
    return gapscope::kExitSaveFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
    // As the system gives them: on Windows from the wide command line, elsewhere the bytes
    // themselves, so that a folder whose name is no UTF-8 is still found.
    const std::vector<std::string> arguments = gapscope::CommandArguments(argc, argv);
    if (Asks(arguments, "--help")) return Print(gapscope::WindowHelpText(kHelpAfterUsage, kHelpAfterSwitches));
    if (Asks(arguments, "--version"))
        return Print(std::string("gapscope ") + gapscope::kVersionText + "\n");
    const bool autoRun = gapscope::ParseSwitches(arguments).autoRun;
    if (!PrepareDisplay(autoRun)) {
        std::fputs(
            "gapscope: the window needs a display (neither DISPLAY nor WAYLAND_DISPLAY is "
            "set); for the daily report without one run: gapscope DATA_DIR -s\n",
            stderr);
        return gapscope::kExitBadUsage;
    }
    if (autoRun) qInstallMessageHandler(QuietUnlessCritical);

    QApplication application(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("MSG Gapscope"));

    int status = gapscope::kExitDone;
    {
        gapscope::TFormGapscope form(gapscope::DefaultFormServices(arguments));
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
