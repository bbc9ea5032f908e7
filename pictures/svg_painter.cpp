#include "pictures/svg_painter.h"

#include <cstdio>

#include "history/log_text.h"

namespace gapscope::pictures {
namespace {

// Text as XML character data or an attribute's value: markup escaped; what XML cannot hold
// (control characters, bytes that are not UTF-8) becomes U+FFFD, so that a name from outside
// never breaks the document.
void AppendEscaped(std::string& out, std::string_view text) {
    for (const char32_t c : Characters(text)) {
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            default:
                break;
        }
        const bool allowed = c == '\t' || (c >= 0x20 && c < 0xD800) ||
                             (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        AppendUtf8(out, allowed ? c : char32_t{0xFFFD});
    }
}

std::string Colour(const Rgb& rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb.r, rgb.g, rgb.b);
    return text;
}

// A line's pixels as SVG path data: squares of whole pixels, which every viewer fills
// exactly, so that the SVG has the PNG's pixels. A slanting run is one outline stepping
// along its pixels' corners.
void AppendPixels(std::string& out, const Line& line) {
    const PixelRun run = PixelsOf(line);
    const std::string n = std::to_string(run.length);
    const std::string at = 'M' + std::to_string(run.x) + ' ' + std::to_string(run.y);
    if (run.dx == 0 || run.dy == 0) {
        const std::string width = run.dx == 0 ? "1" : n;
        const std::string height = run.dx == 0 && run.dy != 0 ? n : "1";
        out += at + 'h' + width + 'v' + height + 'h' + '-' + width + 'z';
    } else if (run.dy > 0) {
        out += at;
        for (int i = 0; i < run.length; ++i) out += "h1v1";
        for (int i = 0; i < run.length; ++i) out += "h-1v-1";
        out += 'z';
    } else {
        out += 'M' + std::to_string(run.x) + ' ' + std::to_string(run.y + 1);
        for (int i = 0; i < run.length; ++i) out += "v-1h1";
        for (int i = 0; i < run.length; ++i) out += "v1h-1";
        out += 'z';
    }
}

void AppendLines(std::string& out, const std::vector<Line>& lines, const Rgb& colour) {
    if (lines.empty()) return;
    out += "<path fill=\"" + Colour(colour) + "\" d=\"";
    for (const Line& line : lines) AppendPixels(out, line);
    out += "\"/>\n";
}

void AppendShape(std::string& out, const Fill& fill) {
    out += "<rect x=\"" + std::to_string(fill.box.x) + "\" y=\"" + std::to_string(fill.box.y) +
           "\" width=\"" + std::to_string(fill.box.width) + "\" height=\"" +
           std::to_string(fill.box.height) + "\" fill=\"" + Colour(fill.colour) + "\"/>\n";
}
void AppendShape(std::string& out, const Hatch& hatch) {
    AppendLines(out, PatternLines(hatch), hatch.colour);
}
void AppendShape(std::string& out, const Stripes& stripes) {
    AppendLines(out, PatternLines(stripes), stripes.colour);
}
void AppendShape(std::string& out, const Line& line) {
    AppendLines(out, {line}, line.colour);
}
void AppendShape(std::string& out, const Text& text) {
    const char* anchor = text.align == Align::Left    ? ""
                         : text.align == Align::Right ? " text-anchor=\"end\""
                                                      : " text-anchor=\"middle\"";
    for (const PlacedLine& line : PlaceText(text)) {
        if (line.text.empty()) continue;
        char x[32];
        std::snprintf(x, sizeof x, "%g", line.x);
        out += "<text x=\"" + std::string(x) + "\" y=\"" + std::to_string(line.baseline) +
               "\" font-size=\"" + std::to_string(text.font.pixels) + "\"" +
               (text.font.bold ? " font-weight=\"bold\"" : "") + " fill=\"" + Colour(text.colour) +
               "\"" + anchor + ">";
        AppendEscaped(out, line.text);
        out += "</text>\n";
    }
}

}  // namespace

std::string SvgOf(const Drawing& drawing) {
    const std::string width = std::to_string(drawing.width);
    const std::string height = std::to_string(drawing.height);
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
        width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height +
        "\" shape-rendering=\"crispEdges\" font-family=\"" + kPictureFontFamily +
        ", sans-serif\" xml:space=\"preserve\">\n<title>";
    AppendEscaped(out, drawing.title);
    out += "</title>\n<desc>Made by Gapscope from a station's history logs</desc>\n";
    for (const Shape& shape : drawing.shapes) {
        std::visit([&out](const auto& s) { AppendShape(out, s); }, shape);
    }
    out += "</svg>\n";
    return out;
}

}  // namespace gapscope::pictures
