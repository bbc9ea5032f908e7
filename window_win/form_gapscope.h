#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_options.h"
#include "window_model/window_model.h"
#include "window_win/form_services.h"
#include "window_win/form_timeline.h"

namespace gapscope {

// The one window of the program, in Win32: the layout table's controls, scaled for the
// monitor's DPI, bound to the window model. Each event goes to the model, and the window
// then shows what the model holds.
class TFormGapscopeWin {
  public:
    // Creates the window, hidden, with the stored options on its boxes; no report runs yet.
    explicit TFormGapscopeWin(WinFormServices services);
    // Destroys the window if it is still there, which stores the options.
    ~TFormGapscopeWin();
    TFormGapscopeWin(const TFormGapscopeWin&) = delete;
    TFormGapscopeWin& operator=(const TFormGapscopeWin&) = delete;

    // Shows the window; the first time, the model's show step follows.
    void Show(int showCommand);

    HWND Window() const { return window_; }
    // A control by its design name (LabelSource, ButtonSave, CheckBoxReportIncludeFSD...);
    // nullptr for a control the window does not have.
    HWND Control(std::string_view name) const;
    HWND Tooltips() const { return tooltips_; }
    int Dpi() const { return dpi_; }
    const WindowModel& Model() const { return *model_; }
    int ExitStatus() const { return model_->ExitStatus(); }
    bool Closed() const { return window_ == nullptr; }

    // The day's timeline in its window, made when first asked for: from the lists' menu,
    // or a double click on the missing-cycles list.
    void ShowTimeline();
    TFormTimelineWin* TimelineWindow() const { return timeline_.get(); }

    // The timer that starts the automatic run, and the commands of the lists' menu.
    static constexpr UINT_PTR kTimerAutoRun = 1;
    static constexpr UINT kCopyLine = 1;
    static constexpr UINT kCopyList = 2;
    static constexpr UINT kShowPicture = 3;

  private:
    enum class Kind { Label, List, GroupBox, Button, DatePicker, CheckBox };
    struct Placed {
        std::string_view name;
        Kind kind;
        int x, y, width, height;  // designed, in the window's client area; 0 x 0: fits its text
        std::wstring text;
        std::optional<OptionField> option;
        bool inGroup = false;
        HWND hwnd = nullptr;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void AddTooltip(HWND control, const std::wstring& text);
    void ApplyDpi(int dpi, const RECT* suggested);
    int Scale(int designed) const;
    SIZE TextSize(const std::wstring& text) const;
    void SizeSourceLabel();
    void OnCommand(WORD id, WORD code, HWND control);
    void OnDatePicked();
    void OnContextMenu(HWND control, LPARAM at);
    void FormShow();
    // Shows what the model holds after an event: the picker, the boxes, the lists (when
    // they changed), the data label, the messages; closes when the model says so.
    void ShowModel();
    void FillLists();
    // The timeline window, while it is shown, follows the report on screen.
    void UpdateTimeline();
    void LabelSourceClick();
    const Placed* Find(HWND control) const;

    WinFormServices services_;
    std::unique_ptr<WindowModel> model_;
    std::unique_ptr<TFormTimelineWin> timeline_;
    std::vector<Placed> controls_;
    HWND window_ = nullptr;
    HWND tooltips_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left
    HFONT font_ = nullptr;
    int dpi_ = 96;
    int rowHeight_ = 13;
    int shownLists_ = -1;  // the model's lists revision on screen
    std::optional<Day> shownDay_;
    std::optional<Day> shownLastDay_;
    DataLabel shownSource_;
    bool sourceShown_ = false;
    bool pickerOpen_ = false;  // the calendar is down: its changes wait until it closes
};

}  // namespace gapscope
