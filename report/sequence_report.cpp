#include "report/sequence_report.h"

#include <array>
#include <cstdio>

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
constexpr std::size_t kDuplicateLookahead = 9999;

// A position is named only when the duplicates are one short run right at the start of
// the day's numbering (positions 1..3), which is how a restart of the sender shows.
std::string DuplicateLine(std::u32string_view sequence) {
    std::string line = "  Multiple files with same sequence number";
    const std::size_t first = sequence.find(kDuplicate);  // p - 1
    std::size_t runEnd = first;                           // q
    while (runEnd < sequence.size() && sequence[runEnd] == kDuplicate) ++runEnd;
    const std::u32string_view rest = sequence.substr(runEnd, kDuplicateLookahead);
    if (first < 3 && rest.find(kDuplicate) == std::u32string_view::npos) {
        const std::size_t p = first + 1;
        const std::size_t q = runEnd;
        if (q == p) {
            line += ", seq. " + std::to_string(p);
        } else {
            line += ", files " + std::to_string(p) + "-" + std::to_string(q);
        }
    }
    return line;
}

}  // namespace

Lines SequenceReportBlock(SequenceKind kind, std::string_view text, bool neatMode) {
    if (!IsReported(kind) || text.empty()) return {};
    const std::u32string sequence = Characters(text);
    const SequenceKindText& texts = kKindTexts[static_cast<std::size_t>(kind)];

    long missing = 0;
    std::size_t lastMissing = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (sequence[i] == kMissing) {
            ++missing;
            lastMissing = i + 1;
        }
    }

    Lines block;
    block.emplace_back(" ");
    if (!neatMode) block.emplace_back("_______________________");
    block.emplace_back(texts.title);

    char buffer[160];
    std::snprintf(buffer, sizeof buffer, texts.countFormat, static_cast<int>(sequence.size()),
                  static_cast<int>(missing));
    std::string countLine = buffer;
    if (missing == 1) countLine += ", seq. " + std::to_string(lastMissing);
    block.push_back(std::move(countLine));

    if (sequence.find(kDuplicate) != std::u32string::npos) {
        block.push_back(DuplicateLine(sequence));
    }
    return block;
}

void AddSequenceReport(const HistoryLog& fileHistory, Day day, SequenceKind kind, bool neatMode,
                       Lines& missingProduct) {
    if (!IsReported(kind)) return;
    const std::string key = CompactDate(day) + std::string(SequenceSuffix(kind));
    const std::string_view sequence = fileHistory.ValueOf(key);
    if (sequence.empty()) return;
    Lines block = SequenceReportBlock(kind, sequence, neatMode);
    missingProduct.insert(missingProduct.end(), std::make_move_iterator(block.begin()),
                          std::make_move_iterator(block.end()));
}

}  // namespace gapscope
