// gapscope-report --picture: the print and range modes print what they print without it and
// have gapscope-picture write the picture; what does not go with it is bad usage.
#include <QImage>
#include <gtest/gtest.h>

#include <sstream>

#include "command/report_command.h"
#include "command/report_picture.h"
#include "pictures/picture_layout.h"
#include "pictures/palette.h"
#include "pictures/timeline_model.h"
#include "startup/system_text.h"
#include "tests/support/test_support.h"
#include "tests/tools/sim_test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using std::chrono::days;

constexpr Day kDay = test::Date(2024, 3, 5);

class ReportPicture : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::SimulationConfig config =
            sim::testing::CleanConfig(ScanMode::Prime, kDay - days{2}, kDay);
        config.injections.push_back(sim::testing::Inject("cycle@2024-03-05T03:00"));
        ASSERT_TRUE(sim::SimulateToDirectory(config, station_, false).summary.has_value());
        env_.programDirectory = dir_.path() / "program";
        env_.computerName = "Groundstation";
        env_.now = std::chrono::sys_days{kDay + days{1}} + std::chrono::hours{6};
        env_.versionText = "3.1.23.1366";
        env_.pictureProgram = GAPSCOPE_PICTURE_EXE;
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunReportCommand(args, env_, out_, err_);
    }
    std::vector<std::string> Args(std::vector<std::string> more) const {
        std::vector<std::string> args = {station_.string(), "--defaults"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::string Picture(const char* name) const { return (dir_.path() / name).string(); }

    test::TempDir dir_{"gapscope-report-picture-"};
    fs::path station_ = dir_.path() / "station";
    CommandEnvironment env_;
    std::ostringstream out_, err_;
};

TEST_F(ReportPicture, TheDayPrintsAsBeforeAndItsTimelineIsDrawn) {
    for (const std::vector<std::string>& mode : {std::vector<std::string>{}, {"--format", "json"}}) {
        ASSERT_EQ(Run(Args(mode)), kExitDone);
        const std::string printed = out_.str();
        std::vector<std::string> withPicture = mode;
        withPicture.insert(withPicture.end(), {"--picture", Picture("day.png")});
        ASSERT_EQ(Run(Args(withPicture)), kExitDone) << err_.str();
        EXPECT_EQ(out_.str(), printed);
        EXPECT_EQ(err_.str(), "");
    }
    // Yesterday's timeline: the lost cycle of 03:00 in channel 1's row.
    const QImage image(QString::fromStdString(Picture("day.png")));
    ASSERT_FALSE(image.isNull());
    pictures::Timeline shape;
    shape.rows.resize(1);
    const pictures::PictureLayout layout = pictures::LayoutTimeline(shape);
    const pictures::Box lost = layout.Cell(0, 12);
    const pictures::Box kept = layout.Cell(0, 13);
    const auto& missing = pictures::colour::kMissing;
    const auto& received = pictures::colour::kReceived;
    EXPECT_EQ(image.pixel(lost.x + 2, lost.y + 2) | 0xFF000000u, qRgb(missing.r, missing.g, missing.b));
    EXPECT_EQ(image.pixel(kept.x + 2, kept.y + 2) | 0xFF000000u, qRgb(received.r, received.g, received.b));
}

TEST_F(ReportPicture, TheRangePrintsAsBeforeAndItsHeatMapIsDrawn) {
    const std::vector<std::string> range = {"--from", "2024-03-02", "--to", "2024-03-06"};
    ASSERT_EQ(Run(Args(range)), kExitDone);
    const std::string printed = out_.str();
    std::vector<std::string> withPicture = range;
    withPicture.insert(withPicture.end(), {"--picture", Picture("week.svg")});
    ASSERT_EQ(Run(Args(withPicture)), kExitDone) << err_.str();
    EXPECT_EQ(out_.str(), printed);
    const std::string svg = test::ReadFile(Picture("week.svg"));
    EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 40);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    // The day before the logs begin is said so, never drawn as all missing.
    EXPECT_NE(svg.find("no logs"), std::string::npos);
    EXPECT_NE(svg.find("before the logs begin"), std::string::npos);
}

TEST_F(ReportPicture, WhatDoesNotGoWithAPicture) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--save", "--picture", Picture("a.png")}, "--picture only goes with the printed report or --from"},
        {{"--from", "2024-03-04", "--save", "--picture", Picture("a.png")},
         "--picture only goes with the printed report or --from"},
        {{"--picture", Picture("a.jpg")},
         "--picture takes a file name ending in .png or .svg, not '" + Picture("a.jpg") + "'"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(Run(Args(args)), kExitBadUsage) << message;
        EXPECT_EQ(err_.str().rfind("gapscope-report: " + message + "\n", 0), 0u) << err_.str();
        EXPECT_EQ(out_.str(), "");
    }
    EXPECT_FALSE(fs::exists(Picture("a.png")));
}

TEST_F(ReportPicture, APictureThatCannotBeWrittenEndsWithStatus3AfterTheReport) {
    const std::string nowhere = (dir_.path() / "no-such-folder" / "day.png").string();
    EXPECT_EQ(Run(Args({"--picture", nowhere})), kExitSaveFailed);
    EXPECT_NE(out_.str().find("Missing cycles report"), std::string::npos);
    EXPECT_EQ(err_.str(), "gapscope-report: cannot write the picture: cannot create a file in " +
                              (dir_.path() / "no-such-folder").string() +
                              ": No such file or directory\n");
}

TEST_F(ReportPicture, ANameThatIsNotUtf8IsWrittenAsItIs) {
    // Linux names are bytes; such a name once ended the run with the runtime's abort.
    const fs::path folder = dir_.path() / PathFromText("Bilder \xFF");
    fs::create_directory(folder);
    const std::string picture = TextOfPath(folder / PathFromText("d\xE9" "a.png"));
    EXPECT_EQ(Run(Args({"--picture", picture})), kExitDone) << err_.str();
    EXPECT_GT(fs::file_size(PathFromText(picture)), 1000u);
}

TEST_F(ReportPicture, APictureProgramThatFailsIsReportedAfterTheReport) {
    const fs::path program = dir_.path() / "failing-picture";
    std::ofstream(program) << "#!/bin/sh\ncat >/dev/null\necho 'cannot draw: out of memory'\nexit 3\n";
    fs::permissions(program, fs::perms::owner_all);
    env_.pictureProgram = program;
    EXPECT_EQ(Run(Args({"--picture", Picture("a.png")})), kExitSaveFailed);
    EXPECT_NE(out_.str().find("Missing cycles report"), std::string::npos);
    EXPECT_EQ(err_.str(), "gapscope-report: cannot write the picture: cannot draw: out of memory\n");
}

TEST(PictureProgram, FoundBesideTheCommandOrInLibexecBesideItsFolder) {
    const test::TempDir dir{"gapscope-picture-program-"};
    const fs::path bin = dir.path() / "usr" / "bin";
    const fs::path libexec = dir.path() / "usr" / "libexec" / "gapscope" / "gapscope-picture";
    fs::create_directories(bin);
    fs::create_directories(libexec.parent_path());
    const auto place = [](const fs::path& file, fs::perms perms) {
        std::ofstream(file) << "#!/bin/sh\n";
        fs::permissions(file, perms);
    };
    // The install location of this build may hold one: the others must come first.
    const auto found = [&] { return FindPictureProgram(bin).value_or(GAPSCOPE_PICTURE_PROGRAM); };
    EXPECT_EQ(found(), fs::path(GAPSCOPE_PICTURE_PROGRAM));
    place(libexec, fs::perms::owner_read);  // not a program
    EXPECT_EQ(found(), fs::path(GAPSCOPE_PICTURE_PROGRAM));
    fs::permissions(libexec, fs::perms::owner_all);
    EXPECT_EQ(found(), libexec);
    place(bin / "gapscope-picture", fs::perms::owner_all);
    EXPECT_EQ(found(), bin / "gapscope-picture");
}

TEST_F(ReportPicture, ADayWhoseReportFailsHasNoPicture) {
    // A bad mask on the report day, first among its key's lines.
    const std::string seg = test::ReadFile(station_ / "SegHistory.log");
    std::ofstream(station_ / "SegHistory.log", std::ios::binary) << "202403051200=1=ZZ\r\n" << seg;
    EXPECT_EQ(Run(Args({"--picture", Picture("day.png")})), kExitReportFailed);
    EXPECT_EQ(out_.str(), "");
    EXPECT_FALSE(fs::exists(Picture("day.png")));
}

}  // namespace
}  // namespace gapscope
