#include "window_qt/form_gapscope.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "settings/stored_folder.h"
#include "settings/stored_options.h"
#include "settings/stored_window.h"
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
                          Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
      services_(std::move(services)) {
    setObjectName(QStringLiteral("FormGapscope"));
    // Opens at its designed size and layout, and can be made larger, never smaller.
    setMinimumSize(layout::kClientWidth, layout::kClientHeight);
    resize(layout::kClientWidth, layout::kClientHeight);
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
    // Said once: each value above fell back to its default without a word.
    if (auto problem = SettingsProblem(base)) inputs.warnings.push_back(std::move(*problem));
    inputs.storedFolder = ReadStoredDataFolder(base);
    inputs.keepFolder = [base](const std::filesystem::path& folder) {
        StoreDataFolder(base, folder);
    };
    inputs.announceLosses = ReadAnnounceLosses(base);
    inputs.keepAnnounceLosses = [base](bool on) { StoreAnnounceLosses(base, on); };
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
    connect(TimerFollow, &QTimer::timeout, this, [this] { TimerFollowTimer(); });
    connect(TimerNewDay, &QTimer::timeout, this, [this] { ShowPickerRange(); });
    qApp->installEventFilter(this);
    static_cast<ClickableLabel*>(LabelSource)->clicked = [this] { LabelSourceClick(); };
    AddListActions();
    FormCreate();
    // Where the operator left it; the automatic run's window is nobody's to place.
    if (!ParseSwitches(services_.window.arguments).autoRun) PlaceWindow();
}

TFormGapscope::~TFormGapscope() {
    // The model goes before the widgets, whose going raises events of their own.
    qApp->removeEventFilter(this);
}  // the stored check boxes write their states after

void TFormGapscope::BuildControls() {
    for (const layout::ControlDesign& design : layout::kWindowControls) MakeControl(design, this);
    ListBoxMissingSegs = Child<QListWidget>(this, "ListBoxMissingSegs");
    ListBoxMissingProduct = Child<QListWidget>(this, "ListBoxMissingProduct");
    ListBoxLateSegs = Child<QListWidget>(this, "ListBoxLateSegs");
    GroupBoxReportControl = Child<QGroupBox>(this, "GroupBoxReportControl");
    ListBoxMissingSlots = Child<QListWidget>(this, "ListBoxMissingSlots");
    LabelCounts = Child<QLabel>(this, "LabelCounts");
    LabelSource = Child<QLabel>(this, "LabelSource");
    ButtonSave = Child<QPushButton>(this, "ButtonSave");
    ButtonClose = Child<QPushButton>(this, "ButtonClose");
    BuildReportSettings();
    // The highlight of new losses is the counts line's background.
    LabelCounts->setAutoFillBackground(true);

    TimerAutoRun = new QTimer(this);
    TimerAutoRun->setObjectName(QStringLiteral("TimerAutoRun"));
    TimerAutoRun->setInterval(kAutoRunDelay);
    TimerAutoRun->setSingleShot(true);
    TimerFollow = new QTimer(this);
    TimerFollow->setObjectName(QStringLiteral("TimerFollow"));
    TimerFollow->setInterval(kFollowInterval);
    TimerNewDay = new QTimer(this);
    TimerNewDay->setObjectName(QStringLiteral("TimerNewDay"));
    TimerNewDay->setSingleShot(true);
    TimerNewDay->setTimerType(Qt::PreciseTimer);

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
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label != LabelCounts) label->adjustSize();
    }
}

void TFormGapscope::PlaceWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    std::optional<layout::Rect> stored;
    if (const auto kept = ReadWindowPlacement(services_.settingsBaseName.toStdString())) {
        stored = layout::Rect{kept->left, kept->top, kept->width, kept->height};
    }
    const layout::Rect place =
        layout::OpeningPlacement(stored, {area.x(), area.y(), area.width(), area.height()});
    // The client area, as it is kept: a move() would place the frame there instead.
    setGeometry(place.x, place.y, place.width, place.height);
}

void TFormGapscope::KeepPlacement() {
    // The automatic run's window was never the operator's to place.
    if (placementKept_ || model_->AutoRun()) return;
    placementKept_ = true;
    const QRect kept = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    StoreWindowPlacement(services_.settingsBaseName.toStdString(),
                         {kept.x(), kept.y(), kept.width(), kept.height()});
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
    if (!model_->AutoRun()) TimerFollow->start();
    ShowModel();
}

void TFormGapscope::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (const layout::ControlDesign& design : layout::kWindowControls) {
        QWidget* widget = Child<QWidget>(this, design.name);
        if (widget == nullptr) continue;
        const layout::Rect place = layout::Place(design, width(), height());
        if (place.width > 0) {
            widget->setGeometry(place.x, place.y, place.width, place.height);
        } else {
            widget->move(place.x, place.y);
        }
    }
    // The data label and the counts line fit their text to their new room.
    shownSource_ = DataLabel{};
    ShowSource();
    ShowCounts();
}

void TFormGapscope::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && model_->Alerting()) {
        model_->WindowUsed();
        ShowModel();
    }
}

bool TFormGapscope::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (model_->Alerting() && watched->isWidgetType() &&
        (type == QEvent::MouseButtonPress || type == QEvent::KeyPress || type == QEvent::FocusIn) &&
        static_cast<QWidget*>(watched)->window() == this) {
        model_->WindowUsed();
        ShowModel();
    }
    return QWidget::eventFilter(watched, event);
}

void TFormGapscope::closeEvent(QCloseEvent* event) {
    KeepPlacement();
    QWidget::closeEvent(event);
}

void TFormGapscope::ShowModel() {
    ShowPickerRange();
    {
        const QSignalBlocker blocker(DateTimePickerDate);
        DateTimePickerDate->setDate(ToQDate(model_->PickerDay()));
    }
    for (const OptionBox& option : optionBoxes_) {
        option.box->setChecked(model_->Options().*option.field.member);
    }
    ActionAnnounce->setChecked(model_->AnnounceLosses());
    if (shownLists_ != model_->ListsRevision()) {
        shownLists_ = model_->ListsRevision();
        ShowLists();
        UpdateTimeline();
    }
    ShowSource();
    ShowCounts();
    const QString title = QString::fromStdString(model_->Title());
    if (!title.isEmpty() && windowTitle() != title) setWindowTitle(title);
    for (const Announcement& announcement : model_->TakeAnnouncements()) {
        if (services_.notify) services_.notify(this, announcement);
        // The taskbar's highlight for a window not in front.
        if (!isActiveWindow()) QApplication::alert(this);
    }
    for (const WindowMessage& message : model_->TakeMessages()) {
        services_.say(this, QString::fromStdString(model_->Caption()), message);
    }
    if (model_->CloseRequested()) close();
}

void TFormGapscope::ShowPickerRange() {
    {
        const QSignalBlocker blocker(DateTimePickerDate);
        DateTimePickerDate->setMaximumDate(ToQDate(model_->LastPickableDay()));
    }
    // A timer that fires a little early finds the same day and is armed again.
    if (!model_->AutoRun()) {
        const auto wait = std::max(model_->UntilNextDay(), std::chrono::seconds{1});
        TimerNewDay->start(std::chrono::duration_cast<std::chrono::milliseconds>(wait));
    }
}

void TFormGapscope::ShowLists() {
    const DayReport& lists = model_->Lists();
    const std::array<std::pair<QListWidget*, const Lines*>, 4> fills = {{
        {ListBoxMissingSegs, &lists.missingSegs},
        {ListBoxMissingProduct, &lists.missingProduct},
        {ListBoxLateSegs, &lists.lateSegs},
        {ListBoxMissingSlots, &lists.missingSlots},
    }};
    const bool keepPlace = model_->ListsKeepPlace();
    for (std::size_t i = 0; i < fills.size(); ++i) {
        QListWidget* list = fills[i].first;
        const Lines& lines = *fills[i].second;
        const int down = list->verticalScrollBar()->value();
        const int across = list->horizontalScrollBar()->value();
        const int row = list->currentRow();
        FillReportList(list, lines);
        if (keepPlace) {
            // A refresh of the same day: the operator's place in each list stays.
            const auto kept = RowAfterRefill(
                shownLines_[i], row >= 0 ? std::optional<std::size_t>(row) : std::nullopt, lines);
            if (kept) list->setCurrentRow(static_cast<int>(*kept));
            list->doItemsLayout();
            list->verticalScrollBar()->setValue(down);
            list->horizontalScrollBar()->setValue(across);
        }
        shownLines_[i] = lines;
    }
}

void TFormGapscope::ShowSource() {
    const DataLabel& source = model_->Source();
    if (source == shownSource_) return;
    shownSource_ = source;
    LabelSource->setToolTip(QString::fromStdString(source.tooltip));
    LabelSource->setCursor(Qt::PointingHandCursor);
    // A failure of the data in a colour that stands out.
    LabelSource->setStyleSheet(source.state == DataState::Read
                                   ? QString()
                                   : QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    const QString lead = QString::fromStdString(source.lead);
    const QString folder = QString::fromStdString(source.folder);
    const QString detail = QString::fromStdString(source.detail);
    // Up to the Save button: a long path is shortened in its middle, whole in the tooltip;
    // it keeps a third of the room at least, the detail after it then shortened too.
    LabelSource->setText(lead + folder + detail);
    const int room = ButtonSave->x() - LabelSource->x() - 8;
    const QFontMetrics metrics = LabelSource->fontMetrics();
    if (metrics.horizontalAdvance(lead + folder + detail) > room) {
        const int forFolder = std::min(metrics.horizontalAdvance(folder),
                                       std::max(room - metrics.horizontalAdvance(lead + detail),
                                                room / 3));
        const QString shown = metrics.elidedText(folder, Qt::ElideMiddle, forFolder);
        const int forDetail = room - metrics.horizontalAdvance(lead + shown);
        LabelSource->setText(lead + shown +
                             metrics.elidedText(detail, Qt::ElideRight, std::max(forDetail, 0)));
    }
    LabelSource->adjustSize();
    if (LabelSource->width() > room) LabelSource->resize(room, LabelSource->height());
}

void TFormGapscope::ShowCounts() {
    const CountsLine& counts = model_->Counts();
    const QString text = QString::fromStdString(counts.text);
    LabelCounts->setToolTip(QString::fromStdString(counts.tooltip));
    LabelCounts->setText(
        LabelCounts->fontMetrics().elidedText(text, Qt::ElideRight, LabelCounts->width()));
    // New losses not yet seen: the line stands out until the window comes to the front.
    QPalette palette = LabelCounts->parentWidget()->palette();
    if (model_->Alerting()) {
        palette.setColor(QPalette::Window, QColor(0xff, 0xd8, 0x4d));
        palette.setColor(QPalette::WindowText, Qt::black);
    }
    LabelCounts->setPalette(palette);
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

void TFormGapscope::TimerFollowTimer() {
    model_->TimerFollowTimer();
    ShowModel();
}

void TFormGapscope::Reload() {
    model_->Reload();
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

void TFormGapscope::AddListActions() {
    // Menus, a key and a double click: no designed control moves for them.
    auto* picture = new QAction(QStringLiteral("Show the day as a picture..."), this);
    picture->setObjectName(QStringLiteral("ActionShowTimeline"));
    connect(picture, &QAction::triggered, this, [this] { ShowTimeline(); });
    ActionReload = new QAction(QStringLiteral("Read the logs again"), this);
    ActionReload->setObjectName(QStringLiteral("ActionReload"));
    ActionReload->setShortcut(QKeySequence::Refresh);
    ActionReload->setShortcutContext(Qt::WindowShortcut);
    connect(ActionReload, &QAction::triggered, this, [this] { Reload(); });
    addAction(ActionReload);  // F5 anywhere in the window
    ActionAnnounce = new QAction(QStringLiteral("Announce new losses"), this);
    ActionAnnounce->setObjectName(QStringLiteral("ActionAnnounce"));
    ActionAnnounce->setCheckable(true);
    connect(ActionAnnounce, &QAction::triggered, this, [this](bool on) {
        model_->AnnounceLossesClick(on);
        ShowModel();
    });
    for (QListWidget* list :
         {ListBoxMissingSegs, ListBoxMissingProduct, ListBoxLateSegs, ListBoxMissingSlots}) {
        list->addActions({picture, ActionReload, ActionAnnounce});
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
