#include "command/report_picture.h"

#include "pictures/heatmap_painter.h"
#include "pictures/picture_file.h"
#include "pictures/timeline_painter.h"
#include "startup/system_text.h"

namespace gapscope {

void RunPicture::Add(const StartupState& station, Day day, const DayReportResult& result) {
    const pictures::PictureFacts facts{station.ComputerName, version_};
    if (!range_) {
        if (!result.error) timeline_ = pictures::BuildTimeline(result.findings, facts);
        return;
    }
    heatMap_.facts = facts;
    pictures::HeatMapRow row =
        pictures::BuildHeatMapRow(result.findings, pictures::StatusOf(result));
    row.day = day;
    pictures::AddHeatMapRow(heatMap_, std::move(row), station.Mode);
}

std::optional<std::string> RunPicture::Write(const std::string& file) const {
    const pictures::OffscreenGui gui;
    const std::filesystem::path path = PathFromText(file);
    if (timeline_) return pictures::SaveTimeline(path, *timeline_);
    return pictures::SaveHeatMap(path, heatMap_);
}

}  // namespace gapscope
