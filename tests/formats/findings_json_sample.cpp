// Prints the JSON documents of simulated stations, one per line, for the schema test: prime,
// rapid-scan and IODC stations in several eras, faults injected, every option set below and
// the switches, a current day reported part-way, a day that a bad mask stops, days before the
// logs begin, and a record stamped after the time of reading.
#include <iostream>
#include <string>
#include <vector>

#include "formats/findings_json.h"
#include "settings/version.h"
#include "tests/report/simulated_day.h"
#include "tests/support/dates.h"

namespace gapscope {
namespace {

using std::chrono::days;

constexpr auto D = test::Date;

ReportOptions With(std::initializer_list<std::pair<bool ReportOptions::*, bool>> changes) {
    ReportOptions o;
    for (const auto& [member, value] : changes) o.*member = value;
    return o;
}

std::vector<ReportOptions> OptionSets() {
    using O = ReportOptions;
    ReportOptions everything;
    for (const OptionField& field : OptionFields()) everything.*(field.member) = true;
    everything.met8LritOnly = false;
    everything.decontaminating = false;
    ReportOptions nothing;
    for (const OptionField& field : OptionFields()) nothing.*(field.member) = false;
    return {
        ReportOptions{},
        everything,
        nothing,
        With({{&O::includeLrit, true}, {&O::hourlyFy2e, true}, {&O::himawari30min, true}}),
        With({{&O::includeMpef, false}, {&O::hourlyFsd, false}, {&O::disableMsg1Mpef, true}}),
        With({{&O::disableMsg1Mpef, true}}),
        With({{&O::met8LritOnly, true}, {&O::includeLrit, true}}),
        With({{&O::decontaminating, true}, {&O::prologEpilogFiles, false}, {&O::includeMpe, false}}),
        With({{&O::goes12Bypass, true}, {&O::includeGoesMir, false}, {&O::includeRii, false}}),
    };
}

struct Setup {
    ScanMode service;
    Day last;
    const char* scenario;
    std::vector<std::string> switches;
    std::string extraSegLines;
    std::vector<std::string> injections;
};

void Print(const test::MemoryStation& station, Day day, const ReportOptions& options,
           const RunInputs& inputs) {
    const DayReportResult r = BuildDayReportWith(station.state, options, day, inputs);
    std::cout << JsonLine(RunDocument(r, DocumentFacts{kVersionText, "Groundstation"})) << '\n';
}

void Sample() {
    // A noon record of MSG data only (no prolog, epilog or products), and a damaged mask.
    std::string msgOnly = "202406011200=";
    for (int n = 1; n <= 11; ++n) msgOnly += std::to_string(n) + "=FF,";
    msgOnly += "12=FFFFFF\n";
    const std::vector<Setup> setups = {
        {ScanMode::Prime, D(2010, 4, 20), "bad-day", {}, "", {}},
        {ScanMode::Prime, D(2015, 3, 1), "bad-day", {}, "", {}},
        {ScanMode::Prime, D(2017, 6, 1), "bad-day", {"-HIM"}, "", {}},
        {ScanMode::Prime, D(2018, 6, 1), "typical", {"-NOMPE", "-neat"}, "", {}},
        {ScanMode::Prime, D(2024, 6, 1), "bad-day", {}, msgOnly,
         {"fsd-day@2024-06-01:fy2g", "fsd-day@2024-06-01:himawari"}},
        {ScanMode::Prime, D(2024, 6, 1), "typical", {"-P", "-NOFY2C", "-NOHIM"}, "", {}},
        {ScanMode::RapidScan, D(2010, 6, 1), "bad-day", {}, "", {}},
        {ScanMode::RapidScan, D(2024, 6, 1), "bad-day", {}, "", {"fill-in@2024-06-01"}},
        {ScanMode::RapidScan, D(2024, 6, 1), "clean", {"-P"}, "", {}},  // without MPEF
        {ScanMode::Iodc, D(2016, 6, 1), "bad-day", {}, "", {}},
        {ScanMode::Iodc, D(2024, 6, 1), "bad-day", {}, "202405311200=IP=1,IE=1,I1=ZZ\n", {}},
    };
    for (const Setup& setup : setups) {
        sim::SimulationConfig config;
        config.service = setup.service;
        config.first = setup.last - days{1};
        config.last = setup.last;
        config.rates = sim::FindScenario(setup.scenario)->rates;
        config.seed = 15;
        config.recordFaults = false;
        // A station that receives no MPEF products at all.
        config.feeds.mpef = setup.scenario != std::string("clean");
        for (const std::string& text : setup.injections) {
            std::string error;
            config.injections.push_back(*sim::ParseInjection(text, error));
        }
        const test::MemoryStation station =
            test::SimulateInMemory(config, setup.switches, setup.extraSegLines);
        RunInputs inputs;
        inputs.processLog = &station.processLog;
        Print(station, config.first - days{1}, ReportOptions{}, inputs);  // before the logs begin
        Print(station, config.first, ReportOptions{}, inputs);
        for (const ReportOptions& options : OptionSets()) Print(station, config.last, options, inputs);
        // The day after: nothing recorded, every message kind fallen silent.
        Print(station, config.last + days{1}, ReportOptions{}, inputs);
        // The last day reported at 09:40, while it is still going on.
        inputs.now = MinuteTime{setup.last} + std::chrono::minutes{9 * 60 + 40};
        Print(station, setup.last, ReportOptions{}, inputs);
    }
    // A segment history without a single record: no first record.
    test::MemoryStation empty;
    DeriveStartupFlags(empty.state);
    Print(empty, D(2024, 6, 1), ReportOptions{}, RunInputs{});
    // Read at 09:40 from a station whose clock stamped a record in 2099.
    test::MemoryStation clocked;
    clocked.state.SegHistory =
        HistoryLog::FromText("202406010000=P=1\n202406010930=P=1\n209912312345=P=1\n");
    const MinuteTime readAt = MinuteTime{D(2024, 6, 1)} + std::chrono::minutes{9 * 60 + 40};
    DeriveStartupFlags(clocked.state, readAt);
    RunInputs atReading;
    atReading.now = readAt;
    Print(clocked, D(2024, 6, 1), ReportOptions{}, atReading);
}

}  // namespace
}  // namespace gapscope

int main() {
    gapscope::Sample();
    return 0;
}
