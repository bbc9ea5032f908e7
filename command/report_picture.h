#pragma once

#include <optional>
#include <string>

#include "pictures/heatmap_model.h"
#include "pictures/timeline_model.h"
#include "report/day_report.h"
#include "startup/startup_state.h"

namespace gapscope {

// The picture of what one run of gapscope-report reported (--picture): the timeline of its
// one day, or the heat map of its range, gathered day by day as the run goes.
class RunPicture {
  public:
    RunPicture(bool range, std::string version) : range_(range), version_(std::move(version)) {}

    // One day as the run reported it; a day whose run failed makes no timeline.
    void Add(const StartupState& station, Day day, const DayReportResult& result);
    bool Empty() const { return range_ ? heatMap_.rows.empty() : !timeline_.has_value(); }
    // Writes the picture, PNG or SVG by the file's extension; why it could not, or nothing.
    std::optional<std::string> Write(const std::string& file) const;

  private:
    bool range_;
    std::string version_;
    std::optional<pictures::Timeline> timeline_;
    pictures::HeatMap heatMap_;
};

}  // namespace gapscope
