#include "catalogue/labels.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::sys_days On(std::chrono::year_month_day d) {
    return std::chrono::sys_days{d};
}

TEST(ChannelLabel, MsgChannelsOnAnyDay) {
    EXPECT_EQ(ChannelLabel(9, On(2005y / 1 / 1)), "HRIT ch 09");
    EXPECT_EQ(ChannelLabel(12, On(2024y / 6 / 1)), "HRIT ch 12");
    EXPECT_EQ(ChannelLabel(13, On(2024y / 6 / 1)), "LRIT ch 01");
    EXPECT_EQ(ChannelLabel(17, On(2024y / 6 / 1)), "LRIT ch 09");
}

TEST(ChannelLabel, GoesWestChangeover) {
    EXPECT_EQ(ChannelLabel(19, On(2011y / 12 / 6)), "GOES-W-IR");
    EXPECT_EQ(ChannelLabel(19, On(2011y / 12 / 7)), "GOES-15-IR");
    EXPECT_EQ(ChannelLabel(56, On(2011y / 12 / 6)), "GOES-W-MIR");
    EXPECT_EQ(ChannelLabel(18, On(2011y / 12 / 7)), "GOES-15-VIS");
}

TEST(ChannelLabel, GoesEastChangeover) {
    EXPECT_EQ(ChannelLabel(57, On(2010y / 4 / 14)), "GOES-12-MIR");
    EXPECT_EQ(ChannelLabel(57, On(2010y / 4 / 15)), "GOES-13-MIR");
    EXPECT_EQ(ChannelLabel(23, On(2010y / 4 / 15)), "GOES-13-WV");
}

TEST(ChannelLabel, MtsatChangeoverIsTheDayAfterTheSwitch) {
    EXPECT_EQ(ChannelLabel(84, On(2010y / 7 / 1)), "MTSAT-1R-IR12");
    EXPECT_EQ(ChannelLabel(84, On(2010y / 7 / 2)), "MTSAT-2-IR12");
    EXPECT_EQ(ChannelLabel(24, On(2010y / 7 / 1)), "MTSAT-1R-VIS");
    EXPECT_EQ(ChannelLabel(24, On(2010y / 7 / 2)), "MTSAT-2-VIS");
    EXPECT_EQ(ChannelLabel(58, On(2010y / 7 / 2)), "MTSAT-2-MIR");
}

TEST(ChannelLabel, MtsatHritChannelsAreNeverRenamed) {
    EXPECT_EQ(ChannelLabel(60, On(2009y / 1 / 1)), "MT1-IR1");
    EXPECT_EQ(ChannelLabel(60, On(2020y / 1 / 1)), "MT1-IR1");
}

TEST(ChannelLabel, Fy2Changeovers) {
    EXPECT_EQ(ChannelLabel(72, On(2009y / 12 / 1)), "FY2C-VIS1KM");
    EXPECT_EQ(ChannelLabel(72, On(2009y / 12 / 2)), "FY-2G-VIS1KM");
    EXPECT_EQ(ChannelLabel(67, On(2009y / 12 / 2)), "FY-2G-IR1");
    EXPECT_EQ(ChannelLabel(77, On(2015y / 6 / 30)), "FY2D-IR1");
    EXPECT_EQ(ChannelLabel(82, On(2015y / 7 / 1)), "FY-2E-VIS1KM");
    EXPECT_EQ(ChannelLabel(146, On(2020y / 1 / 1)), "FY2H-VIS1KM");
}

TEST(ChannelLabel, FireProductsShareAShortNameButNotALabel) {
    EXPECT_EQ(ChannelLabel(52, On(2015y / 1 / 1)), "FIRG");
    EXPECT_EQ(ChannelLabel(54, On(2015y / 1 / 1)), "FIRA");
    EXPECT_EQ(ChannelLabel(75, On(2015y / 1 / 1)), "FIRC");
}

TEST(ChannelLabel, OtherChannelsAreTheShortNameInCapitals) {
    const std::chrono::sys_days day = On(2022y / 3 / 1);
    EXPECT_EQ(ChannelLabel(30, day), "AMV");
    EXPECT_EQ(ChannelLabel(59, day), "CSR");
    EXPECT_EQ(ChannelLabel(87, day), "GOMS2-VIS3");
    EXPECT_EQ(ChannelLabel(98, day), "HIM8-B04");
    EXPECT_EQ(ChannelLabel(125, day), "G17-B01");
    EXPECT_EQ(ChannelLabel(46, day), "_M6_VISSN");
}

}  // namespace
}  // namespace gapscope
