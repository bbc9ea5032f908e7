#include "window_win/form_gapscope.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "settings/stored_folder.h"
#include "settings/stored_options.h"
#include "startup/system_text.h"
#include "window_model/window_layout.h"
#include "window_win/win_screen.h"

namespace gapscope {
namespace {

constexpr wchar_t kClassName[] = L"TFormGapscope";
// As a dialog: the window paints its background under the group box, which paints only
// its frame.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kFirstId = 100;  // clear of IDOK and IDCANCEL, which dialog keys send

RECT OuterRect(int clientWidth, int clientHeight, int dpi) {
    return FrameAround(clientWidth, clientHeight, kStyle, kExStyle, dpi);
}

std::wstring Wide(std::string_view text) {
    return Utf16FromUtf8(text);
}

// A button's or box's caption: a single ampersand would mark a key.
std::wstring CaptionText(std::string_view caption) {
    std::wstring text;
    for (const wchar_t c : Wide(caption)) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

SYSTEMTIME SystemTimeOf(Day day) {
    const std::chrono::year_month_day ymd{day};
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(static_cast<int>(ymd.year()));
    time.wMonth = static_cast<WORD>(static_cast<unsigned>(ymd.month()));
    time.wDay = static_cast<WORD>(static_cast<unsigned>(ymd.day()));
    return time;
}

Day DayOf(const SYSTEMTIME& time) {
    return Day{std::chrono::year{time.wYear} / std::chrono::month{time.wMonth} /
               std::chrono::day{time.wDay}};
}

std::wstring ListText(HWND list, int row) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void CopyToClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

}  // namespace

TFormGapscopeWin::TFormGapscopeWin(WinFormServices services) : services_(std::move(services)) {
    // Stored states stand in for the design states before anything is wired, so that
    // restoring them never runs a report; the model starts from them.
    WindowInputs inputs = services_.window;
    const std::string base = services_.settingsBaseName;
    if (!base.empty()) {
        inputs.storedOptions = ReadStoredOptions(base);
        inputs.storedFolder = ReadStoredDataFolder(base);
        inputs.keepFolder = [base](const std::filesystem::path& folder) {
            StoreDataFolder(base, folder);
        };
    }
    model_ = std::make_unique<WindowModel>(std::move(inputs));

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    if (!GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);
    }
    CreateWindowExW(kExStyle, kClassName, L"MSG Gapscope", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0,
                    0, nullptr, nullptr, instance, this);
    if (window_ == nullptr) return;
    CreateControls();
    ApplyDpi(WindowDpi(window_), nullptr);

    // Centred on the monitor the window opened on.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT outer;
    GetWindowRect(window_, &outer);
    const RECT& area = monitor.rcWork;
    SetWindowPos(window_, nullptr,
                 area.left + ((area.right - area.left) - (outer.right - outer.left)) / 2,
                 area.top + ((area.bottom - area.top) - (outer.bottom - outer.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowModel();
}

TFormGapscopeWin::~TFormGapscopeWin() {
    if (window_ != nullptr) DestroyWindow(window_);
    if (font_ != nullptr) DeleteObject(font_);
}

void TFormGapscopeWin::CreateControls() {
    std::vector<Placed> designs;
    for (const layout::ControlDesign& design : layout::kWindowControls) {
        designs.push_back({design.name, static_cast<Kind>(design.kind), design.x, design.y,
                           design.width, design.height, Wide(design.text), std::nullopt, false});
    }
    const layout::ControlDesign& group = *std::find_if(
        std::begin(layout::kWindowControls), std::end(layout::kWindowControls),
        [](const layout::ControlDesign& d) { return d.kind == layout::Kind::GroupBox; });
    for (const layout::ControlDesign& design : layout::kGroupControls) {
        designs.push_back({design.name, static_cast<Kind>(design.kind), group.x + design.x,
                           group.y + design.y, design.width, design.height, Wide(design.text),
                           std::nullopt, true});
    }
    for (const layout::BoxDesign& box : layout::kBoxes) {
        const std::optional<OptionField> field = FindOptionField(box.option);
        // A box whose option is not offered is kept and used, never shown: it has no control.
        if (!field || !field->offered) continue;
        designs.push_back({box.name, Kind::CheckBox, group.x + box.x, group.y + box.y,
                           layout::kBoxWidth, layout::kBoxHeight, CaptionText(field->caption),
                           field, true});
    }

    // Tab visits the children in the order they are made, which is also their order from
    // top to bottom: the focusable ones in the designed order, then the labels, then the
    // group box beneath the controls it holds.
    for (const std::string_view name : layout::TabOrder()) {
        const auto design = std::find_if(designs.begin(), designs.end(),
                                         [&](const Placed& p) { return p.name == name; });
        controls_.push_back(*design);
        designs.erase(design);
    }
    std::stable_partition(designs.begin(), designs.end(),
                          [](const Placed& p) { return p.kind != Kind::GroupBox; });
    controls_.insert(controls_.end(), designs.begin(), designs.end());

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        Placed& control = controls_[i];
        const wchar_t* windowClass = WC_STATICW;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        std::wstring text = control.text;
        switch (control.kind) {
            case Kind::Label:
                // The ampersands are characters; the data label answers a click.
                style |= SS_NOPREFIX | SS_LEFT;
                if (control.name == "LabelSource") style |= SS_NOTIFY;
                break;
            case Kind::List:
                windowClass = WC_LISTBOXW;
                style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case Kind::GroupBox:
                windowClass = WC_BUTTONW;
                style |= BS_GROUPBOX;
                text = CaptionText(Utf8FromUtf16(control.text));
                break;
            case Kind::Button:
                windowClass = WC_BUTTONW;
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                text = CaptionText(Utf8FromUtf16(control.text));
                break;
            case Kind::DatePicker:
                windowClass = DATETIMEPICK_CLASSW;
                style |= WS_TABSTOP | DTS_SHORTDATEFORMAT;
                break;
            case Kind::CheckBox:
                windowClass = WC_BUTTONW;
                style |= WS_TABSTOP | BS_AUTOCHECKBOX;
                break;
        }
        control.hwnd =
            CreateWindowExW(exStyle, windowClass, text.c_str(), style, 0, 0, 0, 0, window_,
                            reinterpret_cast<HMENU>(kFirstId + i), instance, nullptr);
    }

    tooltips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    for (const Placed& control : controls_) {
        if (control.option && !control.option->tooltip.empty()) {
            AddTooltip(control.hwnd, Wide(control.option->tooltip));
        }
    }
    AddTooltip(Control("LabelSource"), L"");
}

void TFormGapscopeWin::AddTooltip(HWND control, const std::wstring& text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

int TFormGapscopeWin::Scale(int designed) const {
    return MulDiv(designed, dpi_, 96);
}

SIZE TFormGapscopeWin::TextSize(const std::wstring& text) const {
    const HDC dc = GetDC(window_);
    const HGDIOBJ old = SelectObject(dc, font_);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    size.cy = std::max<LONG>(size.cy, metrics.tmHeight);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return size;
}

// The pixel layout of the design, at the monitor's DPI: positions and sizes scaled, the
// desktop's font at that DPI, labels sized to their text, list rows at least a line high.
void TFormGapscopeWin::ApplyDpi(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    const HFONT old = font_;
    font_ = DesktopFont(dpi);
    rowHeight_ = std::max(Scale(layout::kRowHeight), static_cast<int>(TextSize(L"Ag").cy));
    for (const Placed& control : controls_) {
        SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SIZE size{Scale(control.width), Scale(control.height)};
        if (control.width == 0) size = TextSize(control.text);
        SetWindowPos(control.hwnd, nullptr, Scale(control.x), Scale(control.y), size.cx, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (control.kind == Kind::List) SendMessageW(control.hwnd, LB_SETITEMHEIGHT, 0, rowHeight_);
    }
    if (old != nullptr) DeleteObject(old);
    SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, Scale(480));
    SizeSourceLabel();
    FillLists();

    const SIZE client{Scale(layout::kClientWidth), Scale(layout::kClientHeight)};
    const RECT outer = OuterRect(client.cx, client.cy, dpi);
    const POINT at = suggested ? POINT{suggested->left, suggested->top} : POINT{0, 0};
    SetWindowPos(window_, nullptr, at.x, at.y, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
    // Where the frame drawn differs from the one reckoned, the client area still gets its size.
    RECT frame;
    RECT inside;
    GetWindowRect(window_, &frame);
    GetClientRect(window_, &inside);
    if (inside.right != client.cx || inside.bottom != client.cy) {
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left + client.cx - inside.right,
                     frame.bottom - frame.top + client.cy - inside.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

// Up to the Save button: a long folder is shortened in its middle, whole in the tooltip.
void TFormGapscopeWin::SizeSourceLabel() {
    const HWND label = Control("LabelSource");
    RECT save;
    GetWindowRect(Control("ButtonSave"), &save);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&save), 2);
    const int room = save.left - Scale(16) - Scale(8);
    const std::wstring lead = Wide(shownSource_.lead);
    const std::wstring folder = Wide(shownSource_.folder);
    std::wstring text = lead + folder;
    if (TextSize(text).cx > room) {
        // The most characters of the folder that fit, half from its start, half from its end.
        const auto shortened = [&](std::size_t kept) {
            return lead + folder.substr(0, kept / 2) + L"\u2026" +
                   folder.substr(folder.size() - (kept - kept / 2));
        };
        std::size_t fits = 0;
        std::size_t tooMany = folder.size();
        while (tooMany - fits > 1) {
            const std::size_t kept = (fits + tooMany) / 2;
            (TextSize(shortened(kept)).cx <= room ? fits : tooMany) = kept;
        }
        text = shortened(fits);
    }
    SetWindowTextW(label, text.c_str());
    const SIZE size = TextSize(text);
    SetWindowPos(label, nullptr, 0, 0, std::min<int>(size.cx, room), size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);
}

HWND TFormGapscopeWin::Control(std::string_view name) const {
    for (const Placed& control : controls_) {
        if (control.name == name) return control.hwnd;
    }
    return nullptr;
}

const TFormGapscopeWin::Placed* TFormGapscopeWin::Find(HWND hwnd) const {
    for (const Placed& control : controls_) {
        if (control.hwnd == hwnd) return &control;
    }
    return nullptr;
}

void TFormGapscopeWin::Show(int showCommand) {
    if (window_ == nullptr) return;
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    SetFocus(Control(layout::TabOrder().front()));
    FormShow();
}

void TFormGapscopeWin::FormShow() {
    if (!model_->FormShow()) return;
    SetWindowTextW(window_, Wide(model_->Caption()).c_str());
    if (model_->AutoRunTimerArmed()) {
        SetTimer(window_, kTimerAutoRun, static_cast<UINT>(kAutoRunDelay.count()), nullptr);
    }
    ShowModel();
}

void TFormGapscopeWin::ShowModel() {
    if (window_ == nullptr) return;
    if (shownLastDay_ != model_->LastPickableDay()) {
        // Days up to the current UTC day, whatever the local date.
        shownLastDay_ = model_->LastPickableDay();
        SYSTEMTIME range[2] = {};
        range[1] = SystemTimeOf(*shownLastDay_);
        SendMessageW(Control("DateTimePickerDate"), DTM_SETRANGE, GDTR_MAX,
                     reinterpret_cast<LPARAM>(range));
    }
    if (shownDay_ != model_->PickerDay()) {
        shownDay_ = model_->PickerDay();
        SYSTEMTIME time = SystemTimeOf(*shownDay_);
        SendMessageW(Control("DateTimePickerDate"), DTM_SETSYSTEMTIME, GDT_VALID,
                     reinterpret_cast<LPARAM>(&time));
    }
    for (const Placed& control : controls_) {
        if (!control.option) continue;
        const bool checked = model_->Options().*control.option->member;
        SendMessageW(control.hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (shownLists_ != model_->ListsRevision()) {
        FillLists();
        UpdateTimeline();
    }
    if (const HWND counts = Control("LabelCounts"); counts != nullptr)
        SetWindowTextW(counts, Wide(model_->Counts().text).c_str());

    const DataLabel& source = model_->Source();
    if (!sourceShown_ || source != shownSource_) {
        sourceShown_ = true;
        shownSource_ = source;
        const HWND label = Control("LabelSource");
        SizeSourceLabel();
        const std::wstring tip = Wide(source.tooltip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(label);
        tool.lpszText = const_cast<wchar_t*>(tip.c_str());
        SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    int length = GetWindowTextLengthW(window_);
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    length = GetWindowTextW(window_, title.data(), length + 1);
    title.resize(static_cast<std::size_t>(length));
    for (const WindowMessage& message : model_->TakeMessages()) {
        if (services_.say) services_.say(window_, title, message);
    }
    if (model_->CloseRequested() && window_ != nullptr) DestroyWindow(window_);
}

// The lines of the four lists, each list as wide as its widest line so that it scrolls
// sideways to the end of every line.
void TFormGapscopeWin::FillLists() {
    shownLists_ = model_->ListsRevision();
    const DayReport& lists = model_->Lists();
    const std::pair<std::string_view, const Lines*> fills[] = {
        {"ListBoxMissingSegs", &lists.missingSegs},
        {"ListBoxMissingProduct", &lists.missingProduct},
        {"ListBoxLateSegs", &lists.lateSegs},
        {"ListBoxMissingSlots", &lists.missingSlots}};
    const HDC dc = GetDC(window_);
    const HGDIOBJ old = SelectObject(dc, font_);
    for (const auto& [name, lines] : fills) {
        const HWND list = Control(name);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        SendMessageW(list, LB_INITSTORAGE, lines->size(), 0);
        LONG widest = 0;
        for (const std::string& line : *lines) {
            const std::wstring text = Wide(line);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            widest = std::max(widest, size.cx);
        }
        // The list draws each line a few pixels in from its edge.
        SendMessageW(list, LB_SETHORIZONTALEXTENT, widest > 0 ? widest + Scale(6) : 0, 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
}

void TFormGapscopeWin::OnCommand(WORD id, WORD code, HWND control) {
    const std::size_t index = static_cast<std::size_t>(id - kFirstId);
    if (id < kFirstId || index >= controls_.size()) return;
    const Placed& placed = controls_[index];
    if (placed.kind == Kind::Label && code == STN_CLICKED && placed.name == "LabelSource") {
        LabelSourceClick();
        return;
    }
    if (placed.kind == Kind::List && code == LBN_DBLCLK && placed.name == "ListBoxMissingSlots") {
        ShowTimeline();
        return;
    }
    if (code != BN_CLICKED) return;
    if (placed.option) {
        model_->ClickBox(*placed.option, SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (placed.name == "ButtonSave") {
        model_->ButtonSaveClick();
    } else if (placed.name == "ButtonToday") {
        model_->ButtonTodayClick();
    } else if (placed.name == "ButtonClose") {
        model_->ButtonCloseClick();
    } else {
        return;
    }
    ShowModel();
}

void TFormGapscopeWin::OnDatePicked() {
    SYSTEMTIME time{};
    if (SendMessageW(Control("DateTimePickerDate"), DTM_GETSYSTEMTIME, 0,
                     reinterpret_cast<LPARAM>(&time)) != GDT_VALID) {
        return;
    }
    // The picker tells of a change more than once for one pick (and as the calendar's month
    // is turned); a day already shown runs no report.
    const Day day = DayOf(time);
    if (day == model_->PickerDay()) return;
    shownDay_ = day;
    model_->PickDay(day);
    ShowModel();
}

void TFormGapscopeWin::ShowTimeline() {
    if (window_ == nullptr) return;
    if (!timeline_) timeline_ = std::make_unique<TFormTimelineWin>(window_, services_);
    const PictureRequest picture = model_->Picture();
    timeline_->ShowFindings(picture.findings, picture.facts, picture.folder);
    timeline_->Show();
}

void TFormGapscopeWin::UpdateTimeline() {
    if (!timeline_ || !timeline_->Visible()) return;
    const PictureRequest picture = model_->Picture();
    timeline_->ShowFindings(picture.findings, picture.facts, picture.folder);
}

void TFormGapscopeWin::LabelSourceClick() {
    const std::optional<std::string> start = model_->LabelSourceClick();
    if (!start || !services_.chooseFolder) return;
    const std::optional<std::filesystem::path> chosen =
        services_.chooseFolder(window_, PathFromText(*start));
    if (!chosen || chosen->empty()) return;
    model_->FolderChosen(*chosen);
    ShowModel();
}

// A list's shortcut menu shows the day as a picture and copies its lines. A right click
// first selects the line under it.
void TFormGapscopeWin::OnContextMenu(HWND list, LPARAM at) {
    const Placed* placed = Find(list);
    if (placed == nullptr || placed->kind != Kind::List || !services_.trackMenu) return;
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {
        point = {0, 0};
        ClientToScreen(list, &point);
    } else {
        POINT inList = point;
        ScreenToClient(list, &inList);
        const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
        if (HIWORD(hit) == 0) SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
    }
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kShowPicture, L"Show the day as a &picture...");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | (selected == LB_ERR ? MF_GRAYED : 0), kCopyLine, L"&Copy line");
    AppendMenuW(menu, MF_STRING | (count <= 0 ? MF_GRAYED : 0), kCopyList, L"Copy &all lines");
    const UINT command = services_.trackMenu(menu, window_, point);
    DestroyMenu(menu);
    if (command == kShowPicture) {
        ShowTimeline();
        return;
    }
    std::wstring text;
    if (command == kCopyLine && selected != LB_ERR) {
        text = ListText(list, static_cast<int>(selected));
    } else if (command == kCopyList) {
        for (int row = 0; row < count; ++row) text += ListText(list, row) + L"\r\n";
    } else {
        return;
    }
    CopyToClipboard(window_, text);
}

LRESULT CALLBACK TFormGapscopeWin::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TFormGapscopeWin*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TFormGapscopeWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return form->Handle(message, wParam, lParam);
}

LRESULT TFormGapscopeWin::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom != Control("DateTimePickerDate")) break;
            if (header->code == DTN_DROPDOWN) pickerOpen_ = true;
            if (header->code == DTN_CLOSEUP) pickerOpen_ = false;
            if ((header->code == DTN_DATETIMECHANGE || header->code == DTN_CLOSEUP) &&
                !pickerOpen_) {
                OnDatePicked();
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam != kTimerAutoRun) break;
            KillTimer(window_, kTimerAutoRun);  // it ticks once
            model_->TimerAutoRunTimer();
            ShowModel();
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == Control("LabelSource") &&
                model_->LabelSourceClick()) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            // As a dialog does: the focus comes back to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focus_ = GetFocus();
            } else if (focus_ != nullptr && IsChild(window_, focus_)) {
                SetFocus(focus_);
                return 0;
            }
            break;
        case WM_GETMINMAXINFO: {
            // The designed size even where it is larger than the screen, as a dialog's is.
            const RECT outer =
                OuterRect(Scale(layout::kClientWidth), Scale(layout::kClientHeight), dpi_);
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            // With room for a frame wider than the one reckoned.
            limits->ptMaxTrackSize.x =
                std::max(limits->ptMaxTrackSize.x, 2 * (outer.right - outer.left));
            limits->ptMaxTrackSize.y =
                std::max(limits->ptMaxTrackSize.y, 2 * (outer.bottom - outer.top));
            return 0;
        }
        case WM_DPICHANGED:
            ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kTimerAutoRun);
            // The stored boxes keep their states for the next start.
            if (!services_.settingsBaseName.empty()) {
                StoreOptions(services_.settingsBaseName, model_->Options());
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace gapscope
