#pragma once

// Every date, window, cadence, special minute and channel group of the dissemination
// calendar, as tables. A new changeover at the station is one row here. The logic that reads
// them: report/calendar.cpp (what a cycle expects), history/segment_scan.cpp (night windows,
// the segments checked), catalogue/labels.cpp (satellite names). Segment counts are the
// catalogue's own column (catalogue.cpp). In catalogue/ so that every core folder can read it.

#include <array>
#include <chrono>
#include <optional>

#include "catalogue/channel_set.h"

namespace gapscope::calendar {

using Day = std::chrono::sys_days;

constexpr Day Date(int y, unsigned m, unsigned d) {
    return Day{std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}};
}
constexpr std::chrono::sys_time<std::chrono::minutes> DateTime(int y, unsigned m, unsigned d,
                                                               int hh, int nn) {
    return Date(y, m, d) + std::chrono::hours{hh} + std::chrono::minutes{nn};
}

// ---- Channel groups ----------------------------------------------------------------------

template <std::size_t N>
using Channels = std::array<ChannelNumber, N>;

// first..last, both included.
struct ChannelRange {
    ChannelNumber first;
    ChannelNumber last;
    constexpr bool Contains(ChannelNumber n) const { return n >= first && n <= last; }
};

// The MSG imager: HRIT channels 1..12 (12 is HRV), LRIT channels 13..17.
inline constexpr ChannelRange kHrit{1, 12};
inline constexpr ChannelRange kLrit{13, 17};
// The late-segment history is read for the MSG, GOES and MTSAT channels.
inline constexpr ChannelRange kLateHistoryChannels{1, 26};
// Decontaminating: only these are checked.
inline constexpr Channels<4> kDecontaminatingHrit{1, 2, 3, 12};
inline constexpr Channels<2> kDecontaminatingLrit{13, 14};

inline constexpr Channels<4> kGoesWest{18, 19, 20, 56};
inline constexpr Channels<4> kGoesEast{21, 22, 23, 57};
inline constexpr Channels<5> kMtsat{24, 25, 26, 58, 84};
inline constexpr Channels<3> kMidIr{56, 57, 58};
inline constexpr Channels<6> kFy2g{67, 68, 69, 70, 71, 72};
inline constexpr Channels<6> kFy2e{77, 78, 79, 80, 81, 82};
// Every Himawari band of any era (which are sent on a day: kHimawariEras).
inline constexpr std::array<ChannelRange, 2> kHimawariBands{{{93, 106}, {123, 124}}};
// Foreign-satellite images of every era: GOES, MTSAT, Meteosat 5 and 7, GOMS, FY-2 and the
// GOES-R bands (Himawari aside).
inline constexpr std::array<ChannelRange, 10> kForeignImages{{{18, 29},
                                                              {43, 45},
                                                              {56, 58},
                                                              {60, 64},
                                                              {67, 72},
                                                              {77, 82},
                                                              {84, 84},
                                                              {87, 92},
                                                              {107, 122},
                                                              {125, 146}}};
// Cloud analysis (two), TH, DIV, NDVI, NDVD: no longer disseminated in full-disk service.
inline constexpr Channels<6> kRetiredMpef{34, 35, 41, 55, 76, 83};
// Base of every foreign-satellite cycle: GOES-W, GOES-E, MTSAT VIS/IR/WV, GOES mid-IR.
inline constexpr Channels<11> kFsdBase{18, 19, 20, 21, 22, 23, 24, 25, 26, 56, 57};

inline constexpr ChannelNumber kAmv = 30;
inline constexpr ChannelNumber kCrm = 37;
inline constexpr ChannelNumber kCth = 38;
inline constexpr ChannelNumber kToz = 42;
inline constexpr ChannelNumber kMpe = 53;
inline constexpr ChannelNumber kCsr = 59;
inline constexpr ChannelNumber kRii = 66;
inline constexpr ChannelNumber kOcae = 86;
inline constexpr ChannelNumber kMtsatMidIr = 58;
inline constexpr ChannelNumber kMtsatIr12 = 84;

template <std::size_t N>
constexpr bool Contains(const Channels<N>& channels, ChannelNumber n) {
    for (ChannelNumber c : channels) {
        if (c == n) return true;
    }
    return false;
}
template <std::size_t N>
constexpr bool Contains(const std::array<ChannelRange, N>& ranges, ChannelNumber n) {
    for (const ChannelRange& range : ranges) {
        if (range.Contains(n)) return true;
    }
    return false;
}

template <std::size_t N>
ChannelSet SetOf(const Channels<N>& channels) {
    ChannelSet set;
    for (ChannelNumber n : channels) set.Add(n);
    return set;
}
inline ChannelSet SetOf(ChannelRange range) { return ChannelSet::Range(range.first, range.last); }
template <std::size_t N>
ChannelSet SetOf(const std::array<ChannelRange, N>& ranges) {
    ChannelSet set;
    for (const ChannelRange& range : ranges) set.Add(SetOf(range));
    return set;
}

// ---- Segments: how many come is the catalogue's; these are the exceptions ----------------

// Rapid scan covers only the northern part of the disc: the low segments never come.
inline constexpr int kRapidScanFirstSegment = 6;      // channels 1..11
inline constexpr int kRapidScanFirstHrvSegment = 16;  // channel 12
// With the GOES-12 bypass the GOES-E water-vapour image is checked for segments 1..4 only.
inline constexpr ChannelNumber kGoesEastWv = 23;
inline constexpr int kGoesEastWvBypassSegments = 4;
// Rapid-scan products come in one segment, but these (until kSingleSegmentProductsFrom).
struct ProductSegments {
    ChannelNumber channel;
    int segments;
};
inline constexpr std::array<ProductSegments, 2> kRapidScanProductSegments{{{kMpe, 4}, {kCsr, 3}}};

constexpr int RapidScanProductSegments(ChannelNumber n) {
    for (const ProductSegments& row : kRapidScanProductSegments) {
        if (row.channel == n) return row.segments;
    }
    return 1;
}

// ---- Satellite names in channel labels: each holds on and after its day -----------------

inline constexpr Day kFy2gNamedFrom = Date(2009, 12, 2);
inline constexpr Day kGoes13NamedFrom = Date(2010, 4, 15);
// MTSAT-2 took over from MTSAT-1R during 1 July 2010: reports of that whole day still name
// MTSAT-1R.
inline constexpr Day kMtsat2NamedFrom = Date(2010, 7, 2);
inline constexpr Day kGoes15NamedFrom = Date(2011, 12, 7);
inline constexpr Day kFy2eNamedFrom = Date(2015, 7, 1);

// ---- Day changeovers: each holds on and after its day ------------------------------------

inline constexpr Day kMtsatMidIrFrom = Date(2008, 3, 4);
inline constexpr Day kMtsatIr12From = Date(2012, 1, 25);
inline constexpr Day kMtsatGoneFrom = Date(2015, 12, 4);
inline constexpr Day kGoesEastGoneFrom = Date(2017, 12, 14);
inline constexpr Day kGoesWestGoneFrom = Date(2019, 1, 1);
inline constexpr Day kMpeMarkerEndsFrom = Date(2019, 7, 10);
inline constexpr Day kRetiredMpefFrom = Date(2020, 10, 21);
inline constexpr Day kCsrRetiredFrom = Date(2022, 10, 5);
inline constexpr Day kSingleSegmentProductsFrom = Date(2022, 10, 20);
// New MPEF line-up: RII and FIR list leave the quarter-hourly set, MPE obeys its option.
inline constexpr Day kMpefLineup2011From = Date(2011, 3, 24);
inline constexpr Day kCthQuarterHourlyFrom = Date(2011, 6, 16);

// The rapid-scan file names in process.log moved from the first to the second satellite.
inline constexpr Day kMsg2RapidScanFrom = Date(2018, 1, 1);

// Start of MPEF products in the rapid-scan and IODC services.
inline constexpr Day kRapidScanMpefFrom = Date(2008, 7, 29);
inline constexpr Day kIodcMpefFrom = Date(2016, 10, 21);

// ---- Slot-time changeovers: compared with the slot, not the day --------------------------

inline constexpr auto kTozEndsAt = DateTime(2021, 6, 30, 0, 0);
inline constexpr auto kCthHourlyAt = DateTime(2010, 6, 8, 8, 40);

// ---- MPEF product line-ups --------------------------------------------------------------

inline constexpr Channels<1> kHourlyProducts{kOcae};
inline constexpr Channels<1> kHalfPastProducts{kAmv};
inline constexpr Channels<3> kQuarterToProducts{kToz, 55, 65};  // TOZ, DIV, ASR
inline constexpr Channels<3> kThreeHourlyProducts{34, 35, 41};
inline constexpr Channels<5> kQuarterHourlyBefore2011{36, 39, 52, 53, 54};
inline constexpr Channels<4> kQuarterHourlyFrom2011{36, 39, 52, 53};
inline constexpr Channels<4> kRapidScanBefore2011{39, 52, 53, 54};
inline constexpr Channels<3> kRapidScanFrom2011{52, 53, kRii};

// ---- Cadences: the minutes of the day at which something is due -------------------------

// The minutes m with m % step == offset.
struct Cadence {
    int step;
    int offset;
    constexpr bool At(int minute) const { return minute % step == offset; }
    constexpr int First() const { return offset; }
    constexpr int Last() const { return 24 * 60 - step + offset; }
};

// The MSG repeat cycle: every 5 minutes in rapid scan, every 15 in prime and IODC.
inline constexpr int kRapidScanCycleMinutes = 5;
inline constexpr int kFullDiskCycleMinutes = 15;
// LRIT comes at minutes 15 and 45 of every hour.
inline constexpr Cadence kLritCycles{30, 15};

// Full disk: the foreign-satellite sets, and the MPEF sets besides the quarter-hourly one
// (due at every cycle).
inline constexpr Cadence kHourlyFsdAt{60, 0};
inline constexpr Cadence kHalfHourlyFsdAt{60, 30};  // FY-2E, sent at half past the hour
inline constexpr Cadence kThreeHourlyFsdAt{180, 0};
inline constexpr Cadence kHourlyProductsAt{60, 0};
inline constexpr Cadence kQuarterToProductsAt{60, 45};
inline constexpr Cadence kHalfPastProductsAt{60, 30};
inline constexpr Cadence kThreeHourlyProductsAt{180, 165};  // 02:45, 05:45, ...
// Rapid scan: its product set at every cycle, and these.
inline constexpr Cadence kRapidScanQuarterHourlyAt{15, 0};
inline constexpr Cadence kRapidScanAmvAt{20, 10};

// CRM comes once a day with the cycle that starts at local-service noon.
inline constexpr int kNoonCycle = 720;
inline constexpr int kIodcNoonCycle = 540;

// Himawari images every 10 minutes while bands B01 and B02 are sent, else every 30.
inline constexpr Cadence kHimawariWithB01At{10, 0};
inline constexpr Cadence kHimawariAt{30, 0};
// Himawari takes no full-disk image at 02:40 and 14:40 UTC (its twice-daily housekeeping),
// so none is expected then.
inline constexpr std::array<int, 2> kHimawariHousekeepingMinutes{160, 880};

// A satellite whose absence all day the products list says in one line: its name, the
// cycles the line names, and the step at which the day's records are searched for it.
struct DayLongLine {
    const char* name;
    Cadence cycles;
    int searchStep;
};
inline constexpr DayLongLine kFy2gDayLong{"FY-2G", kHourlyFsdAt, 60};
// FY-2E is sent at half past the hour, so it is searched for at every half hour.
inline constexpr DayLongLine kFy2eDayLong{"FY-2E", kHalfHourlyFsdAt, 30};
inline constexpr DayLongLine kHimawariDayLong{"Himawari", kHimawariAt, 30};

// ---- Himawari bands by era: the last row whose day has come applies ----------------------

struct HimawariEra {
    Day from;
    ChannelNumber lastBand;  // bands 93..lastBand
    bool withB01B02;         // channels 123 and 124
};
inline constexpr std::array<HimawariEra, 4> kHimawariEras{{
    {Day::min(), 104, true},
    {Date(2016, 8, 4), 105, false},
    {Date(2017, 3, 13), 106, false},
    {Date(2018, 10, 1), 106, true},
}};
inline constexpr ChannelNumber kFirstHimawariBand = 93;
inline constexpr Channels<2> kHimawariB01B02{123, 124};

// ---- Night windows -------------------------------------------------------------------------

// Foreign visible channels send nothing useful during their local night: at the whole hours
// first..last (minutes of the day) their cycles are not reported. Of a channel's rows, the
// last whose day has come applies.
struct NightWindow {
    ChannelNumber channel;
    Day from;
    int first;
    int last;
};
inline constexpr std::array<NightWindow, 4> kNightWindows{{
    {18, Day::min(), 360, 720},   // GOES-W visible
    {21, Day::min(), 180, 540},   // GOES-E visible
    {24, Day::min(), 600, 1140},  // MTSAT visible, dark for longer at first
    {24, Date(2011, 6, 29), 780, 1020},
}};

// ---- Eclipse seasons ----------------------------------------------------------------------

// Month and day, both ends included, taken in the report day's year.
struct MonthDayRange {
    std::chrono::month_day first;
    std::chrono::month_day last;
};
constexpr std::chrono::month_day MD(unsigned month, unsigned day) {
    return std::chrono::month{month} / std::chrono::day{day};
}

enum class FsdGroup { GoesEast, GoesWest, Mtsat, Fy2g, Fy2e };
enum FsdSetMask : unsigned { kHourlyFsd = 1, kHalfHourlyFsd = 2, kThreeHourlyFsd = 4 };

inline constexpr int kNoMinute = -1;

// At each listed minute, while the report day lies in a window, the group's night-time
// images are not sent and the group leaves the listed sets.
struct EclipseRule {
    std::array<int, 4> minutes;  // padded with kNoMinute
    FsdGroup group;
    unsigned sets;
    MonthDayRange spring;
    std::optional<MonthDayRange> autumn;
};

inline constexpr std::array<EclipseRule, 7> kEclipseRules{{
    {{300, kNoMinute, kNoMinute, kNoMinute},
     FsdGroup::GoesEast,
     kHourlyFsd,
     {MD(2, 24), MD(4, 15)},
     MonthDayRange{MD(8, 27), MD(9, 1)}},
    {{360, kNoMinute, kNoMinute, kNoMinute},
     FsdGroup::GoesEast,
     kHourlyFsd | kThreeHourlyFsd,
     {MD(2, 24), MD(4, 15)},
     std::nullopt},
    {{480, kNoMinute, kNoMinute, kNoMinute},
     FsdGroup::GoesWest,
     kHourlyFsd | kThreeHourlyFsd,
     {MD(2, 10), MD(4, 27)},
     std::nullopt},
    {{540, kNoMinute, kNoMinute, kNoMinute},
     FsdGroup::GoesWest,
     kHourlyFsd | kThreeHourlyFsd,
     {MD(2, 10), MD(4, 27)},
     MonthDayRange{MD(8, 25), MD(10, 10)}},
    {{900, kNoMinute, kNoMinute, kNoMinute},
     FsdGroup::Mtsat,
     kHourlyFsd | kThreeHourlyFsd,
     {MD(2, 14), MD(4, 26)},
     MonthDayRange{MD(8, 21), MD(10, 12)}},
    {{960, 1020, 1080, 1140},
     FsdGroup::Fy2g,
     kHourlyFsd | kThreeHourlyFsd,
     {MD(2, 20), MD(4, 10)},
     MonthDayRange{MD(8, 18), MD(10, 25)}},
    {{1050, 1110, kNoMinute, kNoMinute},
     FsdGroup::Fy2e,
     kHalfHourlyFsd,
     {MD(2, 13), MD(4, 14)},
     MonthDayRange{MD(8, 18), MD(10, 19)}},
}};

}  // namespace gapscope::calendar
