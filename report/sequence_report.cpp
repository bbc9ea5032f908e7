#include "report/sequence_report.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "history/log_text.h"

namespace gapscope {

namespace {

struct SequenceKindText {
    std::string_view title;
    const char* countFormat;
};

// Kinds 0..8; the BUFR kind (9) has no report.
constexpr std::array<SequenceKindText, 9> kKindTexts = {{
    {"DCP report", "  %d DCP sequence nos. found, %d missing"},
    {"MDD report", "  %d GTS sequence nos. found, %d missing"},
    {"MDD_3 report", "  %d GTS (MDD_3) sequence nos. found, %d missing"},
    {"MDD (ACMAD) report", "  %d GTS/ACMAD sequence nos. found, %d missing"},
    {"MDD_4 (ACMAD) report", "  %d GTS/ACMAD (MDD_4) sequence nos. found, %d missing"},
    {"MDD_5 (LAM) report", "  %d GTS/LAM (MDD_5) sequence nos. found, %d missing"},
    {"DCP/WMO report", "  %d DCP/WMO sequence nos. found, %d missing"},
    {"DCP/IODC report", "  %d DCP/IODC sequence nos. found, %d missing"},
    {"DCP/WMO/IODC report", "  %d DCP/WMO/IODC sequence nos. found, %d missing"},
}};

bool IsReported(SequenceKind kind) {
    return kind >= 0 && static_cast<std::size_t>(kind) < kKindTexts.size();
}

// One character stands for one sequence number; the string is read as characters, since a
// damaged log decoded from UTF-16 or 8-bit text may hold characters of several bytes.
constexpr char32_t kMissing = U'_';
constexpr char32_t kDuplicate = U'#';
// How far past the first run of duplicates a further duplicate is looked for.
constexpr int kDuplicateLookahead = 9999;

// A position is named only when the duplicates are one short run right at the start of
// the day's numbering (positions 1..3), which is how a restart of the sender shows.
// `repeated` holds the duplicates' positions (from 1), rising.
std::string DuplicateLine(const std::vector<int>& repeated) {
    std::string line = "  Multiple files with same sequence number";
    const int p = repeated.front();
    std::size_t next = 1;
    while (next < repeated.size() && repeated[next] == repeated[next - 1] + 1) ++next;
    const int q = repeated[next - 1];
    const bool furtherDuplicate =
        next < repeated.size() && repeated[next] - q <= kDuplicateLookahead;
    if (p <= 3 && !furtherDuplicate) {
        if (q == p) {
            line += ", seq. " + std::to_string(p);
        } else {
            line += ", files " + std::to_string(p) + "-" + std::to_string(q);
        }
    }
    return line;
}

Lines BlockLines(const SequenceFinding& finding, bool neatMode) {
    const SequenceKindText& texts = kKindTexts[static_cast<std::size_t>(finding.kind)];
    Lines block;
    block.emplace_back(" ");
    if (!neatMode) block.emplace_back("_______________________");
    block.emplace_back(texts.title);

    const int missing = static_cast<int>(finding.missing.size());
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, texts.countFormat, finding.found, missing);
    std::string countLine = buffer;
    if (missing == 1) countLine += ", seq. " + std::to_string(finding.missing.front());
    block.push_back(std::move(countLine));

    if (!finding.repeated.empty()) block.push_back(DuplicateLine(finding.repeated));
    return block;
}

}  // namespace

Lines SequenceReportBlock(SequenceKind kind, std::string_view text, bool neatMode) {
    if (!IsReported(kind) || text.empty()) return {};
    return BlockLines(SequenceBlockFinding(kind, text), neatMode);
}

std::string SequenceKindName(SequenceKind kind) {
    if (!IsReported(kind)) return {};
    const std::string_view title = kKindTexts[static_cast<std::size_t>(kind)].title;
    return std::string(title.substr(0, title.size() - std::string_view(" report").size()));
}

SequenceFinding SequenceBlockFinding(SequenceKind kind, std::string_view text) {
    SequenceFinding finding;
    finding.kind = kind;
    if (!IsReported(kind)) return finding;
    finding.name = SequenceKindName(kind);
    const std::u32string sequence = Characters(text);
    finding.found = static_cast<int>(sequence.size());
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (sequence[i] == kMissing) finding.missing.push_back(static_cast<int>(i + 1));
        if (sequence[i] == kDuplicate) finding.repeated.push_back(static_cast<int>(i + 1));
    }
    finding.received = finding.found - static_cast<int>(finding.missing.size());
    return finding;
}

std::vector<SequenceKind> KindsWithNoMessage(const HistoryLog& fileHistory, Day day) {
    const auto recorded = [&](SequenceKind kind, Day on) {
        return !fileHistory.ValueOf(CompactDate(on) + std::string(SequenceSuffix(kind))).empty();
    };
    std::vector<SequenceKind> silent;
    for (SequenceKind kind : kReportedSequenceKinds) {
        if (recorded(kind, day)) continue;
        for (int back = 1; back <= 7; ++back) {
            if (recorded(kind, day - std::chrono::days{back})) {
                silent.push_back(kind);
                break;
            }
        }
    }
    return silent;
}

void AddSequenceReport(const HistoryLog& fileHistory, Day day, SequenceKind kind, bool neatMode,
                       Lines& missingProduct, std::vector<SequenceFinding>* found) {
    if (!IsReported(kind)) return;
    const std::string key = CompactDate(day) + std::string(SequenceSuffix(kind));
    const std::string_view sequence = fileHistory.ValueOf(key);
    if (sequence.empty()) return;
    SequenceFinding finding = SequenceBlockFinding(kind, sequence);
    Lines block = BlockLines(finding, neatMode);
    if (found) found->push_back(std::move(finding));
    missingProduct.insert(missingProduct.end(), std::make_move_iterator(block.begin()),
                          std::make_move_iterator(block.end()));
}

}  // namespace gapscope
