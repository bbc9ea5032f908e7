#include "window_model/data_label.h"

#include <gtest/gtest.h>

#include "unattended/unattended_run.h"

namespace gapscope {
namespace {

using namespace std::chrono_literals;

const std::chrono::sys_seconds kReadAt =
    std::chrono::sys_days{std::chrono::year{2024} / 1 / 6} + 6h + 10min + 30s;

StartupLoad Loaded(bool anyLogFound, bool logsLoaded) {
    StartupLoad load;
    load.state.DataDirectory = "/srv/station/";
    load.state.SegHistory = HistoryLog::FromText("202401052345=P=1\n");
    load.state.LateSegHistory = HistoryLog::FromText("202401060545=1=01\n");
    load.anyLogFound = anyLogFound;
    load.logsLoaded = logsLoaded;
    load.unreadableLog = "FileHistory.log";
    load.unreadableReason = "Permission denied";
    return load;
}

TEST(DataLabel, SaysWhereTheLogsCameFromWhenTheyWereReadAndTheNewestRecord) {
    const DataLabel label = DescribeSource(Loaded(true, true), true, kReadAt);
    EXPECT_EQ(label, (DataLabel{"Data from: ", "/srv/station/",
                                "/srv/station/\nLogs read 2024-01-06 06:10 UTC; newest record "
                                "2024-01-06 05:45 UTC.\nClick to choose the station's folder.",
                                DataState::Read, " (read 06:10, newest 05:45 UTC)"}));
    // A newest record of another day is given with its date.
    EXPECT_EQ(DescribeSource(Loaded(true, true), true, kReadAt + std::chrono::days{1}).detail,
              " (read 06:10, newest 2024-01-06 05:45 UTC)");
    StartupLoad empty = Loaded(true, true);
    empty.state.SegHistory = empty.state.LateSegHistory = HistoryLog{};
    EXPECT_NE(DescribeSource(empty, true, kReadAt).tooltip.find("; no minute record in them."),
              std::string::npos);
}

// A station clock set wrong: records after the reading are not the newest, and are told.
TEST(DataLabel, RecordsStampedAfterNowAreToldNotShownAsTheNewest) {
    StartupLoad load = Loaded(true, true);
    load.state.DataDirectory = "/srv/st\nation\xe9/";
    load.state.SegHistory = HistoryLog::FromText(
        "202401052345=P=1\n202401060630=P=1\n202401060640=P=1\n209912312345=P=1\n");
    load.state.LateSegHistory = HistoryLog::FromText("202401060545=1=01\n209912312345=1=01\n");
    DeriveStartupFlags(load.state, load.segScan, std::chrono::floor<std::chrono::minutes>(kReadAt));
    const DataLabel label = DescribeSource(load, true, kReadAt);
    EXPECT_EQ(label.folder, "/srv/st?ation\xef\xbf\xbd/");
    EXPECT_EQ(label.detail, " (read 06:10, newest 05:45 UTC, 3 after now)");
    EXPECT_NE(label.tooltip.find("; newest record 2024-01-06 05:45 UTC; 3 records stamped after "
                                 "now, newest 2099-12-31 23:45 UTC: is the station's clock right?\n"),
              std::string::npos)
        << label.tooltip;
}

TEST(DataLabel, SaysWhatIsWrongWithTheFolderOrItsLogs) {
    DataLabel label = DescribeSource(Loaded(false, true), false, kReadAt);
    EXPECT_EQ(label.lead + label.folder, "Folder not found: /srv/station/");
    EXPECT_EQ(label.state, DataState::NoFolder);
    EXPECT_TRUE(label.tooltip.starts_with("/srv/station/ does not exist.\n"));

    label = DescribeSource(Loaded(false, true), true, kReadAt);
    EXPECT_EQ(label.lead + label.folder, "No history log found in: /srv/station/");
    EXPECT_EQ(label.state, DataState::NoLog);

    label = DescribeSource(Loaded(true, false), true, kReadAt);
    EXPECT_EQ(label.lead + label.folder + label.detail,
              "Cannot read: /srv/station/FileHistory.log (Permission denied)");
    EXPECT_EQ(label.state, DataState::Unreadable);
    EXPECT_TRUE(
        label.tooltip.starts_with("Could not read /srv/station/FileHistory.log: Permission "
                                  "denied; nothing is judged until it can be read.\n"))
        << label.tooltip;

    // A folder that cannot be searched hides whether any log is in it: the folder is named,
    // with the system's reason, in the words the command and the counts line use too.
    StartupLoad hidden = Loaded(false, false);
    hidden.unreadableLog.clear();
    label = DescribeSource(hidden, true, kReadAt);
    EXPECT_EQ(label.lead + label.folder + label.detail,
              "Cannot read the folder: /srv/station/ (Permission denied)");
    EXPECT_EQ(UnattendedDataProblem(std::nullopt, hidden),
              "cannot read the folder /srv/station/: Permission denied");
    EXPECT_TRUE(label.tooltip.starts_with("Could not read the folder /srv/station/: Permission "
                                          "denied; "))
        << label.tooltip;

    // A folder typed on the command line that is none is named, not the fallback.
    label = DescribeSource(Loaded(true, true), true, kReadAt, "/srv/statoin");
    EXPECT_EQ(label.lead + label.folder, "Folder not found: /srv/statoin");
    EXPECT_EQ(label.state, DataState::NoFolder);
}

}  // namespace
}  // namespace gapscope
