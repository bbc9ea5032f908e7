#include "window_qt/form_gapscope.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "settings/stored_folder.h"
#include "window_model/window_layout.h"
#include "window_qt/form_controls.h"
#include "window_qt/form_timeline.h"
#include "window_qt/qt_day.h"
#include "window_qt/vel_check_box.h"

namespace gapscope {
namespace {

template <typename T>
T* Child(const QWidget* parent, std::string_view name) {
    return parent->findChild<T*>(QString::fromLatin1(name.data(), qsizetype(name.size())),
                                 Qt::FindDirectChildrenOnly);
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

TFormGapscope::TFormGapscope(FormServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(std::move(services)) {
    setObjectName(QStringLiteral("FormGapscope"));
    setFixedSize(layout::kClientWidth, layout::kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    BuildControls();

    // Stored states are applied to the design states before anything is wired, so that
    // restoring them never runs a report; the model starts from them.
    WindowInputs inputs = services_.window;
    const std::string base = services_.settingsBaseName.toStdString();
    for (const OptionBox& option : optionBoxes_) {
        if (auto* stored = dynamic_cast<TvelCheckBox*>(option.box)) {
            stored->AttachStoredValue(services_.settingsBaseName);
        }
        inputs.storedOptions.*option.field.member = option.box->isChecked();
    }
    inputs.storedFolder = ReadStoredDataFolder(base);
    inputs.keepFolder = [base](const std::filesystem::path& folder) {
        StoreDataFolder(base, folder);
    };
    model_ = std::make_unique<WindowModel>(std::move(inputs));

    for (const OptionBox& option : optionBoxes_) {
        connect(option.box, &QCheckBox::clicked, this, [this, option](bool checked) {
            model_->ClickBox(option.field, checked);
            ShowModel();
        });
    }
    connect(DateTimePickerDate, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        model_->PickDay(ToDay(date));
        ShowModel();
    });
    connect(ButtonToday, &QPushButton::clicked, this, [this] { ButtonTodayClick(); });
    connect(ButtonSave, &QPushButton::clicked, this, [this] { ButtonSaveClick(); });
    connect(ButtonClose, &QPushButton::clicked, this, [this] { ButtonCloseClick(); });
    connect(TimerAutoRun, &QTimer::timeout, this, [this] { TimerAutoRunTimer(); });
    static_cast<ClickableLabel*>(LabelSource)->clicked = [this] { LabelSourceClick(); };
    AddPictureHooks();
    FormCreate();
}

TFormGapscope::~TFormGapscope() = default;  // the stored check boxes write their states after

void TFormGapscope::BuildControls() {
    for (const layout::ControlDesign& design : layout::kWindowControls) MakeControl(design, this);
    ListBoxMissingSegs = Child<QListWidget>(this, "ListBoxMissingSegs");
    ListBoxMissingProduct = Child<QListWidget>(this, "ListBoxMissingProduct");
    ListBoxLateSegs = Child<QListWidget>(this, "ListBoxLateSegs");
    GroupBoxReportControl = Child<QGroupBox>(this, "GroupBoxReportControl");
    ListBoxMissingSlots = Child<QListWidget>(this, "ListBoxMissingSlots");
    LabelSource = Child<QLabel>(this, "LabelSource");
    ButtonSave = Child<QPushButton>(this, "ButtonSave");
    ButtonClose = Child<QPushButton>(this, "ButtonClose");
    BuildReportSettings();

    TimerAutoRun = new QTimer(this);
    TimerAutoRun->setObjectName(QStringLiteral("TimerAutoRun"));
    TimerAutoRun->setInterval(kAutoRunDelay);
    TimerAutoRun->setSingleShot(true);

    SetTabOrder();
    ButtonClose->setFocus();
}

void TFormGapscope::BuildReportSettings() {
    QGroupBox* group = GroupBoxReportControl;
    for (const layout::ControlDesign& design : layout::kGroupControls) MakeControl(design, group);
    DateTimePickerDate = Child<QDateEdit>(group, "DateTimePickerDate");
    ButtonToday = Child<QPushButton>(group, "ButtonToday");

    for (const layout::BoxDesign& design : layout::kBoxes) {
        const std::optional<OptionField> field = FindOptionField(design.option);
        if (!field) continue;
        const QString text = CaptionText(field->caption);
        QCheckBox* box = nullptr;
        if (field->stored) {
            auto* storedBox = new TvelCheckBox(text, group);
            storedBox->NamedAs = Text(field->storedName);
            box = storedBox;
        } else {
            box = new QCheckBox(text, group);
        }
        box->setObjectName(QString::fromLatin1(design.name));
        box->setGeometry(design.x, design.y, layout::kBoxWidth, layout::kBoxHeight);
        box->setChecked(field->designDefault);
        if (!field->tooltip.empty()) box->setToolTip(Text(field->tooltip));
        box->setVisible(field->offered);
        optionBoxes_.push_back({box, *field});
    }
}

void TFormGapscope::SetTabOrder() {
    std::vector<QWidget*> chain;
    for (const std::string_view name : layout::TabOrder()) {
        QWidget* widget = Child<QWidget>(this, name);
        chain.push_back(widget != nullptr ? widget : Child<QWidget>(GroupBoxReportControl, name));
    }
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TFormGapscope::FormCreate() {
    // The desktop's own interface font; the pixel layout stays as it is.
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // A larger desktop font gets taller rows rather than clipped text, and no control moves.
    const int rowHeight = std::max(layout::kRowHeight, QFontMetrics(font()).height());
    for (QListWidget* list :
         {ListBoxMissingSegs, ListBoxMissingProduct, ListBoxLateSegs, ListBoxMissingSlots}) {
        SetReportRows(list, rowHeight);
    }
    for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();
}

void TFormGapscope::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!model_->FormShow()) return;
    const QString caption = QString::fromStdString(model_->Caption());
    // The application title first: the desktop shows it after a window title that does
    // not already end with it.
    QGuiApplication::setApplicationDisplayName(caption);
    setWindowTitle(caption);
    if (model_->AutoRunTimerArmed()) TimerAutoRun->start();
    ShowModel();
}

void TFormGapscope::ShowModel() {
    {
        const QSignalBlocker blocker(DateTimePickerDate);
        DateTimePickerDate->setDate(ToQDate(model_->PickerDay()));
    }
    for (const OptionBox& option : optionBoxes_) {
        option.box->setChecked(model_->Options().*option.field.member);
    }
    if (shownLists_ != model_->ListsRevision()) {
        shownLists_ = model_->ListsRevision();
        const DayReport& lists = model_->Lists();
        FillReportList(ListBoxMissingSegs, lists.missingSegs);
        FillReportList(ListBoxMissingProduct, lists.missingProduct);
        FillReportList(ListBoxLateSegs, lists.lateSegs);
        FillReportList(ListBoxMissingSlots, lists.missingSlots);
        UpdateTimeline();
    }
    ShowSource();
    for (const WindowMessage& message : model_->TakeMessages()) {
        services_.say(this, windowTitle(), message);
    }
    if (model_->CloseRequested()) close();
}

void TFormGapscope::ShowSource() {
    const DataLabel& source = model_->Source();
    if (source == shownSource_) return;
    shownSource_ = source;
    LabelSource->setToolTip(QString::fromStdString(source.tooltip));
    LabelSource->setCursor(Qt::PointingHandCursor);
    const QString lead = QString::fromStdString(source.lead);
    const QString folder = QString::fromStdString(source.folder);
    // Up to the Save button: a long path is shortened in its middle, whole in the tooltip.
    const int room = ButtonSave->x() - LabelSource->x() - 8;
    const QFontMetrics metrics = LabelSource->fontMetrics();
    QString shown = folder;
    if (metrics.horizontalAdvance(lead + folder) > room) {
        shown = metrics.elidedText(folder, Qt::ElideMiddle, room - metrics.horizontalAdvance(lead));
    }
    LabelSource->setText(lead + shown);
    LabelSource->adjustSize();
    if (LabelSource->width() > room) LabelSource->resize(room, LabelSource->height());
}

void TFormGapscope::ButtonSaveClick() {
    model_->ButtonSaveClick();
    ShowModel();
}

void TFormGapscope::ButtonTodayClick() {
    model_->ButtonTodayClick();
    ShowModel();
}

void TFormGapscope::ButtonCloseClick() {
    model_->ButtonCloseClick();
    ShowModel();
}

void TFormGapscope::TimerAutoRunTimer() {
    TimerAutoRun->stop();
    model_->TimerAutoRunTimer();
    ShowModel();
}

void TFormGapscope::LabelSourceClick() {
    const std::optional<std::string> start = model_->LabelSourceClick();
    if (!start || !services_.chooseFolder) return;
    const QString chosen = services_.chooseFolder(
        this, QStringLiteral("Choose the station's folder"), QString::fromStdString(*start));
    if (chosen.isEmpty()) return;
    model_->FolderChosen(std::filesystem::path(chosen.toStdU16String()));
    ShowModel();
}

void TFormGapscope::AddPictureHooks() {
    // Menus and a double click: no designed control moves for them.
    auto* action = new QAction(QStringLiteral("Show the day as a picture..."), this);
    action->setObjectName(QStringLiteral("ActionShowTimeline"));
    connect(action, &QAction::triggered, this, [this] { ShowTimeline(); });
    for (QListWidget* list :
         {ListBoxMissingSegs, ListBoxMissingProduct, ListBoxLateSegs, ListBoxMissingSlots}) {
        list->addAction(action);
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    connect(ListBoxMissingSlots, &QListWidget::itemDoubleClicked, this, [this] { ShowTimeline(); });
}

void TFormGapscope::ShowTimeline() {
    if (!FormTimeline) FormTimeline = new TFormTimeline(this);
    FormTimeline->show();
    UpdateTimeline();
    FormTimeline->raise();
    FormTimeline->activateWindow();
}

void TFormGapscope::UpdateTimeline() {
    if (!FormTimeline || !FormTimeline->isVisible()) return;
    const PictureRequest picture = model_->Picture();
    FormTimeline->ShowFindings(picture.findings, picture.facts,
                               QString::fromStdString(picture.folder));
}

}  // namespace gapscope
