// The JSON documents of the findings: the members scripts rely on, by name and shape.
#include "formats/findings_json.h"

#include <gtest/gtest.h>

#include "settings/version.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

using nlohmann::json;

constexpr auto D = test::Date;

const DocumentFacts kFacts{kVersionText, "Groundstation"};

Findings Example() {
    Findings f;
    f.day = D(2024, 6, 1);
    f.service = ScanMode::RapidScan;
    f.options.includeLrit = true;
    f.switches.neat = true;
    f.missingCycles = {305};
    f.missing = {
        {305, ItemKind::Hrit, 9, "HRIT ch 09", true, {6, 7, 8}, Within::MissingCycle},
        {725, ItemKind::Hrit, 9, "HRIT ch 09", false, {7}, Within::Nothing},
        {725, ItemKind::Product, 53, "MPE", true, {1}, Within::Nothing},
    };
    f.late = {{635, ItemKind::Hrit, 12, "HRIT ch 12", false, {24}, Within::Nothing}};
    f.sequences = {{3, "MDD (ACMAD)", 600, 599, {251}, {2}}};
    f.noMessageRecorded = {{0, 6}};
    f.expected = {{305, ItemKind::Hrit, 9, 6, 8}, {725, ItemKind::Prolog, 1, 1, 1},
                  {725, ItemKind::Hrit, 9, 6, 8}, {725, ItemKind::Product, 53, 1, 1},
                  {1140, ItemKind::Hrit, 9, 6, 8}};
    f.notYetDue = {1435};
    f.notChecked = {{NotCheckedReason::PartialScan, "  (not checked, partial scan)",
                     {{725, ItemKind::Product, 52, "FIRG", true, {1}, Within::Nothing}}},
                    {NotCheckedReason::NoProductsFound, std::nullopt, {}}};
    return f;
}

TEST(FindingsJson, MembersByTheirNames) {
    const json doc = FindingsDocument(Example(), kFacts);
    EXPECT_EQ(doc["schema_version"], 1);
    EXPECT_EQ(doc["day"], "2024-06-01");
    EXPECT_EQ(doc["service"], "rapid");
    EXPECT_EQ(doc["version"], kVersionText);
    EXPECT_EQ(doc["station"], "Groundstation");
    EXPECT_EQ(doc["options"]["ReportIncludeLRIT"], 1);
    EXPECT_EQ(doc["options"]["ReportMet8LritOnly"], 0);
    EXPECT_EQ(doc["options"]["Decontaminating"], 0);
    EXPECT_EQ(doc["options"]["switches"], json::parse(R"j({"neat":1,"P":0,"NOFY2C":0,"NOMPE":0,"HIM":0,"NOHIM":0})j"));
    EXPECT_EQ(doc["options"].size(), 16u);
    EXPECT_EQ(doc["missing_cycles"], json::parse(R"j(["0505"])j"));
    EXPECT_EQ(doc["missing"], json::parse(R"j([
        {"cycle":"0505","kind":"hrit","channel":9,"label":"HRIT ch 09","segments":"all","within":"missing_cycle"},
        {"cycle":"1205","kind":"hrit","channel":9,"label":"HRIT ch 09","segments":[7]},
        {"cycle":"1205","kind":"product","channel":53,"label":"MPE","segments":"all"}])j"));
    EXPECT_EQ(doc["late"], json::parse(R"j([
        {"cycle":"1035","kind":"hrit","channel":12,"label":"HRIT ch 12","segments":[24]}])j"));
    EXPECT_EQ(doc["sequences"], json::parse(R"j([
        {"name":"MDD (ACMAD)","kind":"acmad","found":600,"received":599,"missing":[251],"repeated":[2]}])j"));
    EXPECT_EQ(doc["expected"], json::parse(R"j([
        {"cycles":["0505","1900"],"channels":[{"kind":"hrit","channel":9,"first_segment":6,"segments":3}]},
        {"cycles":["1205"],"channels":[
            {"kind":"prolog","channel":1,"first_segment":1,"segments":1},
            {"kind":"hrit","channel":9,"first_segment":6,"segments":3},
            {"kind":"product","channel":53,"first_segment":1,"segments":1}]}])j"));
    EXPECT_EQ(doc["labels"], json::parse(R"j({"9":"HRIT ch 09","53":"MPE"})j"));
    EXPECT_EQ(doc["not_yet_due"], json::parse(R"j(["2355"])j"));
    EXPECT_EQ(doc["not_checked"], json::parse(R"j([
        {"reason":"partial_scan","text":"  (not checked, partial scan)","items":[
            {"cycle":"1205","kind":"product","channel":52,"label":"FIRG","segments":"all"}]},
        {"reason":"no_products_found","text":null,"items":[]}])j"));
    EXPECT_EQ(doc["summary"], json::parse(R"j({"missing_cycles":1,"channels":1,"segments":1,
        "late_segments":1,"products":1,"sequence_numbers":1})j"));
    EXPECT_EQ(doc["absent_all_day"], json::array());
    EXPECT_EQ(doc["no_message_recorded"], json::parse(R"j([
        {"name":"DCP","kind":"dcp"},{"name":"DCP/WMO","kind":"wmo"}])j"));
    // While the day is not over nothing is told of a kind without a message.
    Findings current = Example();
    current.noMessageRecorded.reset();
    EXPECT_TRUE(FindingsDocument(current, kFacts)["no_message_recorded"].is_null());
    EXPECT_FALSE(doc.contains("records_after_now"));  // a clock that is right: as it was
}

TEST(FindingsJson, RecordsAfterNowOnlyWhenThereAreAny) {
    Findings f = Example();
    f.recordsAfterNow = {3, MinuteTime{D(2099, 12, 31)} + std::chrono::minutes{23 * 60 + 45}};
    EXPECT_EQ(FindingsDocument(f, kFacts)["records_after_now"],
              json::parse(R"j({"count":3,"newest":"2099-12-31T23:45Z"})j"));
}

TEST(FindingsJson, FailedRunGivesTheErrorObject) {
    DayReportResult failed;
    failed.findings.day = D(2024, 6, 2);
    failed.error = "''$ZZ'' is not a valid integer value";
    failed.errorPlace = "in SegHistory.log, minute key 202406021200 (2024-06-02 12:00 UTC), item 9";
    const json doc = RunDocument(failed, kFacts);
    EXPECT_EQ(doc["day"], "2024-06-02");
    EXPECT_EQ(doc["error"]["message"], "''$ZZ'' is not a valid integer value");
    EXPECT_EQ(doc["error"]["place"], *failed.errorPlace);
    EXPECT_FALSE(doc.contains("missing"));

    DayReportResult done;
    done.findings = Example();
    EXPECT_EQ(RunDocument(done, kFacts), FindingsDocument(done.findings, kFacts));
}

TEST(FindingsJson, OneLineOfValidUtf8WhateverTheLogsHeld) {
    DayReportResult failed;
    failed.error = "''$\xff\"Z'' is not a valid integer value";
    const std::string line = JsonLine(RunDocument(failed, kFacts));
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const json back = json::parse(line);
    EXPECT_EQ(back["error"]["message"], "''$\xef\xbf\xbd\"Z'' is not a valid integer value");
    // A station's name as the metrics and the check carry it.
    const std::string named = JsonLine(RunDocument(failed, {kVersionText, "north\xe9\n\x1b[0m"}));
    EXPECT_EQ(json::parse(named)["station"], "north\xef\xbf\xbd??[0m");
}

}  // namespace
}  // namespace gapscope
