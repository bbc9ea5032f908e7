#include "window_win/form_services.h"

#include <shobjidl.h>

#include <chrono>
#include <cstdlib>

#include "platform/console.h"
#include "platform/platform.h"
#include "platform/program_location.h"
#include "settings/stored_options.h"
#include "settings/version_text.h"
#include "startup/computer_name.h"
#include "startup/system_text.h"
#include "unattended/unattended_run.h"
#include "window_model/front_pieces.h"

namespace gapscope {
namespace {

// The source under which the automatic run's failures reach the Application event log;
// the installer registers it with the window program's message table.
constexpr wchar_t kEventSource[] = L"Gapscope";
constexpr DWORD kEventFailure = 1;  // the message table's "%1"

std::chrono::sys_seconds SystemNow() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

void SayUnattended(const std::string& text);

// The system clock, or the minute GAPSCOPE_NOW names ("YYYY-MM-DDThh:mm", UTC), as
// gapscope-report's --now does: a replay of a past day, and tests that must not depend on
// when they run.
std::function<std::chrono::sys_seconds()> Clock() {
    const char* text = std::getenv("GAPSCOPE_NOW");
    if (text == nullptr || *text == '\0') return SystemNow;
    const std::optional<MinuteTime> minute = ParseIsoMinute(text);
    if (!minute) {
        SayUnattended(std::string("gapscope: GAPSCOPE_NOW ignored: '") + text +
                      "' is not YYYY-MM-DDThh:mm");
        return SystemNow;
    }
    return [at = std::chrono::sys_seconds{*minute}] { return at; };
}

class BusyCursor {
  public:
    BusyCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(previous_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    HCURSOR previous_;
};

// Nobody watches the automatic run: a failure goes to standard error where there is one
// (a prompt, a redirection) and to the Application event log, where a run from the Task
// Scheduler leaves it.
void SayUnattended(const std::string& text) {
    if (ReachParentConsole()) WriteStandard(StandardStream::kError, text + "\n");
    if (const HANDLE log = RegisterEventSourceW(nullptr, kEventSource)) {
        const std::wstring wide = Utf16FromUtf8(text);
        const wchar_t* strings[] = {wide.c_str()};
        ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, kEventFailure, nullptr, 1, 0, strings, nullptr);
        DeregisterEventSource(log);
    }
}

std::optional<std::filesystem::path> ChooseFolder(HWND owner, const std::filesystem::path& start) {
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog)))) {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chosen;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(L"Choose the station's folder");
    IShellItem* folder = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
        dialog->SetFolder(folder);
        folder->Release();
    }
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
        wchar_t* path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            chosen = std::filesystem::path(path);
            CoTaskMemFree(path);
        }
        item->Release();
    }
    dialog->Release();
    return chosen;
}

std::optional<std::filesystem::path> ChoosePictureFile(HWND owner,
                                                       const std::filesystem::path& suggested) {
    IFileSaveDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog)))) {
        return std::nullopt;
    }
    const COMDLG_FILTERSPEC types[] = {{L"PNG image", L"*.png"}, {L"SVG drawing", L"*.svg"}};
    dialog->SetFileTypes(2, types);
    dialog->SetDefaultExtension(L"png");
    dialog->SetTitle(L"Save the picture");
    dialog->SetFileName(suggested.filename().c_str());
    IShellItem* folder = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(suggested.parent_path().c_str(), nullptr,
                                              IID_PPV_ARGS(&folder)))) {
        dialog->SetFolder(folder);
        folder->Release();
    }
    std::optional<std::filesystem::path> chosen;
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
        wchar_t* path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            chosen = std::filesystem::path(path);
            CoTaskMemFree(path);
        }
        item->Release();
    }
    dialog->Release();
    return chosen;
}

}  // namespace

bool ReachParentConsole() {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) return true;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return false;
    for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE handle = GetStdHandle(stream);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) SetStdHandle(stream, console);
    }
    return true;
}

WinFormServices DefaultWinFormServices() {
    WinFormServices services;
    WindowInputs& window = services.window;
    window.arguments = CommandArguments(0, nullptr);
    const std::filesystem::path program = ProgramFile({});
    window.programDirectory = program.parent_path();
    window.computerName = SystemComputerName();
    window.versionText = ProgramVersionText();
    window.now = Clock();
    window.unattendedRetry = UnattendedRetryPolicy();
    if (auto problem = BusyWaitProblem()) window.warnings.push_back(std::move(*problem));
    window.runReport = RunReportBusy<BusyCursor>;
    services.settingsBaseName = ProgramBaseName(TextOfPath(program));
    services.say = [](HWND owner, const std::wstring& title, const WindowMessage& message) {
        const std::wstring text = Utf16FromUtf8(message.text);
        switch (message.kind) {
            case WindowMessage::Kind::Information:
                MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
                break;
            case WindowMessage::Kind::Error:
                MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
                break;
            case WindowMessage::Kind::Unattended:
                SayUnattended(message.text);
                break;
        }
    };
    services.chooseFolder = ChooseFolder;
    services.choosePictureFile = ChoosePictureFile;
    services.trackMenu = [](HMENU menu, HWND owner, POINT at) {
        return static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    };
    return services;
}

}  // namespace gapscope
