#include "command/report_picture.h"

#include <system_error>

#include "pictures/picture_file.h"
#include "pictures/picture_format.h"
#include "pictures/picture_request.h"
#include "platform/child_process.h"
#include "startup/system_text.h"
#ifdef _WIN32
#include "pictures/windows_painter.h"
#else
#include <unistd.h>
#endif

namespace gapscope {

bool CanDrawPicture([[maybe_unused]] const std::string& file,
                    [[maybe_unused]] const std::optional<std::filesystem::path>& program) {
#ifdef _WIN32
    return true;
#else
    return program || pictures::PictureFormatOf(file) != pictures::PictureFormat::Png;
#endif
}

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

std::optional<std::string> RunPicture::Write(
    const std::string& file,
    [[maybe_unused]] const std::optional<std::filesystem::path>& program) const {
    const pictures::PictureModel model =
        timeline_ ? pictures::PictureModel{*timeline_} : pictures::PictureModel{heatMap_};
#ifdef _WIN32
    return pictures::SavePicture(PathFromText(file), pictures::DrawingOf(model),
                                 pictures::WindowsPng);
#else
    if (pictures::PictureFormatOf(file) != pictures::PictureFormat::Png || !program) {
        return pictures::SavePicture(PathFromText(file), pictures::DrawingOf(model), nullptr);
    }
    const ProgramRun run = RunProgram(*program, {file}, pictures::PictureRequestText(model));
    const std::string name = TextOfPath(*program);
    if (run.startError) return "cannot run " + name + ": " + *run.startError;
    if (run.exitStatus == 0) return std::nullopt;
    // The program says why on its standard output, in one line.
    std::string why = run.output;
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
    if (!why.empty()) return why;
    if (run.signal) return name + " was ended by signal " + std::to_string(*run.signal);
    return name + " ended with status " + std::to_string(run.exitStatus.value_or(-1));
#endif
}

std::optional<std::filesystem::path> FindPictureProgram(
    [[maybe_unused]] const std::filesystem::path& programDirectory) {
#ifdef _WIN32
    return std::nullopt;
#else
    const std::filesystem::path places[] = {
        programDirectory / "gapscope-picture",
        programDirectory.parent_path() / "libexec" / "gapscope" / "gapscope-picture",
        std::filesystem::path(GAPSCOPE_PICTURE_PROGRAM),
    };
    for (const std::filesystem::path& place : places) {
        std::error_code error;
        if (std::filesystem::is_regular_file(place, error) && access(place.c_str(), X_OK) == 0)
            return place;
    }
    return std::nullopt;
#endif
}

}  // namespace gapscope
