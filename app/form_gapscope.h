#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/form_services.h"
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

    const StartupState& Startup() const { return startup_; }
    bool IsAutoRunning() const { return AutoRunning; }
    // 0 unless an automatic run saved no report.
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
    void FormCreate();
    void FormShow();
    void FormDestroy();

    QString Caption() const;
    ReportOptions GatherOptions() const;
    void SetPickerDay(Day day);
    void ShowLists();
    void FailAutoRun(const QString& reason);

    FormServices services_;
    StartupState startup_;
    DayReport report_;
    Day reportDay_{};
    std::optional<std::string> reportError_;
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

    QLabel* LabelDate = nullptr;
    QDateEdit* DateTimePickerDate = nullptr;
    QPushButton* ButtonToday = nullptr;
};

}  // namespace gapscope
