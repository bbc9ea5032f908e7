// The window's report run (gathering the boxes, the core run and filling the four lists),
// with and without the repaint that follows it, beside the core run alone, on Qt's
// offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <memory>

#include "window_qt/form_gapscope.h"
#include "window_qt/qt_day.h"
#include "bench/bench_histories.h"

namespace gapscope::bench {
namespace {

std::unique_ptr<TFormGapscope> OpenWindow(const BenchHistory& h) {
    FormServices services = DefaultFormServices({h.directory.string()});
    services.window.programDirectory = h.directory;
    services.window.computerName = "Bench";
    services.settingsBaseName = "gapscope-bench";
    // "Yesterday" for the window is the history's report day.
    const std::chrono::sys_seconds morningAfter =
        std::chrono::sys_days{h.reportDay} + std::chrono::days{1} + std::chrono::hours{6};
    services.window.now = [morningAfter] { return morningAfter; };
    auto form = std::make_unique<TFormGapscope>(services);
    form->show();
    QApplication::processEvents();
    return form;
}

// Each run picks the other of two days, as an operator stepping through days does, so
// that every run refills the lists with other lines.
Day RunDay(const BenchHistory& h, std::int64_t run) {
    return run % 2 == 0 ? h.reportDay : h.reportDay - std::chrono::days{1};
}

QDateEdit* Picker(const TFormGapscope& form) {
    return form.findChild<QDateEdit*>(QStringLiteral("DateTimePickerDate"));
}

// DateChanged as the picker runs it, with the four lists filled and laid out; the repaint
// that follows in the event loop is left out of the measurement.
void WindowDateChanged(benchmark::State& state, const BenchHistory& h) {
    auto form = OpenWindow(h);
    QDateEdit* picker = Picker(*form);
    if (picker == nullptr) {
        state.SkipWithError("no date picker");
        return;
    }
    const QList<QListWidget*> lists = form->findChildren<QListWidget*>();
    std::int64_t run = 0;
    for (auto _ : state) {
        picker->setDate(ToQDate(RunDay(h, ++run)));
        // The views lay out their new items now instead of on the next turn of the loop.
        for (QListWidget* list : lists) list->doItemsLayout();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// The same with the repaint of the window that the operator waits for as well.
void WindowDateChangedAndRepaint(benchmark::State& state, const BenchHistory& h) {
    auto form = OpenWindow(h);
    QDateEdit* picker = Picker(*form);
    if (picker == nullptr) {
        state.SkipWithError("no date picker");
        return;
    }
    std::int64_t run = 0;
    for (auto _ : state) {
        picker->setDate(ToQDate(RunDay(h, ++run)));
        QApplication::processEvents();
    }
}

void CoreRun(benchmark::State& state, const BenchHistory& h) {
    auto form = OpenWindow(h);
    const ReportOptions options;
    std::int64_t run = 0;
    for (auto _ : state) {
        DayReportResult result = BuildDayReport(form->Startup(), options, RunDay(h, ++run));
        benchmark::DoNotOptimize(result.lists.missingProduct.size());
    }
}

}  // namespace
}  // namespace gapscope::bench

int main(int argc, char** argv) {
    using namespace gapscope::bench;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep the operator's own stored options out of the measurement.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    const auto histories = FindBenchHistories();
    if (histories.empty()) {
        std::fprintf(stderr, "No histories: set GAPSCOPE_BENCH_HISTORIES (scripts/bench.sh does)\n");
        return 2;
    }
    for (const BenchHistory& h : histories) {
        benchmark::RegisterBenchmark(("WindowDateChanged/" + h.name).c_str(), WindowDateChanged, h)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("WindowDateChangedAndRepaint/" + h.name).c_str(),
                                     WindowDateChangedAndRepaint, h)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("CoreRun/" + h.name).c_str(), CoreRun, h)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
