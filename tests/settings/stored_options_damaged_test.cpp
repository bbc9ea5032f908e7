// A per-user store damaged by a crash, a full disk or a hand edit: whatever cannot be read
// as a stored switch leaves that option at its design default, and reading never fails.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "settings/stored_options.h"
#include "tests/settings/settings_test_support.h"

namespace gapscope {
namespace {

const auto* const kConfigHome = ::testing::AddGlobalTestEnvironment(new test::ConfigHome);

// Each damaged store under a name of its own, so that no reading is cached between them.
class DamagedStore : public ::testing::Test {
  protected:
    QString File(int i) const { return test::StoreFile(Name(i)); }
    std::string Name(int i) const {
        return std::string("damaged-") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
               std::to_string(i);
    }
    void Store(int i, const QByteArray& bytes) const { test::WriteStore(Name(i), bytes); }
};

QByteArray Junk(std::size_t size, unsigned seed) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(size));
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.append(static_cast<char>(seed >> 16));
    }
    return bytes;
}

TEST_F(DamagedStore, UnreadableContentsGiveTheDesignDefaults) {
    const QByteArray stores[] = {
        QByteArray(),
        QByteArray("\xEF\xBB\xBF"),
        QByteArray("\0\0\0\0[General]\0ReportIncludeLRIT\0=1", 34),
        Junk(4096, 1),
        "[General]\n" + Junk(4096, 2),
        "[General]\nReportIncludeFSD=\nReportIncludeMPEF= \n=0\n==\n",
        "[General]\nReportIncludeFSD=@Variant(\\0\\0\\0\\x2\\0\nReportIncludeMPEF=@ByteArray(\n",
        "[General]\nReportIncludeLRIT=\"1\nReportMet8LritOnly=\"\\x\n",
        "[General]\nReportIncludeLRIT=1\xC3\x28\nReportHourlyFSD=0\xFF\xFE\n",
        "[General]\nReportIncludeFSD=0" + QByteArray(16 << 20, 'x') + "\n",
        "[Other]\nReportIncludeLRIT=1\nReportIncludeFSD=0\n",
    };
    int i = 0;
    for (const QByteArray& bytes : stores) {
        Store(i, bytes);
        EXPECT_EQ(ReadStoredOptions(Name(i)), ReportOptions{}) << "store " << i;
        ++i;
    }
}

TEST_F(DamagedStore, StoreCutOffWhileWrittenKeepsWhatIsWhole) {
    const QByteArray whole = "[General]\nReportIncludeFSD=0\nReportIncludeLRIT=1\n";
    for (int cut = 0; cut <= whole.size(); ++cut) {
        Store(cut, whole.left(cut));
        const ReportOptions read = ReadStoredOptions(Name(cut));
        const int fsdEnd = whole.indexOf("=0\n") + 2;
        const int lritEnd = whole.lastIndexOf("=1\n") + 2;
        EXPECT_EQ(read.includeFsd, cut < fsdEnd) << cut;
        EXPECT_EQ(read.includeLrit, cut >= lritEnd) << cut;
    }
}

TEST_F(DamagedStore, StoreThatIsNoFileGivesTheDefaults) {
    QDir().mkpath(File(0));
    EXPECT_EQ(ReadStoredOptions(Name(0)), ReportOptions{});
    Store(1, "[General]\nReportIncludeLRIT=1\n");
    QFile::link(File(0), File(2));  // a link to the directory
    EXPECT_EQ(ReadStoredOptions(Name(2)), ReportOptions{});
}

}  // namespace
}  // namespace gapscope
