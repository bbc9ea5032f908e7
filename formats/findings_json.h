#pragma once

// The findings of a report run as a JSON document, one per day (docs/report.schema.json).

#include <nlohmann/json.hpp>
#include <string>

#include "report/day_report.h"

namespace gapscope {

// The shape of the documents; raised whenever a member changes meaning or goes away.
inline constexpr int kFindingsSchemaVersion = 1;

// What a document says besides the findings: the program and the station.
struct DocumentFacts {
    std::string version;  // the version text
    std::string station;  // the computer name; empty when there is none
};

// The day's findings.
nlohmann::json FindingsDocument(const Findings& findings, const DocumentFacts& facts);
// A run that failed (a bad segment mask): the day's facts and the error, no findings.
nlohmann::json ErrorDocument(const Findings& findings, const std::string& message,
                             const std::string& place, const DocumentFacts& facts);
// The document of one run: its findings, or its error when it failed.
nlohmann::json RunDocument(const DayReportResult& result, const DocumentFacts& facts);

// The document on one line (JSON Lines); bytes that are not UTF-8, as a damaged log may
// hold, become U+FFFD.
std::string JsonLine(const nlohmann::json& document);

}  // namespace gapscope
