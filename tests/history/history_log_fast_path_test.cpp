// The loader splits lines, indexes keys and collects dates in one vectorised pass over
// 64-byte blocks. Here it is held to plain byte-by-byte readings of the same text: on
// random texts full of the bytes that matter (digits, CR, LF, "=", NUL, high bytes, case),
// on texts whose runs and line ends straddle block edges, and on the fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "history/history_log.h"
#include "history/log_text.h"

namespace gapscope {
namespace {

// ---- Plain readings, one byte at a time -------------------------------------------------

std::vector<std::string_view> PlainLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

// The value of the first line of each key, keys folded to lower case.
std::map<std::string, std::string_view> PlainIndex(const std::vector<std::string_view>& lines) {
    std::map<std::string, std::string_view> index;
    for (const std::string_view line : lines) {
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos)
            index.emplace(Folded(line.substr(0, eq)), line.substr(eq + 1));
    }
    return index;
}

std::string_view PlainValueOf(const std::map<std::string, std::string_view>& index,
                              std::string_view key) {
    if (key.find('=') != std::string_view::npos) return {};
    const auto found = index.find(Folded(key));
    return found == index.end() ? std::string_view{} : found->second;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Every 8-digit window of the text whose month is 1..12 and day 1..31.
std::set<std::string> PlainDates(std::string_view text) {
    std::set<std::string> dates;
    for (std::size_t i = 0; i + 8 <= text.size(); ++i) {
        const std::string_view w = text.substr(i, 8);
        if (!std::all_of(w.begin(), w.end(), IsDigit)) continue;
        const int month = (w[4] - '0') * 10 + (w[5] - '0');
        const int day = (w[6] - '0') * 10 + (w[7] - '0');
        if (month >= 1 && month <= 12 && day >= 1 && day <= 31) dates.emplace(w);
    }
    return dates;
}

// ---- Comparison ----------------------------------------------------------------------------

std::string SwapCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

void ExpectSameAsPlain(std::string_view text, const HistoryLog& log, std::mt19937& random) {
    const std::vector<std::string_view> lines = PlainLines(text);
    const auto index = PlainIndex(lines);
    ASSERT_EQ(log.LineCount(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(log.Line(i), lines[i]) << "line " << i;
        const std::size_t eq = lines[i].find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = lines[i].substr(0, eq);
        ASSERT_EQ(log.ValueOf(key), PlainValueOf(index, key)) << "key of line " << i;
        const std::string swapped = SwapCase(key);
        ASSERT_EQ(log.ValueOf(swapped), PlainValueOf(index, swapped));
    }
    // Keys that are no line's: cut short, lengthened, or made of random digits.
    for (int k = 0; k < 20 && !lines.empty(); ++k) {
        const std::string_view line = lines[random() % lines.size()];
        const std::string key(line.substr(0, random() % (line.size() + 1)));
        ASSERT_EQ(log.ValueOf(key), PlainValueOf(index, key));
        ASSERT_EQ(log.ValueOf(key + "0"), PlainValueOf(index, key + "0"));
    }

    const std::set<std::string> dates = PlainDates(text);
    for (const std::string& date : dates) ASSERT_TRUE(log.ContainsDate(date)) << date;
    for (int k = 0; k < 50; ++k) {
        const std::string date = std::to_string(10000000 + random() % 90000000);
        ASSERT_EQ(log.ContainsDate(date), dates.count(date) == 1) << date;
    }
}

// Texts of log-like pieces and of the bytes the scan singles out, so that line ends, keys
// and digit runs fall at every place of a block.
std::string RandomText(std::mt19937& random, std::size_t length) {
    static const std::vector<std::string> pieces = {"\r",
                                                    "\n",
                                                    "\r\n",
                                                    "=",
                                                    ",",
                                                    "\0",
                                                    "\x80",
                                                    "\xFF",
                                                    "0",
                                                    "7",
                                                    "9",
                                                    ":",
                                                    "/",
                                                    "a",
                                                    "Z",
                                                    "202401151215=9=FF,12=FFFFFF",
                                                    "20240116-dcp=1111111111111111111111#11111_11",
                                                    "R9=E0",
                                                    "ip=1",
                                                    "67=01",
                                                    "19991231",
                                                    "0000000000000000000000000000",
                                                    "11111111",
                                                    "2024013",
                                                    "1232",
                                                    "99999999",
                                                    "\r\n202401151230=",
                                                    "k=v",
                                                    "K=w"};
    std::string text;
    while (text.size() < length) {
        const std::string& piece = pieces[random() % pieces.size()];
        if (piece.empty()) {
            text.push_back('\0');
        } else {
            text += piece;
        }
    }
    return text;
}

TEST(HistoryLogFastPath, AgreesWithPlainReadingsOnRandomTexts) {
    std::mt19937 random(20240115);
    for (int round = 0; round < 400; ++round) {
        const std::size_t length = random() % (round < 300 ? 300 : 5000);
        const std::string text = RandomText(random, length);
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameAsPlain(text, HistoryLog::FromBytes(text), random);
        if (HasFatalFailure()) return;
    }
}

TEST(HistoryLogFastPath, RunsAndLineEndsAcrossBlockEdges) {
    std::mt19937 random(7);
    for (std::size_t at = 50; at < 140; ++at) {
        // A CR LF pair, a key and long digit runs placed at `at`, behind filler.
        for (const std::string& tail :
             {std::string("\r\n20240115=x"), std::string("20250229123101\n"),
              std::string(70, '3') + "x", std::string("1=2\r") + std::string(9, '1')}) {
            const std::string text = std::string(at, 'x') + tail + "\n" + std::string(at % 7, '5');
            ExpectSameAsPlain(text, HistoryLog::FromBytes(text), random);
            if (HasFatalFailure()) return;
        }
    }
}

TEST(HistoryLogFastPath, ManyMinuteKeysWithRepeatsAndCaseVariants) {
    // The shape of a real segment history: one key per minute, some repeated later in
    // another case, all of them found and the first line of each winning.
    std::string text;
    for (int minute = 0; minute < 20000; ++minute) {
        char key[32];
        std::snprintf(key, sizeof key, "2024%02d%02d%02d%02d", 1 + minute / 1440 % 12,
                      1 + minute / 60 % 28, minute / 60 % 24, minute % 60);
        text += std::string(minute % 3 == 0 ? "r" : "R") + key + "=1=FF,12=FFFFFF\r\n";
        if (minute % 97 == 0) text += "R" + std::string(key) + "=late\r\n";
    }
    std::mt19937 random(1);
    ExpectSameAsPlain(text, HistoryLog::FromBytes(text), random);
}

TEST(HistoryLogFastPath, LargeTextsBuiltInTwoHalvesReadAsPlain) {
    // A text of a megabyte or more is built by two threads, split at a line start near its
    // middle: whatever stands there, the lines, keys and dates are those of one reading.
    std::mt19937 random(20261208);
    for (int round = 0; round < 3; ++round) {
        const std::string text = RandomText(random, (std::size_t{1} << 20) + random() % 4096);
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameAsPlain(text, HistoryLog::FromBytes(text), random);
        if (HasFatalFailure()) return;
    }
    // Minute keys whose repeats (in the other case) and first lines fall on both sides of
    // the middle, a long line across it and a last line without a line end.
    std::string text;
    for (int minute = 0; text.size() < (std::size_t{1} << 20) + 5000; ++minute) {
        char key[32];
        std::snprintf(key, sizeof key, "2024%02d%02d%02d%02d", 1 + minute / 1440 % 12,
                      1 + minute / 60 % 28, minute / 60 % 24, minute % 60);
        text += std::string(minute % 2 == 0 ? "r" : "R") + key + "=1=FF,12=FFFFFF\r\n";
        if (minute % 1001 == 0) text += "seq" + std::to_string(minute % 3) + "=" + key + "\n";
        if (minute == 9000) text += std::string(9000, '7') + "=long\r";
    }
    text += "20261231=last";
    ExpectSameAsPlain(text, HistoryLog::FromBytes(text), random);
}

TEST(HistoryLogFastPath, NeedlesNextToTheMiddleOfALargeTextAreFound) {
    // Lines of one length, so that the lines next to the split are known: each of their
    // keys is searched for once, with the last line's and one that is nowhere.
    constexpr std::size_t kLines = 90000;
    constexpr std::size_t kLineBytes = 14;  // "q0012345=vvvv\n"
    std::string text;
    for (std::size_t i = 0; i < kLines; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "q%07zu=vvvv\n", i);
        text += line;
    }
    ASSERT_GE(text.size(), std::size_t{1} << 20);
    const std::size_t middle = text.size() / 2 / kLineBytes;
    std::vector<std::string> keys;
    for (std::size_t i = middle - 3; i <= middle + 3; ++i)
        keys.push_back(text.substr(i * kLineBytes, 9));
    keys.push_back(text.substr((kLines - 1) * kLineBytes, 9));
    keys.emplace_back("q9999999=");
    const std::vector<std::string_view> needles(keys.begin(), keys.end());
    const HistoryLog log = HistoryLog::FromBytes(text, {.dates = false, .needles = needles});
    EXPECT_EQ(log.TextContainsEach(needles), (1u << (needles.size() - 1)) - 1);
    EXPECT_EQ(log.LineCount(), kLines);
}

TEST(HistoryLogFastPath, FixturesReadAsPlain) {
    for (const char* name : {"invalid_utf8.log", "no_final_eol.log", "nuls.log", "utf8_bom.log"}) {
        std::ifstream in(std::string(GAPSCOPE_TEST_DATA_DIR) + "/history/" + name,
                         std::ios::binary);
        ASSERT_TRUE(in.is_open()) << name;
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const LogReadResult read =
            ReadHistoryLog(std::string(GAPSCOPE_TEST_DATA_DIR) + "/history/" + name);
        ASSERT_EQ(read.status, LogReadStatus::Ok) << name;
        std::mt19937 random(3);
        ExpectSameAsPlain(DecodeLogBytes(bytes), read.log, random);
    }
}

TEST(HistoryLogFastPath, TextContainsEachAnswersAsTextContains) {
    std::mt19937 random(11);
    const std::string longRun(70, '3');
    for (int round = 0; round < 200; ++round) {
        const std::string text = RandomText(random, random() % 3000);
        const HistoryLog log = HistoryLog::FromBytes(text);
        const auto expectEach = [&](std::initializer_list<std::string_view> needles) {
            std::uint32_t expected = 0;
            std::size_t k = 0;
            for (const std::string_view needle : needles) {
                if (log.TextContains(needle)) expected |= std::uint32_t{1} << k;
                ++k;
            }
            EXPECT_EQ(log.TextContainsEach(needles), expected) << "round " << round;
        };
        expectEach({"IP=", "IE=", "I9=", "RP=", "RE=", "R9=", "67=", "71="});
        expectEach({"=", "FF,1", "\r\n20", "", "x", longRun, "1=2"});
        expectEach({"67=", "61=", "6=", "7"});
        if (HasFailure()) return;
    }
}

TEST(BlockScanners, EveryScannerAgreesWithThePlainOne) {
    const std::vector<BlockScanner>& scanners = BlockScanners();
    ASSERT_FALSE(scanners.empty());
    EXPECT_STREQ(scanners.back().name, "portable");
    const BlockScanner& plain = scanners.back();
    std::mt19937 random(5);
    const std::string bytes("\r\n=0123456789/:aZIP6\x80\xFF\0 ,", 25);
    constexpr std::size_t kBlocks = 8;
    // Sets of tests as needle searches make them: mixed ends, and a few or many sharing
    // their last byte and span (as the start-up needles do), which scanners may treat apart.
    const std::vector<std::vector<NeedleTest>> testSets = {
        {{'I', 'P', '=', 1, 2}, {'6', '6', '=', 0, 2}, {'=', '9', '0', 5, 9}},
        {{'I', 'I', '=', 0, 2}},
        {{'I', 'P', '=', 1, 2}, {'6', '6', '=', 0, 2}, {'Z', '0', '=', 1, 2}},
        {{'I', 'I', '=', 0, 2},
         {'6', '9', '=', 1, 2},
         {'7', '1', '=', 1, 2},
         {'a', 'Z', '=', 1, 2}},
        {{'I', 'I', '=', 0, 2},
         {'6', '9', '=', 1, 2},
         {'7', '1', '=', 1, 2},
         {'a', 'Z', '=', 1, 2},
         {'0', '0', '=', 0, 2}},
    };
    for (int round = 0; round < 300; ++round) {
        const std::vector<NeedleTest>& set = testSets[round % testSets.size()];
        const NeedleTest* const tests = set.data();
        // Blocks and the bytes after them that the needle tests read.
        std::string text((kBlocks + 1) * kBlockBytes, ' ');
        for (char& c : text) c = bytes[random() % bytes.size()];
        std::vector<BlockClasses> expected(kBlocks), got(kBlocks);
        plain.classify(text.data(), kBlocks, expected.data());
        std::vector<std::uint64_t> expectedNeedles(kBlocks), gotNeedles(kBlocks);
        plain.matchNeedles(text.data(), kBlocks, tests, set.size(), expectedNeedles.data());
        for (const BlockScanner& scanner : scanners) {
            scanner.classify(text.data(), kBlocks, got.data());
            ASSERT_EQ(got, expected) << scanner.name;
            scanner.matchNeedles(text.data(), kBlocks, tests, set.size(), gotNeedles.data());
            ASSERT_EQ(gotNeedles, expectedNeedles) << scanner.name;
        }
    }
}

}  // namespace
}  // namespace gapscope
