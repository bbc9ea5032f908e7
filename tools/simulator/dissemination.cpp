#include "tools/simulator/dissemination.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "catalogue/calendar_rules.h"
#include "catalogue/catalogue.h"
#include "history/items.h"
#include "history/segment_scan.h"

namespace gapscope::sim {

namespace {

using std::chrono::minutes;
namespace cal = calendar;

struct GroupRow {
    FsdGroup group;
    std::string_view name;
};
constexpr std::array<GroupRow, kFsdGroupCount> kGroups = {{
    {FsdGroup::GoesWest, "goes-w"},
    {FsdGroup::GoesEast, "goes-e"},
    {FsdGroup::Mtsat, "mtsat"},
    {FsdGroup::Fy2g, "fy2g"},
    {FsdGroup::Fy2e, "fy2e"},
    {FsdGroup::Himawari, "himawari"},
}};

}  // namespace

ChannelSet FsdGroupChannels(FsdGroup group) {
    switch (group) {
        case FsdGroup::GoesWest:
            return cal::SetOf(cal::kGoesWest);
        case FsdGroup::GoesEast:
            return cal::SetOf(cal::kGoesEast);
        case FsdGroup::Mtsat:
            return cal::SetOf(cal::kMtsat);
        case FsdGroup::Fy2g:
            return cal::SetOf(cal::kFy2g);
        case FsdGroup::Fy2e:
            return cal::SetOf(cal::kFy2e);
        case FsdGroup::Himawari:
            return cal::SetOf(cal::kHimawariBands);
    }
    return {};
}

std::string_view FsdGroupName(FsdGroup group) {
    for (const GroupRow& row : kGroups) {
        if (row.group == group) return row.name;
    }
    return {};
}

std::optional<FsdGroup> FsdGroupFromName(std::string_view name) {
    for (const GroupRow& row : kGroups) {
        if (EqualsIgnoreCase(row.name, name)) return row.group;
    }
    return std::nullopt;
}

const SlotItem* SlotContent::Find(ChannelNumber n) const {
    for (const SlotItem& item : items) {
        if (item.channel == n) return &item;
    }
    return nullptr;
}

SlotItem* SlotContent::Find(ChannelNumber n) {
    for (SlotItem& item : items) {
        if (item.channel == n) return &item;
    }
    return nullptr;
}

bool SlotContent::Remove(ChannelNumber n) {
    const auto it = std::find_if(items.begin(), items.end(),
                                 [n](const SlotItem& item) { return item.channel == n; });
    if (it == items.end()) return false;
    items.erase(it);
    return true;
}

void SlotContent::Clear() {
    cycle = false;
    prolog = 0;
    epilog = 0;
    items.clear();
}

std::uint32_t SegmentMask(int firstSegment, int segmentCount) {
    std::uint32_t mask = 0;
    for (int k = std::max(firstSegment, 1); k <= std::min(segmentCount, 32); ++k) {
        mask |= std::uint32_t{1} << (k - 1);
    }
    return mask;
}

DayPlan::DayPlan(Day day, ScanMode service, const Feeds& feeds)
    : day_(day), service_(service), feeds_(feeds), rules_(ComputeDayRules(day, service)) {
    run_.reportDay = day;
    run_.reportableChannels = ReportableChannels(day, service);
    run_.csrInService = rules_.csrInService;
    run_.singleSegmentProducts = rules_.singleSegmentProducts;

    himawari_ = HimawariChannelsForDay(day);

    switch (service) {
        case ScanMode::Prime:
            mpefActive_ = feeds.mpef;
            break;
        case ScanMode::RapidScan:
            mpefActive_ = feeds.mpef && RapidScanMpefInService(day);
            break;
        case ScanMode::Iodc:
            mpefActive_ = feeds.mpef && IodcMpefInService(day);
            break;
    }

    // A station that receives everything: every feed a report option can ask about is on.
    options_.includeFsd = true;
    options_.includeGoesMir = true;
    options_.hourlyFy2g = true;
    options_.hourlyFy2e = true;
    options_.himawari30min = true;
    options_.includeMpef = true;
    options_.includeMpe = true;
    options_.includeRii = true;
    options_.includeLrit = true;
    options_.goes12Bypass = false;
    options_.decontaminating = false;
    startup_.Mode = service;
    startup_.Fy2cSeen = true;
}

void DayPlan::NominalSlot(int minute, SlotContent& out) const {
    out.Clear();
    out.cycle = IsCycle(minute);
    if (out.cycle) AddMsg(minute, out);
    if (service_ == ScanMode::Prime) AddForeign(minute, out);
    if (out.cycle && mpefActive_) AddProducts(minute, out);
    std::sort(out.items.begin(), out.items.end(),
              [](const SlotItem& a, const SlotItem& b) { return a.channel < b.channel; });
}

void DayPlan::AddItem(SlotContent& out, ChannelNumber n, ItemSource source, int first,
                      int count) const {
    out.items.push_back({n, source, first, count, SegmentMask(first, count)});
}

void DayPlan::AddMsg(int minute, SlotContent& out) const {
    out.prolog = 1;
    out.epilog = 1;
    // Rapid scan covers the northern part of the disk only.
    for (ChannelNumber n = cal::kHrit.first; n <= cal::kHrit.last; ++n) {
        AddItem(out, n, ItemSource::Hrit, FirstSegmentSent(n, service_), ChannelSegments(n));
    }
    if (service_ == ScanMode::Prime && feeds_.lrit && cal::kLritCycles.At(minute)) {
        out.prolog |= 2;
        out.epilog |= 2;
        for (ChannelNumber n = cal::kLrit.first; n <= cal::kLrit.last; ++n) {
            AddItem(out, n, ItemSource::Lrit, 1, ChannelSegments(n));
        }
    }
}

void DayPlan::AddForeign(int minute, SlotContent& out) const {
    if (!feeds_.fsd) return;

    if (feeds_.himawari && HimawariImageDue(himawari_, minute)) {
        for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
            if (himawari_.Contains(n)) AddItem(out, n, ItemSource::Himawari, 1, ChannelSegments(n));
        }
    }

    if (minute % 30 != 0) return;
    DayLongChannels dayLong;
    dayLong.fy2gChannels = FsdGroupChannels(FsdGroup::Fy2g);
    dayLong.fy2eChannels = FsdGroupChannels(FsdGroup::Fy2e);
    dayLong.fy2gAbsent = false;
    dayLong.fy2eAbsent = false;

    // Sent at the union of both cadences, so the station suits either "Hourly FSD" setting.
    ReportOptions threeHourly = options_;
    threeHourly.hourlyFsd = false;
    ReportOptions hourly = options_;
    hourly.hourlyFsd = true;
    const FsdSets a = BuildFsdSets(day_, minute, hourly, startup_, rules_, dayLong);
    const FsdSets b = BuildFsdSets(day_, minute, threeHourly, startup_, rules_, dayLong);

    ChannelSet sent;
    for (const SetsDue& due : {FsdSetsDue(a, minute), FsdSetsDue(b, minute)}) {
        for (const ChannelSet& set : due) sent.Add(set);
    }
    if (!feeds_.fy2g) sent.Remove(FsdGroupChannels(FsdGroup::Fy2g));
    if (!feeds_.fy2e) sent.Remove(FsdGroupChannels(FsdGroup::Fy2e));

    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (sent.Contains(n)) AddItem(out, n, ItemSource::Fsd, 1, std::max(1, ChannelSegments(n)));
    }
}

void DayPlan::AddProducts(int minute, SlotContent& out) const {
    ReportRunState run = run_;
    if (service_ == ScanMode::RapidScan) {
        BuildRapidScanProducts(run, false);
    } else {
        ResetMinuteProducts(run, SlotTime(day_) + minutes(minute));
        BuildQuarterHourlyProducts(run, minute, options_, service_, false, rules_);
    }
    ChannelSet products;
    for (const ChannelSet& set : MpefSetsDue(run, minute, service_)) products.Add(set);
    // Retired products are no longer disseminated.
    products = products & run.reportableChannels;
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (products.Contains(n)) AddItem(out, n, ItemSource::Mpef, 1, ProductSegments(n));
    }
}

int DayPlan::ProductSegments(ChannelNumber n) const {
    if (rules_.singleSegmentProducts) return 1;
    if (service_ == ScanMode::RapidScan) return cal::RapidScanProductSegments(n);
    return std::max(1, ChannelSegments(n));
}

}  // namespace gapscope::sim
