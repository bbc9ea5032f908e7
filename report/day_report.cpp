#include "report/day_report.h"

#include <array>
#include <cstdio>

#include "history/day_queries.h"
#include "history/mask.h"
#include "catalogue/labels.h"
#include "startup/system_text.h"
#include "history/segment_scan.h"
#include "report/calendar.h"
#include "report/post_passes.h"
#include "report/repeat_cycle.h"
#include "report/sequence_report.h"

namespace gapscope {
namespace {

constexpr ChannelNumber kHimawariB01 = 123;

struct Titles {
    const char* segs;
    const char* product;
    const char* late;
    const char* slots;
};

// A day-long line of the products list: the satellite, the cycles its heading names (as
// text, and as the first minute and the step) and the channels looked for at each.
struct AllDayLine {
    const char* name;
    std::string cycles;
    int firstMinute;
    int step;
    ChannelSet channels;
};

// First matching row wins; a null entry falls through to the next row.
Titles ChooseTitles(const StartupState& s, const ReportOptions& o) {
    Titles t{nullptr, nullptr, nullptr, nullptr};
    auto take = [&t](const char* segs, const char* product, const char* late, const char* slots) {
        if (!t.segs) t.segs = segs;
        if (!t.product) t.product = product;
        if (!t.late) t.late = late;
        if (!t.slots) t.slots = slots;
    };
    if (s.IsRapidScan() && s.ParallelMode()) {
        take("Missing HRIT Parallel Rapid Scan segments report",
             "Missing Parallel Rapid Scan products report", "Late Parallel Rapid Scan segments report",
             "Missing Parallel Rapid Scan cycles report");
    }
    if (s.IsRapidScan()) {
        take("Missing HRIT Rapid Scan segments report", "Missing Rapid Scan products report",
             "Late Rapid Scan segments report", "Missing Rapid Scan cycles report");
    }
    if (s.ParallelMode()) {
        take("Missing HRIT Parallel Scan segments report", "Missing Parallel Scan products report",
             "Late Parallel Scan segments report", "Missing Parallel Scan cycles report");
    }
    if (s.IsIodc()) {
        take("Missing HRIT IODC segments report", "Missing IODC products report",
             "Late IODC segments report", "Missing IODC cycles report");
    }
    if (s.HimawariMode()) take(nullptr, "Missing Himawari report", nullptr, nullptr);
    if (o.includeLrit) take("Missing HRIT & LRIT segments report", nullptr, nullptr, nullptr);
    take("Missing HRIT segments report", "Missing rebroadcast & derived products report",
         "Late segments report", "Missing cycles report");
    return t;
}

std::string DateLine(Day day, bool withDayOfYear) {
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::chrono::year_month_day ymd{day};
    char text[64];
    std::snprintf(text, sizeof text, "Date: %04d-%s-%02u", static_cast<int>(ymd.year()),
                  kMonths[static_cast<unsigned>(ymd.month()) - 1], static_cast<unsigned>(ymd.day()));
    std::string line = text;
    if (withDayOfYear) {
        std::snprintf(text, sizeof text, ", %s %.3d", "day", DayOfYear(day));
        line += text;
    }
    return line;
}

void StartList(Lines& list, std::string dateLine, const char* title) {
    list.clear();
    list.push_back(std::move(dateLine));
    list.emplace_back();
    list.emplace_back(title);
}

void AppendCycle(Lines& list, std::string_view hhnn, const Lines& items) {
    if (items.empty()) return;
    list.push_back("Cycle: " + std::string(hhnn));
    list.insert(list.end(), items.begin(), items.end());
}

void AppendDayLong(Lines& list, const char* cycles, const char* item) {
    list.emplace_back();
    list.push_back(std::string("Cycle:") + cycles);
    list.push_back(std::string("   ") + item);
}

// " hhnn": a missing cycle as the cycles list shows it.
std::string SlotLine(std::string_view hhnn) {
    std::string line;
    line.reserve(hhnn.size() + 1);
    line += ' ';
    line.append(hhnn);
    return line;
}

void CutBackToHeader(Lines& list) {
    if (list.size() > 3) list.resize(3);
}

// The product sets a cycle scans, in the order it scans them.
struct ProductScan {
    ChannelSet set;
    bool mpef = false;  // counted into the day's expected and received product segments
};
struct ProductScans {
    std::array<ProductScan, 8> scans;
    std::size_t count = 0;
    void Add(const ChannelSet& set, bool mpef) { scans[count++] = ProductScan{set, mpef}; }
};

ItemKind KindOf(ScanSubject subject, ChannelNumber channel) {
    switch (subject) {
        case ScanSubject::Prolog:
            return ItemKind::Prolog;
        case ScanSubject::Epilog:
            return ItemKind::Epilog;
        case ScanSubject::Channel:
            break;
    }
    return KindOfChannel(channel);
}

// What the products list holds besides the MSG lists: products, foreign satellites, Himawari.
bool InProductList(ItemKind kind) {
    return kind == ItemKind::Product || kind == ItemKind::Fsd || kind == ItemKind::Himawari;
}

// All state of one run. The run writes `run` before it scans; the scan reads it by reference.
// Beside the lists it records the same decisions as findings.
class DayReportRun {
public:
    DayReportRun(const StartupState& startup, const ReportOptions& options, Day day,
                 const RunInputs& inputs)
        : s_(startup), o_(options), day_(day), inputs_(inputs) {}

    DayReportResult Run() {
        DayReportResult result;
        try {
            Build(result.lists);
        } catch (const MaskError& error) {
            result.error = error.what();
            result.errorPlace = "in " + std::string(scanning_) + ", minute key " + scannedKey_ +
                                " (" + IsoDate(day_) + " " + scannedKey_.substr(8, 2) + ":" +
                                scannedKey_.substr(10, 2) + " UTC), item " + error.item;
        }
        result.findings = std::move(findings_);
        return result;
    }

private:
    // What the segment scan needs of this run, as the run stands at the minute scanned.
    ScanContext Context(const ReportRunState& run) const {
        ScanContext ctx;
        ctx.reportDay = run.reportDay;
        ctx.mode = s_.Mode;
        ctx.checkPrologEpilog = o_.prologEpilogFiles && !s_.NoPrologCheck;
        ctx.reportableChannels = run.reportableChannels;
        ctx.goes12Bypass = run.goes12Bypass;
        ctx.csrInService = run.csrInService;
        ctx.singleSegmentProducts = run.singleSegmentProducts;
        ctx.countedProducts =
            s_.IsRapidScan()
                ? run.rapidScanProducts | run.quarterHourlyProducts | run.rapidScanAmvProducts
                : run.quarterHourlyProducts | run.quarterToProducts | run.threeHourlyProducts;
        return ctx;
    }
    ScanContext Context() const { return Context(run_); }

    // ---- Findings -----------------------------------------------------------------------

    bool Due(int m) const { return judged_.Judges(m); }

    std::string LabelOf(ScanSubject subject, ChannelNumber n) {
        if (subject != ScanSubject::Channel) return ItemLabel(KindOf(subject, n), n, day_);
        std::string& label = labels_[static_cast<std::size_t>(n)];
        if (label.empty()) label = ChannelLabel(n, day_);
        return label;
    }

    FoundItem ItemOf(int m, const ScanItem& item, Within within) {
        return FoundItem{m, KindOf(item.subject, item.channel), item.channel,
                         LabelOf(item.subject, item.channel), item.all, item.segments, within};
    }
    // Everything examined, nothing of it arrived.
    FoundItem AbsentItem(int m, const ScannedChannel& c, Within within) {
        return FoundItem{m, KindOf(c.subject, c.channel), c.channel, LabelOf(c.subject, c.channel),
                         true, SegmentNumbers(c.firstSegment, c.lastSegment), within};
    }

    void Expect(int m, const std::vector<ScannedChannel>& scanned) {
        for (const ScannedChannel& c : scanned) {
            findings_.expected.push_back(ExpectedChannel{m, KindOf(c.subject, c.channel), c.channel,
                                                         c.firstSegment, c.lastSegment});
        }
    }

    // What a scan examined and found at minute m: expected there, and its items missing
    // unless the cycle is not yet due.
    void RecordScan(int m, ScanFindings& found) {
        Expect(m, found.scanned);
        if (Due(m)) {
            for (const ScanItem& item : found.items) {
                findings_.missing.push_back(ItemOf(m, item, Within::Nothing));
            }
        }
        found.items.clear();
        found.scanned.clear();
    }

    // Channels the text gives one line for: expected at m and, when due, missing.
    void RecordAbsent(int m, const std::vector<ScannedChannel>& planned, Within within) {
        Expect(m, planned);
        if (!Due(m)) return;
        for (const ScannedChannel& c : planned) findings_.missing.push_back(AbsentItem(m, c, within));
    }

    NotChecked& NotCheckedEntry(NotCheckedReason reason) {
        for (NotChecked& entry : findings_.notChecked) {
            if (entry.reason == reason) return entry;
        }
        findings_.notChecked.push_back(NotChecked{reason, std::nullopt, {}});
        return findings_.notChecked.back();
    }

    // The products list was cut back to its header: what it held is findings no more, and
    // a line shown for another reason before is gone with it.
    void ClearProductFindings(NotCheckedReason reason, const std::string& line) {
        std::vector<FoundItem> earlier;
        for (NotChecked& entry : findings_.notChecked) {
            entry.text.reset();
            // What an earlier cut cleared goes with this one, whose line is the one shown.
            if (entry.reason == NotCheckedReason::NoProductsFound) earlier.swap(entry.items);
        }
        NotChecked& entry = NotCheckedEntry(reason);
        entry.text = line;
        entry.items.insert(entry.items.end(), std::make_move_iterator(earlier.begin()),
                           std::make_move_iterator(earlier.end()));
        std::vector<FoundItem> kept;
        for (FoundItem& item : findings_.missing) {
            (InProductList(item.kind) ? entry.items : kept).push_back(std::move(item));
        }
        findings_.missing = std::move(kept);
        std::erase_if(findings_.expected,
                      [](const ExpectedChannel& c) { return InProductList(c.kind); });
        findings_.absentAllDay.clear();
    }

    // Cuts the products list back to its header and puts `line` in its place.
    void CutProducts(Lines& product, NotCheckedReason reason, const char* line) {
        CutBackToHeader(product);
        product.emplace_back(line);
        ClearProductFindings(reason, product.back());
    }

    // ---- Report -------------------------------------------------------------------------

    bool FsdDayLongAllowed(bool dayInHistory) const {
        return o_.includeFsd && dayInHistory && !s_.IsRapidScan() && !s_.IsIodc() &&
               !s_.ParallelMode() && !o_.met8LritOnly;
    }

    // The cycles a day-long line names, first..last at its step: all of the day's, or on a
    // day not judged whole those judged; none when it has no cycle judged.
    std::optional<std::string> JudgedCycles(const char* whole, int first, int step,
                                            int last) const {
        if (judged_.first == 0 && judged_.last == kMinutesPerDay - 1) return std::string(whole);
        while (first < judged_.first) first += step;
        while (last > judged_.last) last -= step;
        if (first > last) return std::nullopt;
        return CycleHhnn(first) + ".." + CycleHhnn(last);
    }

    void AddAbsentAllDay(Lines& product, AllDayLine line) {
        AppendDayLong(product, (" " + line.cycles).c_str(),
                      (std::string(line.name) + " missing").c_str());
        AbsentAllDay absent{line.name, line.cycles, {}};
        for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
            if (line.channels.Contains(n)) absent.channels.push_back(n);
        }
        findings_.absentAllDay.push_back(std::move(absent));
        allDayLines_.push_back(std::move(line));
    }

    void DayLongChecks(Lines& product) {
        const bool dayInHistory = DayInSegHistory(s_.SegHistory, day_);
        dayLong_.fy2gAbsent = true;
        if (o_.hourlyFy2g) {
            dayLong_.fy2gChannels = ChannelSet::Range(67, 72);
            dayLong_.fy2gAbsent = !ChannelsSeenOnDay(s_.SegHistory, day_, dayLong_.fy2gChannels, 60);
            const auto cycles = JudgedCycles("0000..2300", 0, 60, 23 * 60);
            if (dayLong_.fy2gAbsent && FsdDayLongAllowed(dayInHistory) && !s_.HimawariMode() &&
                cycles) {
                AddAbsentAllDay(product, {"FY-2G", *cycles, 0, 60, dayLong_.fy2gChannels});
            }
        }
        dayLong_.fy2eAbsent = false;
        if (o_.hourlyFy2e) {
            dayLong_.fy2eChannels = ChannelSet::Range(77, 82);
            // FY-2E is sent at half past the hour, so it is looked for at every half hour.
            dayLong_.fy2eAbsent = !ChannelsSeenOnDay(s_.SegHistory, day_, dayLong_.fy2eChannels, 30);
            const auto cycles = JudgedCycles("0030..2330", 30, 60, 23 * 60 + 30);
            if (dayLong_.fy2eAbsent && FsdDayLongAllowed(dayInHistory) && !s_.HimawariMode() &&
                cycles) {
                AddAbsentAllDay(product, {"FY-2E", *cycles, 30, 60, dayLong_.fy2eChannels});
            }
        }
        himawariAbsent_ = true;
        if (!s_.NoHimawari() && o_.himawari30min) {
            himawariChannels_ = HimawariChannelsForDay(day_);
            himawariAbsent_ = !ChannelsSeenOnDay(s_.SegHistory, day_, himawariChannels_, 30);
            const auto cycles = JudgedCycles("0000..2330", 0, 30, 23 * 60 + 30);
            if (himawariAbsent_ && FsdDayLongAllowed(dayInHistory) && cycles) {
                // As the heading says: every half hour, the step the absence was looked for at.
                AddAbsentAllDay(product, {"Himawari", *cycles, 0, 30, himawariChannels_});
            }
        }
    }

    // Whether the Himawari bands are looked for at minute m (every 10 or 30 minutes).
    bool HimawariMinute(int minute) const {
        const int step = himawariChannels_.Contains(kHimawariB01) ? 10 : 30;
        return minute % step == 0 && minute != 160 && minute != 880;
    }

    // The satellites of the day-long lines, one by one at the cycles the lines name.
    void RecordAbsentAllDay(int m) {
        for (const AllDayLine& line : allDayLines_) {
            if (m % line.step != line.firstMinute) continue;
            planned_.clear();
            PlanScan(Context(), m, line.channels, planned_);
            RecordAbsent(m, planned_, Within::AbsentAllDay);
        }
    }

    void CheckHimawariMinute(int minute, std::string_view otherPart, Lines& lines) {
        if (!HimawariMinute(minute)) return;
        if (!otherPart.empty()) {
            ScanMissingSegments(Context(), minute, otherPart, himawariChannels_, lines, scratch_,
                                scratch_, &found_);
            RecordScan(minute, found_);
        } else {
            lines.emplace_back("   HIM9 all 16 channels missing");
            planned_.clear();
            PlanScan(Context(), minute, himawariChannels_, planned_);
            RecordAbsent(minute, planned_, Within::Nothing);
        }
    }

    // The product sets due at cycle m; builds them in `run`.
    ProductScans ProductScansAt(ReportRunState& run, int m) const {
        ProductScans scans;
        if (s_.IsRapidScan()) {
            if (!RapidScanMpefInService(day_) || !o_.includeMpef || o_.decontaminating) return scans;
            BuildRapidScanProducts(run, s_.NoMpe());
            scans.Add(run.rapidScanProducts, true);
            if (m % 15 == 0) scans.Add(run.quarterHourlyProducts, true);
            if ((m + 10) % 20 == 0) scans.Add(run.rapidScanAmvProducts, true);
            return scans;
        }
        const FsdSets fsd = BuildFsdSets(day_, m, o_, s_, rules_, dayLong_);
        if (m % 60 == 0) scans.Add(fsd.hourly, false);
        if ((m + 30) % 60 == 0) scans.Add(fsd.halfHourly, false);
        if (m % 180 == 0) scans.Add(fsd.threeHourly, false);
        if (!o_.includeMpef) return scans;
        BuildQuarterHourlyProducts(run, m, o_, s_.Mode, s_.NoMpe(), rules_);
        if (o_.decontaminating) return scans;
        scans.Add(run.quarterHourlyProducts, true);
        if (m % 60 == 0) scans.Add(run.hourlyProducts, true);
        if ((m + 15) % 60 == 0) scans.Add(run.quarterToProducts, true);
        if ((m + 30) % 60 == 0) scans.Add(run.halfPastProducts, true);
        if ((m + 15) % 180 == 0) scans.Add(run.threeHourlyProducts, true);
        return scans;
    }

    void ScanProducts(int m, std::string_view otherPart, Lines& lines) {
        const ProductScans scans = ProductScansAt(run_, m);
        for (std::size_t i = 0; i < scans.count; ++i) {
            const ProductScan& scan = scans.scans[i];
            // What the day received is told by the cycles judged.
            const bool counted = scan.mpef && Due(m);
            long& expected = counted ? expected_ : scratch_;
            long& received = counted ? received_ : scratch_;
            ScanMissingSegments(Context(), m, otherPart, scan.set, lines, expected, received, &found_);
        }
        RecordScan(m, found_);
    }

    // A cycle whose record names no product or foreign satellite: the products due were not
    // looked for. In a missing cycle they are part of what the cycle line says is missing.
    void RecordUnscannedProducts(int m, bool missingCycle) {
        ReportRunState planned = run_;
        const ProductScans scans = ProductScansAt(planned, m);
        const ScanContext ctx = Context(planned);
        planned_.clear();
        for (std::size_t i = 0; i < scans.count; ++i) PlanScan(ctx, m, scans.scans[i].set, planned_);
        if (missingCycle) {
            RecordAbsent(m, planned_, Within::MissingCycle);
            return;
        }
        if (planned_.empty() || !Due(m)) return;
        NotChecked& entry = NotCheckedEntry(NotCheckedReason::NoProductRecord);
        for (const ScannedChannel& c : planned_) {
            entry.items.push_back(AbsentItem(m, c, Within::Nothing));
        }
    }

    // A minute not yet due is scanned for what it expects, but no list names it.
    void Minute(int m, DayReport& lists) {
        if (judged_.BeforeLogsBegin(m)) return;
        if (!Due(m)) unlisted_ = DayReport{};
        DayReport& out = Due(m) ? lists : unlisted_;
        const std::string key = MinuteKey(day_, m);
        const std::string_view hhnn = std::string_view(key).substr(8, 4);
        ResetMinuteProducts(run_, SlotTime{day_} + std::chrono::minutes{m});
        segLines_.clear();
        productLines_.clear();
        lateLines_.clear();

        const bool quarter = m % 60 == 15 || m % 60 == 45;
        const bool cycle = m % RepeatCycleMinutes(s_.Mode) == 0;

        scannedKey_ = key;
        scanning_ = "LateSegHistory.log";
        const std::string_view late = s_.LateSegHistory.ValueOf(key);
        if (!late.empty()) {
            ScanLateSegments(day_, late, 1, 26, lateLines_, &lateItems_);
            AppendCycle(out.lateSegs, hhnn, lateLines_);
            for (const ScanItem& item : lateItems_) {
                if (Due(m)) findings_.late.push_back(ItemOf(m, item, Within::Nothing));
            }
            lateItems_.clear();
        }

        scanning_ = "SegHistory.log";
        SplitRecord split = SplitMinuteRecord(s_.SegHistory.ValueOf(key), s_.Mode);

        RecordAbsentAllDay(m);

        if (m % 10 == 0 && !himawariAbsent_) {
            CheckHimawariMinute(m, split.otherPart, productLines_);
            AppendCycle(out.missingProduct, hhnn, productLines_);
            productLines_.clear();
        }

        if (s_.HimawariMode() || !cycle) return;

        ChannelSet hrit = o_.decontaminating ? ChannelSet{1, 2, 3, 12} : ChannelSet::Range(1, 12);
        const ChannelSet lrit = o_.decontaminating ? ChannelSet{13, 14} : ChannelSet::Range(13, 17);
        if (o_.met8LritOnly) {
            hrit = ChannelSet{};
            split.otherPart.clear();
        }
        const bool scanLrit =
            !s_.ParallelMode() && !s_.IsRapidScan() && !s_.IsIodc() && o_.includeLrit && quarter;

        const bool missingCycle = split.msgPart.empty() && (!o_.met8LritOnly || quarter);
        if ((!o_.met8LritOnly || quarter) && Due(m)) ++findings_.dueCycles;
        if (split.msgPart.empty()) {
            if (missingCycle) {
                out.missingSlots.push_back(SlotLine(hhnn));
                if (Due(m)) findings_.missingCycles.push_back(m);
                planned_.clear();
                PlanScan(Context(), m, hrit, planned_);
                if (scanLrit) PlanScan(Context(), m, lrit, planned_);
                RecordAbsent(m, planned_, Within::MissingCycle);
            }
        } else {
            ScanMissingSegments(Context(), m, split.msgPart, hrit, segLines_, scratch_, scratch_,
                                &found_);
            if (scanLrit) {
                ScanMissingSegments(Context(), m, split.msgPart, lrit, segLines_, scratch_, scratch_,
                                    &found_);
            }
            RecordScan(m, found_);
            AppendCycle(out.missingSegs, hhnn, segLines_);
        }

        if (!split.otherPart.empty()) {
            ScanProducts(m, split.otherPart, productLines_);
            AppendCycle(out.missingProduct, hhnn, productLines_);
        } else if (!o_.met8LritOnly) {
            RecordUnscannedProducts(m, missingCycle);
        }
    }

    void CloseProducts(Lines& product) {
        if (o_.includeMpef && rules_.mpeMarkerEra && (!o_.includeMpe || s_.NoMpe())) {
            product.insert(product.begin() + 3, "  *** MPE (not checked) ***");
            NotCheckedEntry(NotCheckedReason::MpeNotChecked).text = product[3];
        }
        // Looked up before any cut, whose entry comes after it.
        NotChecked* const mpefNotIncluded =
            o_.includeMpef ? nullptr : &NotCheckedEntry(NotCheckedReason::MpefNotIncluded);
        if (product.size() == 3) {
            product.emplace_back(mpefNotIncluded ? "  (not checked)" : "  (none)");
            if (mpefNotIncluded) mpefNotIncluded->text = product.back();
        } else if (s_.IsRapidScan() || s_.ParallelMode()) {
            if (received_ == 0) {
                CutProducts(product, NotCheckedReason::NoProductsFound, "  (no products found)");
            }
            if (run_.partialScan) {
                CutProducts(product, NotCheckedReason::PartialScan,
                            "  (not checked, partial scan)");
            }
        } else if (s_.IsIodc()) {
            if (!IodcMpefInService(day_)) {
                CutProducts(product, NotCheckedReason::IodcMpefNotStarted,
                            "  (not checked, IODC MPEF not yet started)");
            }
        } else {
            product.emplace_back(" ");
            product.emplace_back("Key:  FY-2x, GOES-nn & HIMn = FSD");
        }
        if (run_.goes12Bypass && !s_.ParallelMode() && !s_.IsRapidScan()) {
            product.emplace_back("  GOES-12 set as \"from GOES-10\"");
        }
    }

    bool PartialScanDay() const {
        if (!NeedsProcessLog(o_)) return false;
        if (inputs_.processLog) return inputs_.processLog->IsPartialScanDay(day_);
        const std::optional<ProcessLogDays> processLog = ProcessLogFor(s_, o_);
        return processLog && processLog->IsPartialScanDay(day_);
    }

    // The repeat cycles not yet due, and the other minutes not yet due with expected items.
    void CollectNotYetDue() {
        auto expected = findings_.expected.begin();
        for (int m = 0; m < kMinutesPerDay; ++m) {
            if (!judged_.NotYetDue(m)) continue;
            while (expected != findings_.expected.end() && expected->minute < m) ++expected;
            const bool cycle = !s_.HimawariMode() && m % RepeatCycleMinutes(s_.Mode) == 0;
            if (cycle || (expected != findings_.expected.end() && expected->minute == m)) {
                findings_.notYetDue.push_back(m);
            }
        }
    }

    void CollectBeforeLogsBegin() {
        const int step = RepeatCycleMinutes(s_.Mode);
        for (int m = 0; m < kMinutesPerDay && judged_.BeforeLogsBegin(m); m += step) {
            findings_.beforeLogsBegin.push_back(m);
        }
    }

    void AddSequenceReports(Lines& product) {
        if (o_.met8LritOnly) return;
        for (SequenceKind kind : {0, 7, 6, 8, 1, 3, 2, 4, 5}) {
            AddSequenceReport(s_.FileHistory, day_, kind, s_.NeatMode(), product,
                              &findings_.sequences);
        }
    }

    // Nothing of the day is on record: every list that names what is missing says so
    // instead. The sequence numbers come from the file history, which may hold the day.
    void WhollyBeforeLogsBegin(DayReport& out) {
        const std::string line = BeforeLogsBeginLine(s_.FirstRecord);
        out.missingSegs.push_back(line);
        out.missingProduct.push_back(line);
        out.lateSegs.emplace_back("  (none)");
        out.missingSlots.push_back(line);
        CollectBeforeLogsBegin();
        AddSequenceReports(out.missingProduct);
    }

    void Build(DayReport& out) {
        findings_.day = day_;
        // Room for a rapid-scan day's MSG channels and files, so that it rarely grows.
        findings_.expected.reserve(s_.IsRapidScan() ? 288 * 18 : 96 * 24);
        findings_.service = s_.Mode;
        findings_.options = o_;
        findings_.switches = s_.switches;
        findings_.firstRecord = s_.FirstRecord;
        judged_ = JudgeMinutes(day_, s_.FirstRecord, inputs_.now, inputs_.grace);
        findings_.judged = judged_;

        run_.reportDay = day_;
        run_.goes12Bypass = o_.goes12Bypass;
        rules_ = ComputeDayRules(day_, s_.Mode);
        run_.csrInService = rules_.csrInService;
        run_.singleSegmentProducts = rules_.singleSegmentProducts;
        run_.partialScan = PartialScanDay();
        run_.reportableChannels = ReportableChannels(day_, s_.Mode);
        if (o_.met8LritOnly) NotCheckedEntry(NotCheckedReason::LritOnly);

        const Titles titles = ChooseTitles(s_, o_);
        StartList(out.missingSegs, DateLine(day_, false), titles.segs);
        StartList(out.missingProduct, DateLine(day_, s_.HimawariMode()), titles.product);
        StartList(out.lateSegs, DateLine(day_, false), titles.late);
        StartList(out.missingSlots, DateLine(day_, true), titles.slots);
        if (judged_.WhollyBeforeLogsBegin()) {
            WhollyBeforeLogsBegin(out);
            return;
        }

        DayLongChecks(out.missingProduct);
        for (int m = 0; m < kMinutesPerDay; ++m) Minute(m, out);

        if (out.missingSegs.size() == 3) {
            out.missingSegs.emplace_back("  (none)");
        } else {
            out.missingSegs.insert(out.missingSegs.end(),
                                   {" ", "Channel key:", " 01=VIS006  02=VIS008  03=IR016  04=IR039",
                                    " 05=WV062  06=WV073  07=IR087  08=IR097",
                                    " 09=IR108  10=IR120  11=IR134  12=HRV"});
        }
        CloseProducts(out.missingProduct);
        CollectNotYetDue();
        CollectBeforeLogsBegin();
        if (out.lateSegs.size() == 3) out.lateSegs.emplace_back("  (none)");
        if (out.missingSlots.size() == 3) out.missingSlots.emplace_back("  (none)");

        // A fault in the compaction must not cost the operator the rest of the report.
        try {
            CollapseMissingCycles(out.missingSlots, s_.Mode);
            CompactProductList(out.missingProduct, s_.Mode);
        } catch (...) {
        }
        // What was not judged closes the cycles list, after the collapse of its first run.
        if (judged_.first > 0) out.missingSlots.push_back(BeforeLogsBeginLine(s_.FirstRecord));
        if (judged_.current) out.missingSlots.push_back(JudgedUpToLine(day_, judged_));

        AddSequenceReports(out.missingProduct);
    }

    const StartupState& s_;
    const ReportOptions& o_;
    const Day day_;
    const RunInputs& inputs_;
    ReportRunState run_;
    DayRules rules_;
    DayLongChannels dayLong_;
    ChannelSet himawariChannels_;
    bool himawariAbsent_ = true;
    // The day-long lines the products list holds, in its order.
    std::vector<AllDayLine> allDayLines_;
    Lines segLines_, productLines_, lateLines_;
    // The log and minute being scanned, to tell where a bad mask is.
    std::string_view scanning_ = "SegHistory.log";
    std::string scannedKey_;
    long expected_ = 0;
    long received_ = 0;
    long scratch_ = 0;

    Findings findings_;
    JudgedMinutes judged_;
    // Where the lines of a minute not yet due go: nowhere.
    DayReport unlisted_;
    std::array<std::string, kLastChannel + 1> labels_;
    // Scratch values of the scans, kept to be reused minute after minute.
    ScanFindings found_;
    std::vector<ScannedChannel> planned_;
    std::vector<ScanItem> lateItems_;
};

}  // namespace

bool NeedsProcessLog(const ReportOptions& options) {
    return options.disableMsg1Mpef && options.includeMpef;
}

std::optional<ProcessLogDays> ProcessLogFor(const StartupState& startup,
                                            const ReportOptions& options) {
    if (!NeedsProcessLog(options)) return std::nullopt;
    return ProcessLogDays::Read(PathFromText(startup.DataDirectory));
}

DayReportResult BuildDayReport(const StartupState& startup, const ReportOptions& options, Day day) {
    return BuildDayReportWith(startup, options, day, RunInputs{});
}

DayReportResult BuildDayReportWith(const StartupState& startup, const ReportOptions& options,
                                   Day day, const RunInputs& inputs) {
    return DayReportRun(startup, options, day, inputs).Run();
}

DayReport NothingToJudge(const StartupState& startup, const ReportOptions& options, Day day,
                         const std::string& reason) {
    const Titles titles = ChooseTitles(startup, options);
    DayReport lists;
    StartList(lists.missingSegs, DateLine(day, false), titles.segs);
    StartList(lists.missingProduct, DateLine(day, startup.HimawariMode()), titles.product);
    StartList(lists.lateSegs, DateLine(day, false), titles.late);
    StartList(lists.missingSlots, DateLine(day, true), titles.slots);
    for (Lines* list :
         {&lists.missingSegs, &lists.missingProduct, &lists.lateSegs, &lists.missingSlots}) {
        list->push_back("  (nothing to judge: " + reason + ")");
    }
    return lists;
}

}  // namespace gapscope
