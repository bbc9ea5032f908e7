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
#include <exception>
#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

#include "window_qt/form_controls.h"
#include "window_qt/form_layout.h"
#include "window_qt/form_timeline.h"
#include "platform/platform.h"
#include "window_qt/qt_day.h"
#include "unattended/unattended_run.h"
#include "window_qt/vel_check_box.h"
#include "history/day_queries.h"
#include "history/time_keys.h"
#include "startup/system_text.h"
#include "report/report_file.h"
#include "settings/stored_folder.h"
#include "settings/version.h"

namespace gapscope {
namespace {

class BusyCursor {
  public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

template <typename T>
T* Child(const QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

QString UtcMinuteText(MinuteTime time) {
    return QString::fromStdString(IsoDate(std::chrono::floor<std::chrono::days>(time)) + " " +
                                  ClockTime(time) + " UTC");
}

std::optional<MinuteTime> NewestRecordOf(const StartupState& state) {
    const std::optional<MinuteTime> seg = NewestRecord(state.SegHistory);
    const std::optional<MinuteTime> late = NewestRecord(state.LateSegHistory);
    if (seg && late) return std::max(*seg, *late);
    return seg ? seg : late;
}

// Only the first argument names the data folder, and only when it is no switch.
bool FolderArgumentGiven(const std::vector<std::string>& arguments) {
    return !arguments.empty() && !arguments.front().empty() && !IsSwitch(arguments.front());
}

std::vector<std::string> WithoutFolderArgument(std::vector<std::string> arguments) {
    if (FolderArgumentGiven(arguments)) arguments.erase(arguments.begin());
    return arguments;
}

QString Capitalised(QString text) {
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
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
    // restoring them never runs a report.
    for (TvelCheckBox* box : storedBoxes_) box->AttachStoredValue(services_.settingsBaseName);
    for (const OptionBox& option : optionBoxes_) {
        connect(option.box, &QCheckBox::clicked, this, [this] { DateChanged(); });
    }
    connect(DateTimePickerDate, &QDateEdit::dateChanged, this, [this] { DateChanged(); });
    connect(ButtonToday, &QPushButton::clicked, this, [this] { ButtonTodayClick(); });
    connect(ButtonSave, &QPushButton::clicked, this, [this] { ButtonSaveClick(); });
    connect(ButtonClose, &QPushButton::clicked, this, [this] { ButtonCloseClick(); });
    connect(TimerAutoRun, &QTimer::timeout, this, [this] { TimerAutoRunTimer(); });
    static_cast<ClickableLabel*>(LabelSource)->clicked = [this] { LabelSourceClick(); };
    AddPictureHooks();
    FormCreate();
}

TFormGapscope::~TFormGapscope() {
    FormDestroy();
}

void TFormGapscope::BuildControls() {
    for (const layout::ControlDesign& design : layout::kWindowControls) MakeControl(design, this);
    LabelMissingSegments = Child<QLabel>(this, "LabelMissingSegments");
    ListBoxMissingSegs = Child<QListWidget>(this, "ListBoxMissingSegs");
    LabelMissingMpefSegments = Child<QLabel>(this, "LabelMissingMpefSegments");
    ListBoxMissingProduct = Child<QListWidget>(this, "ListBoxMissingProduct");
    LabelLateSegments = Child<QLabel>(this, "LabelLateSegments");
    ListBoxLateSegs = Child<QListWidget>(this, "ListBoxLateSegs");
    GroupBoxReportControl = Child<QGroupBox>(this, "GroupBoxReportControl");
    LabelMissingScans = Child<QLabel>(this, "LabelMissingScans");
    ListBoxMissingSlots = Child<QListWidget>(this, "ListBoxMissingSlots");
    LabelSource = Child<QLabel>(this, "LabelSource");
    ButtonSave = Child<QPushButton>(this, "ButtonSave");
    ButtonClose = Child<QPushButton>(this, "ButtonClose");
    BuildReportSettings();

    TimerAutoRun = new QTimer(this);
    TimerAutoRun->setObjectName(QStringLiteral("TimerAutoRun"));
    TimerAutoRun->setInterval(250);
    TimerAutoRun->setSingleShot(true);

    SetTabOrder();
    ButtonClose->setFocus();
}

void TFormGapscope::BuildReportSettings() {
    QGroupBox* group = GroupBoxReportControl;
    for (const layout::ControlDesign& design : layout::kGroupControls) MakeControl(design, group);
    LabelDate = Child<QLabel>(group, "LabelDate");
    DateTimePickerDate = Child<QDateEdit>(group, "DateTimePickerDate");
    ButtonToday = Child<QPushButton>(group, "ButtonToday");

    for (const layout::BoxDesign& design : layout::kBoxes) {
        const QString text = QString::fromLatin1(design.text);
        QCheckBox* box = nullptr;
        if (design.stored) {
            auto* storedBox = new TvelCheckBox(text, group);
            storedBox->NamedAs = QString::fromLatin1(design.option);
            storedBoxes_.push_back(storedBox);
            box = storedBox;
        } else {
            box = new QCheckBox(text, group);
        }
        box->setObjectName(QString::fromLatin1(design.name));
        box->setGeometry(design.x, design.y, layout::kBoxWidth, layout::kBoxHeight);
        box->setChecked(design.checked);
        if (design.tooltip != nullptr) box->setToolTip(QString::fromLatin1(design.tooltip));
        box->setVisible(design.visible);
        if (const std::optional<OptionField> field = FindOptionField(design.option)) {
            optionBoxes_.push_back({box, field->member});
        }
    }
}

void TFormGapscope::SetTabOrder() {
    using Place = std::pair<int, QWidget*>;
    const auto byTab = [](const Place& a, const Place& b) { return a.first < b.first; };
    QGroupBox* group = GroupBoxReportControl;
    std::vector<Place> inGroup;
    for (const layout::ControlDesign& design : layout::kGroupControls) {
        if (design.tab >= 0) inGroup.emplace_back(design.tab, Child<QWidget>(group, design.name));
    }
    for (const layout::BoxDesign& design : layout::kBoxes) {
        inGroup.emplace_back(design.tab, Child<QWidget>(group, design.name));
    }
    std::sort(inGroup.begin(), inGroup.end(), byTab);
    std::vector<Place> inWindow;
    for (const layout::ControlDesign& design : layout::kWindowControls) {
        if (design.tab >= 0) inWindow.emplace_back(design.tab, Child<QWidget>(this, design.name));
    }
    std::sort(inWindow.begin(), inWindow.end(), byTab);

    // The group takes no focus itself: its controls stand at its place in the order.
    std::vector<QWidget*> chain;
    for (const Place& place : inWindow) {
        if (place.second != group) {
            chain.push_back(place.second);
            continue;
        }
        for (const Place& inner : inGroup) chain.push_back(inner.second);
    }
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TFormGapscope::FormCreate() {
    // The desktop's own interface font; the pixel layout stays as it is.
    const QFont desktopFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    setFont(desktopFont);
    FitListRows();
    for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();

    startup_.FileHistory = HistoryLog{};
    startup_.LateSegHistory = HistoryLog{};
    startup_.SegHistory = HistoryLog{};
    startup_.ComputerName = NormaliseComputerName(services_.startup.computerName.value_or(std::string{}));
}

void TFormGapscope::FitListRows() {
    // A larger desktop font gets taller rows rather than clipped text, and no control moves.
    const int rowHeight = std::max(layout::kRowHeight, QFontMetrics(font()).height());
    for (QListWidget* list :
         {ListBoxMissingSegs, ListBoxMissingProduct, ListBoxLateSegs, ListBoxMissingSlots}) {
        SetReportRows(list, rowHeight);
    }
}

void TFormGapscope::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TFormGapscope::FormShow() {
    startup_.DataDirectory.clear();
    const QString caption = Caption();
    // The application title first: the desktop shows it after a window title that does
    // not already end with it.
    QGuiApplication::setApplicationDisplayName(caption);
    setWindowTitle(caption);

    StartupInputs inputs = services_.startup;
    autoRun_ = ParseSwitches(inputs.arguments).autoRun;
    if (autoRun_) {
        // Unattended, a log that another program holds is worth waiting for.
        inputs.retry = services_.unattendedRetry;
    } else if (!FolderArgumentGiven(inputs.arguments)) {
        // The folder the operator chose last time stands in for the program's own.
        const std::string base = services_.settingsBaseName.toStdString();
        if (std::optional<std::filesystem::path> stored = ReadStoredDataFolder(base)) {
            inputs.programDirectory = std::move(*stored);
        }
    }
    LoadLogs(inputs);
    if (autoRun_) TimerAutoRun->start();

    SetPickerDay(UtcDayOf(services_.now()) - std::chrono::days{1});
    DateChanged();
}

void TFormGapscope::LoadLogs(const StartupInputs& inputs) {
    StartupLoad loaded = LoadStartupState(inputs);
    ShowSource(loaded);
    if (autoRun_) {
        const auto& arguments = services_.startup.arguments;
        const std::optional<std::string> first =
            arguments.empty() ? std::nullopt : std::optional<std::string>(arguments.front());
        dataProblem_ = UnattendedDataProblem(first, loaded);
    }
    startup_ = std::move(loaded.state);
}

void TFormGapscope::ShowSource(const StartupLoad& loaded) {
    const std::string& directory = loaded.state.DataDirectory;
    const QString folder = QString::fromStdString(directory);
    const QString click = QStringLiteral("Click to choose the station's folder.");
    const QString readAt = UtcMinuteText(std::chrono::floor<std::chrono::minutes>(services_.now()));
    const std::optional<MinuteTime> newest = NewestRecordOf(loaded.state);
    const QString read = QStringLiteral("Logs read ") + readAt +
                         (newest ? QStringLiteral("; newest record ") + UtcMinuteText(*newest)
                                 : QStringLiteral("; no minute record in them")) +
                         QStringLiteral(".");

    QString prefix;
    QString tip;
    std::error_code error;
    if (!std::filesystem::is_directory(PathFromText(directory), error)) {
        prefix = QStringLiteral("Folder not found: ");
        tip = folder + QStringLiteral(" does not exist.\n") + click;
    } else if (!loaded.anyLogFound) {
        prefix = QStringLiteral("No history log found in: ");
        tip = QStringLiteral(
                  "None of SegHistory.log, LateSegHistory.log and FileHistory.log is in ") +
              folder + QStringLiteral(".\n") + click;
    } else if (!loaded.logsLoaded) {
        // As designed, the label keeps its design text; the tooltip says why.
        tip = QStringLiteral("Could not read ") + folder +
              QString::fromStdString(loaded.unreadableLog) + QStringLiteral(": ") +
              QString::fromStdString(loaded.unreadableReason) +
              QStringLiteral("; it and the logs after it are taken as empty.\n") + read +
              QStringLiteral("\n") + click;
    } else {
        prefix = QStringLiteral("Data from: ");
        tip = folder + QStringLiteral("\n") + read + QStringLiteral("\n") + click;
    }
    LabelSource->setToolTip(tip);
    LabelSource->setCursor(Qt::PointingHandCursor);
    if (prefix.isEmpty()) {
        LabelSource->setText(QStringLiteral("Data source"));
        LabelSource->adjustSize();
        return;
    }

    // Up to the Save button: a long path is shortened in its middle, whole in the tooltip.
    const int room = ButtonSave->x() - LabelSource->x() - 8;
    const QFontMetrics metrics = LabelSource->fontMetrics();
    QString shown = folder;
    if (metrics.horizontalAdvance(prefix + folder) > room) {
        shown =
            metrics.elidedText(folder, Qt::ElideMiddle, room - metrics.horizontalAdvance(prefix));
    }
    LabelSource->setText(prefix + shown);
    LabelSource->adjustSize();
    if (LabelSource->width() > room) LabelSource->resize(room, LabelSource->height());
}

void TFormGapscope::FormDestroy() {
    // The stored check boxes write their states as they are destroyed after this.
    startup_.FileHistory = HistoryLog{};
    startup_.LateSegHistory = HistoryLog{};
    startup_.SegHistory = HistoryLog{};
}

QString TFormGapscope::Caption() const {
    return QStringLiteral("Gapscope from Orbitrue Software - V") +
           QString::fromLatin1(kVersionText) + QStringLiteral(" - PC ") +
           QString::fromStdString(startup_.ComputerName);
}

ReportOptions TFormGapscope::GatherOptions() const {
    ReportOptions options;
    for (const OptionBox& option : optionBoxes_) options.*option.member = option.box->isChecked();
    return options;
}

void TFormGapscope::SetPickerDay(Day day) {
    const QSignalBlocker blocker(DateTimePickerDate);
    DateTimePickerDate->setDate(ToQDate(day));
}

void TFormGapscope::ShowLists() {
    FillReportList(ListBoxMissingSegs, report_.missingSegs);
    FillReportList(ListBoxMissingProduct, report_.missingProduct);
    FillReportList(ListBoxLateSegs, report_.lateSegs);
    FillReportList(ListBoxMissingSlots, report_.missingSlots);
}

void TFormGapscope::DateChanged() {
    const ReportOptions options = GatherOptions();
    const Day day = ToDay(DateTimePickerDate->date());
    {
        const BusyCursor busy;
        const IdlePriority idle;
        try {
            DayReportResult result = services_.buildReport(startup_, options, day);
            report_ = std::move(result.lists);
            findings_ = std::move(result.findings);
            reportError_ = std::move(result.error);
            reportErrorPlace_ = std::move(result.errorPlace);
        } catch (const std::exception& e) {
            reportError_ = e.what();
            reportErrorPlace_.reset();
        }
        reportDay_ = day;
        ShowLists();
        UpdateTimeline();
    }
    if (reportError_ && !autoRun_) {
        // The designed message, then where the damaged line is.
        QString text = QString::fromStdString(*reportError_);
        if (reportErrorPlace_) {
            text += QStringLiteral("\n") + Capitalised(QString::fromStdString(*reportErrorPlace_));
        }
        services_.showError(this, windowTitle(), text);
    }
}

void TFormGapscope::ButtonSaveClick() {
    const BannerInfo banner{std::string(kVersionText), startup_.ComputerName,
                            std::chrono::floor<std::chrono::seconds>(services_.now())};
    const Lines text = BuildReportText(report_, startup_, banner);
    ShowLists();  // the neat Himawari report empties three lists on screen as well

    std::filesystem::path path;
    std::optional<std::string> failure;
    try {
        path = ReportFilePath(startup_, services_.startup.programDirectory, reportDay_);
        failure = WriteReportFile(path, text);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure) {
        // An interactive save fails without a word; only the automatic run must say so.
        if (AutoRunning) {
            FailAutoRun(kExitSaveFailed, {QStringLiteral("report not saved to ") + PathText(path) +
                                          QStringLiteral(": ") + QString::fromStdString(*failure)});
        }
        return;
    }
    if (!AutoRunning) {
        services_.inform(this, windowTitle(),
                         QStringLiteral("Report saved to:") + QStringLiteral(" ") + PathText(path));
    }
}

void TFormGapscope::ButtonTodayClick() {
    SetPickerDay(UtcDayOf(services_.now()));
    DateChanged();
}

void TFormGapscope::ButtonCloseClick() {
    close();
}

void TFormGapscope::TimerAutoRunTimer() {
    TimerAutoRun->stop();
    AutoRunning = true;
    if (dataProblem_) {
        // A report built from nothing would pass for a day without a gap: save nothing.
        FailAutoRun(kExitDataUnreadable, {QString::fromStdString(*dataProblem_)});
    } else if (reportError_) {
        // A report cut short would pass for a complete one: save nothing.
        QStringList lines = {
            QStringLiteral("report for ") + QString::fromStdString(IsoDate(reportDay_)) +
            QStringLiteral(" not saved: ") + QString::fromStdString(*reportError_)};
        if (reportErrorPlace_) lines.append(QString::fromStdString(*reportErrorPlace_));
        FailAutoRun(kExitReportFailed, lines);
    } else {
        ButtonSave->click();
    }
    close();
}

void TFormGapscope::LabelSourceClick() {
    if (autoRun_ || !services_.chooseFolder) return;
    const QString chosen =
        services_.chooseFolder(this, QStringLiteral("Choose the station's folder"),
                               QString::fromStdString(startup_.DataDirectory));
    if (chosen.isEmpty()) return;
    const std::filesystem::path folder(chosen.toStdU16String());

    // Read as at start-up, with the same switches; the chosen folder stands in for the
    // folder argument.
    StartupInputs inputs = services_.startup;
    inputs.arguments = WithoutFolderArgument(std::move(inputs.arguments));
    inputs.programDirectory = folder;
    LoadLogs(inputs);
    StoreDataFolder(services_.settingsBaseName.toStdString(), folder);
    DateChanged();
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
    FormTimeline->ShowFindings(findings_, {startup_.ComputerName, std::string(kVersionText)},
                               QString::fromStdString(startup_.DataDirectory));
}

void TFormGapscope::FailAutoRun(int status, const QStringList& lines) {
    exitStatus_ = status;
    QStringList prefixed;
    for (const QString& line : lines) prefixed.append(QStringLiteral("gapscope: ") + line);
    services_.autoRunFailure(prefixed.join(QLatin1Char('\n')));
}

}  // namespace gapscope
