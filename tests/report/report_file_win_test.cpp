// Saving a report on Windows: the old report replaced in one step even while another
// program has it open, a wait and then a clean failure when that program forbids it, and
// folders whose names the ANSI code page cannot spell.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "report/report_file.h"
#include "startup/system_text.h"
#include "tests/support/test_support.h"
#include "tests/support/win_process.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Another program's handle on the old report, opened with the given sharing.
class Holder {
  public:
    Holder(const fs::path& path, DWORD sharing)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~Holder() { Close(); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (IsOpen()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_;
};

class ReportFileOnWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        report_ = dir_ / L"2024-01-05-missing-segments.txt";
        std::ofstream(report_, std::ios::binary) << "old report\r\n";
    }

    // Files other than the report itself (temporaries left behind).
    int Leftovers() const {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename().wstring().rfind(L".2024", 0) == 0) ++n;
        }
        return n;
    }

    test::TempDir temp_{"gapscope-report-file-win-"};
    const fs::path dir_ = temp_.path();
    fs::path report_;
};

TEST_F(ReportFileOnWindows, AReportHeldOpenWithDeleteSharingIsReplaced) {
    Holder viewer(report_, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(viewer.IsOpen());
    int waits = 0;
    const RetryPolicy retry{3, milliseconds{500}, [&](milliseconds) { ++waits; }};
    EXPECT_EQ(WriteReportFile(report_, {"new", "report"}, retry).failure, std::nullopt);
    viewer.Close();
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(test::ReadFile(report_), "new\r\nreport\r\n");
    EXPECT_EQ(Leftovers(), 0);
}

TEST_F(ReportFileOnWindows, AReportHeldWithReadSharingOnlyIsRetriedThenLeftIntact) {
    Holder viewer(report_, FILE_SHARE_READ);
    ASSERT_TRUE(viewer.IsOpen());
    std::vector<milliseconds> waits;
    const RetryPolicy retry{4, milliseconds{250},
                            [&](milliseconds pause) { waits.push_back(pause); }};
    const auto problem = WriteReportFile(report_, {"new"}, retry).failure;
    viewer.Close();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("held open by another program"), std::string::npos) << *problem;
    // Four attempts with a pause between each two.
    EXPECT_EQ(waits, std::vector<milliseconds>(3, milliseconds{250}));
    EXPECT_EQ(test::ReadFile(report_), "old report\r\n");
    EXPECT_EQ(Leftovers(), 0);
}

TEST_F(ReportFileOnWindows, AReportReleasedDuringTheWaitIsReplaced) {
    Holder viewer(report_, FILE_SHARE_READ);
    ASSERT_TRUE(viewer.IsOpen());
    int waits = 0;
    const RetryPolicy retry{10, milliseconds{500}, [&](milliseconds) {
                                if (++waits == 2) viewer.Close();
                            }};
    EXPECT_EQ(WriteReportFile(report_, {"new"}, retry).failure, std::nullopt);
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(test::ReadFile(report_), "new\r\n");
}

TEST_F(ReportFileOnWindows, AFolderInTheReportsPlaceFailsAtOnce) {
    const fs::path folder = dir_ / L"2024-01-06-missing-segments.txt";
    fs::create_directories(folder / L"inside");
    int waits = 0;
    const RetryPolicy retry{3, milliseconds{500}, [&](milliseconds) { ++waits; }};
    EXPECT_TRUE(WriteReportFile(folder, {"new"}, retry).failure);
    EXPECT_EQ(waits, 0);
    EXPECT_TRUE(fs::is_directory(folder / L"inside"));
}

TEST_F(ReportFileOnWindows, FoldersNamedInAnyAlphabetAreWrittenTo) {
    // Latin letters of code page 1252 and Greek and Cyrillic ones that it lacks.
    const std::string name =
        "Z\xC3\xBCrich \xC3\x98rsted \xCE\xA3\xCF\x84\xCE\xB1\xCE\xB8\xCE\xBC\xCF\x8C\xCF\x82 "
        "\xD0\xA1\xD1\x82\xD0\xB0\xD0\xBD\xD1\x86\xD0\xB8\xD1\x8F";
    StartupState startup;
    startup.DataDirectory = TextOfPath(dir_) + "\\" + name + "\\";
    fs::create_directories(dir_ / test::Wide(name));
    const fs::path path = ReportFilePath(startup, dir_, Day{std::chrono::year{2024} / 1 / 5});
    EXPECT_EQ(path, dir_ / test::Wide(name) / L"2024-01-05-missing-segments.txt");
    EXPECT_EQ(WriteReportFile(path, {"new"}).failure, std::nullopt);
    EXPECT_EQ(test::ReadFile(dir_ / test::Wide(name) / L"2024-01-05-missing-segments.txt"), "new\r\n");
}

TEST(SystemTextOnWindows, ReportTextIsWrittenInTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "written for code page 1252, this system has " << GetACP();
    EXPECT_EQ(SystemText("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");  // é and the euro sign
    EXPECT_EQ(SystemText("\xCE\xA3"), "?");                             // Greek: not in the page
    EXPECT_EQ(SystemText("caf\xE9"), "caf\xE9");                        // no UTF-8: unchanged
    EXPECT_EQ(SystemText(""), "");
}

}  // namespace
}  // namespace gapscope
