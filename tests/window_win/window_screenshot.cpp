// For the documentation, not a test: the window as the program opens it (its own services,
// the folder and switches of the command line, GAPSCOPE_NOW for the clock, a station named
// STATION7), photographed from the screen once its first report is shown, into the BMP file
// that the environment's GAPSCOPE_SCREENSHOT names; then, where GAPSCOPE_PICTURE_SCREENSHOT
// names another, the day's picture window. Run under a display:
// scripts/window-windows-screenshot.sh.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "settings/version.h"
#include "window_win/form_gapscope.h"
#include "window_win/form_services.h"

namespace {

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

bool WriteBmp(const char* path, HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files keep rows
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    std::vector<char> pixels(static_cast<std::size_t>(width) * height * 4);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main() {
    const char* picture = std::getenv("GAPSCOPE_SCREENSHOT");
    if (picture == nullptr) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    gapscope::WinFormServices services = gapscope::DefaultWinFormServices();
    services.settingsBaseName.clear();  // the stored options of nobody
    // This program has no version resource, and Wine names the computer after its host.
    services.window.versionText = gapscope::kVersionText;
    services.window.computerName = "STATION7";
    gapscope::TFormGapscopeWin form(std::move(services));
    form.Show(SW_SHOWNORMAL);
    // A line picked in the missing-cycles list, as an operator reading it would.
    SendMessageW(form.Control("ListBoxMissingSlots"), LB_SETCURSEL, 3, 0);
    PumpFor(1500);
    if (!WriteBmp(picture, form.Window())) return 1;
    const char* timeline = std::getenv("GAPSCOPE_PICTURE_SCREENSHOT");
    if (timeline == nullptr) return 0;
    form.ShowTimeline();
    PumpFor(1500);
    return WriteBmp(timeline, form.TimelineWindow()->Window()) ? 0 : 1;
}
