// gapscope.exe as Windows and the Task Scheduler start it: a desktop program with its
// manifest, version and event messages; --help and --version for whoever started it; the
// automatic run silent when it saves and saying why when it does not.
#include <gtest/gtest.h>

#include <fstream>

#include "settings/version.h"
#include "settings/version_text_win.h"
#include "tests/support/test_support.h"
#include "tests/support/win_process.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using test::Wide;

fs::path Program() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(Wide(GAPSCOPE_EXE).c_str(), MAX_PATH, full, nullptr);
    return full;
}

TEST(GapscopeProgram, IsADesktopProgramWithItsManifestVersionAndEventMessages) {
    const HMODULE module = LoadLibraryExW(
        Program().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    // No console window of its own when started from the desktop.
    const auto* image =
        reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    // Wine's comctl32 says 5.81 even with 6 loaded: the manifest is what asks for 6.
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "PerMonitorV2", "true/pm"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }

    // The event log shows an entry's line through the program's message table.
    const wchar_t* line[] = {L"gapscope: no such folder: C:\\statoin"};
    wchar_t text[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, 1, 0, text,
                   256, reinterpret_cast<va_list*>(const_cast<wchar_t**>(line)));
    EXPECT_EQ(std::wstring(text).substr(0, wcslen(line[0])), line[0]);
    FreeLibrary(module);
    EXPECT_EQ(FileVersionText(Program().wstring()), kVersionText);
}

TEST(GapscopeProgram, HelpAndVersionReachTheirCaller) {
    test::ProcessResult run = test::RunProgram(Program(), {L"--version"});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, std::string("gapscope ") + kVersionText + "\r\n");
    run = test::RunProgram(Program(), {L"C:\\station", L"--help"});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out.rfind("Usage: gapscope [DATA_DIR] [SWITCH ...]\r\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("Application event log"), std::string::npos);
}

TEST(GapscopeProgram, AutomaticRunSavesSilentlyOrSaysWhyNot) {
    // A copy under a name of its own keeps its stored options apart from the window's.
    test::TempDir temp("gapscope-program-win-");
    const fs::path program = temp.path() / L"gapscope-program-test.exe";
    fs::copy_file(Program(), program);
    const fs::path station = temp.path() / L"station";
    fs::create_directories(station);
    std::ofstream(station / L"SegHistory.log", std::ios::binary) << "202403010000=P=1,E=1,1=FF\r\n";
    const test::ScopedVariable now(L"GAPSCOPE_NOW", L"2024-03-02T00:20");

    test::ProcessResult run = test::RunProgram(program, {station.wstring(), L"/S"});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_TRUE(fs::exists(station / L"2024-03-01-missing-segments.txt"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillan\\gapscope-program-test");

    const fs::path typo = temp.path() / L"statoin";
    run = test::RunProgram(program, {typo.wstring(), L"-s"});
    EXPECT_EQ(run.status, 4u);
    const std::string line = "gapscope: no such folder: " + test::Utf8(typo.wstring());
    EXPECT_EQ(run.err, line + "\r\n");

    EXPECT_FALSE(fs::exists(typo));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillan\\gapscope-program-test");
}

}  // namespace
}  // namespace gapscope
