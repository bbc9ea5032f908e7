#include "report/calendar.h"

#include <algorithm>

#include "catalogue/calendar_rules.h"

namespace gapscope {

namespace cal = calendar;

namespace {

bool InWindow(Day day, const cal::MonthDayRange& range) {
    const std::chrono::year year = std::chrono::year_month_day{day}.year();
    return day >= Day{year / range.first} && day <= Day{year / range.last};
}

bool InSeason(Day day, const cal::EclipseRule& rule) {
    return InWindow(day, rule.spring) || (rule.autumn && InWindow(day, *rule.autumn));
}

bool AtMinute(int minute, const cal::EclipseRule& rule) {
    for (int m : rule.minutes) {
        if (m == minute) return true;
    }
    return false;
}

ChannelSet GroupChannels(cal::FsdGroup group) {
    switch (group) {
        case cal::FsdGroup::GoesEast:
            return cal::SetOf(cal::kGoesEast);
        case cal::FsdGroup::GoesWest:
            return cal::SetOf(cal::kGoesWest);
        case cal::FsdGroup::Mtsat:
            return cal::SetOf(cal::kMtsat);
        case cal::FsdGroup::Fy2g:
            return cal::SetOf(cal::kFy2g);
        case cal::FsdGroup::Fy2e:
            return cal::SetOf(cal::kFy2e);
    }
    return {};
}

void RemoveFromAll(FsdSets& sets, const ChannelSet& channels) {
    sets.hourly.Remove(channels);
    sets.halfHourly.Remove(channels);
    sets.threeHourly.Remove(channels);
}

}  // namespace

DayRules ComputeDayRules(Day reportDay, ScanMode mode) {
    DayRules rules;
    rules.goesEastGone = reportDay >= cal::kGoesEastGoneFrom;
    rules.goesWestGone = reportDay >= cal::kGoesWestGoneFrom;
    rules.mpeMarkerEra = reportDay < cal::kMpeMarkerEndsFrom;
    rules.csrInService = reportDay < cal::kCsrRetiredFrom;
    rules.singleSegmentProducts = reportDay >= cal::kSingleSegmentProductsFrom;
    rules.noonCycle = mode == ScanMode::Iodc ? cal::kIodcNoonCycle : cal::kNoonCycle;
    return rules;
}

ChannelSet ReportableChannels(Day reportDay, ScanMode mode) {
    ChannelSet channels = ChannelSet::Range(kFirstChannel, kLastChannel);
    // Rapid scan kept these products after full-disk service dropped them.
    if (mode != ScanMode::RapidScan && reportDay >= cal::kRetiredMpefFrom) {
        channels.Remove(cal::SetOf(cal::kRetiredMpef));
    }
    return channels;
}

ChannelSet HimawariChannelsForDay(Day reportDay) {
    const cal::HimawariEra* era = &cal::kHimawariEras.front();
    for (const cal::HimawariEra& candidate : cal::kHimawariEras) {
        if (reportDay >= candidate.from) era = &candidate;
    }
    ChannelSet channels = ChannelSet::Range(cal::kFirstHimawariBand, era->lastBand);
    if (era->withB01B02) channels.Add(cal::SetOf(cal::kHimawariB01B02));
    return channels;
}

void ResetMinuteProducts(ReportRunState& run, SlotTime slot) {
    run.hourlyProducts = cal::SetOf(cal::kHourlyProducts);
    run.halfPastProducts = cal::SetOf(cal::kHalfPastProducts);
    run.quarterToProducts = cal::SetOf(cal::kQuarterToProducts);
    if (slot >= cal::kTozEndsAt) run.quarterToProducts.Remove(cal::kToz);
    run.threeHourlyProducts = cal::SetOf(cal::kThreeHourlyProducts);
    if (slot < cal::kCthHourlyAt) {
        run.threeHourlyProducts.Add(cal::kCth);
    } else {
        run.quarterToProducts.Add(cal::kCth);
    }
}

FsdSets BuildFsdSets(Day reportDay, int minute, const ReportOptions& options,
                     const StartupState& startup, const DayRules& rules,
                     const DayLongChannels& dayLong) {
    FsdSets sets;
    sets.hourly = cal::SetOf(cal::kFsdBase);
    // FY-2 data is only looked for per cycle on stations that have ever received it.
    if (startup.Fy2cSeen) {
        sets.hourly.Add(dayLong.fy2gChannels);
        sets.halfHourly.Add(dayLong.fy2eChannels);
    }
    if (reportDay >= cal::kMtsatMidIrFrom) sets.hourly.Add(cal::kMtsatMidIr);
    if (reportDay >= cal::kMtsatIr12From) sets.hourly.Add(cal::kMtsatIr12);
    if (reportDay >= cal::kMtsatGoneFrom) sets.hourly.Remove(cal::SetOf(cal::kMtsat));
    sets.threeHourly = sets.hourly;

    for (const cal::EclipseRule& rule : cal::kEclipseRules) {
        if (!AtMinute(minute, rule) || !InSeason(reportDay, rule)) continue;
        const ChannelSet group = GroupChannels(rule.group);
        if (rule.sets & cal::kHourlyFsd) sets.hourly.Remove(group);
        if (rule.sets & cal::kHalfHourlyFsd) sets.halfHourly.Remove(group);
        if (rule.sets & cal::kThreeHourlyFsd) sets.threeHourly.Remove(group);
    }

    if (options.hourlyFsd) {
        sets.threeHourly = {};
    } else {
        sets.hourly = {};
    }
    if (startup.ParallelMode() || startup.IsIodc() || startup.HimawariMode() || !options.includeFsd) {
        sets = {};
    }
    if (!options.includeGoesMir) {
        sets.hourly.Remove(cal::SetOf(cal::kMidIr));
        sets.threeHourly.Remove(cal::SetOf(cal::kMidIr));
    }
    // With the bypass GOES-E comes from the GOES-W feed and only three-hourly.
    if (options.goes12Bypass) sets.hourly.Remove(cal::SetOf(cal::kGoesEast));
    if (dayLong.fy2gAbsent) {
        sets.hourly.Remove(dayLong.fy2gChannels);
        sets.threeHourly.Remove(dayLong.fy2gChannels);
    }
    if (dayLong.fy2eAbsent) sets.halfHourly.Remove(dayLong.fy2eChannels);
    if (rules.goesEastGone) RemoveFromAll(sets, cal::SetOf(cal::kGoesEast));
    if (rules.goesWestGone) RemoveFromAll(sets, cal::SetOf(cal::kGoesWest));
    return sets;
}

void BuildQuarterHourlyProducts(ReportRunState& run, int minute, const ReportOptions& options,
                                ScanMode mode, bool noMpe, const DayRules& rules) {
    const Day day = run.reportDay;
    ChannelSet& products = run.quarterHourlyProducts;
    if (day < cal::kMpefLineup2011From) {
        products = cal::SetOf(cal::kQuarterHourlyBefore2011);
        if (options.includeRii) products.Add(cal::kRii);
    } else {
        products = cal::SetOf(cal::kQuarterHourlyFrom2011);
        if (!options.includeMpe) products.Remove(cal::kMpe);
        // The IODC service always carries MPE, whatever the station chose for full disk.
        if (mode == ScanMode::Iodc) {
            products.Add(cal::kMpe);
        } else if (noMpe) {
            products.Remove(cal::kMpe);
        }
        if (day >= cal::kCthQuarterHourlyFrom) {
            products.Add(cal::kCth);
            run.quarterToProducts.Remove(cal::kCth);
        }
    }
    if (minute == rules.noonCycle) products.Add(cal::kCrm);
}

void BuildRapidScanProducts(ReportRunState& run, bool noMpe) {
    run.rapidScanProducts = run.reportDay < cal::kMpefLineup2011From
                                ? cal::SetOf(cal::kRapidScanBefore2011)
                                : cal::SetOf(cal::kRapidScanFrom2011);
    if (noMpe) run.rapidScanProducts.Remove(cal::kMpe);
    run.quarterHourlyProducts = run.csrInService ? ChannelSet{cal::kCsr} : ChannelSet{};
    run.rapidScanAmvProducts = ChannelSet{cal::kAmv};
}

SetsDue FsdSetsDue(const FsdSets& fsd, int minute) {
    SetsDue due;
    if (cal::kHourlyFsdAt.At(minute)) due.Add(fsd.hourly);
    if (cal::kHalfHourlyFsdAt.At(minute)) due.Add(fsd.halfHourly);
    if (cal::kThreeHourlyFsdAt.At(minute)) due.Add(fsd.threeHourly);
    return due;
}

SetsDue MpefSetsDue(const ReportRunState& run, int minute, ScanMode mode) {
    SetsDue due;
    if (mode == ScanMode::RapidScan) {
        due.Add(run.rapidScanProducts);
        if (cal::kRapidScanQuarterHourlyAt.At(minute)) due.Add(run.quarterHourlyProducts);
        if (cal::kRapidScanAmvAt.At(minute)) due.Add(run.rapidScanAmvProducts);
        return due;
    }
    due.Add(run.quarterHourlyProducts);
    if (cal::kHourlyProductsAt.At(minute)) due.Add(run.hourlyProducts);
    if (cal::kQuarterToProductsAt.At(minute)) due.Add(run.quarterToProducts);
    if (cal::kHalfPastProductsAt.At(minute)) due.Add(run.halfPastProducts);
    if (cal::kThreeHourlyProductsAt.At(minute)) due.Add(run.threeHourlyProducts);
    return due;
}

bool HimawariImageDue(const ChannelSet& bands, int minute) {
    const bool withB01 = bands.Contains(cal::kHimawariB01B02.front());
    const cal::Cadence cadence = withB01 ? cal::kHimawariWithB01At : cal::kHimawariAt;
    const auto& housekeeping = cal::kHimawariHousekeepingMinutes;
    return cadence.At(minute) &&
           std::find(housekeeping.begin(), housekeeping.end(), minute) == housekeeping.end();
}

bool RapidScanMpefInService(Day reportDay) { return reportDay >= cal::kRapidScanMpefFrom; }

bool IodcMpefInService(Day reportDay) { return reportDay >= cal::kIodcMpefFrom; }

}  // namespace gapscope
