// The settings file's text: the INI form earlier versions wrote through Qt, read and written
// alike, and whatever else a file may hold.
#include "settings/settings_text.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

TEST(SettingsText, TheFormQtWritesIsReadAndWrittenBack) {
    const std::string written =
        "[General]\nDataFolder=\"/srv/Station Nord/logs, \\xe9t\\xe9=1\"\nReportIncludeFSD=1\n"
        "WindowLeft=-8\n\n[Other]\nkey=value\n; note\n\n[More]\nk=v\n";
    const SettingsText text = ParseSettingsText(written);
    EXPECT_EQ(text.values.size(), 3u);
    EXPECT_EQ(TextValue(text.values.at("DataFolder")), "/srv/Station Nord/logs, \xC3\xA9t\xC3\xA9=1");
    EXPECT_EQ(FlagValue(text.values.at("ReportIncludeFSD")), true);
    EXPECT_EQ(IntegerValue(text.values.at("WindowLeft")), -8);
    EXPECT_TRUE(text.badLines.empty());
    EXPECT_EQ(SettingsTextBytes(text), written);
    // Keys before any section are [General]'s; its heading in any case; a BOM; CR LF.
    const SettingsText loose = ParseSettingsText("\xEF\xBB\xBF" "A=1\r\n[general]\r\n; note\r\nB = 2 \r\n");
    EXPECT_EQ(loose.values, (std::map<std::string, std::string>{{"A", "1"}, {"B", "2"}}));
}

TEST(SettingsText, LinesThatAreNoneOfTheFormAreNumbered) {
    constexpr char kBytes[] = "[General]\nA=1\nno equals sign\n=1\n[Gen\nB=2\0x\nC=3\n\x01\x02=";
    const SettingsText text = ParseSettingsText(std::string_view(kBytes, sizeof kBytes - 1));
    EXPECT_EQ(text.badLines, (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(text.values, (std::map<std::string, std::string>{{"A", "1"}, {"C", "3"}, {"\x01\x02", ""}}));
    // What is written back holds the lines that were read.
    EXPECT_EQ(SettingsTextBytes(text), std::string("[General]\n\x01\x02=\nA=1\nC=3\n"));
}

TEST(SettingsText, TextsComeBackAsTheyWereWritten) {
    for (const std::string& text :
         {std::string(""), std::string("/srv/station"), std::string("@home"), std::string(" spaced "),
          std::string("a;b,c=d"), std::string("back\\slash \"quoted\""),
          std::string("tab\there\nnew\x01" "1f\x1b[0m"), std::string("nul\0" "9", 5),
          std::string("caf\xC3\xA9 \xE5\x8C\x97 raw\xE9")}) {
        EXPECT_EQ(TextValue(WrittenText(text)), text) << WrittenText(text);
    }
    // As Qt wrote them, and what is no plain text.
    EXPECT_EQ(TextValue("\\x41\\x62 caf\\xe9 \\101"), "Ab caf\xC3\xA9 A");
    EXPECT_EQ(TextValue("@@x"), "@x");
    EXPECT_EQ(TextValue("1 ; a comment"), "1 ");
    for (const char* value : {"a,b", "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x10)", "@ByteArray(x)",
                              "\"open", "@Invalid()"}) {
        EXPECT_EQ(TextValue(value), std::nullopt) << value;
    }
}

TEST(SettingsText, FlagsAndIntegersAreThirtyTwoBitDecimals) {
    for (const char* set : {"1", "5", "-1", "4294967295", "\"7\"", "+3", " 9 "}) {
        EXPECT_EQ(FlagValue(set), true) << set;
    }
    EXPECT_EQ(FlagValue("0"), false);
    for (const char* none : {"", "4294967296", "-2147483649", "0x0", "yes", "true", "1.0", "+-1",
                             "1 2", "@Variant(1)", "99999999999999999999"}) {
        EXPECT_EQ(FlagValue(none), std::nullopt) << none;
    }
    EXPECT_EQ(IntegerValue("-2147483648"), -2147483648LL);
    EXPECT_EQ(IntegerValue("2147483648"), std::nullopt);
}

}  // namespace
}  // namespace gapscope
