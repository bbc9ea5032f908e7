#include "report/post_passes.h"

#include <array>
#include <cstdio>

#include "report/repeat_cycle.h"

namespace gapscope {

namespace {

constexpr std::string_view kMpeMissing = "   MPE   missing";
constexpr std::string_view kBreak = "\r\n";

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
    return s;
}

// A non-empty run of decimal digits; anything else does not parse.
int ParseDecimal(std::string_view s) {
    if (s.empty()) return -1;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Characters from..from+count-1 (0-based), cut short at the end of the text.
std::string_view Slice(std::string_view s, std::size_t from, std::size_t count) {
    if (from >= s.size()) return {};
    return s.substr(from, count);
}

// The products list is rewritten through its whole text, lines joined by CR LF, so that a
// summary block may begin inside a line and end at the start of one, as the
// replacements always have. Line ends inside a line are normalised to CR LF here, which is
// what splitting the text and joining it again does.
std::string JoinLines(const Lines& lines) {
    std::string text;
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    text.reserve(size);
    for (const std::string& line : lines) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\r') {
                text += kBreak;
                if (i + 1 < line.size() && line[i + 1] == '\n') ++i;
            } else if (c == '\n') {
                text += kBreak;
            } else {
                text += c;
            }
        }
        text += kBreak;
    }
    return text;
}

// Splits text whose every line ends in CR LF.
Lines SplitLines(std::string_view text) {
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(kBreak, start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + kBreak.size();
    }
    return lines;
}

std::size_t CountLines(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(kBreak); pos != std::string_view::npos;
         pos = text.find(kBreak, pos + kBreak.size())) {
        ++count;
    }
    return count;
}

// Every occurrence, left to right, without overlaps; the replacement is not searched again.
void ReplaceAll(std::string& text, std::string_view block, std::string_view replacement) {
    std::size_t pos = text.find(block);
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    while (pos != std::string::npos) {
        out.append(text, from, pos - from);
        out += replacement;
        from = pos + block.size();
        pos = text.find(block, from);
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

std::string Block(std::initializer_list<std::string_view> lines) {
    std::string block;
    for (std::string_view line : lines) {
        if (!block.empty()) block += kBreak;
        block += line;
    }
    return block;
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d", value);
    return buffer;
}

// RII was disseminated every 5 minutes; a whole hour of it missing reads as one line.
void CompactRiiHours(std::string& text) {
    for (int hour = 0; hour < 24; ++hour) {
        const std::string hh = TwoDigits(hour);
        std::string block;
        for (int minute = 0; minute < 60; minute += 5) {
            if (!block.empty()) block += kBreak;
            block += "Cycle: " + hh + TwoDigits(minute);
            block += kBreak;
            block += "   RII   all missing";
        }
        ReplaceAll(text, block, "   RII all missing:  " + hh + "00.." + hh + "55");
    }
}

void CompactChannelGroups(std::string& text) {
    ReplaceAll(
        text,
        Block({"   FY-2G-IR1   missing", "   FY-2G-IR2   missing", "   FY-2G-IR3   missing",
               "   FY-2G-IR4   missing", "   FY-2G-VIS   missing", "   FY-2G-VIS1KM   missing"}),
        "   FY-2G all 6 channels missing");
    for (std::string_view goes : {"GOES-13", "GOES-15"}) {
        std::string block;
        for (std::string_view band : {"VIS", "IR", "WV", "MIR"}) {
            if (!block.empty()) block += kBreak;
            block += "   " + std::string(goes) + "-" + std::string(band) + "   all missing";
        }
        ReplaceAll(text, block, "   " + std::string(goes) + " all 4 channels missing");
    }
    // The 16-band group first: the 14- and 13-band groups are its beginnings.
    static constexpr std::array<std::string_view, 16> kHimawariBands = {
        "VIS", "IR1", "IR2", "IR3", "IR4", "B04", "B05", "B10",
        "B11", "B14", "B16", "B09", "B06", "B12", "B01", "B02"};
    for (std::size_t bands : {16u, 14u, 13u}) {
        std::string block;
        for (std::size_t i = 0; i < bands; ++i) {
            if (!block.empty()) block += kBreak;
            block += "   HIM9-" + std::string(kHimawariBands[i]) + "   all missing";
        }
        ReplaceAll(text, block, "   HIM9 all " + std::to_string(bands) + " channels missing");
    }
}

// Cycle number of the heading above an item line: the four digits after "Cycle: ".
int HeadingCycle(const Lines& lines, std::size_t index, ScanMode mode) {
    return CycleNumber(Slice(lines[index], 7, 4), mode);
}

// Rapid scan and IODC list MPE every cycle, so a gap in it at the end of the day is read
// more easily as one range of cycles under a single heading.
void CompactMpeTail(Lines& lines, ScanMode mode) {
    std::size_t last = 0;  // L; line 0 is never examined
    for (std::size_t i = lines.size(); i-- > 1;) {
        if (lines[i] == kMpeMissing) {
            last = i;
            break;
        }
    }
    if (last == 0) return;
    const int lastCycle = HeadingCycle(lines, last - 1, mode);
    if (lastCycle == -1) return;

    int expected = lastCycle - 1;
    bool recorded = false;
    int firstCycle = 0;
    std::size_t firstIndex = 0;  // F
    if (last >= 3) {
        for (std::size_t p = last - 2;; p -= 2) {
            if (lines[p] != kMpeMissing) break;
            // An unreadable heading (-1) records nothing, even once the expected number
            // has run down to -1.
            const int n = HeadingCycle(lines, p - 1, mode);
            if (n != -1 && n == expected) {
                recorded = true;
                firstCycle = n;
                firstIndex = p;
                --expected;
            }
            if (p < 4) break;
        }
    }
    if (!recorded || lastCycle - firstCycle < 4) return;

    lines[firstIndex - 1] =
        "Cycles " + CycleText(firstCycle, mode) + ".." + CycleText(lastCycle, mode);
    // Only the run itself goes; anything written after its last cycle stays.
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(firstIndex + 1),
                lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
}

}  // namespace

int CycleNumber(std::string_view hhnn, ScanMode mode) {
    const std::string_view text = Trim(hhnn);
    const int hour = ParseDecimal(Slice(text, 0, 2));
    const int minute = ParseDecimal(Slice(text, 2, 2));
    if (hour < 0 || minute < 0) return -1;
    const int step = RepeatCycleMinutes(mode);
    return hour * (60 / step) + minute / step;
}

std::string CycleText(int cycle, ScanMode mode) {
    const int step = RepeatCycleMinutes(mode);
    const int perHour = 60 / step;
    const int hour = cycle / perHour;
    const int minute = (cycle % perHour) * step;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2d%.2d", hour, minute);
    return buffer;
}

void CollapseMissingCycles(Lines& missingSlots, ScanMode mode) {
    if (missingSlots.size() < 5) return;
    int cycle = CycleNumber(missingSlots[3], mode);
    // A first line that is no cycle starts no run.
    if (cycle == -1) return;
    std::size_t end = 4;
    while (end < missingSlots.size() && CycleNumber(missingSlots[end], mode) == cycle + 1) {
        ++cycle;
        ++end;
    }
    if (end > 4) {
        missingSlots[3] += ".." + missingSlots[end - 1];
        missingSlots.erase(missingSlots.begin() + 4,
                           missingSlots.begin() + static_cast<std::ptrdiff_t>(end));
    }
    if (missingSlots.size() == 4 && missingSlots[3] == " 0000.. 2355") {
        missingSlots[3] = " 0000..2355";
    }
}

void CompactProductList(Lines& missingProduct, ScanMode mode) {
    std::string text = JoinLines(missingProduct);
    ReplaceAll(text, "HIM8", "HIM9");
    if (CountLines(text) < 10) {
        missingProduct = SplitLines(text);
        return;
    }
    CompactRiiHours(text);
    CompactChannelGroups(text);
    missingProduct = SplitLines(text);

    if (mode == ScanMode::RapidScan || mode == ScanMode::Iodc) {
        CompactMpeTail(missingProduct, mode);
    }
}

}  // namespace gapscope
