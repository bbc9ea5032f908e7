// The stored options read from the registry, with values written by the system's own
// reg.exe as an operator or an installer would.
#include <gtest/gtest.h>

#include "settings/stored_options.h"
#include "tests/support/win_process.h"

namespace gapscope {
namespace {

using test::Reg;

// A key of its own, so that the test never touches the window's.
const char* const kBaseName = "gapscope-registry-test";
const wchar_t* const kKey = L"HKCU\\Software\\Quillan\\gapscope-registry-test";

class StoredOptionsInRegistry : public ::testing::Test {
  protected:
    void SetUp() override { Reg({L"delete", kKey, L"/f"}); }
    void TearDown() override { Reg({L"delete", kKey, L"/f"}); }

    static void Add(const wchar_t* name, const wchar_t* type, const wchar_t* data) {
        ASSERT_EQ(Reg({L"add", kKey, L"/v", name, L"/t", type, L"/d", data, L"/f"}), 0u) << name;
    }
};

TEST_F(StoredOptionsInRegistry, NoKeyGivesTheDesignDefaultsAndCreatesNone) {
    EXPECT_EQ(ReadStoredOptions(kBaseName), ReportOptions{});
    EXPECT_NE(Reg({L"query", kKey}), 0u) << "reading must not create the key";
}

TEST_F(StoredOptionsInRegistry, DoubleWordsCountAsSetWhenNotZero) {
    Add(L"ReportIncludeLRIT", L"REG_DWORD", L"5");
    Add(L"ReportIncludeFSD", L"REG_DWORD", L"0");
    Add(L"ReportGOES12bypass", L"REG_DWORD", L"0xffffffff");
    ReportOptions expected;
    expected.includeLrit = true;
    expected.includeFsd = false;
    expected.goes12Bypass = true;
    EXPECT_EQ(ReadStoredOptions(kBaseName), expected);
}

TEST_F(StoredOptionsInRegistry, ValuesOfAnyOtherTypeGiveTheDefault) {
    Add(L"ReportIncludeLRIT", L"REG_SZ", L"1");
    Add(L"ReportMet8LritOnly", L"REG_BINARY", L"01000000");  // four bytes, as a double word
    Add(L"ReportHourlyFY2D", L"REG_QWORD", L"1");
    Add(L"ReportIncludeMPEF", L"REG_EXPAND_SZ", L"0");
    Add(L"ReportIncludeRII", L"REG_MULTI_SZ", L"0");
    EXPECT_EQ(ReadStoredOptions(kBaseName), ReportOptions{});
}

TEST_F(StoredOptionsInRegistry, DecontaminatingIsNeverStored) {
    Add(L"Decontaminating", L"REG_DWORD", L"1");
    Add(L"ReportHourlyFY2G", L"REG_DWORD", L"0");
    ReportOptions expected;
    expected.hourlyFy2g = false;
    EXPECT_EQ(ReadStoredOptions(kBaseName), expected);
}

}  // namespace
}  // namespace gapscope
