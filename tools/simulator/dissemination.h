#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/channel_set.h"
#include "history/scan_mode.h"
#include "history/time_keys.h"
#include "report/calendar.h"
#include "report/repeat_cycle.h"

namespace gapscope::sim {

// What a simulated station receives besides the MSG imagery of its service. By default it
// receives everything a report can be asked to expect, so that any option can be enabled.
struct Feeds {
    bool lrit = true;      // LRIT channels 13..17 (prime service)
    bool fsd = true;       // foreign-satellite data as a whole (prime service)
    bool fy2g = true;      // FY-2G channels 67..72
    bool fy2e = true;      // FY-2E channels 77..82
    bool himawari = true;  // Himawari bands
    bool mpef = true;      // MPEF products
    bool messages = true;  // DCP and MDD message files (FileHistory.log)
    friend bool operator==(const Feeds&, const Feeds&) = default;
};

// Foreign-satellite groups, the unit of an outage.
enum class FsdGroup { GoesWest, GoesEast, Mtsat, Fy2g, Fy2e, Himawari };
inline constexpr int kFsdGroupCount = 6;
ChannelSet FsdGroupChannels(FsdGroup group);
std::string_view FsdGroupName(FsdGroup group);
std::optional<FsdGroup> FsdGroupFromName(std::string_view name);

// Where an item of a minute record comes from; faults pick their victims by it.
enum class ItemSource { Hrit, Lrit, Fsd, Himawari, Mpef };

// One channel item: the segments firstSegment..segmentCount were sent (bit k-1 = segment k).
struct SlotItem {
    ChannelNumber channel = 0;
    ItemSource source = ItemSource::Hrit;
    int firstSegment = 1;
    int segmentCount = 1;
    std::uint32_t mask = 0;
};

// Everything keyed at one minute (the nominal slot time of what it holds).
struct SlotContent {
    bool cycle = false;        // a repeat cycle starts at this minute
    std::uint32_t prolog = 0;  // 0: no prolog entry; bit 0 HRIT, bit 1 LRIT
    std::uint32_t epilog = 0;
    std::vector<SlotItem> items;  // rising channel order

    bool Empty() const { return prolog == 0 && epilog == 0 && items.empty(); }
    const SlotItem* Find(ChannelNumber n) const;
    SlotItem* Find(ChannelNumber n);
    bool Remove(ChannelNumber n);
    void Clear();
};

// The mask of segments first..count.
std::uint32_t SegmentMask(int firstSegment, int segmentCount);

// What the dissemination of one service delivers on one day, minute by minute, following
// the expected-products calendar so that a fault-free station reports nothing missing.
class DayPlan {
  public:
    DayPlan(Day day, ScanMode service, const Feeds& feeds);

    Day day() const { return day_; }
    ScanMode service() const { return service_; }
    int CycleStep() const { return RepeatCycleMinutes(service_); }
    bool IsCycle(int minute) const { return minute % CycleStep() == 0; }
    // Whether MPEF products are disseminated in this service on the day.
    bool MpefActive() const { return mpefActive_; }

    // The nominal content of the minute (0..1439); `out` is overwritten.
    void NominalSlot(int minute, SlotContent& out) const;

  private:
    void AddMsg(int minute, SlotContent& out) const;
    void AddForeign(int minute, SlotContent& out) const;
    void AddProducts(int minute, SlotContent& out) const;
    void AddItem(SlotContent& out, ChannelNumber n, ItemSource source, int first, int count) const;
    int ProductSegments(ChannelNumber n) const;

    Day day_;
    ScanMode service_;
    Feeds feeds_;
    DayRules rules_;
    ReportRunState run_;  // day part of the run state the calendar reads
    ChannelSet himawari_;
    bool mpefActive_ = false;
    ReportOptions options_;
    StartupState startup_;
};

}  // namespace gapscope::sim
