#include "window_win/form_timeline.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
// After objbase.h, whose COM types it uses.
#include <gdiplus.h>

#include <algorithm>

#include "pictures/picture_file.h"
#include "pictures/picture_format.h"
#include "pictures/timeline_drawing.h"
#include "startup/system_text.h"
#include "window_win/win_screen.h"

namespace gapscope {
namespace {

constexpr wchar_t kClassName[] = L"TFormTimeline";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kSaveId = 100;
// Designed at 96 dpi: the buttons, their margin, and a line of the scroll bar.
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 8;
constexpr int kScrollLine = 20;

int StripHeight() {
    return kButtonHeight + 2 * kMargin;
}

}  // namespace

TFormTimelineWin::TFormTimelineWin(HWND owner, const WinFormServices& services)
    : services_(services) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    if (!GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);
    }
    CreateWindowExW(kExStyle, kClassName, L"Day timeline - Gapscope", kStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this);
    if (window_ == nullptr) return;
    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    save_ = CreateWindowExW(0, WC_BUTTONW, L"Save picture...", button, 0, 0, 0, 0, window_,
                            reinterpret_cast<HMENU>(kSaveId), instance, nullptr);
    // IDCANCEL, so that Esc closes it as it closes a dialog.
    close_ = CreateWindowExW(0, WC_BUTTONW, L"Close", button, 0, 0, 0, 0, window_,
                             reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
    ApplyDpi(WindowDpi(window_));
}

TFormTimelineWin::~TFormTimelineWin() {
    if (window_ != nullptr) DestroyWindow(window_);
    if (font_ != nullptr) DeleteObject(font_);
    bitmap_.reset();
}

HWND TFormTimelineWin::Control(std::string_view name) const {
    if (name == "ButtonSavePicture") return save_;
    if (name == "ButtonClosePicture") return close_;
    return nullptr;
}

void TFormTimelineWin::ShowFindings(const Findings& findings, const pictures::PictureFacts& facts,
                                    const std::string& folder) {
    if (window_ == nullptr) return;
    const bool first = !timeline_;
    timeline_ = pictures::BuildTimeline(findings, facts);
    bitmap_ = painter_.Paint(pictures::DrawTimeline(*timeline_));
    folder_ = folder;
    SetWindowTextW(window_,
                   Utf16FromUtf8("Day timeline " + IsoDate(findings.day) + " - Gapscope").c_str());
    if (first && bitmap_) {
        // The whole picture where the screen has room for it, else as large as the screen.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& area = monitor.rcWork;
        const RECT outer = FrameAround(
            static_cast<int>(bitmap_->GetWidth()),
            static_cast<int>(bitmap_->GetHeight()) + Scale(StripHeight()), kStyle, kExStyle, dpi_);
        const int width = std::min<int>(outer.right - outer.left, area.right - area.left);
        const int height = std::min<int>(outer.bottom - outer.top, area.bottom - area.top);
        SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                     area.top + (area.bottom - area.top - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    scroll_ = 0;
    Arrange();
    InvalidateRect(window_, nullptr, FALSE);
}

void TFormTimelineWin::Show() {
    if (window_ == nullptr) return;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(save_);
}

void TFormTimelineWin::ButtonSavePictureClick() {
    if (!timeline_ || !services_.choosePictureFile) return;
    const std::filesystem::path suggested =
        PathFromText(folder_) / PathFromText(IsoDate(timeline_->day) + "-timeline.png");
    std::optional<std::filesystem::path> chosen = services_.choosePictureFile(window_, suggested);
    if (!chosen || chosen->empty()) return;
    if (!pictures::PictureFormatOf(TextOfPath(*chosen))) *chosen += ".png";
    const auto problem = pictures::SavePicture(
        *chosen, pictures::DrawTimeline(*timeline_),
        [this](const pictures::Drawing& drawing) { return painter_.Png(drawing); });
    if (problem && services_.say) {
        services_.say(window_, L"Gapscope",
                      {WindowMessage::Kind::Error, "The picture could not be saved: " + *problem});
    }
}

void TFormTimelineWin::ApplyDpi(int dpi) {
    dpi_ = dpi;
    const HFONT old = font_;
    font_ = DesktopFont(dpi);
    for (const HWND button : {save_, close_}) {
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    if (old != nullptr) DeleteObject(old);
    Arrange();
}

RECT TFormTimelineWin::PictureRoom() const {
    RECT client{};
    GetClientRect(window_, &client);
    client.bottom = std::max<LONG>(client.top, client.bottom - Scale(StripHeight()));
    return client;
}

int TFormTimelineWin::ShownHeight(int width) const {
    if (!bitmap_ || width <= 0) return 0;
    const int pictureWidth = static_cast<int>(bitmap_->GetWidth());
    const int pictureHeight = static_cast<int>(bitmap_->GetHeight());
    return width >= pictureWidth ? pictureHeight : MulDiv(pictureHeight, width, pictureWidth);
}

// Scaled down to the width there is, never up: the evening hours need no sideways scroll.
// The scroll bar is reckoned with before it is shown, so that showing it changes nothing.
void TFormTimelineWin::Arrange() {
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    const int buttonWidth = Scale(kButtonWidth);
    const int buttonHeight = Scale(kButtonHeight);
    const int margin = Scale(kMargin);
    const int top = client.bottom - margin - buttonHeight;
    SetWindowPos(close_, nullptr, client.right - margin - buttonWidth, top, buttonWidth,
                 buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(save_, nullptr, client.right - 2 * (margin + buttonWidth), top, buttonWidth,
                 buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    const RECT room = PictureRoom();
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(window_, SB_VERT, &bar);
    const bool barShown = (GetWindowLongW(window_, GWL_STYLE) & WS_VSCROLL) != 0 && bar.nMax > 0 &&
                          static_cast<int>(bar.nPage) <= bar.nMax;
    const int widest = room.right + (barShown ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int roomHeight = room.bottom - room.top;
    const bool scrolls = ShownHeight(widest) > roomHeight;
    const int width = scrolls ? widest - GetSystemMetrics(SM_CXVSCROLL) : widest;
    const int height = ShownHeight(width);
    scroll_ = std::clamp(scroll_, 0, std::max(0, height - roomHeight));
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bar.nMin = 0;
    bar.nMax = scrolls ? height - 1 : 0;
    bar.nPage = scrolls ? static_cast<UINT>(roomHeight) : 0;
    bar.nPos = scroll_;
    SetScrollInfo(window_, SB_VERT, &bar, TRUE);
}

void TFormTimelineWin::ScrollTo(int position) {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(window_, SB_VERT, &bar);
    const int last = std::max(0, bar.nMax + 1 - static_cast<int>(bar.nPage));
    scroll_ = std::clamp(position, 0, last);
    bar.fMask = SIF_POS;
    bar.nPos = scroll_;
    SetScrollInfo(window_, SB_VERT, &bar, TRUE);
    InvalidateRect(window_, nullptr, FALSE);
}

// Into a bitmap first, then onto the screen at once: no flicker as the window is sized.
void TFormTimelineWin::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP canvas = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1),
                                                  std::max<LONG>(client.bottom, 1));
    const HGDIOBJ old = SelectObject(memory, canvas);
    FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
    const RECT room = PictureRoom();
    FillRect(memory, &room, GetSysColorBrush(COLOR_WINDOW));
    if (bitmap_) {
        Gdiplus::Graphics graphics(memory);
        const int pictureWidth = static_cast<int>(bitmap_->GetWidth());
        const int width = std::min<int>(room.right, pictureWidth);
        const bool scaled = width < pictureWidth;
        graphics.SetClip(Gdiplus::Rect(0, 0, room.right, room.bottom));
        graphics.SetInterpolationMode(scaled ? Gdiplus::InterpolationModeHighQualityBicubic
                                             : Gdiplus::InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.DrawImage(bitmap_.get(), Gdiplus::Rect(0, -scroll_, width, ShownHeight(width)));
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    EndPaint(window_, &paint);
}

LRESULT CALLBACK TFormTimelineWin::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TFormTimelineWin*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TFormTimelineWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return form->Handle(message, wParam, lParam);
}

LRESULT TFormTimelineWin::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kSaveId && HIWORD(wParam) == BN_CLICKED) ButtonSavePictureClick();
            if (LOWORD(wParam) == IDCANCEL) ShowWindow(window_, SW_HIDE);
            return 0;
        case WM_CLOSE:
            ShowWindow(window_, SW_HIDE);
            return 0;
        case WM_SIZE:
            Arrange();
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT paints every pixel
        case WM_PAINT:
            Paint();
            return 0;
        case WM_VSCROLL: {
            SCROLLINFO bar{};
            bar.cbSize = sizeof bar;
            bar.fMask = SIF_ALL;
            GetScrollInfo(window_, SB_VERT, &bar);
            const int line = Scale(kScrollLine);
            switch (LOWORD(wParam)) {
                case SB_LINEUP:
                    ScrollTo(scroll_ - line);
                    break;
                case SB_LINEDOWN:
                    ScrollTo(scroll_ + line);
                    break;
                case SB_PAGEUP:
                    ScrollTo(scroll_ - static_cast<int>(bar.nPage));
                    break;
                case SB_PAGEDOWN:
                    ScrollTo(scroll_ + static_cast<int>(bar.nPage));
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION:
                    ScrollTo(bar.nTrackPos);
                    break;
                case SB_TOP:
                    ScrollTo(0);
                    break;
                case SB_BOTTOM:
                    ScrollTo(bar.nMax);
                    break;
                default:
                    break;
            }
            return 0;
        }
        case WM_MOUSEWHEEL:
            ScrollTo(scroll_ -
                     GET_WHEEL_DELTA_WPARAM(wParam) * 3 * Scale(kScrollLine) / WHEEL_DELTA);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize.x = Scale(2 * kButtonWidth + 4 * kMargin);
            limits->ptMinTrackSize.y = Scale(4 * StripHeight());
            return 0;
        }
        case WM_DPICHANGED: {
            ApplyDpi(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace gapscope
