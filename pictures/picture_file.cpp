#include "pictures/picture_file.h"

#include "files/replace_file.h"
#include "pictures/picture_format.h"
#include "pictures/svg_painter.h"
#include "startup/system_text.h"

namespace gapscope::pictures {

std::optional<std::string> SavePicture(const std::filesystem::path& file, const Drawing& drawing,
                                       const PngPainter& png) {
    const std::optional<PictureFormat> format = PictureFormatOf(TextOfPath(file));
    if (!format) return "the picture's name must end in .png or .svg: " + TextOfPath(file);
    std::optional<std::string> bytes;
    if (*format == PictureFormat::Svg) {
        bytes = SvgOf(drawing);
    } else if (png) {
        bytes = png(drawing);
    }
    if (!bytes) return "the PNG image could not be made";
    return WriteFileInPlaceOf(file, *bytes);
}

}  // namespace gapscope::pictures
