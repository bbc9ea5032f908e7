#include "app/form_gapscope.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

#include "app/platform.h"
#include "app/qt_day.h"
#include "app/vel_check_box.h"
#include "history/time_keys.h"
#include "report/report_file.h"
#include "settings/version.h"

namespace gapscope {
namespace {

constexpr int kClientWidth = 624;
constexpr int kClientHeight = 600;
// The layout is in pixels for a 13-pixel text height; a larger desktop font gets taller
// rows rather than clipped text, and no control moves.
constexpr int kDesignRowHeight = 13;

// One option check box of the report settings group, as designed; x, y are relative to
// the group. `option` names the report option; only `stored` boxes are kept per user,
// under that name.
struct BoxDesign {
    const char* name;
    const char* text;
    int x;
    int y;
    int tab;
    bool checked;
    const char* option;
    bool stored;
    const char* tooltip;
};

constexpr BoxDesign kBoxes[] = {
    {"CheckBoxReportGOES12bypass", "GOES-12 from GOES-10", 139, 14, 11, false, "ReportGOES12bypass",
     true, nullptr},
    {"CheckBoxDecontaminating", "Decontaminating", 19, 84, 2, false, "Decontaminating", false,
     "Check to ignore MSG-1 thermal data"},
    {"CheckBoxDisableMSG1_MPEF", "Detect RSS fill-in (no MPEF)", 19, 107, 15, false,
     "ReportDisableMSG1_MPEF", true, "Check to ignore MSG-1/2 RSS MPEF"},
    {"CheckBoxReportHourlyFSD", "Hourly FSD", 19, 131, 3, true, "ReportHourlyFSD", true, nullptr},
    {"CheckBoxReportIncludeFSD", "Include FSD", 19, 155, 6, true, "ReportIncludeFSD", true,
     nullptr},
    {"CheckBoxReportHourlyFY2D", "Include FY-2E", 19, 179, 12, false, "ReportHourlyFY2D", true,
     "Data will be labelled as FY-2D, 86.5E"},
    {"CheckBoxReportHourlyFY2G", "Include FY-2G", 19, 202, 16, true, "ReportHourlyFY2G", true,
     "Data will be labelled as FY-2C"},
    {"CheckBoxReport30minHimawari", "Include Himawari-8/9", 19, 226, 14, false,
     "Report30minHimawari", true, nullptr},
    {"CheckBoxReportIncludeLRIT", "Include LRIT", 19, 250, 8, false, "ReportIncludeLRIT", true,
     nullptr},
    {"CheckBoxReportIncludeGoesMIR", "Include mid-IR", 19, 274, 9, true, "ReportIncludeGoesMIR",
     true, nullptr},
    {"CheckBoxReportIncludeMPE", "Include MPE", 19, 297, 13, true, "ReportIncludeMPE", true,
     nullptr},
    {"CheckBoxReportIncludeMPEF", "Include MPEF", 19, 321, 7, true, "ReportIncludeMPEF", true,
     nullptr},
    {"CheckBoxReportIncludeRII", "Include RII  (data channel 4)", 19, 345, 10, true,
     "ReportIncludeRII", true, "Before 2011-Mar-24, data was sent on [EUMETSAT_Data_Channel_4]"},
    {"CheckBoxMet8LritOnly", "MSG FTP LRIT only", 19, 369, 4, false, "ReportMet8LritOnly", true,
     "Check this box if the ONLY data you get is Met-8/9 LRIT data from the FTP service"},
    {"CheckBoxReportPrologAndEpilogFiles", "Prolog && epilog files", 19, 393, 5, true,
     "ReportPrologEpilogFiles", true, nullptr},
};
constexpr int kBoxWidth = 206;
constexpr int kBoxHeight = 17;

class FixedRowDelegate : public QStyledItemDelegate {
  public:
    FixedRowDelegate(int rowHeight, QObject* parent)
        : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(rowHeight_);
        return size;
    }

  private:
    int rowHeight_;
};

// Tab leaves the picker for the next control at once, as the window's tab order says; the
// arrow keys still move between day, month and year.
class DatePicker : public QDateEdit {
  public:
    using QDateEdit::QDateEdit;

  protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

class BusyCursor {
  public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QListWidget* MakeList(QWidget* parent, const char* name, const QRect& geometry) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(geometry);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    // Thousands of rows: without uniform sizes every item is laid out at the first paint.
    list->setUniformItemSizes(true);
    return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void FillList(QListWidget* list, const Lines& lines) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) items.append(QString::fromStdString(line));
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(items);
    list->setUpdatesEnabled(true);
}

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

}  // namespace

TFormGapscope::TFormGapscope(FormServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(std::move(services)) {
    setObjectName(QStringLiteral("FormGapscope"));
    setFixedSize(kClientWidth, kClientHeight);
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
    FormCreate();
}

TFormGapscope::~TFormGapscope() {
    FormDestroy();
}

void TFormGapscope::BuildControls() {
    LabelMissingSegments = MakeLabel(this, "LabelMissingSegments",
                                     QStringLiteral("Missing HRIT & LRIT segments"), 8, 8);
    ListBoxMissingSegs = MakeList(this, "ListBoxMissingSegs", QRect(8, 24, 337, 137));
    LabelMissingMpefSegments =
        MakeLabel(this, "LabelMissingMpefSegments",
                  QStringLiteral("Missing rebroadcast & derived segments"), 8, 176);
    ListBoxMissingProduct = MakeList(this, "ListBoxMissingProduct", QRect(8, 192, 337, 234));
    LabelLateSegments =
        MakeLabel(this, "LabelLateSegments", QStringLiteral("Late segments"), 8, 440);
    ListBoxLateSegs = MakeList(this, "ListBoxLateSegs", QRect(8, 456, 337, 97));

    GroupBoxReportControl = new QGroupBox(QStringLiteral(" Report Settings "), this);
    GroupBoxReportControl->setObjectName(QStringLiteral("GroupBoxReportControl"));
    GroupBoxReportControl->setGeometry(376, 8, 240, 418);
    BuildReportSettings();

    LabelMissingScans =
        MakeLabel(this, "LabelMissingScans", QStringLiteral("Missing repeat cycles"), 376, 440);
    ListBoxMissingSlots = MakeList(this, "ListBoxMissingSlots", QRect(376, 456, 240, 97));
    LabelSource = MakeLabel(this, "LabelSource", QStringLiteral("Data source"), 16, 572);
    ButtonSave = MakeButton(this, "ButtonSave", QStringLiteral("Save"), QRect(448, 567, 81, 25));
    ButtonClose = MakeButton(this, "ButtonClose", QStringLiteral("Close"), QRect(535, 567, 81, 25));

    TimerAutoRun = new QTimer(this);
    TimerAutoRun->setObjectName(QStringLiteral("TimerAutoRun"));
    TimerAutoRun->setInterval(250);
    TimerAutoRun->setSingleShot(true);

    SetTabOrder();
    ButtonClose->setFocus();
}

void TFormGapscope::BuildReportSettings() {
    QGroupBox* group = GroupBoxReportControl;
    LabelDate = MakeLabel(group, "LabelDate", QStringLiteral("Choose day"), 17, 22);
    DateTimePickerDate = new DatePicker(group);
    DateTimePickerDate->setObjectName(QStringLiteral("DateTimePickerDate"));
    DateTimePickerDate->setGeometry(17, 38, 104, 25);
    DateTimePickerDate->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    DateTimePickerDate->setCalendarPopup(true);
    ButtonToday = MakeButton(group, "ButtonToday", QStringLiteral("Today"), QRect(135, 37, 74, 25));

    for (const BoxDesign& design : kBoxes) {
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
        box->setGeometry(design.x, design.y, kBoxWidth, kBoxHeight);
        box->setChecked(design.checked);
        if (design.tooltip != nullptr) box->setToolTip(QString::fromLatin1(design.tooltip));
        if (const std::optional<OptionField> field = FindOptionField(design.option)) {
            optionBoxes_.push_back({box, field->member});
        }
    }
    // Kept and used on every run, but no longer offered to the operator.
    group->findChild<QCheckBox*>(QStringLiteral("CheckBoxReportGOES12bypass"))->setVisible(false);
}

void TFormGapscope::SetTabOrder() {
    std::vector<std::pair<int, QWidget*>> inGroup = {{0, DateTimePickerDate}, {1, ButtonToday}};
    for (const BoxDesign& design : kBoxes) {
        inGroup.emplace_back(design.tab, GroupBoxReportControl->findChild<QCheckBox*>(design.name));
    }
    std::sort(inGroup.begin(), inGroup.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<QWidget*> chain = {ButtonClose, ListBoxMissingSegs, ListBoxMissingProduct,
                                   ListBoxLateSegs};
    for (const auto& entry : inGroup) chain.push_back(entry.second);
    chain.push_back(ListBoxMissingSlots);
    chain.push_back(ButtonSave);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TFormGapscope::FormCreate() {
    // The desktop's own interface font; the pixel layout stays as it is.
    const QFont desktopFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    setFont(desktopFont);
    const int rowHeight = std::max(kDesignRowHeight, QFontMetrics(desktopFont).height());
    for (QListWidget* list :
         {ListBoxMissingSegs, ListBoxMissingProduct, ListBoxLateSegs, ListBoxMissingSlots}) {
        list->setItemDelegate(new FixedRowDelegate(rowHeight, list));
    }
    for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();

    startup_.FileHistory = HistoryLog{};
    startup_.LateSegHistory = HistoryLog{};
    startup_.SegHistory = HistoryLog{};
    startup_.ComputerName = NormaliseComputerName(services_.computerName.value_or(std::string{}));
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

    StartupLoad loaded = LoadStartupState(services_.startup);
    loaded.state.ComputerName = startup_.ComputerName;  // found when the window was created
    startup_ = std::move(loaded.state);
    autoRun_ = startup_.switches.autoRun;
    if (autoRun_) TimerAutoRun->start();
    if (loaded.logsLoaded) {
        LabelSource->setText(QStringLiteral("Data from: ") +
                             QString::fromStdString(startup_.DataDirectory));
        LabelSource->adjustSize();
    }

    SetPickerDay(UtcDayOf(services_.now()) - std::chrono::days{1});
    DateChanged();
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
    FillList(ListBoxMissingSegs, report_.missingSegs);
    FillList(ListBoxMissingProduct, report_.missingProduct);
    FillList(ListBoxLateSegs, report_.lateSegs);
    FillList(ListBoxMissingSlots, report_.missingSlots);
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
            reportError_ = std::move(result.error);
        } catch (const std::exception& e) {
            reportError_ = e.what();
        }
        reportDay_ = day;
        ShowLists();
    }
    if (reportError_ && !autoRun_) {
        services_.showError(this, windowTitle(), QString::fromStdString(*reportError_));
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
            FailAutoRun(QStringLiteral("report not saved to ") + PathText(path) +
                        QStringLiteral(": ") + QString::fromStdString(*failure));
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
    if (reportError_) {
        // A report cut short would pass for a complete one: save nothing.
        FailAutoRun(QStringLiteral("report for ") + QString::fromStdString(IsoDate(reportDay_)) +
                    QStringLiteral(" not saved: ") + QString::fromStdString(*reportError_));
    } else {
        ButtonSave->click();
    }
    close();
}

void TFormGapscope::FailAutoRun(const QString& reason) {
    exitStatus_ = 1;
    services_.autoRunFailure(QStringLiteral("gapscope: ") + reason);
}

}  // namespace gapscope
