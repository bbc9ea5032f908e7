#include "report/report_options.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

// A few of the design's own values, so that a slip in the option table shows.
TEST(ReportOptions, StartWithTheDesignDefaults) {
    const ReportOptions options;
    EXPECT_TRUE(options.includeFsd && options.includeMpef && options.prologEpilogFiles);
    EXPECT_FALSE(options.includeLrit || options.met8LritOnly || options.decontaminating);
    EXPECT_TRUE(options.hourlyFy2g && !options.hourlyFy2e && !options.goes12Bypass);
}

TEST(ReportOptions, FoundByNameIgnoringCaseAndMarkedAsTheWindowKeepsThem) {
    EXPECT_EQ(FindOptionField("reportincludelrit")->member, &ReportOptions::includeLrit);
    EXPECT_FALSE(FindOptionField("IncludeLRIT"));
    EXPECT_FALSE(FindOptionField("Decontaminating")->stored);
    EXPECT_FALSE(FindOptionField("ReportGOES12bypass")->offered);
    EXPECT_EQ(FindOptionField("ReportPrologEpilogFiles")->caption, "Prolog & epilog files");
}

}  // namespace
}  // namespace gapscope
