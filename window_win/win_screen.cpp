#include "window_win/win_screen.h"

namespace gapscope {
namespace {

template <typename F>
F User32Function(const char* name) {
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

int WindowDpi(HWND hwnd) {
    static const auto forWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (forWindow) return static_cast<int>(forWindow(hwnd));
    const HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

HFONT DesktopFont(int dpi) {
    static const auto forDpi =
        User32Function<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    LOGFONTW font{};
    if (forDpi) {
        forDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0, static_cast<UINT>(dpi));
    } else if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
        font.lfHeight = MulDiv(font.lfHeight, dpi, WindowDpi(nullptr));
    }
    return CreateFontIndirectW(&font);
}

RECT FrameAround(int width, int height, DWORD style, DWORD exStyle, int dpi) {
    static const auto forDpi =
        User32Function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, width, height};
    if (forDpi) {
        forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return rect;
}

}  // namespace gapscope
