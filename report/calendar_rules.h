#pragma once

// Every date, window and channel group the expected-products calendar depends on.
// A new changeover at the station is one row here; calendar.cpp holds only the logic.

#include <array>
#include <chrono>
#include <optional>

#include "catalogue/channel_set.h"
#include "history/time_keys.h"

namespace gapscope::calendar {

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

inline constexpr Channels<4> kGoesWest{18, 19, 20, 56};
inline constexpr Channels<4> kGoesEast{21, 22, 23, 57};
inline constexpr Channels<5> kMtsat{24, 25, 26, 58, 84};
inline constexpr Channels<3> kMidIr{56, 57, 58};
inline constexpr Channels<6> kFy2g{67, 68, 69, 70, 71, 72};
inline constexpr Channels<6> kFy2e{77, 78, 79, 80, 81, 82};
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
ChannelSet SetOf(const Channels<N>& channels) {
    ChannelSet set;
    for (ChannelNumber n : channels) set.Add(n);
    return set;
}

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

// Start of MPEF products in the rapid-scan and IODC services.
inline constexpr Day kRapidScanMpefFrom = Date(2008, 7, 29);
inline constexpr Day kIodcMpefFrom = Date(2016, 10, 21);

// ---- Slot-time changeovers: compared with the slot, not the day --------------------------

inline constexpr auto kTozEndsAt = DateTime(2021, 6, 30, 0, 0);
inline constexpr auto kCthHourlyAt = DateTime(2010, 6, 8, 8, 40);

// ---- MPEF product line-ups --------------------------------------------------------------

inline constexpr Channels<1> kHourlyProducts{kOcae};            // minute 0
inline constexpr Channels<1> kHalfPastProducts{kAmv};           // minute 30
inline constexpr Channels<3> kQuarterToProducts{kToz, 55, 65};  // minute 45: TOZ, DIV, ASR
inline constexpr Channels<3> kThreeHourlyProducts{34, 35, 41};  // 02:45, 05:45, ...
inline constexpr Channels<5> kQuarterHourlyBefore2011{36, 39, 52, 53, 54};
inline constexpr Channels<4> kQuarterHourlyFrom2011{36, 39, 52, 53};
inline constexpr Channels<4> kRapidScanBefore2011{39, 52, 53, 54};
inline constexpr Channels<3> kRapidScanFrom2011{52, 53, kRii};

// ---- Cycles -------------------------------------------------------------------------------

// CRM comes once a day with the cycle that starts at local-service noon.
inline constexpr int kNoonCycle = 720;
inline constexpr int kIodcNoonCycle = 540;

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
