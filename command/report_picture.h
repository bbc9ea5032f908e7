#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "pictures/heatmap_model.h"
#include "pictures/timeline_model.h"
#include "report/day_report.h"
#include "startup/startup_state.h"

namespace gapscope {

// What --picture says where the program that draws PNG pictures is not installed.
inline constexpr const char* kPicturesNeedWindowPackage =
    "pictures need the gapscope package: apt install gapscope";

// Whether this run can write the picture `file`: an SVG always, a PNG on Windows (GDI+)
// or where gapscope-picture (`program`) is installed.
bool CanDrawPicture(const std::string& file, const std::optional<std::filesystem::path>& program);

// The picture of what one run of gapscope-report reported (--picture): the timeline of its
// one day, or the heat map of its range, gathered day by day as the run goes. The command
// builds the picture's model and writes its SVG itself, and its PNG on Windows;
// elsewhere gapscope-picture, which links Qt GUI, draws the PNG.
class RunPicture {
  public:
    RunPicture(bool range, std::string version) : range_(range), version_(std::move(version)) {}

    // One day as the run reported it; a day whose run failed makes no timeline.
    void Add(const StartupState& station, Day day, const DayReportResult& result);
    bool Empty() const { return range_ ? heatMap_.rows.empty() : !timeline_.has_value(); }
    // Writes the picture, PNG or SVG by the file's extension, the PNG outside Windows by
    // `program`; why it could not, or nothing.
    std::optional<std::string> Write(const std::string& file,
                                     const std::optional<std::filesystem::path>& program) const;

  private:
    bool range_;
    std::string version_;
    std::optional<pictures::Timeline> timeline_;
    pictures::HeatMap heatMap_;
};

// gapscope-picture: beside the command (a build tree), in ../libexec/gapscope from the
// command's folder (an installation under any prefix), or where this build installs it;
// none where the window's package is not installed, and on Windows, which needs none.
std::optional<std::filesystem::path> FindPictureProgram(
    const std::filesystem::path& programDirectory);

}  // namespace gapscope
