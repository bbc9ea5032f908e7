#include "pictures/windows_painter.h"

// After windows.h, which they need.
#include <objbase.h>
// After objbase.h, whose COM types it uses.
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "history/log_text.h"
#include "pictures/picture_font_files.h"
#include "startup/system_text.h"

namespace gapscope::pictures {
namespace {

using namespace Gdiplus;

Color ToColor(const Rgb& rgb) {
    return Color(255, rgb.r, rgb.g, rgb.b);
}

void PaintBox(Graphics& graphics, const Box& box, const Rgb& colour) {
    SolidBrush brush(ToColor(colour));
    graphics.FillRectangle(&brush, box.x, box.y, box.width, box.height);
}

// Each line's pixels as PixelsOf gives them, filled as whole pixels: the PNG's patterns
// are then those of Qt's PNG and of the SVG. GDI+ fills its rectangles as one shape, in
// which a pixel given twice (where lines cross) would be left out: each is given once.
void PaintLines(Graphics& graphics, const std::vector<Line>& lines, const Rgb& colour) {
    std::vector<std::pair<int, int>> pixels;
    for (const Line& line : lines) {
        const PixelRun run = PixelsOf(line);
        for (int i = 0; i < run.length; ++i)
            pixels.emplace_back(run.x + i * run.dx, run.y + i * run.dy);
    }
    std::sort(pixels.begin(), pixels.end());
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    if (pixels.empty()) return;
    std::vector<Rect> squares;
    squares.reserve(pixels.size());
    for (const auto& [x, y] : pixels) squares.emplace_back(x, y, 1, 1);
    SolidBrush brush(ToColor(colour));
    graphics.FillRectangles(&brush, squares.data(), static_cast<INT>(squares.size()));
}

// Each line at the anchor and baseline PlaceText gives, each character where the font's
// table puts it, so that text stands where it stands in the other painters' pictures.
void PaintText(Graphics& graphics, const FontFamily& family, const Text& text) {
    const INT style = text.font.bold ? FontStyleBold : FontStyleRegular;
    const Gdiplus::Font font(&family, static_cast<REAL>(text.font.pixels), style, UnitPixel);
    SolidBrush brush(ToColor(text.colour));
    for (const PlacedLine& line : PlaceText(text)) {
        const double width = TextAdvance(line.text, text.font);
        double x = text.align == Align::Left    ? line.x
                   : text.align == Align::Right ? line.x - width
                                                : line.x - width / 2;
        std::vector<UINT16> characters;
        std::vector<PointF> origins;
        for (const char32_t c : Characters(line.text)) {
            characters.push_back(static_cast<UINT16>(c <= 0xFFFF ? c : 0xFFFD));
            origins.emplace_back(static_cast<REAL>(x), static_cast<REAL>(line.baseline));
            x += CharacterAdvance(c, text.font);
        }
        if (characters.empty()) continue;
        graphics.DrawDriverString(characters.data(), static_cast<INT>(characters.size()), &font,
                                  &brush, origins.data(), DriverStringOptionsCmapLookup, nullptr);
    }
}

std::optional<CLSID> PngEncoder() {
    UINT count = 0;
    UINT size = 0;
    if (GetImageEncodersSize(&count, &size) != Ok || size == 0) return std::nullopt;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GetImageEncoders(count, size, codecs) != Ok) return std::nullopt;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) return codecs[i].Clsid;
    }
    return std::nullopt;
}

}  // namespace

WindowsPainter::WindowsPainter() {
    const GdiplusStartupInput input;
    if (GdiplusStartup(&token_, &input, nullptr) != Ok) {
        token_ = 0;
        return;
    }
    fonts_ = std::make_unique<PrivateFontCollection>();
    for (const bool bold : {false, true}) {
        const std::span<const unsigned char> file = PictureFontFile(bold);
        fonts_->AddMemoryFont(file.data(), static_cast<INT>(file.size()));
    }
    family_ = std::make_unique<FontFamily>(Utf16FromUtf8(kPictureFontFamily).c_str(), fonts_.get());
    if (family_->GetLastStatus() != Ok) {
        family_ = std::unique_ptr<FontFamily>(FontFamily::GenericSansSerif()->Clone());
    }
}

WindowsPainter::~WindowsPainter() {
    family_.reset();
    fonts_.reset();
    if (token_ != 0) GdiplusShutdown(token_);
}

bool WindowsPainter::HasPictureFont() const {
    if (!family_) return false;
    WCHAR name[LF_FACESIZE] = {};
    family_->GetFamilyName(name);
    return Utf8FromUtf16(name) == kPictureFontFamily && fonts_ && fonts_->GetFamilyCount() == 1;
}

std::unique_ptr<Bitmap> WindowsPainter::Paint(const Drawing& drawing) const {
    if (token_ == 0 || drawing.width <= 0 || drawing.height <= 0) return nullptr;
    auto bitmap = std::make_unique<Bitmap>(drawing.width, drawing.height, PixelFormat24bppRGB);
    if (bitmap->GetLastStatus() != Ok) return nullptr;
    Graphics graphics(bitmap.get());
    // Whole pixels: a box of integers fills exactly its pixels, lines are pixels.
    graphics.SetSmoothingMode(SmoothingModeNone);
    graphics.SetPixelOffsetMode(PixelOffsetModeHalf);
    graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
    graphics.Clear(ToColor(colour::kBackground));
    for (const Shape& shape : drawing.shapes) {
        if (const auto* fill = std::get_if<Fill>(&shape)) {
            PaintBox(graphics, fill->box, fill->colour);
        } else if (const auto* hatch = std::get_if<Hatch>(&shape)) {
            PaintLines(graphics, PatternLines(*hatch), hatch->colour);
        } else if (const auto* stripes = std::get_if<Stripes>(&shape)) {
            PaintLines(graphics, PatternLines(*stripes), stripes->colour);
        } else if (const auto* line = std::get_if<Line>(&shape)) {
            PaintLines(graphics, {*line}, line->colour);
        } else {
            PaintText(graphics, *family_, std::get<Text>(shape));
        }
    }
    if (graphics.GetLastStatus() != Ok) return nullptr;
    return bitmap;
}

std::optional<std::string> WindowsPainter::Png(const Drawing& drawing) const {
    const std::unique_ptr<Bitmap> bitmap = Paint(drawing);
    const std::optional<CLSID> png = bitmap ? PngEncoder() : std::nullopt;
    if (!png) return std::nullopt;
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return std::nullopt;
    std::optional<std::string> bytes;
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (bitmap->Save(stream, &*png, nullptr) == Ok &&
        GetHGlobalFromStream(stream, &memory) == S_OK &&
        stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
        if (const void* data = GlobalLock(memory)) {
            bytes.emplace(static_cast<const char*>(data),
                          static_cast<std::size_t>(stat.cbSize.QuadPart));
            GlobalUnlock(memory);
        }
    }
    stream->Release();
    return bytes;
}

std::optional<std::string> WindowsPng(const Drawing& drawing) {
    return WindowsPainter().Png(drawing);
}

}  // namespace gapscope::pictures
