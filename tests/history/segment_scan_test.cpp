#include "history/segment_scan.h"

#include <gtest/gtest.h>

#include "history/items.h"
#include "history/mask.h"

namespace gapscope {
namespace {

using namespace std::chrono_literals;

using Lines = std::vector<std::string>;

ScanContext ContextOn(Day day) {
    ScanContext ctx;
    ctx.reportDay = day;
    ctx.checkPrologEpilog = false;
    ctx.reportableChannels = ChannelSet::Range(kFirstChannel, kLastChannel);
    return ctx;
}

struct Scan {
    ScanContext ctx = ContextOn(Day{2024y / 1 / 5});
    long expected = 0;
    long received = 0;

    Lines operator()(std::string_view record, const ChannelSet& channels, int minute = 0) {
        Lines lines;
        ScanMissingSegments(ctx, minute, record, channels, lines, expected, received);
        return lines;
    }
};

const ChannelSet kHrit = ChannelSet::Range(1, 12);
const ChannelSet kLrit = ChannelSet::Range(13, 17);

TEST(SplitMinuteRecord, ChannelsInOrderAndPrologEpilogInBothParts) {
    const SplitRecord split = SplitMinuteRecord("E=3,20=7F,P=1,1=FF,R2=FF,RP=1", ScanMode::Prime);
    EXPECT_EQ(split.msgPart, "1=FF,P=1,RP=1,E=3");
    EXPECT_EQ(split.otherPart, "20=7F,P=1,RP=1,E=3");

    // Keys of another service leave the MSG part empty unless a prolog or epilog is there.
    EXPECT_EQ(SplitMinuteRecord("R1=FF,R20=7F", ScanMode::Prime).msgPart, "");
    EXPECT_EQ(SplitMinuteRecord("r1=FF,R20=7F", ScanMode::RapidScan).msgPart, "R1=FF");
    EXPECT_EQ(SplitMinuteRecord("I9=FF", ScanMode::Iodc).otherPart, "");
    // The first item of a key counts, even when empty; "09" is not the key of channel 9.
    EXPECT_EQ(SplitMinuteRecord("9=,9=FF,09=FF,10=1,10=2,147=1", ScanMode::Prime).msgPart, "10=1");
    const SplitRecord empty = SplitMinuteRecord("", ScanMode::Prime);
    EXPECT_TRUE(empty.msgPart.empty() && empty.otherPart.empty());
}

TEST(SplitMinuteRecord, QuotesEntriesSoTheyReadBackUnchanged) {
    const SplitRecord split =
        SplitMinuteRecord(R"("9=F F","10=a""b","11=x,y",12=FFFFFF)", ScanMode::Prime);
    const ItemList items = ParseItems(split.msgPart);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(ValueOf(items, "9"), "F F");
    EXPECT_EQ(ValueOf(items, "10"), "a\"b");
    EXPECT_EQ(ValueOf(items, "11"), "x,y");
    EXPECT_EQ(ValueOf(items, "12"), "FFFFFF");
}

TEST(ScanMissingSegments, PrimeHritCycle) {
    Scan scan;
    const Lines lines = scan("1=FF,9=F3,12=FFFFFF", kHrit);
    EXPECT_EQ(lines, (Lines{"   HRIT ch 02   all missing", "   HRIT ch 03   all missing",
                            "   HRIT ch 04   all missing", "   HRIT ch 05   all missing",
                            "   HRIT ch 06   all missing", "   HRIT ch 07   all missing",
                            "   HRIT ch 08   all missing", "   HRIT ch 09,  seg: 3 4 ",
                            "   HRIT ch 10   all missing", "   HRIT ch 11   all missing"}));
    EXPECT_EQ(scan.expected, 8 + 8 + 24);
    EXPECT_EQ(scan.received, 8 + 6 + 24);
}

TEST(ScanMissingSegments, RapidScanSkipsTheSouthernSegments) {
    Scan scan;
    scan.ctx.mode = ScanMode::RapidScan;
    EXPECT_TRUE(scan("R1=E0", ChannelSet{1}).empty());
    EXPECT_EQ(scan.expected, 8);
    EXPECT_EQ(scan.received, 8);

    EXPECT_EQ(scan("R12=FF0000", ChannelSet{12}), (Lines{"   HRIT ch 12,  seg: 16 "}));
    EXPECT_EQ(scan.expected, 8 + 24);
    EXPECT_EQ(scan.received, 8 + 23);
}

TEST(ScanMissingSegments, ExtraBitsAndUnreportableChannels) {
    Scan scan;
    EXPECT_TRUE(scan("9=1FF", ChannelSet{9}).empty());
    EXPECT_EQ(scan.received, 8);

    scan.ctx.reportableChannels.Remove(10);
    EXPECT_TRUE(scan("9=FF", ChannelSet{9, 10}).empty());
    EXPECT_TRUE(scan("", ChannelSet{}).empty());
}

TEST(ScanMissingSegments, VisibleChannelsAtNight) {
    Scan scan;
    scan.ctx.reportDay = Day{2011y / 6 / 28};
    EXPECT_TRUE(scan("", ChannelSet{18}, 420).empty());
    EXPECT_EQ(scan("", ChannelSet{18}, 780), (Lines{"   GOES-W-VIS   all missing"}));
    EXPECT_TRUE(scan("", ChannelSet{24}, 600).empty());
    EXPECT_TRUE(scan("24=ZZ", ChannelSet{24}, 600).empty());  // not even read

    scan.ctx.reportDay = Day{2011y / 6 / 29};
    EXPECT_EQ(scan("", ChannelSet{24}, 600), (Lines{"   MTSAT-2-VIS   all missing"}));
    EXPECT_TRUE(scan("", ChannelSet{24}, 780).empty());
}

TEST(ScanMissingSegments, ProductSegmentCounts) {
    Scan scan;
    scan.ctx.countedProducts = ChannelSet{53};
    EXPECT_EQ(scan("53=0", ChannelSet{53}), (Lines{"   MPE,  seg: 1 "}));
    scan.ctx.singleSegmentProducts = true;
    EXPECT_EQ(scan("53=2", ChannelSet{53}), (Lines{"   MPE,  seg: 1 "}));

    // Outside the counted sets a product is checked for presence only.
    EXPECT_TRUE(scan("30=0,86=ZZ", ChannelSet{30, 86}).empty());
    EXPECT_EQ(scan("30=0", ChannelSet{30, 86, 31}),
              (Lines{"   AMVE   all missing", "   OCAE   missing"}));

    Scan rapid;
    rapid.ctx.mode = ScanMode::RapidScan;
    rapid.ctx.countedProducts = ChannelSet{53, 59};
    EXPECT_EQ(rapid("R53=3,R59=1", ChannelSet{53, 59}), (Lines{"   MPE,  seg: 3 4 "}));
    rapid.ctx.csrInService = true;
    EXPECT_EQ(rapid("R53=F,R59=1", ChannelSet{53, 59}), (Lines{"   CSR,  seg: 2 3 "}));

    Scan bypass;
    bypass.ctx.reportDay = Day{2010y / 1 / 1};
    EXPECT_EQ(bypass("23=F", ChannelSet{23}), (Lines{"   GOES-12-WV,  seg: 5 6 7 "}));
    bypass.ctx.goes12Bypass = true;
    EXPECT_TRUE(bypass("23=F", ChannelSet{23}).empty());
}

TEST(ScanMissingSegments, PrologAndEpilogFiles) {
    Scan scan;
    scan.ctx.checkPrologEpilog = true;
    EXPECT_EQ(scan("P=2,E=3,1=FF", ChannelSet{1}), (Lines{"   HRIT prolog missing"}));
    EXPECT_EQ(scan("17=FF", kLrit),
              (Lines{"   LRIT prolog missing", "   LRIT epilog missing",
                     "   LRIT ch 01   all missing", "   LRIT ch 03   all missing",
                     "   LRIT ch 04   all missing", "   LRIT ch 05   all missing"}));
    // A bad prolog mask counts as missing and ends nothing.
    EXPECT_EQ(scan("P=XX,E=1,1=FF", ChannelSet{1}), (Lines{"   HRIT prolog missing"}));

    scan.ctx.mode = ScanMode::RapidScan;
    EXPECT_EQ(scan("P=1,E=1,RE=1,R1=E0", ChannelSet{1}), (Lines{"   HRIT prolog missing"}));

    scan.ctx.checkPrologEpilog = false;
    EXPECT_TRUE(scan("R1=E0", ChannelSet{1}).empty());
}

TEST(PrologOrEpilogMissing, BitOfTheScannedService) {
    EXPECT_TRUE(PrologOrEpilogMissing("", ChannelSet{}));
    EXPECT_FALSE(PrologOrEpilogMissing("1", ChannelSet{1}));
    EXPECT_TRUE(PrologOrEpilogMissing("1", ChannelSet{1, 13}));
    EXPECT_FALSE(PrologOrEpilogMissing("$2", ChannelSet{13}));
    EXPECT_FALSE(PrologOrEpilogMissing("0", ChannelSet{9}));
    EXPECT_TRUE(PrologOrEpilogMissing("G", ChannelSet{9}));
}

TEST(ScanMissingSegments, FirstBadMaskInChannelOrderEndsTheScan) {
    Scan scan;
    Lines lines;
    try {
        ScanMissingSegments(scan.ctx, 0, "9=ZZ,2=XY,1=FF", kHrit, lines, scan.expected, scan.received);
        FAIL() << "no MaskError";
    } catch (const MaskError& e) {
        EXPECT_STREQ(e.what(), "''$XY'' is not a valid integer value");
    }
    EXPECT_TRUE(lines.empty());
}

TEST(ScanLateSegments, LateListsInChannelOrder) {
    Lines lines;
    ScanLateSegments(Day{2024y / 1 / 5}, "12=C00000,9=FF,10=1FF,11=0,R1=FF,27=FF", 1, 26, lines);
    EXPECT_EQ(lines, (Lines{"   HRIT ch 09,  seg: all", "   HRIT ch 10,  seg: 1 2 3 4 5 6 7 8 ",
                            "   HRIT ch 12,  seg: 23 24 "}));
}

TEST(LateSegmentText, AllOrTheLateSegments) {
    EXPECT_EQ(LateSegmentText("FF", 8), "all");
    EXPECT_EQ(LateSegmentText("$7F", 7), "all");
    EXPECT_EQ(LateSegmentText("0C", 8), "3 4 ");
    EXPECT_EQ(LateSegmentText("100", 8), "");
    EXPECT_THROW(LateSegmentText("0x1", 8), MaskError);
}

}  // namespace
}  // namespace gapscope
