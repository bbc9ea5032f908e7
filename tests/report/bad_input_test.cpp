// The report over logs that a crashing, full or half-copied station left behind: junk never
// changes the report, a log cut off while it was written reports what it held, a bad mask
// ends the run with its message, and a failed save leaves the earlier report as it was.
// (How the cost grows with junk is measured in bench/growth_check.cpp.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "report/day_report.h"
#include "report/report_file.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

const Day kDay{std::chrono::year{2024} / 1 / 5};

std::string Record(std::string_view prefix, std::string_view prolog, std::string_view channel9) {
    std::string record = std::string(prolog) + "P=1," + std::string(prolog) + "E=1";
    for (int n = 1; n <= 12; ++n) {
        const std::string mask = n == 9 ? std::string(channel9) : n == 12 ? "FFFFFF" : "FF";
        record += "," + std::string(prefix) + std::to_string(n) + "=" + mask;
    }
    return record;
}

// A prime station's day, its logs begun the day before: cycles from 06:00 to 18:00 with
// channel 9 short of segments at 12:15, products at some cycles, late segments, sequence
// strings and a process.log.
struct Logs {
    std::string seg;
    std::string late;
    std::string files;
    std::string process;
};

Logs PrimeDay() {
    Logs logs;
    logs.seg = "202401040000=" + Record("", "", "FF") + "\r\n";
    for (int m = 6 * 60; m <= 18 * 60; m += 15) {
        char key[16];
        std::snprintf(key, sizeof key, "20240105%02d%02d", m / 60, m % 60);
        logs.seg += std::string(key) + "=" + Record("", "", m == 12 * 60 + 15 ? "F3" : "FF");
        if (m % 60 == 0) logs.seg += ",18=7F,19=7F,24=3F,36=1,38=1,39=1,52=1,53=1";
        logs.seg += "\r\n";
    }
    logs.late = "202401051215=9=0C,12=C00000\r\n202401051300=1=FF\r\n";
    logs.files = "20240105-dcp=xxxx_xxx#x\r\n20240105-gts=x_x_x\r\n20240104-dcp=___\r\n";
    logs.process =
        "2024-01-05 02:40:00 save 202401050240-fir\n"
        "2024-01-05 12:20:00 save 202401051220-mpe\nend\n";
    return logs;
}

StartupState Station(const Logs& logs, const Switches& switches = {}) {
    StartupState s;
    s.SegHistory = HistoryLog::FromBytes(logs.seg);
    s.LateSegHistory = HistoryLog::FromBytes(logs.late);
    s.FileHistory = HistoryLog::FromBytes(logs.files);
    s.switches = switches;
    DeriveStartupFlags(s);
    return s;
}

ReportOptions EveryCheck() {
    ReportOptions o;
    o.includeLrit = true;
    o.hourlyFy2e = true;
    o.himawari30min = true;
    o.disableMsg1Mpef = true;
    return o;
}

// Each report reads its process.log from a data directory of its own.
DayReportResult Report(const Logs& logs, const ReportOptions& options = EveryCheck()) {
    const test::TempDir temp("gapscope_report_bad_input_");
    const fs::path& dir = temp.path();
    std::ofstream(dir / "process.log", std::ios::binary | std::ios::trunc) << logs.process;
    StartupState s = Station(logs);
    s.DataDirectory = (dir / "").string();
    return BuildDayReport(s, options, kDay);
}

bool Has(const Lines& lines, std::string_view line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ReportOnBadInput, TheBaseDayReportsWhatItHolds) {
    // The reference the junk below is compared with must itself be a real report.
    const DayReportResult r = Report(PrimeDay());
    ASSERT_FALSE(r.error);
    EXPECT_TRUE(Has(r.lists.missingSegs, "   HRIT ch 09,  seg: 3 4 "));
    EXPECT_TRUE(Has(r.lists.lateSegs, "   HRIT ch 12,  seg: 23 24 "));
    EXPECT_TRUE(Has(r.lists.missingProduct, "  5 GTS sequence nos. found, 2 missing"));
    EXPECT_TRUE(Has(r.lists.missingSlots, " 1815"));
}

// Lines that name nothing the report of the day looks up: no minute key of the day, no
// start-up key, no sequence key of the day.
const std::vector<std::string> kJunkLines = {
    std::string("\0\0\0=\0\0", 6),
    std::string("2024\0"
                "0105=9=FF",
                14),
    "\xC3\x28\xA0\xA1=\xE2\x28\xA1\xF0\x90\x28\xBC\xFF\xFE\xED\xA0\x80",
    "\"never closed=1,9=FF,\"\"",
    "202401061215=P=1,9=\"FF",
    "202401041215=1=1FFFFFFFFFFFFFFFF,2=ZZ,3=$",
    "=",
    "==",
    "   ",
    "\t\x01\x1f",
    std::string(100000, 'x'),
    "20240105-DCPX=___",
    "2024010512150=9=00",
};

TEST(ReportOnBadInput, JunkLinesInAnyLogChangeNothing) {
    const Logs base = PrimeDay();
    const DayReportResult expected = Report(base);
    ASSERT_FALSE(expected.error);
    std::string junk;
    for (const std::string& line : kJunkLines) junk += line + "\r\n";
    // Later lines for keys already given, in another letter case, never count either.
    const std::string laterDuplicates = "202401051215=9=00\n20240105-DCP=____\n202401051300=1=00\n";

    for (std::string Logs::*log : {&Logs::seg, &Logs::late, &Logs::files, &Logs::process}) {
        for (int where = 0; where < 3; ++where) {
            Logs logs = base;
            std::string& text = logs.*log;
            if (where == 0) text = junk + text;
            if (where == 1) text.insert(text.find('\n') + 1, junk);
            if (where == 2) text += junk + laterDuplicates;
            const DayReportResult r = Report(logs);
            EXPECT_FALSE(r.error) << (r.error ? *r.error : "");
            EXPECT_EQ(r.lists, expected.lists) << "junk placed " << where;
        }
    }
}

std::string Utf16(std::string_view ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}

TEST(ReportOnBadInput, MarksAndEncodingsChangeNothing) {
    const Logs base = PrimeDay();
    const DayReportResult expected = Report(base);
    Logs utf8 = base;
    Logs utf16le = base;
    Logs utf16be = base;
    for (std::string Logs::*log : {&Logs::seg, &Logs::late, &Logs::files}) {
        utf8.*log = "\xEF\xBB\xBF" + base.*log;
        utf16le.*log = Utf16(base.*log, false);
        utf16be.*log = Utf16(base.*log, true);
    }
    EXPECT_EQ(Report(utf8).lists, expected.lists);
    EXPECT_EQ(Report(utf16le).lists, expected.lists);
    EXPECT_EQ(Report(utf16be).lists, expected.lists);

    // A log holding nothing but a byte-order mark is an empty log.
    const DayReportResult empty = Report(Logs{});
    for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        const DayReportResult marks = Report(Logs{mark, mark, mark, mark});
        EXPECT_FALSE(marks.error);
        EXPECT_EQ(marks.lists, empty.lists);
    }
}

std::string MixCase(std::string text, unsigned seed) {
    for (char& c : text) {
        seed = seed * 1103515245u + 12345u;
        if (((seed >> 16) & 1u) == 0) continue;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

TEST(ReportOnBadInput, KeysAndMasksInEveryLetterCase) {
    // A rapid-scan day, so that the item keys carry letters ("RP", "R9").
    Logs logs;
    for (int m = 0; m < 1440; m += 5) {
        char key[16];
        std::snprintf(key, sizeof key, "20240105%02d%02d", m / 60, m % 60);
        logs.seg +=
            std::string(key) + "=" + Record("R", "R", m == 600 ? "c3" : "FF") + ",R53=F\r\n";
    }
    logs.late = "202401051000=9=0c,12=c00000\r\n";
    logs.files = "20240105-dcp=x_x\r\n20240105-gts-3=_#__\r\n20240105-acmad=##x\r\n";
    StartupState canonical = Station(logs);
    ASSERT_TRUE(canonical.IsRapidScan());
    const DayReportResult expected = BuildDayReport(canonical, EveryCheck(), kDay);
    ASSERT_FALSE(expected.error);
    ASSERT_TRUE(Has(expected.lists.missingSegs, "   HRIT ch 09,  seg: 6 "));

    for (unsigned seed = 1; seed <= 4; ++seed) {
        const Logs mixed{MixCase(logs.seg, seed), MixCase(logs.late, seed + 10),
                         MixCase(logs.files, seed + 20), ""};
        // The service is told from the keys as written; only the look-ups ignore case.
        StartupState s = Station(mixed);
        s.Mode = canonical.Mode;
        s.NoPrologCheck = canonical.NoPrologCheck;
        const DayReportResult r = BuildDayReport(s, EveryCheck(), kDay);
        EXPECT_FALSE(r.error);
        EXPECT_EQ(r.lists, expected.lists) << "seed " << seed;
    }
}

TEST(ReportOnBadInput, MasksLongerThanEightDigits) {
    const Logs base = PrimeDay();
    const std::string good = "202401051215=" + Record("", "", "F3");

    // Leading zeros do not make a mask too wide.
    Logs padded = base;
    padded.seg.replace(padded.seg.find(good), good.size(),
                       "202401051215=" + Record("", "", "0000000000F3"));
    EXPECT_EQ(Report(padded).lists, Report(base).lists);

    // Nine significant digits do not fit in 32 bits: the run ends with the mask's message.
    Logs wide = base;
    wide.seg.replace(wide.seg.find(good), good.size(),
                     "202401051215=" + Record("", "", "1FFFFFFFF"));
    const DayReportResult r = Report(wide);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "''$1FFFFFFFF'' is not a valid integer value");

    // In the late history too.
    Logs late = base;
    late.late = "202401050600=9=$100000000\r\n";
    ASSERT_TRUE(Report(late).error);
    EXPECT_EQ(*Report(late).error, "''$100000000'' is not a valid integer value");

    // A prolog or epilog mask that cannot be read only counts the file as missing.
    Logs prolog = base;
    prolog.seg.replace(
        prolog.seg.find(good), good.size(),
        "202401051215=P=1FFFFFFFF," + good.substr(std::string("202401051215=P=1,").size()));
    const DayReportResult p = Report(prolog);
    ASSERT_FALSE(p.error);
    EXPECT_TRUE(Has(p.lists.missingSegs, "   HRIT prolog missing"));
}

TEST(ReportOnBadInput, QuoteThatNeverClosesSwallowsTheRestOfItsRecord) {
    // The quoted item runs to the end of the record and becomes channel 9's mask text, which
    // is no mask: the run ends with the message naming what was swallowed.
    Logs logs = PrimeDay();
    const std::string good = "202401051215=" + Record("", "", "F3");
    std::string broken = good;
    broken.replace(broken.find(",9=F3"), 5, ",\"9=F3");
    logs.seg.replace(logs.seg.find(good), good.size(), broken);
    const DayReportResult r = Report(logs);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "''$F3,10=FF,11=FF,12=FFFFFF'' is not a valid integer value");
    // What the lists held when the run stopped: the cycles before 12:15 were scanned.
    EXPECT_TRUE(Has(r.lists.missingSlots, " 0545"));
    EXPECT_FALSE(Has(r.lists.missingSegs, "   HRIT ch 09,  seg: 3 4 "));
}

// A log that was still being written when it was loaded ends in part of a line.
TEST(ReportOnBadInput, HalfWrittenLastLineIsReportedAsFarAsItWasWritten) {
    const Logs base = PrimeDay();
    const std::string last = "202401051830=" + Record("", "", "FF");
    const DayReportResult withoutLine = Report(base);
    const std::size_t recordStart = std::string("202401051830=").size();
    const std::size_t firstItem = std::string("202401051830=P=1").size();

    for (std::size_t cut = 0; cut <= last.size(); cut += cut < firstItem + 4 ? 1 : 3) {
        Logs logs = base;
        logs.seg += last.substr(0, cut);
        const DayReportResult r = Report(logs);
        // A cut mask is still hexadecimal: such a record never stops the run.
        ASSERT_FALSE(r.error) << cut;
        if (cut <= recordStart) {
            // Until its "=" and a record are written the line names no minute.
            EXPECT_EQ(r.lists, withoutLine.lists) << cut;
            continue;
        }
        Logs ended = logs;
        ended.seg += "\r\n";
        EXPECT_EQ(r.lists, Report(ended).lists) << cut;
        // From its first whole item on, the cycle counts as received.
        EXPECT_EQ(Has(r.lists.missingSlots, " 1830"), cut < firstItem) << cut;
    }
    // Cut inside the line end: the CR alone already ends the line.
    Logs cr = base;
    cr.seg += last + "\r";
    Logs crlf = base;
    crlf.seg += last + "\r\n";
    EXPECT_EQ(Report(cr).lists, Report(crlf).lists);

    // A UTF-16 log cut between the two bytes of a character ends in a replacement
    // character; on a record of the day that makes the last mask unreadable.
    Logs utf16 = base;
    utf16.seg = Utf16(base.seg + last, false) + "F";
    const DayReportResult u = Report(utf16);
    ASSERT_TRUE(u.error);
    EXPECT_EQ(*u.error, "''$FFFFFF\xEF\xBF\xBD'' is not a valid integer value");
}

// Saving where it cannot succeed.
class FailedSave : public ::testing::Test {
  protected:
    void SetUp() override {
        report_ = dir_ / "2024-01-05-missing-segments.txt";
        ASSERT_FALSE(WriteReportFile(report_, {"yesterday's report"}).failure);
        for (int i = 0; i < 2000; ++i)
            lines_.push_back("   HRIT ch 09,  seg: 3 4 " + std::to_string(i));
    }
    // The old report is whole and nothing else was left behind.
    void ExpectOnlyTheOldReport() {
        EXPECT_EQ(test::ReadFile(report_), "yesterday's report\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);
    }
    const test::TempDir temp_{"gapscope_failed_save_"};
    const fs::path dir_ = temp_.path();
    fs::path report_;
    Lines lines_;
};

TEST_F(FailedSave, MissingDataDirectory) {
    const auto error = WriteReportFile(dir_ / "unplugged" / report_.filename(), lines_).failure;
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("cannot create"), std::string::npos);
    ExpectOnlyTheOldReport();
}

TEST_F(FailedSave, DataDirectoryUnderARegularFile) {
    std::ofstream(dir_ / "not-a-directory") << "x";
    EXPECT_TRUE(WriteReportFile(dir_ / "not-a-directory" / report_.filename(), lines_).failure);
    EXPECT_EQ(test::ReadFile(report_), "yesterday's report\r\n");
}

TEST_F(FailedSave, DirectoryInThePlaceOfTheReport) {
    const fs::path occupied = dir_ / "2024-01-06-missing-segments.txt";
    fs::create_directories(occupied / "inside");
    const auto error = WriteReportFile(occupied, lines_).failure;
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("cannot replace"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(occupied / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2);
}

TEST_F(FailedSave, ReadOnlyDataDirectory) {
    if (!temp_.SetImmutable(true)) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        if (access(dir_.c_str(), W_OK) == 0)
            GTEST_SKIP() << "no way to make a directory read-only here";
    }
    EXPECT_TRUE(WriteReportFile(report_, lines_).failure);
    temp_.Unlock();
    ExpectOnlyTheOldReport();
}

TEST_F(FailedSave, FullDisk) {
    // A file-size limit fails the write part way, as a full disk would.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = WriteReportFile(report_, lines_).failure;
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("cannot write"), std::string::npos);
    ExpectOnlyTheOldReport();
}

}  // namespace
}  // namespace gapscope
