#include "command/report_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "settings/version.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// 2024-01-06 06:10 UTC: "yesterday" is 2024-01-05.
const std::chrono::sys_seconds kNow =
    std::chrono::sys_days{std::chrono::year{2024} / 1 / 6} + 6h + 10min;

class ReportCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        env_.programDirectory = dir_ / "program";
        env_.computerName = "Groundstation";
        env_.now = kNow;
        env_.versionText = kVersionText;
    }

  public:
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    const fs::path& Dir() const { return dir_; }

  protected:
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunReportCommand(args, env_, out_, err_);
    }

    test::TempDir temp_{"gapscope-report-command-"};
    const fs::path dir_ = temp_.path();
    CommandEnvironment env_;
    std::ostringstream out_, err_;
};

const std::string kExpectedReport =
    "__________________________\n"
    "Date: 2024-Jan-05, day 005\n"
    "\n"
    "Missing cycles report\n"
    " 0000.. 1200\n"
    " 1230\n"
    " 1245\n"
    "\n"
    "_______________________\n"
    "Date: 2024-Jan-05\n"
    "\n"
    "Late segments report\n"
    "Cycle: 1215\n"
    "   HRIT ch 12,  seg: all\n"
    "\n"
    "_______________________\n"
    "Date: 2024-Jan-05\n"
    "\n"
    "Missing HRIT segments report\n"
    "Cycle: 1215\n"
    "   HRIT ch 09,  seg: 3 4 \n"
    "Cycle: 1300\n"
    "   HRIT prolog missing\n"
    "   HRIT ch 01   all missing\n"
    " \n"
    "Channel key:\n"
    " 01=VIS006  02=VIS008  03=IR016  04=IR039\n"
    " 05=WV062  06=WV073  07=IR087  08=IR097\n"
    " 09=IR108  10=IR120  11=IR134  12=HRV\n"
    "\n"
    "_______________________\n"
    "Date: 2024-Jan-05\n"
    "\n"
    "Missing rebroadcast & derived products report\n"
    "Cycle: 1215\n"
    "   CLM   missing\n"
    "   CTH   missing\n"
    "   GII   missing\n"
    "   FIRG   missing\n"
    "   MPE   missing\n"
    " \n"
    "Key:  FY-2x, GOES-nn & HIMn = FSD\n"
    " \n"
    "_______________________\n"
    "MDD report\n"
    "  5 GTS sequence nos. found, 2 missing\n"
    "  Multiple files with same sequence number, seq. 2\n"
    "\n"
    "\n" +
    std::string("[Gapscope V") + kVersionText + " on PC Groundstation at 06:10 UTC]\n\n";

// A station whose logs begin on the 1st and that received the cycles 12:15, 12:30 and 13:00
// of the 5th only: channel 9 incomplete at 12:15, the prolog and channel 1 missing at 13:00,
// the quarter-hourly products missing at 12:15, and one day of MDD sequence numbers with
// gaps and a duplicate.
void WriteStation(ReportCommand& t) {
    std::string full = "P=1,E=1";
    for (int n = 1; n <= 11; ++n) full += "," + std::to_string(n) + "=FF";
    full += ",12=FFFFFF";
    std::string rec1215 = full;
    rec1215.replace(rec1215.find(",9=FF"), 5, ",9=F3");
    std::string rec1300 = full;
    rec1300.replace(rec1300.find("P=1,"), 4, "");
    rec1300.replace(rec1300.find(",1=FF"), 5, "");
    // Quarter-hourly products; AMV is due at half past, OCAE on the hour.
    const std::string products = ",36=1,38=1,39=1,52=1,53=1";
    t.Write("SegHistory.log", "202401010000=" + full + "\r\n202401051215=" + rec1215 +
                                  "\r\n202401051230=" + full + products +
                                  ",30=1\r\n202401051300=" + rec1300 + products + ",86=1\r\n");
    t.Write("LateSegHistory.log", "202401051215=12=FFFFFF\r\n");
    t.Write("FileHistory.log", "20240105-gts=a#_b_\r\n20240104-dcp=___\r\n");
}

TEST_F(ReportCommand, PrintsTheWholeReportOfYesterday) {
    WriteStation(*this);
    ASSERT_EQ(Run({dir_.string(), "--set", "ReportHourlyFY2G=0"}), kExitDone) << err_.str();
    // After the leading run, 12:45 and every cycle from 13:15 on are missing.
    std::string expected = kExpectedReport;
    std::string laterCycles;
    for (int m = 13 * 60 + 15; m < 1440; m += 15) {
        char line[8];
        std::snprintf(line, sizeof line, " %02d%02d\n", m / 60, m % 60);
        laterCycles += line;
    }
    expected.replace(expected.find(" 1230\n 1245\n"), 12, " 1245\n" + laterCycles);
    EXPECT_EQ(out_.str(), expected);
    EXPECT_EQ(err_.str(), "");
}

TEST_F(ReportCommand, SaveWritesTheSameLinesWithCrLf) {
    WriteStation(*this);
    ASSERT_EQ(Run({dir_.string(), "--set=reporthourlyfy2g=0"}), kExitDone);
    std::string printed = out_.str();
    ASSERT_EQ(Run({dir_.string(), "--set", "ReportHourlyFY2G=0", "--save", "-s"}), kExitDone)
        << err_.str();
    const fs::path file = dir_ / "2024-01-05-missing-segments.txt";
    EXPECT_EQ(out_.str(), "Report saved to: " + file.string() + "\n");
    std::string crlf;
    for (char c : printed) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(test::ReadFile(file), crlf);
}

TEST_F(ReportCommand, SwitchesDayAndOptionsShapeTheReport) {
    WriteStation(*this);
    ASSERT_EQ(Run({dir_.string(), "-P", "--day", "2024-01-03", "--set", "ReportIncludeMPEF=0"}),
              kExitDone);
    const std::string text = out_.str();
    EXPECT_NE(text.find("Date: 2024-Jan-03, day 003\n"), std::string::npos);
    EXPECT_NE(text.find("Missing Parallel Scan cycles report\n"), std::string::npos);
    EXPECT_NE(text.find("  (not checked)\n"), std::string::npos);

    // Stored options apply unless --defaults is given.
    env_.storedOptions = [] {
        ReportOptions o;
        o.includeLrit = true;
        return o;
    };
    ASSERT_EQ(Run({dir_.string()}), kExitDone);
    EXPECT_NE(out_.str().find("Missing HRIT & LRIT segments report\n"), std::string::npos);
    ASSERT_EQ(Run({dir_.string(), "--defaults"}), kExitDone);
    EXPECT_NE(out_.str().find("Missing HRIT segments report\n"), std::string::npos);
}

TEST_F(ReportCommand, BadUsageIsStatusTwoWithAReason) {
    EXPECT_EQ(Run({dir_.string(), "--day", "2024-02-30"}), kExitBadUsage);
    EXPECT_EQ(Run({dir_.string(), "--day"}), kExitBadUsage);
    EXPECT_EQ(Run({dir_.string(), "--set", "ReportNothing=1"}), kExitBadUsage);
    EXPECT_EQ(Run({dir_.string(), "--set", "ReportIncludeLRIT=2"}), kExitBadUsage);
    EXPECT_EQ(Run({dir_.string(), "--frobnicate"}), kExitBadUsage);
    EXPECT_NE(err_.str().find("Usage: gapscope-report"), std::string::npos);
    EXPECT_EQ(out_.str(), "");
}

TEST_F(ReportCommand, BadMaskFailsWithTheOperatorsMessageAndWritesNothing) {
    Write("SegHistory.log", "202401050000=P=1,E=1,1=FF,2=$G1\r\n");
    EXPECT_EQ(Run({dir_.string(), "--save"}), kExitReportFailed);
    // The message as the window words it, then where the damaged line is.
    EXPECT_EQ(err_.str(),
              "gapscope-report: ''$G1'' is not a valid integer value\n"
              "gapscope-report: in SegHistory.log, minute key 202401050000 (2024-01-05 00:00 UTC), "
              "item 2\n");
    EXPECT_EQ(out_.str(), "");
    EXPECT_FALSE(fs::exists(dir_ / "2024-01-05-missing-segments.txt"));
}

TEST_F(ReportCommand, AFailedSaveIsStatusThreeAndNamesTheCause) {
    WriteStation(*this);
    const fs::path report = dir_ / "2024-01-05-missing-segments.txt";
    fs::create_directories(report / "in-the-way");
    EXPECT_EQ(Run({dir_.string(), "--save", "--quiet"}), kExitSaveFailed);
    EXPECT_EQ(err_.str(), "gapscope-report: the report could not be saved: cannot replace " +
                              report.string() + ": it is a folder, not a regular file\n");
    EXPECT_EQ(out_.str(), "");
}

TEST_F(ReportCommand, QuietSavesWithoutAWordAndPrintingRefusesIt) {
    WriteStation(*this);
    for (const char* quiet : {"-q", "--quiet"}) {
        ASSERT_EQ(Run({dir_.string(), "--save", quiet}), kExitDone) << err_.str();
        EXPECT_EQ(out_.str(), "");
        EXPECT_EQ(err_.str(), "");
        EXPECT_TRUE(fs::exists(dir_ / "2024-01-05-missing-segments.txt"));
        fs::remove(dir_ / "2024-01-05-missing-segments.txt");
    }
    // Printing quietly would print nothing at all.
    EXPECT_EQ(Run({dir_.string(), "--quiet"}), kExitBadUsage);
    EXPECT_EQ(err_.str().rfind("gapscope-report: --quiet only goes with --save or --from --save\n", 0), 0u)
        << err_.str();
    EXPECT_EQ(out_.str(), "");
}

TEST_F(ReportCommand, SwitchesAreTakenOutBeforeTheOptionsAndTheFolderMayFollowThem) {
    WriteStation(*this);
    // "-neat" is one switch, not -n -e -a -t; "/neat" and "/s" are switches too.
    ASSERT_EQ(Run({"-neat", dir_.string(), "/s", "--set", "ReportHourlyFY2G=0"}), kExitDone)
        << err_.str();
    EXPECT_EQ(out_.str().rfind("Date: 2024-Jan-05, day 005\n", 0), 0u) << out_.str();
    EXPECT_NE(out_.str().find("HRIT ch 09,  seg: 3 4"), std::string::npos);

    // A folder after a switch is the data folder (the window would ignore it).
    ASSERT_EQ(Run({"-P", dir_.string(), "--save", "-q"}), kExitDone) << err_.str();
    EXPECT_TRUE(fs::exists(dir_ / "2024-01-05-PAR-missing-segments.txt"));
}

TEST_F(ReportCommand, AWordThatLooksLikeASwitchIsToldForWhatItIs) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{dir_.string(), "/HIM"}, "'/HIM' is not a switch (HIM takes '-' only)"},
        {{"/P", dir_.string()}, "'/P' is not a switch (P takes '-' only)"},
        {{dir_.string(), "/nofy2c"}, "'/nofy2c' is not a switch (NOFY2C takes '-' only)"},
        {{dir_.string(), "-save"}, "unknown option: '-save'"},
        {{dir_.string(), "--neat"}, "unknown option: '--neat'"},
        {{dir_.string(), "other"}, "more than one data directory: 'other'"},
        {{dir_.string(), "--save=1"}, "--save takes no value"},
        {{dir_.string(), "--day", "05.01.2024"},
         "not a valid day: '05.01.2024' (expected YYYY-MM-DD)"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(Run(args), kExitBadUsage) << message;
        EXPECT_EQ(err_.str().rfind("gapscope-report: " + message + "\nUsage: gapscope-report ", 0),
                  0u)
            << err_.str();
    }
}

TEST_F(ReportCommand, AnUnknownOptionNameListsTheValidOnes) {
    EXPECT_EQ(Run({dir_.string(), "--set", "ReportIncludeLRTI=1"}), kExitBadUsage);
    const std::string first = err_.str().substr(0, err_.str().find('\n'));
    EXPECT_EQ(first.rfind("gapscope-report: unknown option name: 'ReportIncludeLRTI' (one of ", 0),
              0u);
    for (const OptionField& field : OptionFields()) {
        EXPECT_NE(first.find(std::string(field.storedName)), std::string::npos) << field.storedName;
    }
}

TEST_F(ReportCommand, HelpNamesEachOptionBesideItsBoxAndEveryExitStatus) {
    ASSERT_EQ(Run({"--help"}), kExitDone);
    const std::string help = out_.str();
    // Several names do not read like their box; each one is on a line of its own with it.
    const std::pair<const char*, const char*> boxes[] = {
        {"Decontaminating", "Decontaminating"},
        {"ReportDisableMSG1_MPEF", "Detect RSS fill-in (no MPEF)"},
        {"ReportHourlyFSD", "Hourly FSD"},
        {"ReportIncludeFSD", "Include FSD"},
        {"ReportHourlyFY2D", "Include FY-2E"},
        {"ReportHourlyFY2G", "Include FY-2G"},
        {"Report30minHimawari", "Include Himawari-8/9"},
        {"ReportIncludeLRIT", "Include LRIT"},
        {"ReportIncludeGoesMIR", "Include mid-IR"},
        {"ReportIncludeMPE", "Include MPE"},
        {"ReportIncludeMPEF", "Include MPEF"},
        {"ReportIncludeRII", "Include RII  (data channel 4)"},
        {"ReportMet8LritOnly", "MSG FTP LRIT only"},
        {"ReportPrologEpilogFiles", "Prolog & epilog files"},
        {"ReportGOES12bypass", "GOES-12 from GOES-10"},
    };
    ASSERT_EQ(std::size(boxes), OptionFields().size());
    for (const auto& [name, box] : boxes) {
        const std::size_t at = help.find("\n  " + std::string(name) + " ");
        ASSERT_NE(at, std::string::npos) << name;
        const std::string line = help.substr(at + 1, help.find('\n', at + 1) - at - 1);
        EXPECT_NE(line.find(std::string(" ") + box + " "), std::string::npos) << line;
    }
    for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  ", "\n  4  "}) {
        EXPECT_NE(help.find(status), std::string::npos) << status;
    }
    // Help wins over whatever else is given.
    EXPECT_EQ(Run({"--save", "--quiet", "--help"}), kExitDone);
    EXPECT_EQ(out_.str(), help);
}

// The help's modes table, made from the modes: each mode, its options in the order the
// command keeps them, must be a row of it (a long row wraps, so spaces are compared as one).
TEST_F(ReportCommand, HelpListsEachModeWithWhatAsksForItAndWhatGoesWithIt) {
    ASSERT_EQ(Run({"--help"}), kExitDone);
    const std::string help = out_.str();
    const std::size_t from = help.find("\nModes (");
    const std::size_t to = help.find("\nDATA_DIR and the switches go with every mode.");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    const std::string section = help.substr(from + 1, to - from);
    std::istringstream lines(section), words(section);
    std::string table, word, line;
    while (words >> word) table += word + " ";
    // A row starts with its name two spaces in; the heading row is one of them.
    std::size_t rows = 0;
    while (std::getline(lines, line)) rows += line.starts_with("  ") && line[2] != ' ';
    const std::vector<ModeOptions> modes = ReportModes();
    EXPECT_EQ(rows, modes.size() + 1);
    for (const ModeOptions& mode : modes) {
        std::string row = mode.askedBy.empty() ? " (nothing)" : "";
        for (std::string_view option : mode.askedBy) row += " " + std::string(option);
        for (std::string_view option : mode.takes) {
            row += " " + std::string(option);
        }
        EXPECT_NE(table.find(row + " "), std::string::npos) << row << "\nin: " << table;
    }
}

// Where the window's package (gapscope-picture) is not installed, or not built: a PNG says
// what to install and the run does nothing (on Windows the command paints it itself); an
// SVG the command writes itself.
TEST_F(ReportCommand, WithoutItsProgramAPictureIsSvgOnly) {
    WriteStation(*this);
    for (const char* first : {"--day", "--from"}) {
#ifndef _WIN32
        EXPECT_EQ(Run({dir_.string(), first, "2024-01-05", "--picture", (dir_ / "a.png").string()}),
                  kExitBadUsage);
        EXPECT_EQ(err_.str(), "gapscope-report: pictures need the gapscope package: apt install gapscope\n");
        EXPECT_EQ(out_.str(), "");
        EXPECT_FALSE(fs::exists(dir_ / "a.png"));
#endif
        EXPECT_EQ(Run({dir_.string(), first, "2024-01-05", "--picture", (dir_ / "a.svg").string()}),
                  kExitDone) << err_.str();
        EXPECT_TRUE(test::ReadFile(dir_ / "a.svg").starts_with("<?xml")) << first;
        fs::remove(dir_ / "a.svg");
    }
}

// ---- JSON, ranges and back-filling --------------------------------------------------------

using nlohmann::json;

TEST_F(ReportCommand, JsonFormatGivesTheDaysFindings) {
    WriteStation(*this);
    ASSERT_EQ(Run({dir_.string(), "--set", "ReportHourlyFY2G=0", "--format", "json"}), kExitDone)
        << err_.str();
    EXPECT_EQ(out_.str().find('\n'), out_.str().size() - 1);  // one line
    const json doc = json::parse(out_.str());
    EXPECT_EQ(doc["day"], "2024-01-05");
    EXPECT_EQ(doc["service"], "prime");
    EXPECT_EQ(doc["station"], "Groundstation");
    EXPECT_EQ(doc["options"]["ReportHourlyFY2G"], 0);
    EXPECT_EQ(doc["missing_cycles"].size(), 93u);  // all but 12:15, 12:30 and 13:00
    EXPECT_TRUE(doc["not_yet_due"].empty());
    EXPECT_NE(std::find(doc["missing"].begin(), doc["missing"].end(),
                        json::parse(R"({"cycle":"1215","kind":"hrit","channel":9,"label":"HRIT ch 09","segments":[3,4]})")),
              doc["missing"].end());
    EXPECT_EQ(doc["late"], json::parse(R"([{"cycle":"1215","kind":"hrit","channel":12,"label":"HRIT ch 12","segments":"all"}])"));
    EXPECT_EQ(doc["sequences"], json::parse(R"([{"name":"MDD","kind":"gts","found":5,"received":3,"missing":[3,5],"repeated":[2]}])"));

    // The text stays the default, and "text" asks for it.
    ASSERT_EQ(Run({dir_.string(), "--set", "ReportHourlyFY2G=0"}), kExitDone);
    const std::string text = out_.str();
    ASSERT_EQ(Run({dir_.string(), "--set", "ReportHourlyFY2G=0", "--format", "text"}), kExitDone);
    EXPECT_EQ(out_.str(), text);
}

TEST_F(ReportCommand, JsonOfABadMaskIsTheErrorObjectWithTheSameStatus) {
    Write("SegHistory.log", "202401050000=P=1,E=1,1=FF,2=$G1\r\n");
    EXPECT_EQ(Run({dir_.string(), "--format=json"}), kExitReportFailed);
    const json doc = json::parse(out_.str());
    EXPECT_EQ(doc["error"]["message"], "''$G1'' is not a valid integer value");
    EXPECT_EQ(doc["error"]["place"], "in SegHistory.log, minute key 202401050000 (2024-01-05 00:00 UTC), item 2");
    EXPECT_FALSE(doc.contains("missing"));
    EXPECT_NE(err_.str().find("''$G1'' is not a valid integer value"), std::string::npos);
}

TEST_F(ReportCommand, NowStandsForTheClock) {
    WriteStation(*this);
    ASSERT_EQ(Run({dir_.string(), "--now", "2024-01-05T12:20", "--format", "json"}), kExitDone);
    EXPECT_EQ(json::parse(out_.str())["day"], "2024-01-04");  // yesterday of --now
    ASSERT_EQ(Run({dir_.string(), "--now", "2024-01-05T12:50", "--day", "2024-01-05", "--format",
                   "json", "--set", "ReportHourlyFY2G=0"}),
              kExitDone);
    const json doc = json::parse(out_.str());
    // Due up to 12:20 (12:50 less the grace of 30 minutes).
    EXPECT_EQ(doc["not_yet_due"].front(), "1230");
    EXPECT_EQ(doc["not_yet_due"].size(), 46u);  // 12:30 to 23:45
    EXPECT_EQ(doc["missing_cycles"].size(), 49u);  // 00:00 to 12:00
    for (const json& item : doc["missing"]) EXPECT_LE(item["cycle"].get<std::string>(), "1220");
    // Once the day is over its report no longer depends on the clock.
    ASSERT_EQ(Run({dir_.string(), "--day", "2024-01-05", "--now", "2024-01-06T00:01"}), kExitDone);
    const std::string early = out_.str();
    ASSERT_EQ(Run({dir_.string(), "--day", "2024-01-05", "--now", "2024-01-09T06:10"}), kExitDone);
    EXPECT_EQ(out_.str().substr(0, out_.str().rfind("[Gapscope")),
              early.substr(0, early.rfind("[Gapscope")));
}

TEST_F(ReportCommand, TheCurrentDayNamesOnlyTheCyclesDue) {
    WriteStation(*this);
    // 13:45 less the grace: due up to 13:15; 13:15 is missing, 13:30 is not yet due.
    ASSERT_EQ(Run({dir_.string(), "--day", "today", "--now", "2024-01-05T13:45", "--defaults",
                   "--grace", "30"}),
              kExitDone);
    const std::string text = out_.str();
    EXPECT_NE(text.find(" 1245\n 1315\n  (judged up to 13:15 UTC; later cycles are not yet due)\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find(" 1330\n"), std::string::npos);
    // Saved, the same line; the JSON counts the same cycles.
    ASSERT_EQ(Run({dir_.string(), "--save", "--day", "2024-01-05", "--now", "2024-01-05T13:45",
                   "--defaults"}),
              kExitDone);
    EXPECT_NE(test::ReadFile(dir_ / "2024-01-05-missing-segments.txt")
                  .find("  (judged up to 13:15 UTC; later cycles are not yet due)\r\n"),
              std::string::npos);
    ASSERT_EQ(Run({dir_.string(), "--day", "today", "--now", "2024-01-05T13:45", "--defaults",
                   "--format", "json"}),
              kExitDone);
    EXPECT_EQ(json::parse(out_.str())["missing_cycles"].back(), "1315");
    // A grace of 0: 13:30 and 13:45 are due as well. Yesterday is wholly due whatever the grace.
    ASSERT_EQ(Run({dir_.string(), "--day", "today", "--now", "2024-01-05T13:45", "--defaults",
                   "--grace", "0"}),
              kExitDone);
    EXPECT_NE(out_.str().find(" 1345\n  (judged up to 13:45 UTC; later cycles are not yet due)\n"),
              std::string::npos);
    ASSERT_EQ(Run({dir_.string(), "--day", "yesterday", "--now", "2024-01-06T00:05", "--defaults",
                   "--format", "json"}),
              kExitDone);
    EXPECT_EQ(json::parse(out_.str())["day"], "2024-01-05");
    EXPECT_TRUE(json::parse(out_.str())["not_yet_due"].empty());
    // A day still to come is bad usage before anything is read or written.
    EXPECT_EQ(Run({dir_.string(), "--save", "--day", "2024-01-06", "--now", "2024-01-05T13:45"}),
              kExitBadUsage);
    EXPECT_EQ(err_.str().rfind("gapscope-report: --day 2024-01-06 is after today, 2024-01-05\n", 0),
              0u)
        << err_.str();
    EXPECT_FALSE(fs::exists(dir_ / "2024-01-06-missing-segments.txt"));
    EXPECT_EQ(Run({dir_.string(), "--from", "2024-01-01", "--to", "2024-01-07"}), kExitBadUsage);
}

TEST_F(ReportCommand, DateWordsStandForTheirDaysWhereverADayIsTaken) {
    WriteStation(*this);
    // Now is 2024-01-06 06:10: yesterday is the 5th.
    ASSERT_EQ(Run({dir_.string(), "--from", "2024-01-05", "--to", "2024-01-06", "--defaults"}),
              kExitDone);
    const std::string range = out_.str();
    EXPECT_NE(range.find("\n2024-01-06 "), std::string::npos) << range;
    for (const auto& [from, to] : {std::pair{"yesterday", "today"}, std::pair{"YESTERDAY", "Today"}}) {
        ASSERT_EQ(Run({dir_.string(), "--from", from, "--to", to, "--defaults"}), kExitDone) << from;
        EXPECT_EQ(out_.str(), range);
    }
    ASSERT_EQ(Run({dir_.string(), "--day", "2024-01-06", "--defaults"}), kExitDone);
    const std::string today = out_.str();
    ASSERT_EQ(Run({dir_.string(), "--day", "ToDay", "--defaults"}), kExitDone);
    EXPECT_EQ(out_.str(), today);
    ASSERT_EQ(Run({dir_.string(), "--from", "Yesterday", "--defaults"}), kExitDone);
    EXPECT_NE(out_.str().find("\n2024-01-05 "), std::string::npos) << out_.str();
    EXPECT_EQ(out_.str().find("\n2024-01-06 "), std::string::npos) << out_.str();
    // Other words are no day.
    EXPECT_EQ(Run({dir_.string(), "--to", "tomorrow", "--from", "2024-01-01"}), kExitBadUsage);
}

TEST_F(ReportCommand, DaysBeforeTheLogsBeginAreNeverReportedAsMissing) {
    WriteStation(*this);
    const std::string before = "  (before the logs begin: first record 2024-01-01 00:00 UTC)";
    ASSERT_EQ(Run({dir_.string(), "--day", "2023-12-30", "--defaults"}), kExitDone);
    EXPECT_NE(out_.str().find("Missing cycles report\n" + before + "\n"), std::string::npos)
        << out_.str();
    EXPECT_NE(out_.str().find("Missing HRIT segments report\n" + before + "\n"), std::string::npos);
    ASSERT_EQ(Run({dir_.string(), "--day", "2023-12-30", "--defaults", "--format", "json"}),
              kExitDone);
    const json doc = json::parse(out_.str());
    EXPECT_EQ(doc["first_record"], "2024-01-01T00:00Z");
    EXPECT_EQ(doc["before_logs_begin"].size(), 96u);
    EXPECT_TRUE(doc["missing_cycles"].empty());

    // Saved: nothing, status 4; back-filled: nothing, status 0.
    Write("2023-12-30-missing-segments.txt", "a good report of an earlier install");
    EXPECT_EQ(Run({dir_.string(), "--save", "--day", "2023-12-30", "--defaults"}),
              kExitDataUnreadable);
    EXPECT_EQ(err_.str(),
              "gapscope-report: no report for 2023-12-30: it is before the logs begin (the first "
              "record of " +
                  (dir_ / "SegHistory.log").string() + " is of 2024-01-01 00:00 UTC)\n");
    EXPECT_EQ(Run({dir_.string(), "--from", "2023-12-30", "--to", "2024-01-01", "--save",
                   "--overwrite", "--defaults"}),
              kExitDone);
    EXPECT_EQ(out_.str().rfind("No report: 2023-12-30 is before the logs begin\n"
                               "No report: 2023-12-31 is before the logs begin\n"
                               "Report saved to: ",
                               0),
              0u)
        << out_.str();
    EXPECT_EQ(test::ReadFile(dir_ / "2023-12-30-missing-segments.txt"),
              "a good report of an earlier install");
    // Late segments have a log of their own, which may reach back further: every view
    // lists them as on any day.
    Write("LateSegHistory.log", "202312310900=9=03\r\n202401051215=12=FFFFFF\r\n");
    ASSERT_EQ(Run({dir_.string(), "--day", "2023-12-31", "--defaults"}), kExitDone);
    EXPECT_NE(out_.str().find("Late segments report\nCycle: 0900\n   HRIT ch 09,  seg: 1 2 \n"),
              std::string::npos)
        << out_.str();
    ASSERT_EQ(Run({dir_.string(), "--day", "2023-12-31", "--defaults", "--format", "json"}),
              kExitDone);
    EXPECT_EQ(json::parse(out_.str())["late"].size(), 1u);
    ASSERT_EQ(Run({dir_.string(), "--from", "2023-12-31", "--to", "2024-01-01", "--defaults"}),
              kExitDone);
    EXPECT_NE(out_.str().find("\n2023-12-31               -         -         -              2 "
                              "        -              0  before the logs begin\n2024-01-01  "),
              std::string::npos)
        << out_.str();

    // An empty segment history holds no record: every day is before the logs begin.
    Write("SegHistory.log", "");
    EXPECT_EQ(Run({dir_.string(), "--save", "--day", "2024-01-05", "--defaults"}),
              kExitDataUnreadable);
    EXPECT_NE(err_.str().find(" holds no record)"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(dir_ / "2024-01-05-missing-segments.txt"));
    ASSERT_EQ(Run({dir_.string(), "--day", "2024-01-05", "--defaults"}), kExitDone);
    EXPECT_NE(out_.str().find("  (before the logs begin: no record in the segment history)\n"),
              std::string::npos);
}

// The station above on the 5th, a bad mask on the 4th, nothing on the 3rd.
void WriteRangeStation(ReportCommand& t) {
    WriteStation(t);
    t.Write("SegHistory.log",
            "202401040000=P=1,E=1,1=FF,2=$G1\r\n" + test::ReadFile(t.Dir() / "SegHistory.log"));
}

TEST_F(ReportCommand, RangeGivesASummaryLinePerDayAndGoesOnPastAFailedDay) {
    WriteRangeStation(*this);
    ASSERT_EQ(Run({dir_.string(), "--defaults", "--day", "2024-01-05", "--format", "json"}), kExitDone);
    const json summary = json::parse(out_.str())["summary"];

    EXPECT_EQ(Run({dir_.string(), "--defaults", "--from", "2024-01-03"}), kExitReportFailed);
    std::vector<std::string> lines;
    std::istringstream text(out_.str());
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u) << out_.str();
    EXPECT_EQ(lines[0].rfind("day         missing cycles  channels", 0), 0u);
    EXPECT_EQ(lines[1].rfind("2024-01-03              96         0         0", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "2024-01-04  not reported: ''$G1'' is not a valid integer value (in "
                        "SegHistory.log, minute key 202401040000 (2024-01-04 00:00 UTC), item 2)");
    std::istringstream day5(lines[3]);
    std::string day;
    int cycles, channels, segments, late, products, sequence;
    day5 >> day >> cycles >> channels >> segments >> late >> products >> sequence;
    EXPECT_EQ(day, "2024-01-05");
    EXPECT_EQ(json({{"missing_cycles", cycles}, {"channels", channels}, {"segments", segments},
                    {"late_segments", late}, {"products", products}, {"sequence_numbers", sequence}}),
              summary);
    EXPECT_EQ(lines[4].rfind("total", 0), 0u);
    EXPECT_NE(lines[4].find("(1 day not reported)"), std::string::npos);

    // As JSON Lines: one document per day, the failed one its error object.
    EXPECT_EQ(Run({dir_.string(), "--defaults", "--from", "2024-01-04", "--format", "json"}),
              kExitReportFailed);
    std::istringstream docs(out_.str());
    std::string first, second, none;
    std::getline(docs, first);
    std::getline(docs, second);
    EXPECT_FALSE(std::getline(docs, none));
    EXPECT_TRUE(json::parse(first).contains("error"));
    EXPECT_EQ(json::parse(second)["summary"], summary);
}

TEST_F(ReportCommand, BackfillWritesWhatSingleDaySavesWriteAndKeepsWhatExists) {
    WriteRangeStation(*this);
    ASSERT_EQ(Run({dir_.string(), "--defaults", "--save", "-q"}), kExitDone);
    const fs::path day5 = dir_ / "2024-01-05-missing-segments.txt";
    const std::string single = test::ReadFile(day5);
    fs::remove(day5);

    EXPECT_EQ(Run({dir_.string(), "--defaults", "--from", "2024-01-03", "--to", "2024-01-06", "--save"}),
              kExitReportFailed);
    EXPECT_EQ(test::ReadFile(day5), single);
    EXPECT_TRUE(fs::exists(dir_ / "2024-01-03-missing-segments.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "2024-01-04-missing-segments.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "2024-01-06-missing-segments.txt"));  // today
    EXPECT_EQ(out_.str(), "Report saved to: " + (dir_ / "2024-01-03-missing-segments.txt").string() +
                              "\nReport saved to: " + day5.string() +
                              "\nNo report yet: 2024-01-06 is not over\n");
    EXPECT_EQ(err_.str().rfind("gapscope-report: 2024-01-04: ''$G1'' is not a valid integer value\n", 0), 0u)
        << err_.str();

    const std::string older = "older\r\n\r\n[From: Gapscope V3.1.22.1]\r\n\r\n";
    Write("2024-01-05-missing-segments.txt", older);
    EXPECT_EQ(Run({dir_.string(), "--defaults", "--from", "2024-01-05", "--save", "--quiet"}), kExitDone);
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(test::ReadFile(day5), older);
    EXPECT_EQ(Run({dir_.string(), "--defaults", "--from", "2024-01-05", "--save", "--overwrite"}), kExitDone);
    EXPECT_EQ(test::ReadFile(day5), single);
}

TEST_F(ReportCommand, RangesAndFormatsRefuseWhatDoesNotGoWithThem) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{dir_.string(), "--from", "2024-01-01", "--day", "2024-01-02"},
         "--day only goes with the printed report, --save, --check or --format prometheus"},
        {{dir_.string(), "--to", "2024-01-02"}, "--to only goes with --from or --from --save"},
        {{dir_.string(), "--save", "--overwrite"}, "--overwrite only goes with --from --save"},
        {{dir_.string(), "--save", "--format", "json"},
         "--format only goes with the printed report or --from"},
        {{dir_.string(), "--from", "2024-01-05", "--to", "2024-01-04"},
         "--from 2024-01-05 is after --to 2024-01-04"},
        {{dir_.string(), "--from", "2024-01-06"}, "--from 2024-01-06 is after yesterday, 2024-01-05"},
        {{dir_.string(), "--from", "2024-13-01"}, "not a valid day: '2024-13-01' (expected YYYY-MM-DD)"},
        {{dir_.string(), "--format", "xml"}, "--format takes text, json or prometheus, not 'xml'"},
        {{dir_.string(), "--now", "2024-01-05 12:00"},
         "not a valid time: '2024-01-05 12:00' (expected YYYY-MM-DDThh:mm, UTC)"},
        {{dir_.string(), "--now", "2024-01-05T24:00"},
         "not a valid time: '2024-01-05T24:00' (expected YYYY-MM-DDThh:mm, UTC)"},
        {{dir_.string(), "--from", "0001-01-01"},
         "--from 0001-01-01 is out of range (1970-01-01 to 9999-12-31)"},
        {{dir_.string(), "--now", "1969-12-31T23:59"},
         "--now 1969-12-31T23:59 is out of range (1970-01-01 to 9999-12-31)"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(Run(args), kExitBadUsage) << message;
        EXPECT_EQ(err_.str().rfind("gapscope-report: " + message + "\n", 0), 0u) << err_.str();
        EXPECT_EQ(out_.str(), "");
    }
}

}  // namespace
}  // namespace gapscope
