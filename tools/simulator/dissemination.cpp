#include "tools/simulator/dissemination.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "catalogue/catalogue.h"
#include "history/items.h"

namespace gapscope::sim {

namespace {

using std::chrono::minutes;

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

std::string_view ServiceName(ScanMode service) {
    switch (service) {
        case ScanMode::Prime:
            return "prime";
        case ScanMode::RapidScan:
            return "rapid-scan";
        case ScanMode::Iodc:
            return "IODC";
    }
    return "";
}

ChannelSet FsdGroupChannels(FsdGroup group) {
    switch (group) {
        case FsdGroup::GoesWest:
            return {18, 19, 20, 56};
        case FsdGroup::GoesEast:
            return {21, 22, 23, 57};
        case FsdGroup::Mtsat:
            return {24, 25, 26, 58, 84};
        case FsdGroup::Fy2g:
            return ChannelSet::Range(67, 72);
        case FsdGroup::Fy2e:
            return ChannelSet::Range(77, 82);
        case FsdGroup::Himawari:
            return ChannelSet::Range(93, 106) | ChannelSet{123, 124};
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
    himawariStep_ = himawari_.Contains(123) ? 10 : 30;

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
    // Rapid scan covers the northern part of the disk only: the top three segments of each
    // low-resolution channel and the top nine of HRV.
    const bool rapid = service_ == ScanMode::RapidScan;
    for (ChannelNumber n = 1; n <= 11; ++n) AddItem(out, n, ItemSource::Hrit, rapid ? 6 : 1, 8);
    AddItem(out, 12, ItemSource::Hrit, rapid ? 16 : 1, 24);

    const bool quarter = minute % 60 == 15 || minute % 60 == 45;
    if (service_ == ScanMode::Prime && feeds_.lrit && quarter) {
        out.prolog |= 2;
        out.epilog |= 2;
        for (ChannelNumber n = 13; n <= 17; ++n) AddItem(out, n, ItemSource::Lrit, 1, 8);
    }
}

void DayPlan::AddForeign(int minute, SlotContent& out) const {
    if (!feeds_.fsd) return;

    if (feeds_.himawari && minute % himawariStep_ == 0 && minute != 160 && minute != 880) {
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
    if (minute % 60 == 0) sent.Add(a.hourly | b.hourly);
    if ((minute + 30) % 60 == 0) sent.Add(a.halfHourly | b.halfHourly);
    if (minute % 180 == 0) sent.Add(a.threeHourly | b.threeHourly);
    if (!feeds_.fy2g) sent.Remove(FsdGroupChannels(FsdGroup::Fy2g));
    if (!feeds_.fy2e) sent.Remove(FsdGroupChannels(FsdGroup::Fy2e));

    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (sent.Contains(n)) AddItem(out, n, ItemSource::Fsd, 1, std::max(1, ChannelSegments(n)));
    }
}

void DayPlan::AddProducts(int minute, SlotContent& out) const {
    ReportRunState run = run_;
    ChannelSet products;
    if (service_ == ScanMode::RapidScan) {
        BuildRapidScanProducts(run, false);
        products = run.rapidScanProducts;
        if (minute % 15 == 0) products.Add(run.quarterHourlyProducts);
        if ((minute + 10) % 20 == 0) products.Add(run.rapidScanAmvProducts);
    } else {
        ResetMinuteProducts(run, SlotTime(day_) + minutes(minute));
        BuildQuarterHourlyProducts(run, minute, options_, service_, false, rules_);
        products = run.quarterHourlyProducts;
        if (minute % 60 == 0) products.Add(run.hourlyProducts);
        if ((minute + 15) % 60 == 0) products.Add(run.quarterToProducts);
        if ((minute + 30) % 60 == 0) products.Add(run.halfPastProducts);
        if ((minute + 15) % 180 == 0) products.Add(run.threeHourlyProducts);
    }
    // Retired products are no longer disseminated.
    products = products & run.reportableChannels;
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (products.Contains(n)) AddItem(out, n, ItemSource::Mpef, 1, ProductSegments(n));
    }
}

int DayPlan::ProductSegments(ChannelNumber n) const {
    if (rules_.singleSegmentProducts) return 1;
    if (service_ == ScanMode::RapidScan) {
        if (n == 53) return 4;
        if (n == 59) return 3;
        return 1;
    }
    return std::max(1, ChannelSegments(n));
}

}  // namespace gapscope::sim
