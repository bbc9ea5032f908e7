#include "report/day_report.h"

// How a day's report is made, in the order of DayReportRun::Build:
//  1. BeginRun: the minutes judged, the day's rules and the channels the run expects.
//  2. StartLists: the four lists' date lines and titles.
//  3. DayLongChecks: the satellites of which nothing came all day get one line each.
//  4. Minute, for each minute of the day: late segments, the day-long satellites' cycles,
//     Himawari images, then at each repeat cycle the MSG imager and the products.
//  5. CloseLists: the closing lines (channel key, product notes, "(none)").
//  6. PostPasses: the first run of missing cycles collapsed, the products list compacted.
//  7. AddSequenceReports: the DCP and MDD sequence numbers.
// Beside the lists the run records the same decisions as findings (run_findings.h). What is
// due when, and every date, is the calendar's (report/calendar.h, catalogue/calendar_rules.h).

#include <array>
#include <cstdio>

#include "catalogue/calendar_rules.h"
#include "history/day_queries.h"
#include "history/mask.h"
#include "history/segment_scan.h"
#include "report/calendar.h"
#include "report/post_passes.h"
#include "report/repeat_cycle.h"
#include "report/run_findings.h"
#include "report/sequence_report.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

namespace cal = calendar;

struct Titles {
    const char* segs;
    const char* product;
    const char* late;
    const char* slots;
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

// The four lists' date lines and titles.
void StartLists(DayReport& lists, const StartupState& s, const ReportOptions& o, Day day) {
    const Titles titles = ChooseTitles(s, o);
    StartList(lists.missingSegs, DateLine(day, false), titles.segs);
    StartList(lists.missingProduct, DateLine(day, s.HimawariMode()), titles.product);
    StartList(lists.lateSegs, DateLine(day, false), titles.late);
    StartList(lists.missingSlots, DateLine(day, true), titles.slots);
}

void AppendCycle(Lines& list, std::string_view hhnn, const Lines& items) {
    if (items.empty()) return;
    list.push_back("Cycle: " + std::string(hhnn));
    list.insert(list.end(), items.begin(), items.end());
}

void CutBackToHeader(Lines& list) {
    if (list.size() > 3) list.resize(3);
}

// A day-long line of the products list: the satellite, the cycles its heading names (as
// text, and as a cadence) and the channels looked for at each.
struct AllDayLine {
    const char* name;
    std::string cycles;
    cal::Cadence cadence;
    ChannelSet channels;
};

// The MSG channels a repeat cycle is checked for, the same all day.
struct MsgChannels {
    ChannelSet hrit;
    ChannelSet lrit;
    bool lritScanned = false;  // at the LRIT cycles
};

MsgChannels MsgChannelsOf(const StartupState& s, const ReportOptions& o) {
    MsgChannels msg;
    msg.hrit = o.decontaminating ? cal::SetOf(cal::kDecontaminatingHrit) : cal::SetOf(cal::kHrit);
    msg.lrit = o.decontaminating ? cal::SetOf(cal::kDecontaminatingLrit) : cal::SetOf(cal::kLrit);
    if (o.met8LritOnly) msg.hrit = ChannelSet{};
    msg.lritScanned = !s.ParallelMode() && !s.IsRapidScan() && !s.IsIodc() && o.includeLrit;
    return msg;
}

// The product sets a cycle scans, in the order it scans them.
struct ProductScan {
    ChannelSet set;
    bool mpef = false;  // counted into the day's expected and received product segments
};
struct ProductScans {
    std::array<ProductScan, 8> scans;
    std::size_t count = 0;
    void Add(const SetsDue& due, bool mpef) {
        for (const ChannelSet& set : due) scans[count++] = ProductScan{set, mpef};
    }
    const ProductScan* begin() const { return scans.data(); }
    const ProductScan* end() const { return scans.data() + count; }
};

// The minute being scanned, and the lists its lines go to.
struct MinuteLists {
    int m;
    std::string key;  // "yyyymmddhhnn"
    DayReport& out;
    std::string_view Hhnn() const { return std::string_view(key).substr(8, 4); }
};

// All state of one run. The run writes `run_` before it scans; the scan reads it by reference.
class DayReportRun {
public:
    DayReportRun(const StartupState& startup, const ReportOptions& options, Day day,
                 const RunInputs& inputs)
        : s_(startup),
          o_(options),
          day_(day),
          inputs_(inputs),
          found_(day, startup, options,
                 JudgeMinutes(day, startup.FirstRecord, inputs.now, inputs.grace)),
          msg_(MsgChannelsOf(startup, options)) {}

    DayReportResult Run() {
        DayReportResult result;
        try {
            Build(result.lists);
        } catch (const MaskError& error) {
            result.error = error.what();
            result.errorPlace = "in " + std::string(scanning_) + ", minute key " + scannedKey_ +
                                " (" + IsoDate(day_) + " " + scannedKey_.substr(8, 2) + ":" +
                                scannedKey_.substr(10, 2) + " UTC), item " + error.item;
            result.stop = RunStop{std::string(scanning_), scannedMinute_};
        }
        result.findings = found_.Take();
        return result;
    }

private:
    void Build(DayReport& out) {
        BeginRun();
        StartLists(out, s_, o_, day_);
        if (found_.Judged().WhollyBeforeLogsBegin()) {
            WhollyBeforeLogsBegin(out);
            return;
        }
        DayLongChecks(out.missingProduct);
        for (int m = 0; m < kMinutesPerDay; ++m) Minute(m, out);
        CloseLists(out);
        PostPasses(out);
        AddSequenceReports(out.missingProduct);
    }

    // ---- 1. The day's rules ---------------------------------------------------------------

    void BeginRun() {
        run_.reportDay = day_;
        run_.goes12Bypass = o_.goes12Bypass;
        rules_ = ComputeDayRules(day_, s_.Mode);
        run_.csrInService = rules_.csrInService;
        run_.singleSegmentProducts = rules_.singleSegmentProducts;
        run_.partialScan = PartialScanDay();
        run_.reportableChannels = ReportableChannels(day_, s_.Mode);
        if (o_.met8LritOnly) found_.NotCheckedEntry(NotCheckedReason::LritOnly);
    }

    bool PartialScanDay() const {
        if (!NeedsProcessLog(o_)) return false;
        if (inputs_.processLog) return inputs_.processLog->IsPartialScanDay(day_);
        const std::optional<ProcessLogDays> processLog = ProcessLogFor(s_, o_);
        return processLog && processLog->IsPartialScanDay(day_);
    }

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

    // Channels the text gives one line for, planned at m and recorded as absent.
    void RecordPlannedAbsent(int m, const ChannelSet& channels, Within within) {
        planned_.clear();
        PlanScan(Context(), m, channels, planned_);
        found_.RecordAbsent(m, planned_, within);
    }

    // ---- 3. Satellites absent all day -----------------------------------------------------

    bool FsdDayLongAllowed(bool dayInHistory) const {
        return o_.includeFsd && dayInHistory && !s_.IsRapidScan() && !s_.IsIodc() &&
               !s_.ParallelMode() && !o_.met8LritOnly;
    }

    // The cycles a day-long line names: all of the day's, or on a day not judged whole those
    // judged; none when it has no cycle judged.
    std::optional<std::string> JudgedCycles(cal::Cadence cycles) const {
        const JudgedMinutes& judged = found_.Judged();
        int first = cycles.First();
        int last = cycles.Last();
        while (first < judged.first) first += cycles.step;
        while (last > judged.last) last -= cycles.step;
        if (first > last) return std::nullopt;
        return CycleHhnn(first) + ".." + CycleHhnn(last);
    }

    // Whether nothing of the channels came all day; if so, and `lineAllowed`, the products
    // list says it in one line.
    bool CheckAbsentAllDay(Lines& product, const cal::DayLongLine& line, const ChannelSet& channels,
                           bool lineAllowed) {
        const bool absent = !ChannelsSeenOnDay(s_.SegHistory, day_, channels, line.searchStep);
        const auto cycles = JudgedCycles(line.cycles);
        if (!absent || !lineAllowed || !cycles) return absent;
        product.emplace_back();
        product.push_back("Cycle: " + *cycles);
        product.push_back("   " + std::string(line.name) + " missing");
        found_.RecordAbsentAllDay(line.name, *cycles, channels);
        allDayLines_.push_back(AllDayLine{line.name, *cycles, line.cycles, channels});
        return absent;
    }

    // FY-2G or FY-2E, when the options ask for it: its channels, and whether it is absent.
    bool Fy2AbsentAllDay(Lines& product, const cal::DayLongLine& line,
                         const cal::Channels<6>& group, ChannelSet& channels, bool allowed) {
        channels = cal::SetOf(group);
        return CheckAbsentAllDay(product, line, channels, allowed && !s_.HimawariMode());
    }

    void DayLongChecks(Lines& product) {
        const bool allowed = FsdDayLongAllowed(DayInSegHistory(s_.SegHistory, day_));
        // Not asked for, FY-2G counts as absent and FY-2E as present; either way their
        // channels are none.
        dayLong_.fy2gAbsent =
            !o_.hourlyFy2g ||
            Fy2AbsentAllDay(product, cal::kFy2gDayLong, cal::kFy2g, dayLong_.fy2gChannels, allowed);
        dayLong_.fy2eAbsent =
            o_.hourlyFy2e &&
            Fy2AbsentAllDay(product, cal::kFy2eDayLong, cal::kFy2e, dayLong_.fy2eChannels, allowed);
        himawariAbsent_ = true;
        if (!s_.NoHimawari() && o_.himawari30min) {
            himawariChannels_ = HimawariChannelsForDay(day_);
            himawariAbsent_ =
                CheckAbsentAllDay(product, cal::kHimawariDayLong, himawariChannels_, allowed);
        }
    }

    // ---- 4. Each minute -------------------------------------------------------------------

    // A minute not yet due is scanned for what it expects, but no list names it.
    void Minute(int m, DayReport& lists) {
        if (found_.Judged().BeforeLogsBegin(m)) {
            LateBeforeLogsBegin(m, lists);
            return;
        }
        const MinuteLists at = StartMinute(m, lists);
        LateSegments(at);
        const SplitRecord split = ReadSegmentRecord(at);
        DayLongSatellites(m);
        HimawariImages(at, split.otherPart);
        if (s_.HimawariMode() || m % RepeatCycleMinutes(s_.Mode) != 0) return;
        const bool missingCycle = MsgCycle(at, split.msgPart);
        if (!o_.met8LritOnly) CycleProducts(at, split.otherPart, missingCycle);
    }

    MinuteLists StartMinute(int m, DayReport& lists) {
        const bool due = found_.Due(m);
        if (!due) unlisted_ = DayReport{};
        ResetMinuteProducts(run_, SlotTime{day_} + std::chrono::minutes{m});
        segLines_.clear();
        productLines_.clear();
        lateLines_.clear();
        MinuteLists at{m, MinuteKey(day_, m), due ? lists : unlisted_};
        scannedKey_ = at.key;
        scannedMinute_ = m;
        return at;
    }

    // Nothing was expected before the logs begin, but the late-segment history is read as on
    // any day.
    void LateBeforeLogsBegin(int m, DayReport& lists) {
        const bool listed = found_.Judged().LateListed(m);
        if (!listed) unlisted_ = DayReport{};
        lateLines_.clear();
        const MinuteLists at{m, MinuteKey(day_, m), listed ? lists : unlisted_};
        scannedKey_ = at.key;
        LateSegments(at);
    }

    void LateSegments(const MinuteLists& at) {
        scanning_ = "LateSegHistory.log";
        const std::string_view late = s_.LateSegHistory.ValueOf(at.key);
        if (late.empty()) return;
        ScanLateSegments(day_, late, cal::kLateHistoryChannels.first,
                         cal::kLateHistoryChannels.last, lateLines_, &lateItems_);
        AppendCycle(at.out.lateSegs, at.Hhnn(), lateLines_);
        found_.RecordLate(at.m, lateItems_);
        lateItems_.clear();
    }

    SplitRecord ReadSegmentRecord(const MinuteLists& at) {
        scanning_ = "SegHistory.log";
        return SplitMinuteRecord(s_.SegHistory.ValueOf(at.key), s_.Mode);
    }

    // The satellites of the day-long lines, one by one at the cycles the lines name.
    void DayLongSatellites(int m) {
        for (const AllDayLine& line : allDayLines_) {
            if (line.cadence.At(m)) RecordPlannedAbsent(m, line.channels, Within::AbsentAllDay);
        }
    }

    void HimawariImages(const MinuteLists& at, std::string_view otherPart) {
        if (himawariAbsent_ || !HimawariImageDue(himawariChannels_, at.m)) return;
        if (!otherPart.empty()) {
            ScanMissingSegments(Context(), at.m, otherPart, himawariChannels_, productLines_,
                                scratch_, scratch_, &scan_);
            found_.RecordScan(at.m, scan_);
        } else {
            productLines_.emplace_back("   HIM9 all 16 channels missing");
            RecordPlannedAbsent(at.m, himawariChannels_, Within::Nothing);
        }
        AppendCycle(at.out.missingProduct, at.Hhnn(), productLines_);
        productLines_.clear();
    }

    // The MSG imager at a repeat cycle: a cycle of which nothing came is listed as missing,
    // standing for all it expected; otherwise the channels that did not come in full.
    // Returns whether the cycle is missing.
    bool MsgCycle(const MinuteLists& at, std::string_view msgPart) {
        const bool lritCycle = cal::kLritCycles.At(at.m);
        // "MSG FTP LRIT only": a cycle can be missing only where LRIT comes.
        const bool canBeMissing = !o_.met8LritOnly || lritCycle;
        const bool scanLrit = msg_.lritScanned && lritCycle;
        if (canBeMissing) found_.CountCycle(at.m);
        if (!msgPart.empty()) {
            ScanMissingSegments(Context(), at.m, msgPart, msg_.hrit, segLines_, scratch_,
                                scratch_, &scan_);
            if (scanLrit) {
                ScanMissingSegments(Context(), at.m, msgPart, msg_.lrit, segLines_, scratch_,
                                    scratch_, &scan_);
            }
            found_.RecordScan(at.m, scan_);
            AppendCycle(at.out.missingSegs, at.Hhnn(), segLines_);
            return false;
        }
        if (!canBeMissing) return false;
        std::string slot(1, ' ');
        slot += at.Hhnn();
        at.out.missingSlots.push_back(std::move(slot));
        found_.RecordMissingCycle(at.m);
        planned_.clear();
        PlanScan(Context(), at.m, msg_.hrit, planned_);
        if (scanLrit) PlanScan(Context(), at.m, msg_.lrit, planned_);
        found_.RecordAbsent(at.m, planned_, Within::MissingCycle);
        return true;
    }

    // The product sets due at cycle m; builds them in `run`.
    ProductScans ProductScansAt(ReportRunState& run, int m) const {
        ProductScans scans;
        if (s_.IsRapidScan()) {
            if (!RapidScanMpefInService(day_) || !o_.includeMpef || o_.decontaminating) return scans;
            BuildRapidScanProducts(run, s_.NoMpe());
            scans.Add(MpefSetsDue(run, m, s_.Mode), true);
            return scans;
        }
        scans.Add(FsdSetsDue(BuildFsdSets(day_, m, o_, s_, rules_, dayLong_), m), false);
        if (!o_.includeMpef) return scans;
        BuildQuarterHourlyProducts(run, m, o_, s_.Mode, s_.NoMpe(), rules_);
        if (o_.decontaminating) return scans;
        scans.Add(MpefSetsDue(run, m, s_.Mode), true);
        return scans;
    }

    void CycleProducts(const MinuteLists& at, std::string_view otherPart, bool missingCycle) {
        if (otherPart.empty()) {
            UnscannedProducts(at.m, missingCycle);
            return;
        }
        for (const ProductScan& scan : ProductScansAt(run_, at.m)) {
            // What the day received is told by the cycles judged.
            const bool counted = scan.mpef && found_.Due(at.m);
            long& expected = counted ? expected_ : scratch_;
            long& received = counted ? received_ : scratch_;
            ScanMissingSegments(Context(), at.m, otherPart, scan.set, productLines_, expected,
                                received, &scan_);
        }
        found_.RecordScan(at.m, scan_);
        AppendCycle(at.out.missingProduct, at.Hhnn(), productLines_);
    }

    // A cycle whose record names no product or foreign satellite: the products due were not
    // looked for. In a missing cycle they are part of what the cycle line says is missing.
    void UnscannedProducts(int m, bool missingCycle) {
        ReportRunState planned = run_;
        const ProductScans scans = ProductScansAt(planned, m);
        const ScanContext ctx = Context(planned);
        planned_.clear();
        for (const ProductScan& scan : scans) PlanScan(ctx, m, scan.set, planned_);
        if (missingCycle) {
            found_.RecordAbsent(m, planned_, Within::MissingCycle);
        } else {
            found_.RecordUnscannedProducts(m, planned_);
        }
    }

    // ---- 5. Closing lines -----------------------------------------------------------------

    void CloseLists(DayReport& out) {
        if (out.missingSegs.size() == 3) {
            out.missingSegs.emplace_back("  (none)");
        } else {
            out.missingSegs.insert(out.missingSegs.end(),
                                   {" ", "Channel key:", " 01=VIS006  02=VIS008  03=IR016  04=IR039",
                                    " 05=WV062  06=WV073  07=IR087  08=IR097",
                                    " 09=IR108  10=IR120  11=IR134  12=HRV"});
        }
        CloseProducts(out.missingProduct);
        const int cycleMinutes = RepeatCycleMinutes(s_.Mode);
        found_.CollectNotYetDue(s_.HimawariMode() ? 0 : cycleMinutes);
        found_.CollectBeforeLogsBegin(cycleMinutes);
        if (out.lateSegs.size() == 3) out.lateSegs.emplace_back("  (none)");
        if (out.missingSlots.size() == 3) out.missingSlots.emplace_back("  (none)");
    }

    // Cuts the products list back to its header and puts `line` in its place.
    void CutProducts(Lines& product, NotCheckedReason reason, const char* line) {
        CutBackToHeader(product);
        product.emplace_back(line);
        found_.ClearProductFindings(reason, product.back());
    }

    void CloseProducts(Lines& product) {
        if (o_.includeMpef && rules_.mpeMarkerEra && (!o_.includeMpe || s_.NoMpe())) {
            product.insert(product.begin() + 3, "  *** MPE (not checked) ***");
            found_.NotCheckedEntry(NotCheckedReason::MpeNotChecked).text = product[3];
        }
        // Looked up before any cut, whose entry comes after it.
        NotChecked* const mpefNotIncluded =
            o_.includeMpef ? nullptr : &found_.NotCheckedEntry(NotCheckedReason::MpefNotIncluded);
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

    // ---- 6. Post-passes -------------------------------------------------------------------

    void PostPasses(DayReport& out) {
        // A fault in the compaction must not cost the operator the rest of the report.
        try {
            CollapseMissingCycles(out.missingSlots, s_.Mode);
            CompactProductList(out.missingProduct, s_.Mode);
        } catch (...) {
        }
        // What was not judged closes the cycles list, after the collapse of its first run.
        const JudgedMinutes& judged = found_.Judged();
        if (judged.first > 0) out.missingSlots.push_back(BeforeLogsBeginLine(s_.FirstRecord));
        if (judged.current) out.missingSlots.push_back(JudgedUpToLine(day_, judged));
    }

    // ---- 7. Sequence numbers --------------------------------------------------------------

    void AddSequenceReports(Lines& product) {
        if (o_.met8LritOnly) return;
        for (SequenceKind kind : kReportedSequenceKinds) {
            AddSequenceReport(s_.FileHistory, day_, kind, s_.NeatMode(), product,
                              &found_.Sequences());
        }
        // The text says nothing of a kind without a message; the findings do, once the day
        // is over and no message of it can still come.
        if (found_.Judged().Over()) found_.RecordNoMessage(KindsWithNoMessage(s_.FileHistory, day_));
    }

    // Nothing of the day is on record: every list that names what is missing says so
    // instead. The late segments and the sequence numbers come from logs of their own, which
    // may hold the day.
    void WhollyBeforeLogsBegin(DayReport& out) {
        const std::string line = BeforeLogsBeginLine(s_.FirstRecord);
        out.missingSegs.push_back(line);
        out.missingProduct.push_back(line);
        out.missingSlots.push_back(line);
        for (int m = 0; m < kMinutesPerDay; ++m) LateBeforeLogsBegin(m, out);
        if (out.lateSegs.size() == 3) out.lateSegs.emplace_back("  (none)");
        found_.CollectBeforeLogsBegin(RepeatCycleMinutes(s_.Mode));
        AddSequenceReports(out.missingProduct);
    }

    const StartupState& s_;
    const ReportOptions& o_;
    const Day day_;
    const RunInputs& inputs_;
    RunFindings found_;
    const MsgChannels msg_;
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
    int scannedMinute_ = 0;
    long expected_ = 0;
    long received_ = 0;
    long scratch_ = 0;
    // Where the lines of a minute not yet due go: nowhere.
    DayReport unlisted_;
    // Scratch values of the scans, kept to be reused minute after minute.
    ScanFindings scan_;
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

DayReport ListsSaying(const StartupState& startup, const ReportOptions& options, Day day,
                      const std::string& line) {
    DayReport lists;
    StartLists(lists, startup, options, day);
    for (Lines* list :
         {&lists.missingSegs, &lists.missingProduct, &lists.lateSegs, &lists.missingSlots}) {
        list->push_back(line);
    }
    return lists;
}

DayReport NothingToJudge(const StartupState& startup, const ReportOptions& options, Day day,
                         const std::string& reason) {
    return ListsSaying(startup, options, day, "  (nothing to judge: " + reason + ")");
}

}  // namespace gapscope
