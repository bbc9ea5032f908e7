#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "window_model/window_model.h"
#include "window_qt/form_services.h"

class QAction;
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

// The one window of the program, in Qt: the layout table's controls bound to the window
// model. Each event goes to the model, and the window then shows what the model holds.
class TFormGapscope : public QWidget {
  public:
    explicit TFormGapscope(FormServices services, QWidget* parent = nullptr);
    ~TFormGapscope() override;

    void ButtonSaveClick();
    void ButtonTodayClick();
    void ButtonCloseClick();
    void TimerAutoRunTimer();
    // The look at the logs once a minute (TimerFollow), given at once by tests.
    void TimerFollowTimer();
    // F5, and the lists' context menu.
    void Reload();
    void LabelSourceClick();
    // Opens (or brings up) the day timeline of the report shown, in a window of its own
    // that then follows every report run: from the lists' context menu, and by a double
    // click on the missing-cycles list.
    void ShowTimeline();
    TFormTimeline* TimelineWindow() const { return FormTimeline; }

    const WindowModel& Model() const { return *model_; }
    const StartupState& Startup() const { return model_->Startup(); }
    int ExitStatus() const { return model_->ExitStatus(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A click, a key or the focus anywhere in the window: the operator is using it.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct OptionBox {
        QCheckBox* box;
        OptionField field;
    };

    void BuildControls();
    void BuildReportSettings();
    void SetTabOrder();
    void FormCreate();
    void PlaceWindow();
    void KeepPlacement();
    // Shows what the model holds after an event: the picker, the boxes, the lists (when
    // they changed), the data label, the messages; closes when the model says so.
    void ShowModel();
    void ShowLists();
    void ShowSource();
    void ShowCounts();
    // The picker offers days up to the current UTC day; armed for when that day ends.
    void ShowPickerRange();
    void AddListActions();
    void UpdateTimeline();

    FormServices services_;
    std::unique_ptr<WindowModel> model_;
    std::vector<OptionBox> optionBoxes_;
    int shownLists_ = -1;  // the model's lists revision on screen
    std::array<Lines, 4> shownLines_;
    DataLabel shownSource_;
    bool placementKept_ = false;

    QListWidget* ListBoxMissingSegs = nullptr;
    QListWidget* ListBoxMissingProduct = nullptr;
    QListWidget* ListBoxLateSegs = nullptr;
    QGroupBox* GroupBoxReportControl = nullptr;
    QListWidget* ListBoxMissingSlots = nullptr;
    QLabel* LabelCounts = nullptr;
    QLabel* LabelSource = nullptr;
    QPushButton* ButtonSave = nullptr;
    QPushButton* ButtonClose = nullptr;
    QTimer* TimerAutoRun = nullptr;
    QTimer* TimerFollow = nullptr;
    QTimer* TimerNewDay = nullptr;
    QAction* ActionReload = nullptr;
    QAction* ActionAnnounce = nullptr;
    TFormTimeline* FormTimeline = nullptr;  // made when first asked for
    QDateEdit* DateTimePickerDate = nullptr;
    QPushButton* ButtonToday = nullptr;
};

}  // namespace gapscope
