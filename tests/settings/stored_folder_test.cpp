#include "settings/stored_folder.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include "settings/stored_options.h"
#include "tests/settings/settings_test_support.h"

namespace gapscope {
namespace {

const auto* const kConfigHome = ::testing::AddGlobalTestEnvironment(new test::ConfigHome);

// A store of its own for each test, named after it.
class StoredFolderTest : public ::testing::Test {
  protected:
    std::string baseName_ =
        std::string("folder-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(StoredFolderTest, NothingStoredIsNoFolder) {
    EXPECT_EQ(ReadStoredDataFolder(baseName_), std::nullopt);
    test::WriteStore(baseName_, "[General]\nDataFolder=\n");
    EXPECT_EQ(ReadStoredDataFolder(baseName_), std::nullopt);
}

TEST_F(StoredFolderTest, AFolderComesBackAsItWasStored) {
    const std::filesystem::path folder = u8"/srv/Station Nord/logs, été=1";
    ASSERT_TRUE(StoreDataFolder(baseName_, folder));
    EXPECT_EQ(ReadStoredDataFolder(baseName_), folder);
    const std::filesystem::path other = "/srv/south";
    ASSERT_TRUE(StoreDataFolder(baseName_, other));
    EXPECT_EQ(ReadStoredDataFolder(baseName_), other);
}

TEST_F(StoredFolderTest, KeptBesideTheOptionsUnderANameOfItsOwn) {
    for (const OptionField& field : OptionFields()) {
        EXPECT_NE(field.storedName, kDataFolderValueName);
    }
    test::WriteStore(baseName_, "[General]\nReportIncludeFSD=0\nReportIncludeLRIT=1\n");
    ASSERT_TRUE(StoreDataFolder(baseName_, "/srv/station"));
    const QByteArray text = test::ReadStore(baseName_);
    EXPECT_TRUE(text.contains("ReportIncludeFSD=0\n")) << text.constData();
    EXPECT_TRUE(text.contains("ReportIncludeLRIT=1\n")) << text.constData();
    ReportOptions expected;
    expected.includeFsd = false;
    expected.includeLrit = true;
    EXPECT_EQ(ReadStoredOptions(baseName_), expected);
}

}  // namespace
}  // namespace gapscope
