// The Windows window in-process, driven through window messages as a person's clicks and
// keys arrive: its controls at two DPIs, the tab order, the events that reach the model and
// the lines that reach the lists, the automatic run's tick, the registry and the data label.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <utility>

#include "report/report_options.h"
#include "settings/stored_folder.h"
#include "settings/stored_options.h"
#include "startup/system_text.h"
#include "tests/support/test_support.h"
#include "unattended/unattended_run.h"
#include "window_model/window_layout.h"
#include "pictures/timeline_drawing.h"
#include "window_win/form_gapscope.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// Fixed "now" of every test: 2024-01-06 06:10:30 UTC, so yesterday is 2024-01-05.
const sys_seconds kNow = sys_days{2024y / January / 6} + 6h + 10min + 30s;
const Day kYesterday = sys_days{2024y / January / 5};
const char* const kBase = "gapscope-window-win-test";  // a registry key of the tests' own

// What the window sends out, recorded; the report engine is replaced by a stand-in whose
// lines name the run, so that the tests see which run the lists show.
struct Recorder {
    std::vector<std::pair<ReportOptions, Day>> calls;
    std::vector<WindowMessage> said;
    std::vector<fs::path> folderDialogs;
    std::optional<fs::path> chosenFolder;
    std::vector<fs::path> suggestedPictures;
    std::optional<fs::path> chosenPicture;
    std::vector<std::wstring> menu;
    UINT menuChoice = 0;

    DayReportResult Build(const ReportOptions& options, Day day) {
        calls.emplace_back(options, day);
        const std::string run = "run " + std::to_string(calls.size());
        DayReportResult result;
        result.lists = {{"Date: segs", run},
                        {"Date: products", "", run},
                        {"Date: late", run},
                        {"Date: slots", run}};
        return result;
    }
};

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

std::vector<std::string> Items(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int row = 0; row < count; ++row) {
        std::wstring text(SendMessageW(list, LB_GETTEXTLEN, row, 0) + 1, L'\0');
        text.resize(SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data())));
        items.push_back(Utf8FromUtf16(text));
    }
    return items;
}

Day PickerDay(HWND picker) {
    SYSTEMTIME time{};
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return Day{year{time.wYear} / month{time.wMonth} / day{time.wDay}};
}

// A day picked as a person picks it: the picker changed, then its notification, which the
// picker does not send for a change made by a message.
void PickDay(HWND form, HWND picker, Day pick) {
    const year_month_day ymd{pick};
    NMDATETIMECHANGE change{};
    change.nmhdr = {picker, static_cast<UINT_PTR>(GetDlgCtrlID(picker)), DTN_DATETIMECHANGE};
    change.dwFlags = GDT_VALID;
    change.st.wYear = static_cast<WORD>(int(ymd.year()));
    change.st.wMonth = static_cast<WORD>(unsigned(ymd.month()));
    change.st.wDay = static_cast<WORD>(unsigned(ymd.day()));
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&change.st));
    SendMessageW(form, WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

RECT PlaceIn(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Apart(const RECT& a, const RECT& b) {
    RECT common;
    return !IntersectRect(&common, &a, &b);
}

std::optional<DWORD> StoredNumber(const char* name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (RegGetValueW(HKEY_CURRENT_USER, ProgramKeyPath(kBase).c_str(), Utf16FromUtf8(name).c_str(),
                     RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return number;
}

void Store(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ProgramKeyPath(kBase).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, Utf16FromUtf8(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

class FormGapscopeWin : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, ProgramKeyPath(kBase).c_str());
        fs::create_directories(data_);
        fs::create_directories(program_);
        std::ofstream(data_ / "SegHistory.log", std::ios::binary)
            << "202401052345=P=1,E=1,1=FF\r\n";
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, ProgramKeyPath(kBase).c_str()); }

    // The services with the clock and the dialogs replaced; the report engine too unless
    // `realReports`.
    WinFormServices Services(std::vector<std::wstring> arguments, bool realReports = false) {
        WinFormServices services;
        for (const std::wstring& argument : arguments)
            services.window.arguments.push_back(Utf8FromUtf16(argument));
        services.window.programDirectory = program_;
        services.window.computerName = "GROUNDSTATION";
        services.window.versionText = "3.1.23.1366";
        services.window.now = [] { return kNow; };
        if (!realReports) {
            services.window.runReport = [this](const StartupState&, const ReportOptions& options,
                                               Day day, const RunInputs&) {
                return recorder_.Build(options, day);
            };
        }
        services.settingsBaseName = kBase;
        services.say = [this](HWND, const std::wstring&, const WindowMessage& message) {
            recorder_.said.push_back(message);
        };
        services.chooseFolder = [this](HWND, const fs::path& start) {
            recorder_.folderDialogs.push_back(start);
            return recorder_.chosenFolder;
        };
        services.choosePictureFile = [this](HWND, const fs::path& suggested) {
            recorder_.suggestedPictures.push_back(suggested);
            return recorder_.chosenPicture;
        };
        services.trackMenu = [this](HMENU menu, HWND, POINT) {
            recorder_.menu.clear();
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[64] = {};
                GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
                const bool grayed =
                    GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED;
                recorder_.menu.push_back(text + std::wstring(grayed ? L" (grayed)" : L""));
            }
            return recorder_.menuChoice;
        };
        return services;
    }

    std::unique_ptr<TFormGapscopeWin> Shown(std::vector<std::wstring> arguments,
                                            bool realReports = false) {
        auto form = std::make_unique<TFormGapscopeWin>(Services(std::move(arguments), realReports));
        EXPECT_FALSE(form->Closed());
        form->Show(SW_SHOW);
        return form;
    }

    std::vector<std::wstring> DataArgs() const { return {data_.wstring()}; }
    std::vector<std::string> Lines(const TFormGapscopeWin& form, std::string_view list) const {
        return Items(form.Control(list));
    }

    Recorder recorder_;
    test::TempDir temp_{"gapscope-window-win-"};
    const fs::path data_ = temp_.path() / L"station";
    const fs::path program_ = temp_.path() / L"program";
};

TEST_F(FormGapscopeWin, ControlsFitAtEveryDpiAndTabFollowsTheDesign) {
    auto form = Shown(DataArgs(), true);
    const HWND window = form->Window();
    // The window's own controls, and those of the report settings group, which lie on it.
    std::vector<HWND> inWindow;
    std::vector<HWND> inGroup;
    for (const layout::ControlDesign& design : layout::kWindowControls) {
        if (design.kind != layout::Kind::GroupBox) inWindow.push_back(form->Control(design.name));
    }
    for (const layout::ControlDesign& design : layout::kGroupControls)
        inGroup.push_back(form->Control(design.name));
    for (const layout::BoxDesign& box : layout::kBoxes) {
        if (const HWND hwnd = form->Control(box.name)) inGroup.push_back(hwnd);
    }
    ASSERT_EQ(inGroup.size(), 3u + 14u);  // the hidden box is not there
    const HWND group = form->Control("GroupBoxReportControl");
    inWindow.push_back(group);

    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        if (form->Dpi() != dpi) {
            // As Windows tells a window moved to a monitor of another DPI.
            RECT suggested;
            GetWindowRect(window, &suggested);
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        }
        ASSERT_EQ(form->Dpi(), dpi);
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, MulDiv(layout::kClientWidth, dpi, 96));
        EXPECT_EQ(client.bottom, MulDiv(layout::kClientHeight, dpi, 96));
        for (std::size_t i = 0; i < inWindow.size(); ++i) {
            const RECT a = PlaceIn(window, inWindow[i]);
            EXPECT_TRUE(Inside(client, a)) << Utf8FromUtf16(TextOf(inWindow[i]));
            for (std::size_t j = i + 1; j < inWindow.size(); ++j) {
                EXPECT_TRUE(Apart(a, PlaceIn(window, inWindow[j])))
                    << Utf8FromUtf16(TextOf(inWindow[i])) << " / "
                    << Utf8FromUtf16(TextOf(inWindow[j]));
            }
        }
        for (std::size_t i = 0; i < inGroup.size(); ++i) {
            const RECT a = PlaceIn(window, inGroup[i]);
            EXPECT_TRUE(Inside(PlaceIn(window, group), a)) << Utf8FromUtf16(TextOf(inGroup[i]));
            for (std::size_t j = i + 1; j < inGroup.size(); ++j) {
                EXPECT_TRUE(Apart(a, PlaceIn(window, inGroup[j])))
                    << Utf8FromUtf16(TextOf(inGroup[i])) << " / "
                    << Utf8FromUtf16(TextOf(inGroup[j]));
            }
        }
        // Labels show their whole text in the window's font, rows at least a line high.
        const HWND label = form->Control("LabelMissingMpefSegments");
        const HDC dc = GetDC(label);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        const std::wstring text = TextOf(label);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        EXPECT_GT(size.cx, 100 * dpi / 96);
        EXPECT_GE(PlaceIn(window, label).right - PlaceIn(window, label).left, size.cx);
        EXPECT_GE(SendMessageW(form->Control("ListBoxMissingSegs"), LB_GETITEMHEIGHT, 0, 0),
                  MulDiv(layout::kRowHeight, dpi, 96));
    }

    // Ampersands are characters: doubled on boxes, which would take one as a key marker.
    EXPECT_EQ(TextOf(form->Control("CheckBoxReportPrologAndEpilogFiles")),
              L"Prolog && epilog files");
    EXPECT_EQ(TextOf(form->Control("LabelMissingSegments")), L"Missing HRIT & LRIT segments");
    EXPECT_TRUE(GetWindowLongW(form->Control("LabelMissingSegments"), GWL_STYLE) & SS_NOPREFIX);
    // Fixed size: no sizing frame, no minimise or maximise button.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_SYSMENU);

    const std::vector<std::string_view> order = layout::TabOrder();
    ASSERT_EQ(GetFocus(), form->Control(order.front()));
    std::vector<std::string_view> visited;
    HWND at = GetFocus();
    for (std::size_t i = 0; i < order.size(); ++i) {
        at = GetNextDlgTabItem(window, at, FALSE);
        for (const std::string_view name : order) {
            if (form->Control(name) == at) visited.push_back(name);
        }
    }
    std::vector<std::string_view> expected(order.begin() + 1, order.end());
    expected.push_back(order.front());  // Tab from the last comes round to the first
    EXPECT_EQ(visited, expected);
}

TEST_F(FormGapscopeWin, EventsReachTheModelAndItsLinesReachTheLists) {
    auto form = Shown(DataArgs());
    EXPECT_EQ(Utf8FromUtf16(TextOf(form->Window())), form->Model().Caption());
    EXPECT_EQ(form->Model().Caption(),
              "Gapscope from Orbitrue Software - V3.1.23.1366 - PC Groundstation");
    const HWND picker = form->Control("DateTimePickerDate");
    EXPECT_EQ(PickerDay(picker), kYesterday);
    ASSERT_EQ(recorder_.calls.size(), 1u);
    const DayReport& lists = form->Model().Lists();
    EXPECT_EQ(Lines(*form, "ListBoxMissingSegs"), lists.missingSegs);
    EXPECT_EQ(Lines(*form, "ListBoxMissingProduct"), lists.missingProduct);
    EXPECT_EQ(Lines(*form, "ListBoxLateSegs"), lists.lateSegs);
    EXPECT_EQ(Lines(*form, "ListBoxMissingSlots").back(), "run 1");

    // Each box changes exactly its own option, and the lists show the run it made.
    int boxes = 0;
    for (const layout::BoxDesign& design : layout::kBoxes) {
        const HWND box = form->Control(design.name);
        if (box == nullptr) continue;
        ++boxes;
        const auto field = FindOptionField(design.option);
        const ReportOptions before = recorder_.calls.back().first;
        SendMessageW(box, BM_CLICK, 0, 0);
        const ReportOptions after = recorder_.calls.back().first;
        EXPECT_EQ(after.*field->member, SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED);
        EXPECT_NE(after.*field->member, before.*field->member) << design.name;
        ReportOptions others = after;
        others.*field->member = before.*field->member;
        EXPECT_EQ(others, before) << design.name;
        EXPECT_EQ(Lines(*form, "ListBoxLateSegs").back(),
                  "run " + std::to_string(recorder_.calls.size()));
    }
    EXPECT_EQ(boxes, 14);

    const std::size_t runs = recorder_.calls.size();
    PickDay(form->Window(), picker, sys_days{2023y / December / 31});
    EXPECT_EQ(recorder_.calls.size(), runs + 1);
    EXPECT_EQ(recorder_.calls.back().second, sys_days{2023y / December / 31});
    PickDay(form->Window(), picker, sys_days{2023y / December / 31});  // told again: no rerun
    EXPECT_EQ(recorder_.calls.size(), runs + 1);
    SendMessageW(form->Control("ButtonToday"), BM_CLICK, 0, 0);
    EXPECT_EQ(PickerDay(picker), sys_days{2024y / January / 6});
    EXPECT_EQ(recorder_.calls.size(), runs + 2);

    // A list's shortcut menu copies its lines.
    const HWND products = form->Control("ListBoxMissingProduct");
    recorder_.menuChoice = TFormGapscopeWin::kCopyList;
    SendMessageW(form->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(products), -1);
    EXPECT_EQ(recorder_.menu, (std::vector<std::wstring>{L"Show the day as a &picture...",
                                                          L" (grayed)",  // the separator
                                                          L"&Copy line (grayed)", L"Copy &all lines"}));
    ASSERT_TRUE(OpenClipboard(form->Window()));
    const auto* copied = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    EXPECT_EQ(std::wstring(copied ? copied : L""),
              L"Date: products\r\n\r\nrun " + std::to_wstring(runs + 2) + L"\r\n");
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    CloseClipboard();

    SendMessageW(form->Control("ButtonSave"), BM_CLICK, 0, 0);
    ASSERT_EQ(recorder_.said.size(), 1u);
    EXPECT_EQ(recorder_.said[0].kind, WindowMessage::Kind::Information);
    EXPECT_TRUE(fs::exists(data_ / "2024-01-06-missing-segments.txt"));
    SendMessageW(form->Control("ButtonClose"), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->Closed());
}

TEST_F(FormGapscopeWin, TheDayAsAPictureInItsOwnWindowFollowsTheReportAndSaves) {
    auto form = Shown(DataArgs(), true);
    EXPECT_EQ(form->TimelineWindow(), nullptr);  // made only when asked for
    recorder_.menuChoice = TFormGapscopeWin::kShowPicture;
    SendMessageW(form->Window(), WM_CONTEXTMENU,
                 reinterpret_cast<WPARAM>(form->Control("ListBoxMissingSegs")), -1);
    TFormTimelineWin* picture = form->TimelineWindow();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->Visible());
    EXPECT_EQ(GetWindow(picture->Window(), GW_OWNER), form->Window());
    ASSERT_TRUE(picture->Shown().has_value());
    EXPECT_EQ(picture->Shown()->day, kYesterday);
    EXPECT_EQ(picture->Shown()->facts.station, "Groundstation");
    EXPECT_EQ(TextOf(picture->Window()), L"Day timeline 2024-01-05 - Gapscope");
    EXPECT_TRUE(picture->Painter().HasPictureFont());
    // The picture as painted: the one record, channel 1 in full at 23:45, in its cell.
    const pictures::Drawing drawing = pictures::DrawTimeline(*picture->Shown());
    ASSERT_NE(picture->Picture(), nullptr);
    EXPECT_EQ(static_cast<int>(picture->Picture()->GetWidth()), drawing.width);
    EXPECT_EQ(static_cast<int>(picture->Picture()->GetHeight()), drawing.height);
    const pictures::Box cell = pictures::LayoutTimeline(*picture->Shown()).Cell(0, 95);
    Gdiplus::Color colour;
    picture->Picture()->GetPixel(cell.x + cell.width / 2, cell.y + cell.height / 2, &colour);
    EXPECT_EQ((pictures::Rgb{colour.GetR(), colour.GetG(), colour.GetB()}), pictures::colour::kReceived);

    // It follows the picked day, and its buttons fit at every DPI.
    PickDay(form->Window(), form->Control("DateTimePickerDate"), sys_days{2024y / January / 4});
    EXPECT_EQ(picture->Shown()->day, sys_days{2024y / January / 4});
    EXPECT_EQ(TextOf(picture->Window()), L"Day timeline 2024-01-04 - Gapscope");
    for (const int dpi : {144, 96}) {
        RECT suggested;
        GetWindowRect(picture->Window(), &suggested);
        SendMessageW(picture->Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT client;
        GetClientRect(picture->Window(), &client);
        const RECT save = PlaceIn(picture->Window(), picture->Control("ButtonSavePicture"));
        const RECT close = PlaceIn(picture->Window(), picture->Control("ButtonClosePicture"));
        EXPECT_TRUE(Inside(client, save) && Inside(client, close) && Apart(save, close)) << dpi;
        EXPECT_GE(close.bottom - close.top, MulDiv(25, dpi, 96)) << dpi;
    }

    // Saved where the operator chooses: PNG without an extension, SVG by its own.
    recorder_.chosenPicture = data_ / "day";
    SendMessageW(picture->Control("ButtonSavePicture"), BM_CLICK, 0, 0);
    ASSERT_EQ(recorder_.suggestedPictures.size(), 1u);
    EXPECT_EQ(recorder_.suggestedPictures[0].filename(), "2024-01-04-timeline.png");
    EXPECT_TRUE(fs::equivalent(recorder_.suggestedPictures[0].parent_path(), data_));
    EXPECT_TRUE(test::ReadFile(data_ / "day.png").starts_with("\x89PNG"));
    recorder_.chosenPicture = data_ / "day.svg";
    SendMessageW(picture->Control("ButtonSavePicture"), BM_CLICK, 0, 0);
    EXPECT_TRUE(test::ReadFile(data_ / "day.svg").starts_with("<?xml"));
    EXPECT_TRUE(recorder_.said.empty());
    recorder_.chosenPicture = data_ / "no-such-folder" / "day.png";
    SendMessageW(picture->Control("ButtonSavePicture"), BM_CLICK, 0, 0);
    ASSERT_EQ(recorder_.said.size(), 1u);
    EXPECT_EQ(recorder_.said[0].kind, WindowMessage::Kind::Error);
    EXPECT_TRUE(recorder_.said[0].text.starts_with("The picture could not be saved: ")) << recorder_.said[0].text;

    // Closed, it is hidden and follows nothing; a double click on the missing cycles brings
    // it back with the day on screen.
    SendMessageW(picture->Control("ButtonClosePicture"), BM_CLICK, 0, 0);
    EXPECT_FALSE(picture->Visible());
    PickDay(form->Window(), form->Control("DateTimePickerDate"), sys_days{2024y / January / 3});
    EXPECT_EQ(picture->Shown()->day, sys_days{2024y / January / 4});
    const HWND slots = form->Control("ListBoxMissingSlots");
    SendMessageW(form->Window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(slots), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(slots));
    EXPECT_EQ(form->TimelineWindow(), picture);
    EXPECT_TRUE(picture->Visible());
    EXPECT_EQ(picture->Shown()->day, sys_days{2024y / January / 3});
}

TEST_F(FormGapscopeWin, AutomaticRunSavesOnItsOneTickAndCloses) {
    auto form = Shown({data_.wstring(), L"-s"}, true);
    // The window armed its timer; the tick is given here rather than waited for.
    ASSERT_TRUE(KillTimer(form->Window(), TFormGapscopeWin::kTimerAutoRun));
    SendMessageW(form->Window(), WM_TIMER, TFormGapscopeWin::kTimerAutoRun, 0);
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(recorder_.said.empty());
    EXPECT_EQ(form->ExitStatus(), kExitDone);
    const std::string saved = test::ReadFile(data_ / "2024-01-05-missing-segments.txt");
    EXPECT_NE(saved.find("\r\n[Gapscope V3.1.23.1366 on PC Groundstation at 06:10 UTC]\r\n"),
              std::string::npos);

    // A failure reaches the operator through the same seam as the message boxes.
    form = Shown({(data_ / L"statoin").wstring(), L"-s"}, true);
    SendMessageW(form->Window(), WM_TIMER, TFormGapscopeWin::kTimerAutoRun, 0);
    EXPECT_TRUE(form->Closed());
    ASSERT_EQ(recorder_.said.size(), 1u);
    EXPECT_EQ(recorder_.said[0].kind, WindowMessage::Kind::Unattended);
    EXPECT_EQ(recorder_.said[0].text,
              "gapscope: no such folder: " + TextOfPath(data_ / L"statoin"));
    EXPECT_EQ(form->ExitStatus(), kExitDataUnreadable);
}

TEST_F(FormGapscopeWin, OptionsAndTheChosenFolderAreKeptInTheRegistry) {
    const DWORD five = 5, one = 1;
    Store("ReportIncludeLRIT", REG_DWORD, &five, sizeof five);  // non-zero: checked, kept as 1
    Store("ReportIncludeMPEF", REG_SZ, L"0", 4);                // text: the default stands
    Store("ReportGOES12bypass", REG_DWORD, &one, sizeof one);   // no box, still in effect
    Store("Decontaminating", REG_DWORD, &one, sizeof one);      // never taken, never written
    {
        auto form = std::make_unique<TFormGapscopeWin>(Services(DataArgs()));
        EXPECT_TRUE(recorder_.calls.empty());  // restoring runs no report
        EXPECT_EQ(SendMessageW(form->Control("CheckBoxReportIncludeLRIT"), BM_GETCHECK, 0, 0),
                  BST_CHECKED);
        EXPECT_EQ(SendMessageW(form->Control("CheckBoxDecontaminating"), BM_GETCHECK, 0, 0),
                  BST_UNCHECKED);
        form->Show(SW_SHOW);
        const ReportOptions& first = recorder_.calls.at(0).first;
        EXPECT_TRUE(first.includeLrit && first.includeMpef && first.goes12Bypass);
        EXPECT_FALSE(first.decontaminating);
        SendMessageW(form->Control("CheckBoxReportIncludeFSD"), BM_CLICK, 0, 0);
        SendMessageW(form->Control("CheckBoxDecontaminating"), BM_CLICK, 0, 0);

        // A folder chosen through the data label is kept at once.
        recorder_.chosenFolder = data_;
        SendMessageW(form->Window(), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(form->Control("LabelSource")), STN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Control("LabelSource")));
        EXPECT_EQ(ReadStoredDataFolder(kBase), data_);
    }  // closed: the boxes are stored
    ReportOptions expected;
    expected.includeLrit = expected.goes12Bypass = true;
    expected.includeFsd = false;
    for (const OptionField& field : OptionFields()) {
        if (!field.stored) continue;
        EXPECT_EQ(StoredNumber(field.storedName.data()), DWORD(expected.*field.member))
            << field.storedName;
    }
    EXPECT_EQ(StoredNumber("Decontaminating"), 1u);

    // The next start shows what was kept, from the folder kept.
    recorder_ = Recorder{};
    auto form = Shown({});
    EXPECT_EQ(SendMessageW(form->Control("CheckBoxReportIncludeFSD"), BM_GETCHECK, 0, 0),
              BST_UNCHECKED);
    EXPECT_FALSE(recorder_.calls.at(0).first.includeFsd);
    EXPECT_EQ(form->Model().Startup().DataDirectory, TextOfPath(data_) + "\\");
}

TEST_F(FormGapscopeWin, DataLabelTakesAnyFolderAndShortensALongOne) {
    // Greek letters, which the ANSI code page lacks, deep enough to need shortening.
    const fs::path deep = temp_.path() / std::wstring(60, L'a') / std::wstring(60, L'b') /
                          Utf16FromUtf8("\xCE\xA3\xCF\x84\xCE\xB1\xCE\xB8\xCE\xBC\xCF\x8C\xCF\x82");
    fs::create_directories(deep);
    std::ofstream(deep / "SegHistory.log", std::ios::binary) << "202401052345=P=1\r\n";
    auto form = Shown({deep.wstring()});
    const HWND label = form->Control("LabelSource");
    const std::wstring shown = TextOf(label);
    EXPECT_EQ(shown.rfind(L"Data from: " + temp_.path().wstring().substr(0, 3), 0), 0u);
    EXPECT_NE(shown.find(L'\u2026'), std::wstring::npos) << Utf8FromUtf16(shown);
    const std::wstring end = deep.filename().wstring() + L"\\";
    EXPECT_EQ(shown.substr(shown.size() - end.size()), end);
    EXPECT_LT(PlaceIn(form->Window(), label).right,
              PlaceIn(form->Window(), form->Control("ButtonSave")).left);
    wchar_t tip[1024] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form->Window();
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = tip;
    SendMessageW(form->Tooltips(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(tip).rfind(deep.wstring() + L"\\\n", 0), 0u) << Utf8FromUtf16(tip);

    // A click opens the folder dialog there; cancelled, nothing changes.
    const WPARAM click = MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED);
    SendMessageW(form->Window(), WM_COMMAND, click, reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(recorder_.folderDialogs, std::vector<fs::path>{deep.wstring() + L"\\"});
    EXPECT_EQ(recorder_.calls.size(), 1u);

    // A UNC folder, as chosen.
    wchar_t share[256] = {};
    if (GetEnvironmentVariableW(L"GAPSCOPE_TEST_UNC_SHARE", share, 256) == 0) return;
    const fs::path unc = fs::path(share) / L"gapscope-window-unc-test";
    fs::create_directories(unc);
    std::ofstream(unc / "SegHistory.log", std::ios::binary) << "202401052345=P=1\r\n";
    recorder_.chosenFolder = unc;
    SendMessageW(form->Window(), WM_COMMAND, click, reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(TextOf(label), L"Data from: " + unc.wstring() + L"\\");
    EXPECT_EQ(recorder_.calls.size(), 2u);
    fs::remove_all(unc);
}

}  // namespace
}  // namespace gapscope
