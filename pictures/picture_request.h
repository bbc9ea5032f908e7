#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "pictures/drawing.h"
#include "pictures/heatmap_model.h"
#include "pictures/timeline_model.h"

namespace gapscope::pictures {

// What gapscope-report hands to gapscope-picture on its standard input: the model of one
// picture, built by the command from its own findings, so that the command links no Qt GUI
// and the picture is the one the painters would draw in the command itself.
using PictureModel = std::variant<Timeline, HeatMap>;

// The drawing of the picture: the timeline's or the heat map's.
Drawing DrawingOf(const PictureModel& model);

std::string PictureRequestText(const PictureModel& model);

// The model of a request; nothing, with `error` saying why, for text that is not one (or
// whose shape the painters could not draw: cells and columns that do not match).
std::optional<PictureModel> ParsePictureRequest(std::string_view text, std::string& error);

}  // namespace gapscope::pictures
