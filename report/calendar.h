#pragma once

#include <array>
#include <chrono>
#include <cstddef>

#include "catalogue/channel_set.h"
#include "history/time_keys.h"
#include "report/report_options.h"
#include "report/run_state.h"
#include "startup/startup_state.h"

namespace gapscope {

using SlotTime = std::chrono::sys_time<std::chrono::minutes>;

// Flags that hold for the whole report day.
struct DayRules {
    bool goesEastGone = false;
    bool goesWestGone = false;
    bool mpeMarkerEra = false;
    bool csrInService = false;
    bool singleSegmentProducts = false;
    int noonCycle = 720;
};
DayRules ComputeDayRules(Day reportDay, ScanMode mode);

// Channels the segment scan may report at all on the day.
ChannelSet ReportableChannels(Day reportDay, ScanMode mode);

// Himawari bands disseminated on the day.
ChannelSet HimawariChannelsForDay(Day reportDay);

// Per-minute product sets (hourly, half-past, quarter-to, three-hourly) for the slot.
void ResetMinuteProducts(ReportRunState& run, SlotTime slot);

// The day-long facts the foreign-satellite sets depend on (from the day-long checks).
struct DayLongChannels {
    ChannelSet fy2gChannels;
    ChannelSet fy2eChannels;
    bool fy2gAbsent = true;
    bool fy2eAbsent = false;
};

struct FsdSets {
    ChannelSet hourly;
    ChannelSet halfHourly;
    ChannelSet threeHourly;
};
FsdSets BuildFsdSets(Day reportDay, int minute, const ReportOptions& options,
                     const StartupState& startup, const DayRules& rules,
                     const DayLongChannels& dayLong);

// Quarter-hourly MPEF products in prime and IODC modes (writes run.quarterHourlyProducts
// and may take CTH out of run.quarterToProducts).
void BuildQuarterHourlyProducts(ReportRunState& run, int minute, const ReportOptions& options,
                                ScanMode mode, bool noMpe, const DayRules& rules);

// Rapid-scan MPEF products (rapidScanProducts, quarterHourlyProducts, rapidScanAmvProducts).
void BuildRapidScanProducts(ReportRunState& run, bool noMpe);

// The channel sets due at one cycle, in the order they are scanned.
struct SetsDue {
    std::array<ChannelSet, 5> sets;
    std::size_t count = 0;
    void Add(const ChannelSet& set) { sets[count++] = set; }
    const ChannelSet* begin() const { return sets.data(); }
    const ChannelSet* end() const { return sets.data() + count; }
};
// The foreign-satellite sets due at the minute (hourly, half past, three-hourly).
SetsDue FsdSetsDue(const FsdSets& fsd, int minute);
// The MPEF sets of `run` due at the minute: in rapid scan its set at every cycle, the
// quarter-hourly and the AMV set; in full disk the quarter-hourly set at every cycle, the
// hourly, quarter-to, half-past and three-hourly sets.
SetsDue MpefSetsDue(const ReportRunState& run, int minute, ScanMode mode);

// Whether Himawari images of the bands are due at the minute.
bool HimawariImageDue(const ChannelSet& bands, int minute);

}  // namespace gapscope

namespace gapscope {

// Rapid-scan MPEF products were disseminated from this day on; earlier rapid-scan days
// expect none.
bool RapidScanMpefInService(Day reportDay);
// IODC MPEF products were disseminated from this day on; earlier IODC reports say so
// instead of listing products.
bool IodcMpefInService(Day reportDay);

}  // namespace gapscope
