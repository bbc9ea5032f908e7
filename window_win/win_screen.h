#pragma once

#include <windows.h>

namespace gapscope {

// What the windows share about the screen: its DPI, the desktop's font at a DPI, and the
// frame a window of a style has around a client area at a DPI (the DPI functions of
// Windows 10 where it has them; earlier systems have one DPI for all).
int WindowDpi(HWND hwnd);
// The desktop's icon-title font, which the windows' text uses, at `dpi`.
HFONT DesktopFont(int dpi);
// The outer rectangle of a window of `style` whose client area is `width` x `height`.
RECT FrameAround(int width, int height, DWORD style, DWORD exStyle, int dpi);

}  // namespace gapscope
