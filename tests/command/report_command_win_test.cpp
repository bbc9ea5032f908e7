// gapscope-report.exe as an operator runs it on Windows: options from the window's registry
// key, data folders by drive letter, UNC path and in any alphabet, the report beside the
// program by default, the version from the program's resource, the station's name from
// COMPUTERNAME, and the old report replaced or kept whole when another program holds it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "settings/version.h"
#include "settings/version_text_win.h"
#include "tests/support/test_support.h"
#include "tests/support/win_process.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using test::Reg;
using test::Wide;

// A rapid-scan segment history: the report file's name shows that it was read.
const char* const kSegHistory = "202401050000=RP=1,RE=1,R9=FF\r\n";
const char* const kReportName = "2024-01-05-RSS-missing-segments.txt";
const wchar_t* const kWindowKey = L"HKCU\\Software\\Quillan\\gapscope";

bool EveryLineEndsInCrLf(const std::string& text) {
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
        if (i == 0 || text[i - 1] != '\r') return false;
    }
    return !text.empty() && text.back() == '\n';
}

fs::path ReportProgram() {
    // The build names it by its path on the build machine; under Wine that path is on the
    // current drive, so the full path makes it a Windows one.
    wchar_t full[MAX_PATH];
    GetFullPathNameW(Wide(GAPSCOPE_REPORT_EXE).c_str(), MAX_PATH, full, nullptr);
    return full;
}

class ReportProgramOnWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        Reg({L"delete", kWindowKey, L"/f"});
    }
    void TearDown() override { Reg({L"delete", kWindowKey, L"/f"}); }

    static void WriteLogs(const fs::path& folder) {
        fs::create_directories(folder);
        std::ofstream(folder / L"SegHistory.log", std::ios::binary) << kSegHistory;
    }
    test::ProcessResult Run(const std::vector<std::wstring>& arguments,
                            const fs::path& program = ReportProgram()) const {
        return test::RunProgram(program, arguments);
    }
    // Saves the report of the test day from `folder` as given on the command line and
    // checks what the operator is told.
    void ExpectSaved(const std::wstring& folder) const {
        const test::ProcessResult result = Run({folder, L"--day", L"2024-01-05", L"--save"});
        ASSERT_EQ(result.status, 0u) << result.err;
        const bool separated = folder.back() == L'\\' || folder.back() == L'/';
        const std::wstring shown = folder + (separated ? L"" : L"\\") + Wide(kReportName);
        EXPECT_EQ(test::Utf8FromAnsi(result.out), "Report saved to: " + test::Utf8(shown) + "\r\n");
    }

    test::TempDir temp_{"gapscope-report-win-"};
    const fs::path dir_ = temp_.path();
};

TEST_F(ReportProgramOnWindows, VersionComesFromTheProgramsOwnResource) {
    EXPECT_EQ(FileVersionText(ReportProgram().wstring()), kVersionText);
    const test::ProcessResult result = Run({L"--version"});
    EXPECT_EQ(result.out, std::string("gapscope-report ") + kVersionText + "\r\n");
    // A program file without version information gives empty text.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(FileVersionText(self), "");
}

TEST_F(ReportProgramOnWindows, OptionsComeFromTheWindowsRegistryKey) {
    WriteLogs(dir_ / L"station");
    const test::ScopedVariable noName(L"COMPUTERNAME", L"");  // a banner without a time
    auto report = [&](std::vector<std::wstring> extra) {
        std::vector<std::wstring> arguments = {(dir_ / L"station").wstring(), L"--day",
                                               L"2024-01-05"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const test::ProcessResult result = Run(arguments);
        EXPECT_EQ(result.status, 0u) << result.err;
        return result.out;
    };
    const std::string defaults = report({L"--defaults"});
    const std::string withLritOnly = report({L"--defaults", L"--set", L"ReportMet8LritOnly=1"});
    ASSERT_NE(defaults, withLritOnly);
    EXPECT_EQ(report({}), defaults);

    ASSERT_EQ(Reg({L"add", kWindowKey, L"/v", L"ReportMet8LritOnly", L"/t", L"REG_DWORD", L"/d",
                   L"5", L"/f"}),
              0u);
    EXPECT_EQ(report({}), withLritOnly);
    // The same value as text is not a stored option.
    ASSERT_EQ(Reg({L"add", kWindowKey, L"/v", L"ReportMet8LritOnly", L"/t", L"REG_SZ", L"/d", L"1",
                   L"/f"}),
              0u);
    EXPECT_EQ(report({}), defaults);
}

TEST_F(ReportProgramOnWindows, DataFoldersByDriveLetterAndBackslashes) {
    const fs::path station = dir_ / L"station";
    WriteLogs(station);
    const std::wstring folder = station.wstring();
    ASSERT_EQ(folder.substr(1, 2), L":\\");
    ExpectSaved(folder);
    ExpectSaved(folder + L"\\");
    const std::string saved = test::ReadFile(station / kReportName);
    EXPECT_TRUE(EveryLineEndsInCrLf(saved)) << saved;
    EXPECT_NE(saved.find("Missing"), std::string::npos);

    std::wstring forward = folder;
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    ExpectSaved(forward);
    ExpectSaved(forward + L"/");
}

TEST_F(ReportProgramOnWindows, DataFolderOnAUncPath) {
    wchar_t share[256] = {};
    if (GetEnvironmentVariableW(L"GAPSCOPE_TEST_UNC_SHARE", share, 256) == 0) {
        GTEST_SKIP() << "GAPSCOPE_TEST_UNC_SHARE names no share";
    }
    const fs::path station = fs::path(share) / L"gapscope-unc-test";
    fs::remove_all(station);
    WriteLogs(station);
    ASSERT_EQ(station.wstring().substr(0, 2), L"\\\\");
    ExpectSaved(station.wstring());
    EXPECT_TRUE(EveryLineEndsInCrLf(test::ReadFile(station / kReportName)));
    fs::remove_all(station);
}

TEST_F(ReportProgramOnWindows, DataFoldersNamedInAnyAlphabet) {
    // Letters of the ANSI code page (1252 here) show as they are on standard output.
    const fs::path latin = dir_ / Wide("Z\xC3\xBCrich \xC3\x98rsted");
    WriteLogs(latin);
    ExpectSaved(latin.wstring());
    EXPECT_TRUE(fs::exists(latin / kReportName));

    // Greek and Cyrillic letters, which that page lacks: the logs are still read and the
    // report is saved in that folder.
    const fs::path other = dir_ / Wide(
                                      "\xCE\xA3\xCF\x84\xCE\xB1\xCE\xB8\xCE\xBC\xCF\x8C\xCF\x82 "
                                      "\xD0\xA1\xD1\x82\xD0\xB0\xD0\xBD\xD1\x86\xD0\xB8\xD1\x8F");
    WriteLogs(other);
    const test::ProcessResult result = Run({other.wstring(), L"--day", L"2024-01-05", L"--save"});
    EXPECT_EQ(result.status, 0u) << result.err;
    EXPECT_TRUE(fs::exists(other / kReportName));
}

TEST_F(ReportProgramOnWindows, WithoutAFolderTheProgramsOwnFolderIsUsed) {
    const fs::path installed = dir_ / L"installed";
    WriteLogs(installed);
    fs::copy_file(ReportProgram(), installed / L"gapscope-report.exe");
    const test::ProcessResult result =
        Run({L"--day", L"2024-01-05", L"--save"}, installed / L"gapscope-report.exe");
    ASSERT_EQ(result.status, 0u) << result.err;
    EXPECT_EQ(test::Utf8FromAnsi(result.out),
              "Report saved to: " + test::Utf8((installed / kReportName).wstring()) + "\r\n");
    EXPECT_TRUE(fs::exists(installed / kReportName));
}

TEST_F(ReportProgramOnWindows, ThePictureIsPaintedByTheProgramAloneAsPngOrSvg) {
    const fs::path installed = dir_ / L"installed";
    WriteLogs(installed);
    fs::copy_file(ReportProgram(), installed / L"gapscope-report.exe");
    for (const std::vector<std::wstring>& days :
         {std::vector<std::wstring>{L"--day", L"2024-01-05"}, {L"--from", L"2024-01-04", L"--to", L"2024-01-05"}}) {
        for (const wchar_t* kind : {L"png", L"svg"}) {
            const fs::path picture = installed / (L"picture." + std::wstring(kind));
            std::vector<std::wstring> arguments = {installed.wstring(), L"--defaults"};
            arguments.insert(arguments.end(), days.begin(), days.end());
            arguments.insert(arguments.end(), {L"--picture", picture.wstring()});
            const test::ProcessResult result = Run(arguments, installed / L"gapscope-report.exe");
            ASSERT_EQ(result.status, 0u) << result.err;
            const std::string bytes = test::ReadFile(picture);
            if (kind == std::wstring(L"svg")) {
                EXPECT_TRUE(bytes.starts_with("<?xml") && bytes.ends_with("</svg>\n"));
            } else {
                // A PNG as wide as the pictures are (the width in its header).
                ASSERT_GT(bytes.size(), 24u);
                EXPECT_TRUE(bytes.starts_with("\x89PNG\r\n\x1a\n"));
                const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
                EXPECT_GT((byte(18) << 8) | byte(19), 1300);
            }
            fs::remove(picture);
        }
    }
}

TEST_F(ReportProgramOnWindows, TheStationsNameComesFromComputerName) {
    const fs::path station = dir_ / L"station";
    WriteLogs(station);
    const std::vector<std::wstring> save = {station.wstring(), L"--day", L"2024-01-05", L"--save"};
    {
        const test::ScopedVariable name(L"COMPUTERNAME", L"GROUND-STATION");
        ASSERT_EQ(Run(save).status, 0u);
        const std::regex banner(
            R"(\r\n\[Gapscope V3\.1\.23\.1366 on PC Ground-station at \d\d:\d\d UTC\]\r\n\r\n$)");
        EXPECT_TRUE(std::regex_search(test::ReadFile(station / kReportName), banner));
    }
    {
        const test::ScopedVariable name(L"COMPUTERNAME", std::nullopt);
        ASSERT_EQ(Run(save).status, 0u);
        const std::string saved = test::ReadFile(station / kReportName);
        EXPECT_TRUE(saved.ends_with("\r\n\r\n[From: Gapscope V" + std::string(kVersionText) + "]\r\n\r\n")) << saved;
    }
}

TEST_F(ReportProgramOnWindows, AReportHeldOpenIsReplacedOrKeptWhole) {
    const fs::path station = dir_ / L"station";
    WriteLogs(station);
    const fs::path report = station / kReportName;
    const std::vector<std::wstring> save = {station.wstring(), L"--day", L"2024-01-05", L"--save"};
    const test::ScopedVariable quick(L"GAPSCOPE_BUSY_WAIT", L"0");
    auto hold = [&](DWORD sharing) {
        return CreateFileW(report.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };

    std::ofstream(report, std::ios::binary) << "old report\r\n";
    HANDLE viewer = hold(FILE_SHARE_READ);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const test::ProcessResult refused = Run(save);
    CloseHandle(viewer);
    EXPECT_EQ(refused.status, 3u);
    EXPECT_NE(refused.err.find("could not be saved"), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadFile(report), "old report\r\n");

    viewer = hold(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const test::ProcessResult replaced = Run(save);
    CloseHandle(viewer);
    EXPECT_EQ(replaced.status, 0u) << replaced.err;
    EXPECT_NE(test::ReadFile(report).find("Missing"), std::string::npos);
}

}  // namespace
}  // namespace gapscope
