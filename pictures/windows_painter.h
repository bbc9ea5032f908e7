#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "pictures/drawing.h"

namespace Gdiplus {
class Bitmap;
class FontFamily;
class PrivateFontCollection;
}  // namespace Gdiplus

namespace gapscope::pictures {

// GDI+ while this lives, with the pictures' font loaded for this program alone (from the
// copy built into it): the Windows painter, for the window's picture and for PNG files.
class WindowsPainter {
  public:
    WindowsPainter();
    ~WindowsPainter();
    WindowsPainter(const WindowsPainter&) = delete;
    WindowsPainter& operator=(const WindowsPainter&) = delete;

    // Whether the font is the pictures' own; without it text is set in the system's sans
    // serif, placed the same.
    bool HasPictureFont() const;
    // The drawing on a white bitmap of its size; null when GDI+ could not make one.
    std::unique_ptr<Gdiplus::Bitmap> Paint(const Drawing& drawing) const;
    // The drawing as PNG bytes; nothing when GDI+ could not make them.
    std::optional<std::string> Png(const Drawing& drawing) const;

  private:
    ULONG_PTR token_ = 0;
    std::unique_ptr<Gdiplus::PrivateFontCollection> fonts_;
    std::unique_ptr<Gdiplus::FontFamily> family_;
};

// The drawing as PNG bytes by a painter of its own (a PngPainter).
std::optional<std::string> WindowsPng(const Drawing& drawing);

}  // namespace gapscope::pictures
