#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace gapscope {
namespace {

TEST(Catalogue, SegmentTotalOverAllChannels) {
    // Worked out by hand from the table, group by group; any mistyped count shifts it.
    int total = 0;
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) total += ChannelSegments(n);
    EXPECT_EQ(total, 602);
}

TEST(Catalogue, HrvIsTheOnlyChannelWith24Segments) {
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        EXPECT_EQ(ChannelSegments(n) == 24, n == 12) << "channel " << n;
    }
}

TEST(Catalogue, ChannelsWithoutSegments) {
    const std::set<ChannelNumber> none{31, 32, 33, 40, 46, 47, 48, 49, 50, 51};
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        EXPECT_EQ(ChannelSegments(n) == 0, none.contains(n)) << "channel " << n;
    }
}

TEST(Catalogue, SegmentCountsOfScannedGroups) {
    for (ChannelNumber n : {1, 11, 13, 17}) EXPECT_EQ(ChannelSegments(n), 8) << n;
    for (ChannelNumber n : {18, 23, 56, 57}) EXPECT_EQ(ChannelSegments(n), 7) << n;
    for (ChannelNumber n : {24, 26, 58, 59, 84}) EXPECT_EQ(ChannelSegments(n), 6) << n;
    for (ChannelNumber n : {29, 45, 60, 64, 93, 106, 123, 124})
        EXPECT_EQ(ChannelSegments(n), 10) << n;
    for (ChannelNumber n : {30, 37, 53, 66, 67, 82, 86, 107, 140, 146})
        EXPECT_EQ(ChannelSegments(n), 1) << n;
}

TEST(Catalogue, CloudAnalysisEntriesShareDisplayNameOnly) {
    EXPECT_EQ(ChannelInfoOf(34).displayName, "Cloud analysis");
    EXPECT_EQ(ChannelInfoOf(35).displayName, "Cloud analysis");
    EXPECT_EQ(ChannelShortName(34), "cla");
    EXPECT_EQ(ChannelShortName(35), "clai");
    EXPECT_EQ(ChannelInfoOf(35).fileNameCode, "CLAI__");
}

TEST(Catalogue, SharedShortNames) {
    EXPECT_EQ(ChannelShortName(52), "fir");
    EXPECT_EQ(ChannelShortName(54), "fir");
    EXPECT_EQ(ChannelInfoOf(52).fileNameCode, "FIRG__");
    EXPECT_EQ(ChannelInfoOf(54).fileNameCode, "FIRA__");
    EXPECT_EQ(ChannelShortName(46), "_M6_VISSN");
    EXPECT_EQ(ChannelShortName(49), "_M6_VISSN");
    EXPECT_EQ(ChannelInfoOf(46).displayName, "RSS Europe - Vis  0.6 µm");
    EXPECT_EQ(ChannelInfoOf(49).displayName, "RSS full - Vis  0.6 µm");
}

TEST(Catalogue, LaterGoesWestBandsKeepTheirOlderCodes) {
    for (ChannelNumber n = 125; n <= 140; ++n) {
        const ChannelInfo& row = ChannelInfoOf(n);
        const std::string band = (n - 124 < 10 ? "0" : "") + std::to_string(n - 124);
        EXPECT_TRUE(row.displayName.starts_with("G18 B" + band + " ")) << row.displayName;
        EXPECT_EQ(row.fileNameCode, "G17B" + band);
        EXPECT_EQ(row.shortName, "g17-b" + band);
    }
    EXPECT_EQ(ChannelInfoOf(140).displayName, "G18 B16 CO2 13.3 µm");
}

TEST(Catalogue, ExactTextsWithDoubleSpaces) {
    EXPECT_EQ(ChannelInfoOf(3).displayName, "Channel 03 - IR  1.6 µm");
    EXPECT_EQ(ChannelInfoOf(14).displayName, "LRIT Channel 03 - IR 1.6 µm");
    EXPECT_EQ(ChannelInfoOf(43).displayName, "Meteosat 7 - Vis  0.7 µm");
    EXPECT_EQ(ChannelInfoOf(92).displayName, "GOMS - IR10  11.9 µm");
    EXPECT_EQ(ChannelInfoOf(12).fileNameCode, "HRV___");
    EXPECT_EQ(ChannelInfoOf(87).fileNameCode, "GOMS2_4_____-00_9");
    EXPECT_EQ(ChannelInfoOf(72).fileNameCode, "_FY2C_FDI_VIS1km_");
}

TEST(Catalogue, ShortNamesAtGroupBoundaries) {
    EXPECT_EQ(ChannelShortName(1), "msg-ch01");
    EXPECT_EQ(ChannelShortName(12), "msg-ch12");
    EXPECT_EQ(ChannelShortName(13), "lrit-ch01");
    EXPECT_EQ(ChannelShortName(17), "lrit-ch09");
    EXPECT_EQ(ChannelShortName(24), "g9-vis");
    EXPECT_EQ(ChannelShortName(58), "mt1-mir");
    EXPECT_EQ(ChannelShortName(60), "mt1-IR1");
    EXPECT_EQ(ChannelShortName(84), "mt1-ir12");
    EXPECT_EQ(ChannelShortName(77), "fy2d-IR1");
    EXPECT_EQ(ChannelShortName(106), "him8-b12");
    EXPECT_EQ(ChannelShortName(107), "g16-b01");
    EXPECT_EQ(ChannelShortName(123), "him8-b01");
    EXPECT_EQ(ChannelShortName(146), "fy2h-Vis1km");
}

TEST(Catalogue, NumbersOutsideTheCatalogueNameNothing) {
    for (ChannelNumber n : {0, 147, -1}) {
        EXPECT_EQ(ChannelSegments(n), 0);
        EXPECT_TRUE(ChannelShortName(n).empty());
    }
}

TEST(Catalogue, SequenceSuffixes) {
    EXPECT_EQ(SequenceSuffix(0), "-dcp");
    EXPECT_EQ(SequenceSuffix(2), "-gts-3");
    EXPECT_EQ(SequenceSuffix(4), "-acmad-4");
    EXPECT_EQ(SequenceSuffix(5), "-gts-5");
    EXPECT_EQ(SequenceSuffix(7), "-dcp-iodc");
    EXPECT_EQ(SequenceSuffix(8), "-wmo-iodc");
    EXPECT_EQ(SequenceSuffix(9), "-dcp-wmo-bufr");
    EXPECT_TRUE(SequenceSuffix(10).empty());
}

}  // namespace
}  // namespace gapscope
