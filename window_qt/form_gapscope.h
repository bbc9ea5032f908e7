#pragma once

#include <QStringList>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "window_qt/form_services.h"
#include "report/day_report.h"
#include "startup/startup_state.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace gapscope {

class TvelCheckBox;
class TFormTimeline;

// The one window of the program: four report lists, the report settings and the buttons,
// laid out in pixels at a fixed size. It holds no report logic of its own: it gathers its
// controls into options and a day, runs the report engine and shows the four lists.
class TFormGapscope : public QWidget {
  public:
    explicit TFormGapscope(FormServices services, QWidget* parent = nullptr);
    ~TFormGapscope() override;

    // Reruns the whole report for the picked day and the boxes as they stand.
    void DateChanged();
    void ButtonSaveClick();
    void ButtonTodayClick();
    void ButtonCloseClick();
    void TimerAutoRunTimer();
    // A click on the data label: the operator picks the station's folder, its logs are read
    // as at start-up, the report is run again and the folder is kept for the next start.
    void LabelSourceClick();
    // Opens (or brings up) the day timeline of the report shown, in a window of its own
    // that then follows every report run: from the lists' context menu, and by a double
    // click on the missing-cycles list.
    void ShowTimeline();
    TFormTimeline* TimelineWindow() const { return FormTimeline; }

    const StartupState& Startup() const { return startup_; }
    bool IsAutoRunning() const { return AutoRunning; }
    // kExitDone unless an automatic run saved no report (the statuses of unattended_run.h).
    int ExitStatus() const { return exitStatus_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct OptionBox {
        QCheckBox* box;
        bool ReportOptions::*member;
    };

    void BuildControls();
    void BuildReportSettings();
    void SetTabOrder();
    void FitListRows();
    void FormCreate();
    void FormShow();
    void FormDestroy();

    QString Caption() const;
    // Reads the logs as the show step does and shows in the data label what was found.
    void LoadLogs(const StartupInputs& inputs);
    void ShowSource(const StartupLoad& loaded);
    ReportOptions GatherOptions() const;
    void SetPickerDay(Day day);
    void ShowLists();
    void FailAutoRun(int status, const QStringList& lines);
    void AddPictureHooks();
    void UpdateTimeline();

    FormServices services_;
    StartupState startup_;
    DayReport report_;
    Findings findings_;
    Day reportDay_{};
    std::optional<std::string> reportError_;
    std::optional<std::string> reportErrorPlace_;
    // Why the automatic run must not save: the data it would report on could not be read.
    std::optional<std::string> dataProblem_;
    std::vector<OptionBox> optionBoxes_;
    std::vector<TvelCheckBox*> storedBoxes_;
    bool shown_ = false;
    bool autoRun_ = false;  // no dialog may wait for a person
    // Set by the automatic run just before it saves: the save then asks no one.
    bool AutoRunning = false;
    int exitStatus_ = 0;

    QLabel* LabelMissingSegments = nullptr;
    QListWidget* ListBoxMissingSegs = nullptr;
    QLabel* LabelMissingMpefSegments = nullptr;
    QListWidget* ListBoxMissingProduct = nullptr;
    QLabel* LabelLateSegments = nullptr;
    QListWidget* ListBoxLateSegs = nullptr;
    QGroupBox* GroupBoxReportControl = nullptr;
    QLabel* LabelMissingScans = nullptr;
    QListWidget* ListBoxMissingSlots = nullptr;
    QLabel* LabelSource = nullptr;
    QPushButton* ButtonSave = nullptr;
    QPushButton* ButtonClose = nullptr;
    QTimer* TimerAutoRun = nullptr;
    TFormTimeline* FormTimeline = nullptr;  // made when first asked for

    QLabel* LabelDate = nullptr;
    QDateEdit* DateTimePickerDate = nullptr;
    QPushButton* ButtonToday = nullptr;
};

}  // namespace gapscope
