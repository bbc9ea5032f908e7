#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pictures/timeline_model.h"
#include "pictures/windows_painter.h"
#include "report/findings.h"
#include "window_win/form_services.h"

namespace gapscope {

// The day timeline in a window of its own beside the main window, in Win32 and painted by
// GDI+. The main window hands it the findings of each report run while it is shown, so that
// it follows the date picker and the option boxes; it saves the picture as PNG or SVG.
// Closing it hides it.
class TFormTimelineWin {
  public:
    // Made hidden, owned by `owner`; the services' file dialog and messages are used.
    TFormTimelineWin(HWND owner, const WinFormServices& services);
    ~TFormTimelineWin();
    TFormTimelineWin(const TFormTimelineWin&) = delete;
    TFormTimelineWin& operator=(const TFormTimelineWin&) = delete;

    // Draws the timeline of a report run's findings. `folder` is where Save first looks.
    void ShowFindings(const Findings& findings, const pictures::PictureFacts& facts,
                      const std::string& folder);
    // Shows the window in front.
    void Show();
    // Asks where to save (the file's extension chooses PNG or SVG) and saves the picture.
    void ButtonSavePictureClick();

    HWND Window() const { return window_; }
    bool Visible() const { return window_ != nullptr && IsWindowVisible(window_); }
    // ButtonSavePicture or ButtonClosePicture; nullptr for any other name.
    HWND Control(std::string_view name) const;
    const std::optional<pictures::Timeline>& Shown() const { return timeline_; }
    // The picture as painted; on screen it is scaled down to the window's width.
    Gdiplus::Bitmap* Picture() const { return bitmap_.get(); }
    const pictures::WindowsPainter& Painter() const { return painter_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyDpi(int dpi);
    // Places the buttons and sets the scroll range for the picture at the window's width.
    void Arrange();
    void Paint();
    void ScrollTo(int position);
    int Scale(int designed) const { return MulDiv(designed, dpi_, 96); }
    // The picture's room (above the buttons) and its height shown at the room's width.
    RECT PictureRoom() const;
    int ShownHeight(int width) const;

    const WinFormServices& services_;
    pictures::WindowsPainter painter_;  // outlives the bitmap it painted
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    std::optional<pictures::Timeline> timeline_;
    std::string folder_;
    HWND window_ = nullptr;
    HWND save_ = nullptr;
    HWND close_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = 96;
    int scroll_ = 0;  // pixels of the shown picture above the room's top
};

}  // namespace gapscope
