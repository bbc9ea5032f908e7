#include "window_model/counts_line.h"

#include "report/judged_minutes.h"
#include "report/sequence_report.h"

namespace gapscope {
namespace {

std::string Count(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Nothing of what is missing counted; the late segments, which have a log of their own.
CountsLine BeforeLogsBegin(const Findings& findings) {
    const std::string tooltip = BeforeLogsBeginLine(findings.firstRecord).substr(2);
    const int late = Summarise(findings).lateSegments;
    if (late == 0) return {"Nothing counted: the day is before the logs begin", tooltip};
    return {"Nothing missing counted: the day is before the logs begin.  Late: " +
                Count(late, "segment", "segments") + ".",
            tooltip};
}

// The message kinds that fell silent, after the counts ("  No message recorded: DCP.") and
// in the tooltip; nothing while the day is not over.
void AddNoMessage(const Findings& findings, CountsLine& line) {
    if (!findings.noMessageRecorded || findings.noMessageRecorded->empty()) return;
    std::string kinds;
    for (SequenceKind kind : *findings.noMessageRecorded) {
        kinds += (kinds.empty() ? "" : ", ") + SequenceKindName(kind);
    }
    line.text += "  No message recorded: " + kinds + ".";
    line.tooltip += "\nno message recorded, though recorded on one of the seven days before: " + kinds;
}

}  // namespace

CountsLine DescribeCounts(const Findings& findings) {
    if (findings.judged.WhollyBeforeLogsBegin()) {
        CountsLine line = BeforeLogsBegin(findings);
        AddNoMessage(findings, line);
        return line;
    }
    const DaySummary c = Summarise(findings);
    CountsLine line;
    line.text = std::string(findings.judged.current ? "Missing so far: " : "Missing: ") +
                Count(c.missingCycles, "cycle", "cycles") + ", " +
                Count(c.channels, "channel", "channels") + " (" +
                Count(c.segments, "segment", "segments") + "), " +
                Count(c.products, "product", "products") + ", " +
                Count(c.sequenceNumbers, "sequence number", "sequence numbers") +
                ".  Late: " + Count(c.lateSegments, "segment", "segments") + ".";
    line.tooltip = "The day's counts";
    if (findings.judged.current) line.tooltip += " so far (" + JudgedUpToLine(findings.day, findings.judged).substr(3);
    line.tooltip += ":\nmissing repeat cycles: " + std::to_string(c.missingCycles) +
                    "\nchannels and files incomplete or missing, outside missing cycles: " +
                    std::to_string(c.channels) +
                    "\ntheir missing segments: " + std::to_string(c.segments) +
                    "\nlate segments: " + std::to_string(c.lateSegments) +
                    "\nmissing products, outside missing cycles: " + std::to_string(c.products) +
                    "\nmissing sequence numbers: " + std::to_string(c.sequenceNumbers);
    AddNoMessage(findings, line);
    return line;
}

CountsLine NothingCounted(const std::string& reason) {
    return {"Nothing counted: " + reason, "Nothing counted: " + reason};
}

}  // namespace gapscope
