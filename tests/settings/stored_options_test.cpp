#include "settings/stored_options.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include "settings/registry_variable.h"
#include "tests/settings/settings_test_support.h"

namespace gapscope {
namespace {

const auto* const kConfigHome = ::testing::AddGlobalTestEnvironment(new test::ConfigHome);

// A store of its own for each test, named after it.
class StoredOptionsTest : public ::testing::Test {
  protected:
    std::string baseName_ =
        std::string("stored-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();

    QString File() const { return test::StoreFile(baseName_); }
    void Store(const QByteArray& text) const { test::WriteStore(baseName_, "[General]\n" + text); }
};

TEST(ProgramBaseName, DropsDirectoryAndEverythingFromTheLastDot) {
    EXPECT_EQ(ProgramBaseName("C:\\Station\\Gapscope.exe"), "Gapscope");
    EXPECT_EQ(ProgramBaseName("/usr/local/bin/gapscope"), "gapscope");
    EXPECT_EQ(ProgramBaseName("/opt/gapscope.v3.exe"), "gapscope.v3");
    EXPECT_EQ(ProgramBaseName("/opt/v3.1/gapscope"), "gapscope");
}

TEST_F(StoredOptionsTest, NothingStoredGivesTheDesignDefaultsAndCreatesNothing) {
    EXPECT_EQ(ReadStoredOptions(baseName_), ReportOptions{});
    EXPECT_FALSE(QFile::exists(File()));
}

TEST_F(StoredOptionsTest, EveryStoredValueReachesItsOwnOption) {
    // Each value the opposite of its default, so a value landing on the wrong option shows.
    QByteArray text;
    ReportOptions expected;
    for (const OptionField& field : OptionFields()) {
        const bool flipped = !(ReportOptions{}.*field.member);
        text += QByteArray(field.storedName.data(), qsizetype(field.storedName.size())) + "=" +
                (flipped ? "1" : "0") + "\n";
        if (field.stored) expected.*field.member = flipped;
    }
    Store(text);
    const ReportOptions read = ReadStoredOptions(baseName_);
    EXPECT_EQ(read, expected);
    EXPECT_FALSE(read.decontaminating);  // never taken from the store
}

TEST_F(StoredOptionsTest, OnlyThirtyTwoBitIntegersCount) {
    Store(
        "ReportIncludeLRIT=5\n"            // any non-zero number: set
        "Report30minHimawari=-1\n"         // a double word with every bit set
        "ReportHourlyFY2D=4294967295\n"    // the same, written unsigned
        "ReportMet8LritOnly=4294967296\n"  // wider than 32 bits: default (clear)
        "ReportIncludeFSD=false\n"         // text: default (set)
        "ReportIncludeMPEF=yes\n"          // text: default (set)
        "ReportIncludeMPE=0x0\n"           // not decimal: default (set)
        "ReportHourlyFSD=0\n");
    const ReportOptions read = ReadStoredOptions(baseName_);
    EXPECT_TRUE(read.includeLrit);
    EXPECT_TRUE(read.himawari30min);
    EXPECT_TRUE(read.hourlyFy2e);
    EXPECT_FALSE(read.met8LritOnly);
    EXPECT_TRUE(read.includeFsd);
    EXPECT_TRUE(read.includeMpef);
    EXPECT_TRUE(read.includeMpe);
    EXPECT_FALSE(read.hourlyFsd);
}

TEST_F(StoredOptionsTest, ReadingWritesNothing) {
    Store("ReportIncludeFSD=7\nReportIncludeLRIT=true\n");
    const QByteArray before = test::ReadStore(baseName_);
    ReadStoredOptions(baseName_);
    EXPECT_EQ(test::ReadStore(baseName_), before);
}

TEST_F(StoredOptionsTest, RegistryBooleanReadsOnCreationAndStoresAnIntegerOnDestruction) {
    Store("ReportIncludeLRIT=true\nReportIncludeFSD=9\n");
    const QString base = QString::fromStdString(baseName_);
    {
        TRegistryBoolean lrit("ReportIncludeLRIT", false, base);
        TRegistryBoolean fsd("ReportIncludeFSD", false, base);
        EXPECT_EQ(lrit.KeyPath(), "\\Software\\Quillan\\" + base);
        EXPECT_FALSE(lrit.Value);  // the text was ignored
        EXPECT_TRUE(fsd.Value);
    }
    const QByteArray text = test::ReadStore(baseName_);
    EXPECT_TRUE(text.contains("ReportIncludeLRIT=0\n")) << text.constData();
    EXPECT_TRUE(text.contains("ReportIncludeFSD=1\n")) << text.constData();
}

}  // namespace
}  // namespace gapscope
