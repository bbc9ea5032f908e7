// The pictures of gapscope-report --picture: a year of days over a two-year history as a
// heat map, and one day as a timeline, each from the report runs to the file written (PNG by
// gapscope-picture, SVG by the command itself); then the parts: the hand-over to
// gapscope-picture, the drawing, the SVG text, the painting by Qt. The histories are those
// scripts/bench.sh makes ($GAPSCOPE_BENCH_HISTORIES).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "command/report_picture.h"
#include "bench/bench_histories.h"
#include "history/scan_mode.h"
#include "pictures/heatmap_drawing.h"
#include "pictures/picture_file.h"
#include "pictures/picture_request.h"
#include "pictures/qt_painter.h"
#include "pictures/svg_painter.h"
#include "report/day_range.h"
#include "startup/startup_state.h"

namespace gapscope::bench {
namespace {

namespace fs = std::filesystem;
using std::chrono::days;

const LoadedBenchHistory& History(ScanMode service) {
    static const LoadedBenchHistory prime = LoadBenchHistory("prime-730");
    static const LoadedBenchHistory rapid = LoadBenchHistory("rapid-730");
    return service == ScanMode::RapidScan ? rapid : prime;
}

// The last year of a two-year history: the 365 days after its report day, its middle.
DayRange LastYear(const LoadedBenchHistory& history) {
    return {history.reportDay + days{1}, history.reportDay + days{365}, std::nullopt};
}

fs::path Output(const char* name) {
    return fs::temp_directory_path() / name;
}

// The last year as gapscope-report --from --to --picture makes it, logs in memory: the
// report runs, the heat map's rows, the hand-over to gapscope-picture, its painting and file.
void YearHeatMap(benchmark::State& state, ScanMode service, const char* file) {
    const LoadedBenchHistory& history = History(service);
    const StartupState& station = history.state;
    for (auto _ : state) {
        RunPicture picture(true, "3.1.23.1366");
        RunDayRange(station, ReportOptions{}, LastYear(history),
                    [&](Day day, DayReportResult& r) { picture.Add(station, day, r); });
        if (const auto problem = picture.Write(Output(file).string(), GAPSCOPE_PICTURE_EXE)) {
            state.SkipWithError(problem->c_str());
        }
    }
}

pictures::HeatMap YearRows(ScanMode service) {
    const LoadedBenchHistory& history = History(service);
    const StartupState& station = history.state;
    pictures::HeatMap map;
    RunDayRange(station, ReportOptions{}, LastYear(history), [&](Day day, DayReportResult& r) {
        pictures::AddHeatMapRow(map, pictures::BuildHeatMapRow(r.findings, pictures::DayStatus::Reported),
                                station.Mode);
        map.rows.back().day = day;
    });
    return map;
}

// The hand-over alone: the rows made once, as text and read back.
void YearHeatMapRequest(benchmark::State& state, ScanMode service) {
    const pictures::HeatMap map = YearRows(service);
    for (auto _ : state) {
        std::string error;
        const auto back = pictures::ParsePictureRequest(pictures::PictureRequestText(map), error);
        if (!back) state.SkipWithError(error.c_str());
    }
}

// The drawing alone, from rows made once.
void YearHeatMapDrawing(benchmark::State& state, ScanMode service) {
    const pictures::HeatMap map = YearRows(service);
    for (auto _ : state) benchmark::DoNotOptimize(pictures::DrawHeatMap(map));
}

// A drawing made once, as SVG text, or painted by Qt into PNG bytes.
void YearHeatMapSvgText(benchmark::State& state, ScanMode service) {
    const pictures::Drawing drawing = pictures::DrawHeatMap(YearRows(service));
    for (auto _ : state) benchmark::DoNotOptimize(pictures::SvgOf(drawing));
}
void YearHeatMapQtPng(benchmark::State& state, ScanMode service) {
    const pictures::Drawing drawing = pictures::DrawHeatMap(YearRows(service));
    for (auto _ : state) {
        if (!pictures::QtPng(drawing)) state.SkipWithError("no PNG");
    }
}

// The report day's timeline, as gapscope-report --day --picture makes it.
void DayTimeline(benchmark::State& state) {
    const LoadedBenchHistory& history = History(ScanMode::Prime);
    const StartupState& station = history.state;
    for (auto _ : state) {
        RunPicture picture(false, "3.1.23.1366");
        picture.Add(station, history.reportDay, BuildDayReport(station, ReportOptions{}, history.reportDay));
        if (const auto problem = picture.Write(Output("gapscope-bench-day.png").string(), GAPSCOPE_PICTURE_EXE)) {
            state.SkipWithError(problem->c_str());
        }
    }
}

}  // namespace
}  // namespace gapscope::bench

int main(int argc, char** argv) {
    using namespace gapscope;
    using namespace gapscope::bench;
    const pictures::OffscreenGui gui;
    benchmark::RegisterBenchmark("Picture/YearHeatMap/prime-730", YearHeatMap, ScanMode::Prime,
                                 "gapscope-bench-year.png")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/YearHeatMapSvg/prime-730", YearHeatMap, ScanMode::Prime,
                                 "gapscope-bench-year.svg")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/YearHeatMap/rapid-730", YearHeatMap, ScanMode::RapidScan,
                                 "gapscope-bench-year-rapid.png")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/YearHeatMapRequest/prime-730", YearHeatMapRequest, ScanMode::Prime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/YearHeatMapDrawing/prime-730", YearHeatMapDrawing, ScanMode::Prime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/YearHeatMapSvgText/prime-730", YearHeatMapSvgText, ScanMode::Prime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/YearHeatMapQtPng/prime-730", YearHeatMapQtPng, ScanMode::Prime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Picture/DayTimeline/prime-730", DayTimeline)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
