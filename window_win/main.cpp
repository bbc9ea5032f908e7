// gapscope.exe: the window on Windows. A program of the desktop, without a console window of
// its own; --help and --version are written to the console of the prompt it was started from.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/console.h"
#include "settings/version_text.h"
#include "unattended/unattended_run.h"
#include "window_model/front_pieces.h"
#include "window_win/form_gapscope.h"
#include "window_win/form_services.h"

namespace {

// What this front says after the switches, besides the text every window front shares.
const char* const kHelpAfterSwitches =
    "The option boxes are kept per user under HKEY_CURRENT_USER\\Software\\Quillan\\gapscope,\n"
    "where gapscope-report reads them too.\n"
    "\n"
    "Exit status (the Task Scheduler's \"Last Run Result\"):\n"
    "  0  the window was closed; unattended: the report file was saved\n"
    "  1  unattended: a segment mask of the day is not a hexadecimal number\n"
    "  2  the window could not be opened\n"
    "  3  unattended: the report file could not be written\n"
    "  4  unattended: no such folder, no history log in it, or a log that cannot be read\n"
    "     (a log held busy by another program is tried for about half a minute)\n"
    "Whenever the unattended run saves nothing, it says why on standard error, if it has\n"
    "one, and in the Application event log (source Gapscope).\n";

bool Asks(const std::vector<std::string>& arguments, const char* option) {
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

int Print(const std::string& text) {
    gapscope::ReachParentConsole();
    return gapscope::WriteStandard(gapscope::StandardStream::kOutput, text)
               ? gapscope::kExitSaveFailed
               : gapscope::kExitDone;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const std::vector<std::string> arguments = gapscope::CommandArguments(0, nullptr);
    if (Asks(arguments, "--help")) return Print(gapscope::WindowHelpText("", kHelpAfterSwitches));
    if (Asks(arguments, "--version"))
        return Print("gapscope " + gapscope::ProgramVersionText() + "\n");

    // The folder dialog is a COM object of the shell.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    int status = gapscope::kExitDone;
    {
        gapscope::TFormGapscopeWin form(gapscope::DefaultWinFormServices());
        if (form.Closed()) {
            // No desktop to open it on (a service without one): nothing can be shown.
            gapscope::ReachParentConsole();
            gapscope::WriteStandard(gapscope::StandardStream::kError,
                                    "gapscope: the window could not be opened on this desktop\n");
            return gapscope::kExitBadUsage;
        }
        form.Show(showCommand);
        MSG message;
        while (!form.Closed() && GetMessageW(&message, nullptr, 0, 0) > 0) {
            // The keys of a dialog in each window: the main one and the picture's.
            const HWND window = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (window == nullptr || !IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        status = form.ExitStatus();
    }  // the option boxes are stored as the window goes
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
