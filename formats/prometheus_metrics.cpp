#include "formats/prometheus_metrics.h"

#include <map>

#include "catalogue/catalogue.h"
#include "formats/findings_json.h"
#include "startup/safe_name.h"
#include "startup/system_text.h"

namespace gapscope {

namespace {

// A label value: UTF-8 without control characters, as the exposition format takes it, with
// the characters it escapes escaped.
std::string Escaped(const std::string& value) {
    std::string out;
    for (char c : SafeName(value)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
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

std::string KindLabel(SequenceKind kind) {
    std::string_view suffix = SequenceSuffix(kind);
    if (!suffix.empty()) suffix.remove_prefix(1);  // the leading "-"
    return ",kind=\"" + Escaped(std::string(suffix)) + "\"";
}

// 1 for each message kind the day records; 0 for each that fell silent, once the day is over
// (Findings::noMessageRecorded). A kind not yet come on the current day has no series.
void MessagesRecorded(Exposition& out, const Findings& findings) {
    const std::vector<SequenceKind> none;
    const std::vector<SequenceKind>& silent = findings.noMessageRecorded.value_or(none);
    if (findings.sequences.empty() && silent.empty()) return;
    out.Family("gapscope_messages_recorded",
               "Whether the file history records DCP or MDD messages of the kind on the day: 1, "
               "or 0 for a kind recorded on one of the seven days before but not on this day "
               "(told once the day is over).");
    std::map<std::string, long long> byKind;
    for (const SequenceFinding& block : findings.sequences) byKind[KindLabel(block.kind)] = 1;
    for (SequenceKind kind : silent) byKind[KindLabel(kind)] = 0;
    for (const auto& [label, value] : byKind) out.Sample("gapscope_messages_recorded", value, label);
}

}  // namespace

std::string PrometheusMetrics(const MetricsInput& input) {
    const Findings& findings = input.findings;
    const DayMeasures& m = input.measures;
    Exposition out("station=\"" + Escaped(input.station) + "\",gapscope_service=\"" +
                   std::string(ServiceName(findings.service, ServiceText::Key)) + "\"");
    // Carries the station for what concerns the node exporter as a whole (its `up`).
    out.Family("gapscope_info", "The gapscope version that wrote the station's metrics; always 1.");
    out.Sample("gapscope_info", 1, ",version=\"" + Escaped(input.version) + "\"");
    out.Gauge("gapscope_metrics_written_timestamp_seconds",
              "Time at which gapscope wrote the station's metrics.", Seconds(input.written));
    out.Gauge("gapscope_report_day_timestamp_seconds",
              "Start (00:00 UTC) of the day that the gapscope counts are of.",
              Seconds(std::chrono::sys_seconds{findings.day}));
    out.Gauge("gapscope_due_cycles", "Repeat cycles of the day that are due, each of which can be missing.",
              m.dueCycles);
    out.Gauge("gapscope_missing_cycles", "Repeat cycles of the day of which nothing arrived.",
              m.counts.missingCycles);
    out.Gauge("gapscope_consecutive_missing_cycles", "The most missing cycles of the day in a row.",
              m.longestCycleRun);
    // The start of the newest missing cycle, so that an alert can last a while after it.
    const long long newestMissing =
        findings.missingCycles.empty()
            ? 0
            : Seconds(std::chrono::sys_seconds{findings.day} +
                      std::chrono::minutes{findings.missingCycles.back()});
    out.Gauge("gapscope_last_missing_cycle_timestamp_seconds",
              "Start of the newest missing repeat cycle of the day; 0 when none is missing.",
              newestMissing);
    out.Gauge("gapscope_missing_channels",
              "Channels and files of the day incomplete or missing, outside missing cycles.",
              m.counts.channels);
    out.Gauge("gapscope_missing_whole_channels",
              "Channels and files of the day of which nothing arrived, outside missing cycles, "
              "once per cycle.",
              m.wholeChannels);
    out.Gauge("gapscope_consecutive_missing_whole_channel",
              "The most cycles of the day in a row in which one channel or file was missing whole.",
              m.longestChannelRun);
    if (!m.lostChannels.empty()) {
        out.Family("gapscope_whole_channel_missing_cycles",
                   "Cycles of the day in which the channel or file was missing whole, outside "
                   "missing cycles.");
        for (const LostChannel& channel : m.lostChannels) {
            out.Sample("gapscope_whole_channel_missing_cycles", channel.cycles,
                       ",channel=\"" + Escaped(channel.name) + "\"");
        }
    }
    out.Gauge("gapscope_missing_segments",
              "Segments missing from the incomplete or missing channels and files of the day.",
              m.counts.segments);
    out.Gauge("gapscope_expected_segments",
              "Segments expected in the due cycles of the day that were not missing.",
              m.expectedSegments);
    out.Gauge("gapscope_due_segments",
              "Segments expected in the due cycles of the day, missing cycles included.",
              m.dueSegments);
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
    MessagesRecorded(out, findings);
    // 0 without any record, so that a station that never received is as silent as can be.
    out.Gauge("gapscope_last_record_timestamp_seconds",
              "Time of the newest record in the station's segment history; 0 when it holds none.",
              input.newestRecord ? Seconds(std::chrono::sys_seconds{*input.newestRecord}) : 0);
    out.Gauge("gapscope_records_after_now",
              "Records in the station's segment history stamped more than 15 minutes after the "
              "run: the station's clock is wrong (or this one).",
              findings.recordsAfterNow.count);
    return out.Text();
}

}  // namespace gapscope
