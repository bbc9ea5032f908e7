#include "formats/findings_json.h"

#include <array>
#include <map>
#include <utility>
#include <vector>

#include "report/sequence_report.h"
#include "startup/safe_name.h"

namespace gapscope {

namespace {

using nlohmann::json;

// The switches as they are written on the command line.
json SwitchesJson(const Switches& s) {
    return json{{"neat", s.neat ? 1 : 0},     {"P", s.parallel ? 1 : 0},
                {"NOFY2C", s.noFy2c ? 1 : 0}, {"NOMPE", s.noMpe ? 1 : 0},
                {"HIM", s.himawari ? 1 : 0},  {"NOHIM", s.noHimawari ? 1 : 0}};
}

json OptionsJson(const ReportOptions& options, const Switches& switches) {
    json out = json::object();
    for (const OptionField& field : OptionFields()) {
        out[std::string(field.storedName)] = options.*(field.member) ? 1 : 0;
    }
    out["switches"] = SwitchesJson(switches);
    return out;
}

std::string_view WithinName(Within within) {
    switch (within) {
        case Within::MissingCycle:
            return "missing_cycle";
        case Within::AbsentAllDay:
            return "absent_all_day";
        case Within::Nothing:
            break;
    }
    return "";
}

json ItemJson(const FoundItem& item) {
    json out{{"cycle", CycleHhnn(item.minute)},
             {"kind", ItemKindName(item.kind)},
             {"channel", item.channel},
             {"label", item.label}};
    out["segments"] = item.all ? json("all") : json(item.segments);
    if (item.within != Within::Nothing) out["within"] = WithinName(item.within);
    return out;
}

json ItemsJson(const std::vector<FoundItem>& items) {
    json out = json::array();
    for (const FoundItem& item : items) out.push_back(ItemJson(item));
    return out;
}

json CyclesJson(const std::vector<int>& minutes) {
    json out = json::array();
    for (int minute : minutes) out.push_back(CycleHhnn(minute));
    return out;
}

// The cycles that expect the same channels share one entry, so that a day of many alike
// cycles stays short; entries come in the order of their first cycles.
json ExpectedJson(const Findings& findings) {
    using Channel = std::array<int, 4>;  // kind, channel, first and last segment
    std::vector<std::pair<std::vector<int>, std::vector<Channel>>> groups;
    std::map<std::vector<Channel>, std::size_t> groupOf;
    for (auto c = findings.expected.begin(); c != findings.expected.end();) {
        const int minute = c->minute;
        std::vector<Channel> channels;
        for (; c != findings.expected.end() && c->minute == minute; ++c) {
            channels.push_back({static_cast<int>(c->kind), c->channel, c->firstSegment, c->lastSegment});
        }
        const auto [group, added] = groupOf.emplace(channels, groups.size());
        if (added) groups.push_back({{}, std::move(channels)});
        groups[group->second].first.push_back(minute);
    }
    json out = json::array();
    for (const auto& [minutes, channels] : groups) {
        json list = json::array();
        for (const Channel& c : channels) {
            list.push_back(json{{"kind", ItemKindName(static_cast<ItemKind>(c[0]))},
                                {"channel", c[1]},
                                {"first_segment", c[2]},
                                {"segments", c[3] - c[2] + 1}});
        }
        out.push_back(json{{"cycles", CyclesJson(minutes)}, {"channels", std::move(list)}});
    }
    return out;
}

// The label of every channel expected on the day, by channel number.
json LabelsJson(const Findings& findings) {
    ChannelSet channels;
    for (const ExpectedChannel& c : findings.expected) {
        if (c.kind != ItemKind::Prolog && c.kind != ItemKind::Epilog) channels.Add(c.channel);
    }
    json out = json::object();
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (channels.Contains(n)) out[std::to_string(n)] = ItemLabel(KindOfChannel(n), n, findings.day);
    }
    return out;
}

json SequencesJson(const std::vector<SequenceFinding>& sequences) {
    json out = json::array();
    for (const SequenceFinding& s : sequences) {
        std::string_view suffix = SequenceSuffix(s.kind);
        suffix.remove_prefix(1);  // the leading "-"
        out.push_back(json{{"name", s.name},
                           {"kind", suffix},
                           {"found", s.found},
                           {"received", s.received},
                           {"missing", s.missing},
                           {"repeated", s.repeated}});
    }
    return out;
}

// The message kinds gone silent; null while the day is not over or when sequence numbers
// are not looked at.
json NoMessageJson(const std::optional<std::vector<SequenceKind>>& kinds) {
    if (!kinds) return nullptr;
    json out = json::array();
    for (SequenceKind kind : *kinds) {
        std::string_view suffix = SequenceSuffix(kind);
        suffix.remove_prefix(1);  // the leading "-"
        out.push_back(json{{"name", SequenceKindName(kind)}, {"kind", suffix}});
    }
    return out;
}

json NotCheckedJson(const std::vector<NotChecked>& entries) {
    json out = json::array();
    for (const NotChecked& entry : entries) {
        out.push_back(json{{"reason", NotCheckedReasonName(entry.reason)},
                           {"text", entry.text ? json(*entry.text) : json(nullptr)},
                           {"items", ItemsJson(entry.items)}});
    }
    return out;
}

json AbsentJson(const std::vector<AbsentAllDay>& absent) {
    json out = json::array();
    for (const AbsentAllDay& a : absent) {
        out.push_back(json{{"name", a.name}, {"cycles", a.cycles}, {"channels", a.channels}});
    }
    return out;
}

// "yyyy-mm-ddThh:nnZ".
std::string IsoMinuteUtc(MinuteTime time) {
    return IsoDate(std::chrono::floor<std::chrono::days>(time)) + "T" + ClockTime(time) + "Z";
}

json SummaryJson(const DaySummary& s) {
    return json{{"missing_cycles", s.missingCycles}, {"channels", s.channels},
                {"segments", s.segments},            {"late_segments", s.lateSegments},
                {"products", s.products},            {"sequence_numbers", s.sequenceNumbers}};
}

// Records stamped after the run (a station clock set wrong), only when there are any, so
// that the documents of a station whose clock is right stay as they were.
void AddRecordsAfterNow(json& doc, const RecordsAfterNow& after) {
    if (after.count == 0 || !after.newest) return;
    doc["records_after_now"] = json{{"count", after.count}, {"newest", IsoMinuteUtc(*after.newest)}};
}

// The members every document starts with.
json Heading(const Findings& findings, const DocumentFacts& facts) {
    return json{{"schema_version", kFindingsSchemaVersion},
                {"day", IsoDate(findings.day)},
                {"service", ServiceName(findings.service, ServiceText::Key)},
                {"version", facts.version},
                {"station", SafeName(facts.station)},
                {"options", OptionsJson(findings.options, findings.switches)}};
}

}  // namespace

std::string JsonLine(const json& document) {
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

json FindingsDocument(const Findings& findings, const DocumentFacts& facts) {
    json doc = Heading(findings, facts);
    doc["missing_cycles"] = CyclesJson(findings.missingCycles);
    doc["missing"] = ItemsJson(findings.missing);
    doc["late"] = ItemsJson(findings.late);
    doc["absent_all_day"] = AbsentJson(findings.absentAllDay);
    doc["sequences"] = SequencesJson(findings.sequences);
    doc["no_message_recorded"] = NoMessageJson(findings.noMessageRecorded);
    doc["expected"] = ExpectedJson(findings);
    doc["labels"] = LabelsJson(findings);
    doc["not_yet_due"] = CyclesJson(findings.notYetDue);
    doc["first_record"] =
        findings.firstRecord ? json(IsoMinuteUtc(*findings.firstRecord)) : json(nullptr);
    AddRecordsAfterNow(doc, findings.recordsAfterNow);
    doc["before_logs_begin"] = CyclesJson(findings.beforeLogsBegin);
    doc["not_checked"] = NotCheckedJson(findings.notChecked);
    doc["summary"] = SummaryJson(Summarise(findings));
    return doc;
}

json ErrorDocument(const Findings& findings, const std::string& message, const std::string& place,
                   const DocumentFacts& facts) {
    json doc = Heading(findings, facts);
    doc["error"] = json{{"message", message}, {"place", place}};
    return doc;
}

json RunDocument(const DayReportResult& result, const DocumentFacts& facts) {
    if (result.error) {
        return ErrorDocument(result.findings, *result.error, result.errorPlace.value_or(""), facts);
    }
    return FindingsDocument(result.findings, facts);
}

}  // namespace gapscope
