#pragma once

#include <QImage>
#include <QSize>

#include "pictures/timeline_model.h"

class QPainter;

namespace gapscope::pictures {

QSize TimelineSize(const Timeline& timeline);
// Paints the timeline on a device of TimelineSize, from its top-left corner.
void PaintTimeline(QPainter& painter, const Timeline& timeline);
QImage RenderTimeline(const Timeline& timeline);

}  // namespace gapscope::pictures
