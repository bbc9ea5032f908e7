#include "report/day_report.h"

#include <array>
#include <cstdio>

#include "history/day_queries.h"
#include "history/mask.h"
#include "startup/system_text.h"
#include "history/segment_scan.h"
#include "report/calendar.h"
#include "report/post_passes.h"
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

// All state of one run. The run writes `run` before it scans; the scan reads it by reference.
class DayReportRun {
public:
    DayReportRun(const StartupState& startup, const ReportOptions& options, Day day)
        : s_(startup), o_(options), day_(day) {}

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
        return result;
    }

private:
    // What the segment scan needs of this run, as the run stands at the minute scanned.
    ScanContext Context() const {
        ScanContext ctx;
        ctx.reportDay = run_.reportDay;
        ctx.mode = s_.Mode;
        ctx.checkPrologEpilog = o_.prologEpilogFiles && !s_.NoPrologCheck;
        ctx.reportableChannels = run_.reportableChannels;
        ctx.goes12Bypass = run_.goes12Bypass;
        ctx.csrInService = run_.csrInService;
        ctx.singleSegmentProducts = run_.singleSegmentProducts;
        ctx.countedProducts =
            s_.IsRapidScan()
                ? run_.rapidScanProducts | run_.quarterHourlyProducts | run_.rapidScanAmvProducts
                : run_.quarterHourlyProducts | run_.quarterToProducts | run_.threeHourlyProducts;
        return ctx;
    }

    bool FsdDayLongAllowed(bool dayInHistory) const {
        return o_.includeFsd && dayInHistory && !s_.IsRapidScan() && !s_.IsIodc() &&
               !s_.ParallelMode() && !o_.met8LritOnly;
    }

    void DayLongChecks(Lines& product) {
        const bool dayInHistory = DayInSegHistory(s_.SegHistory, day_);
        dayLong_.fy2gAbsent = true;
        if (o_.hourlyFy2g) {
            dayLong_.fy2gChannels = ChannelSet::Range(67, 72);
            dayLong_.fy2gAbsent = !ChannelsSeenOnDay(s_.SegHistory, day_, dayLong_.fy2gChannels, 60);
            if (dayLong_.fy2gAbsent && FsdDayLongAllowed(dayInHistory) && !s_.HimawariMode()) {
                AppendDayLong(product, " 0000..2300", "FY-2G missing");
            }
        }
        dayLong_.fy2eAbsent = false;
        if (o_.hourlyFy2e) {
            dayLong_.fy2eChannels = ChannelSet::Range(77, 82);
            // FY-2E is sent at half past the hour, so it is looked for at every half hour.
            dayLong_.fy2eAbsent = !ChannelsSeenOnDay(s_.SegHistory, day_, dayLong_.fy2eChannels, 30);
            if (dayLong_.fy2eAbsent && FsdDayLongAllowed(dayInHistory) && !s_.HimawariMode()) {
                AppendDayLong(product, " 0030..2330", "FY-2E missing");
            }
        }
        himawariAbsent_ = true;
        if (!s_.NoHimawari() && o_.himawari30min) {
            himawariChannels_ = HimawariChannelsForDay(day_);
            himawariAbsent_ = !ChannelsSeenOnDay(s_.SegHistory, day_, himawariChannels_, 30);
            if (himawariAbsent_ && FsdDayLongAllowed(dayInHistory)) {
                AppendDayLong(product, " 0000..2330", "Himawari missing");
            }
        }
    }

    void CheckHimawariMinute(int minute, std::string_view otherPart, Lines& lines) {
        const int step = himawariChannels_.Contains(kHimawariB01) ? 10 : 30;
        if (minute % step != 0 || minute == 160 || minute == 880) return;
        if (!otherPart.empty()) {
            ScanMissingSegments(Context(), minute, otherPart, himawariChannels_, lines, scratch_, scratch_);
        } else {
            lines.emplace_back("   HIM9 all 16 channels missing");
        }
    }

    void ScanProducts(int m, std::string_view otherPart, Lines& lines) {
        auto scanFsd = [&](const ChannelSet& set) {
            ScanMissingSegments(Context(), m, otherPart, set, lines, scratch_, scratch_);
        };
        auto scanMpef = [&](const ChannelSet& set) {
            ScanMissingSegments(Context(), m, otherPart, set, lines, expected_, received_);
        };
        if (s_.IsRapidScan()) {
            if (!RapidScanMpefInService(day_) || !o_.includeMpef || o_.decontaminating) return;
            BuildRapidScanProducts(run_, s_.NoMpe());
            scanMpef(run_.rapidScanProducts);
            if (m % 15 == 0) scanMpef(run_.quarterHourlyProducts);
            if ((m + 10) % 20 == 0) scanMpef(run_.rapidScanAmvProducts);
            return;
        }
        const FsdSets fsd = BuildFsdSets(day_, m, o_, s_, rules_, dayLong_);
        if (m % 60 == 0) scanFsd(fsd.hourly);
        if ((m + 30) % 60 == 0) scanFsd(fsd.halfHourly);
        if (m % 180 == 0) scanFsd(fsd.threeHourly);
        if (!o_.includeMpef) return;
        BuildQuarterHourlyProducts(run_, m, o_, s_.Mode, s_.NoMpe(), rules_);
        if (o_.decontaminating) return;
        scanMpef(run_.quarterHourlyProducts);
        if (m % 60 == 0) scanMpef(run_.hourlyProducts);
        if ((m + 15) % 60 == 0) scanMpef(run_.quarterToProducts);
        if ((m + 30) % 60 == 0) scanMpef(run_.halfPastProducts);
        if ((m + 15) % 180 == 0) scanMpef(run_.threeHourlyProducts);
    }

    void Minute(int m, DayReport& out) {
        const std::string key = MinuteKey(day_, m);
        const std::string_view hhnn = std::string_view(key).substr(8, 4);
        ResetMinuteProducts(run_, SlotTime{day_} + std::chrono::minutes{m});
        segLines_.clear();
        productLines_.clear();
        lateLines_.clear();

        const bool quarter = m % 60 == 15 || m % 60 == 45;
        const bool cycle = s_.IsRapidScan() ? m % 5 == 0 : m % 15 == 0;

        scannedKey_ = key;
        scanning_ = "LateSegHistory.log";
        const std::string_view late = s_.LateSegHistory.ValueOf(key);
        if (!late.empty()) {
            ScanLateSegments(day_, late, 1, 26, lateLines_);
            AppendCycle(out.lateSegs, hhnn, lateLines_);
        }

        scanning_ = "SegHistory.log";
        SplitRecord split = SplitMinuteRecord(s_.SegHistory.ValueOf(key), s_.Mode);

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

        if (split.msgPart.empty()) {
            if (!o_.met8LritOnly || quarter) out.missingSlots.push_back(SlotLine(hhnn));
        } else {
            ScanMissingSegments(Context(), m, split.msgPart, hrit, segLines_, scratch_, scratch_);
            if (!s_.ParallelMode() && !s_.IsRapidScan() && !s_.IsIodc() && o_.includeLrit && quarter) {
                ScanMissingSegments(Context(), m, split.msgPart, lrit, segLines_, scratch_, scratch_);
            }
            AppendCycle(out.missingSegs, hhnn, segLines_);
        }

        if (!split.otherPart.empty()) {
            ScanProducts(m, split.otherPart, productLines_);
            AppendCycle(out.missingProduct, hhnn, productLines_);
        }
    }

    void CloseProducts(Lines& product) {
        if (o_.includeMpef && rules_.mpeMarkerEra && (!o_.includeMpe || s_.NoMpe())) {
            product.insert(product.begin() + 3, "  *** MPE (not checked) ***");
        }
        if (product.size() == 3) {
            product.emplace_back(o_.includeMpef ? "  (none)" : "  (not checked)");
        } else if (s_.IsRapidScan() || s_.ParallelMode()) {
            if (received_ == 0) {
                CutBackToHeader(product);
                product.emplace_back("  (no products found)");
            }
            if (run_.partialScan) {
                CutBackToHeader(product);
                product.emplace_back("  (not checked, partial scan)");
            }
        } else if (s_.IsIodc()) {
            if (!IodcMpefInService(day_)) {
                CutBackToHeader(product);
                product.emplace_back("  (not checked, IODC MPEF not yet started)");
            }
        } else {
            product.emplace_back(" ");
            product.emplace_back("Key:  FY-2x, GOES-nn & HIMn = FSD");
        }
        if (run_.goes12Bypass && !s_.ParallelMode() && !s_.IsRapidScan()) {
            product.emplace_back("  GOES-12 set as \"from GOES-10\"");
        }
    }

    void Build(DayReport& out) {
        run_.reportDay = day_;
        run_.goes12Bypass = o_.goes12Bypass;
        rules_ = ComputeDayRules(day_, s_.Mode);
        run_.csrInService = rules_.csrInService;
        run_.singleSegmentProducts = rules_.singleSegmentProducts;
        run_.partialScan = o_.disableMsg1Mpef && o_.includeMpef &&
                           IsPartialScanDay(PathFromText(s_.DataDirectory), day_);
        run_.reportableChannels = ReportableChannels(day_, s_.Mode);

        const Titles titles = ChooseTitles(s_, o_);
        StartList(out.missingSegs, DateLine(day_, false), titles.segs);
        StartList(out.missingProduct, DateLine(day_, s_.HimawariMode()), titles.product);
        StartList(out.lateSegs, DateLine(day_, false), titles.late);
        StartList(out.missingSlots, DateLine(day_, true), titles.slots);

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
        if (out.lateSegs.size() == 3) out.lateSegs.emplace_back("  (none)");
        if (out.missingSlots.size() == 3) out.missingSlots.emplace_back("  (none)");

        // A fault in the compaction must not cost the operator the rest of the report.
        try {
            CollapseMissingCycles(out.missingSlots, s_.Mode);
            CompactProductList(out.missingProduct, s_.Mode);
        } catch (...) {
        }

        if (!o_.met8LritOnly) {
            for (SequenceKind kind : {0, 7, 6, 8, 1, 3, 2, 4, 5}) {
                AddSequenceReport(s_.FileHistory, day_, kind, s_.NeatMode(), out.missingProduct);
            }
        }
    }

    const StartupState& s_;
    const ReportOptions& o_;
    const Day day_;
    ReportRunState run_;
    DayRules rules_;
    DayLongChannels dayLong_;
    ChannelSet himawariChannels_;
    bool himawariAbsent_ = true;
    Lines segLines_, productLines_, lateLines_;
    // The log and minute being scanned, to tell where a bad mask is.
    std::string_view scanning_ = "SegHistory.log";
    std::string scannedKey_;
    long expected_ = 0;
    long received_ = 0;
    long scratch_ = 0;
};

}  // namespace

DayReportResult BuildDayReport(const StartupState& startup, const ReportOptions& options, Day day) {
    return DayReportRun(startup, options, day).Run();
}

}  // namespace gapscope
