#include "formats/prometheus_metrics.h"

#include <map>

#include "formats/findings_json.h"
#include "catalogue/catalogue.h"
#include "startup/system_text.h"

namespace gapscope {

namespace {

// A label value with the three characters the format escapes.
std::string Escaped(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

class Exposition {
  public:
    explicit Exposition(std::string labels) : labels_(std::move(labels)) {}

    void Family(const std::string& name, const std::string& help) {
        text_ += "# HELP " + name + " " + help + "\n# TYPE " + name + " gauge\n";
    }
    void Sample(const std::string& name, long long value, const std::string& extraLabels = "") {
        text_ += name + "{" + labels_ + extraLabels + "} " + std::to_string(value) + "\n";
    }
    void Gauge(const std::string& name, const std::string& help, long long value) {
        Family(name, help);
        Sample(name, value);
    }
    const std::string& Text() const { return text_; }

  private:
    std::string labels_;
    std::string text_;
};

long long Seconds(std::chrono::sys_seconds time) { return time.time_since_epoch().count(); }

}  // namespace

std::string PrometheusMetrics(const MetricsInput& input) {
    const Findings& findings = input.findings;
    const DayMeasures& m = input.measures;
    Exposition out("station=\"" + Escaped(input.station) + "\",service=\"" +
                   std::string(ServiceName(findings.service)) + "\"");
    out.Gauge("gapscope_report_day_timestamp_seconds",
              "Start (00:00 UTC) of the day that the gapscope counts are of.",
              Seconds(std::chrono::sys_seconds{findings.day}));
    out.Gauge("gapscope_missing_cycles", "Repeat cycles of the day of which nothing arrived.",
              m.counts.missingCycles);
    out.Gauge("gapscope_consecutive_missing_cycles", "The most missing cycles of the day in a row.",
              m.longestCycleRun);
    out.Gauge("gapscope_missing_channels",
              "Channels and files of the day incomplete or missing, outside missing cycles.",
              m.counts.channels);
    out.Gauge("gapscope_missing_whole_channels",
              "Channels and files of the day of which nothing arrived, outside missing cycles.",
              m.wholeChannels);
    out.Gauge("gapscope_missing_segments",
              "Segments missing from the incomplete or missing channels and files of the day.",
              m.counts.segments);
    out.Gauge("gapscope_expected_segments",
              "Segments expected in the due cycles of the day that were not missing.",
              m.expectedSegments);
    out.Gauge("gapscope_late_segments", "Segments of the day that arrived late.",
              m.counts.lateSegments);
    out.Gauge("gapscope_missing_products", "MPEF products of the day missing, outside missing cycles.",
              m.counts.products);
    if (!findings.sequences.empty()) {
        // One series per message kind; the kinds add up to the day's count.
        std::map<std::string, long long> byKind;
        for (const SequenceFinding& block : findings.sequences) {
            std::string_view kind = SequenceSuffix(block.kind);
            if (!kind.empty()) kind.remove_prefix(1);  // the leading "-"
            byKind[std::string(kind)] += static_cast<long long>(block.missing.size());
        }
        out.Family("gapscope_missing_sequence_numbers",
                   "DCP and MDD sequence numbers of the day missing, by message kind.");
        for (const auto& [kind, missing] : byKind) {
            out.Sample("gapscope_missing_sequence_numbers", missing, ",kind=\"" + Escaped(kind) + "\"");
        }
    }
    if (input.newestRecord) {
        out.Gauge("gapscope_last_record_timestamp_seconds",
                  "Time of the newest record in the station's segment history.",
                  Seconds(std::chrono::sys_seconds{*input.newestRecord}));
    }
    return out.Text();
}

}  // namespace gapscope
