#include "window_qt/form_gapscope.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "window_qt/form_layout.h"
#include "window_qt/form_services.h"
#include "window_qt/form_timeline.h"
#include "window_qt/qt_day.h"
#include "unattended/unattended_run.h"
#include "window_qt/vel_check_box.h"
#include "report/report_options.h"
#include "pictures/timeline_painter.h"
#include "settings/stored_folder.h"
#include "tools/simulator/simulator.h"

using namespace gapscope;
using namespace std::chrono;

namespace {

// Fixed "now" of every test: 2024-01-06 06:10:30 UTC, so yesterday is 2024-01-05.
const sys_seconds kNow = sys_days{2024y / January / 6} + 6h + 10min + 30s;
const QDate kYesterday(2024, 1, 5);

struct ReportCall {
    ReportOptions options;
    Day day;
    std::string dataDirectory;
    bool rapidScan;
};

// Everything the window sends out, recorded; the report engine is replaced by a stand-in
// whose lines name the run, so that the tests see which run the lists show.
struct Recorder {
    std::vector<ReportCall> calls;
    std::optional<DayReport> nextLists;
    std::optional<std::string> nextError;
    std::optional<std::string> nextPlace;
    std::vector<QString> informed;
    std::vector<QString> errors;
    std::vector<QString> autoRunFailures;
    std::vector<milliseconds> waits;
    std::vector<QString> folderDialogs;
    QString chosenFolder;

    DayReportResult Build(const StartupState& startup, const ReportOptions& options, Day day) {
        calls.push_back({options, day, startup.DataDirectory, startup.IsRapidScan()});
        const std::string run = "run " + std::to_string(calls.size());
        DayReportResult result;
        result.lists.missingSegs = {"Date: segs", run};
        result.lists.missingProduct = {"Date: products", run};
        result.lists.lateSegs = {"Date: late", run};
        result.lists.missingSlots = {"Date: slots", run};
        if (nextLists) result.lists = *std::exchange(nextLists, std::nullopt);
        result.error = std::exchange(nextError, std::nullopt);
        result.errorPlace = std::exchange(nextPlace, std::nullopt);
        return result;
    }
};

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

QString Name(const OptionField& field) {
    return QString::fromLatin1(field.storedName.data(), qsizetype(field.storedName.size()));
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QString WithSlash(const QString& path) {
    return QDir::cleanPath(path) + QLatin1Char('/');
}

// The focus order the layout tables give: the window's controls by their tab numbers, the
// group's controls at the group's place, hidden controls left out.
QStringList TabOrderOfTheTables() {
    using Place = std::pair<int, QString>;
    std::vector<Place> inGroup;
    for (const layout::ControlDesign& d : layout::kGroupControls) {
        if (d.tab >= 0) inGroup.emplace_back(d.tab, d.name);
    }
    for (const layout::BoxDesign& b : layout::kBoxes) {
        if (b.visible) inGroup.emplace_back(b.tab, b.name);
    }
    std::vector<Place> inWindow;
    for (const layout::ControlDesign& d : layout::kWindowControls) {
        if (d.tab >= 0) inWindow.emplace_back(d.tab, d.name);
    }
    std::sort(inGroup.begin(), inGroup.end());
    std::sort(inWindow.begin(), inWindow.end());
    QStringList order;
    for (const Place& place : inWindow) {
        if (place.second != QStringLiteral("GroupBoxReportControl")) {
            order << place.second;
            continue;
        }
        for (const Place& inner : inGroup) order << inner.second;
    }
    return order;
}

// Visible controls that overlap, as "A/B", among the direct children of `parent`.
QStringList Overlaps(const QWidget* parent) {
    QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    children.removeIf([](const QWidget* w) { return w->isHidden(); });
    QStringList overlaps;
    for (qsizetype i = 0; i < children.size(); ++i) {
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            if (children[i]->geometry().intersects(children[j]->geometry())) {
                overlaps << children[i]->objectName() + "/" + children[j]->objectName();
            }
        }
    }
    return overlaps;
}

}  // namespace

class FormGapscopeTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir config_;
    QTemporaryDir data_;
    QTemporaryDir program_;
    Recorder recorder_;
    int baseNameSerial_ = 0;
    QString baseName_;
    std::function<LogReadResult(const std::filesystem::path&)> readLog_;

    FormServices Services(std::vector<std::string> arguments,
                          std::optional<std::string> computerName = "GROUNDSTATION") {
        FormServices services;
        services.startup.arguments = std::move(arguments);
        services.startup.programDirectory = program_.path().toStdString();
        services.startup.readLog = readLog_;
        services.unattendedRetry = {3, milliseconds{1500}, [this](milliseconds pause) {
                                        recorder_.waits.push_back(pause);
                                    }};
        services.startup.computerName = std::move(computerName);
        services.settingsBaseName = baseName_;
        services.now = [] { return system_clock::time_point(kNow); };
        services.buildReport = [this](const StartupState& startup, const ReportOptions& options,
                                      Day day) { return recorder_.Build(startup, options, day); };
        services.inform = [this](QWidget*, const QString&, const QString& text) {
            recorder_.informed.push_back(text);
        };
        services.showError = [this](QWidget*, const QString&, const QString& text) {
            recorder_.errors.push_back(text);
        };
        services.autoRunFailure = [this](const QString& text) {
            recorder_.autoRunFailures.push_back(text);
        };
        services.chooseFolder = [this](QWidget*, const QString&, const QString& start) {
            recorder_.folderDialogs.push_back(start);
            return recorder_.chosenFolder;
        };
        return services;
    }

    std::unique_ptr<TFormGapscope> ShownForm(std::vector<std::string> arguments) {
        auto form = std::make_unique<TFormGapscope>(Services(std::move(arguments)));
        form->show();
        return form;
    }

    std::vector<std::string> DataArgs() const { return {data_.path().toStdString()}; }
    QString DataFolder() const { return WithSlash(data_.path()); }
    QString ReportFile() const { return data_.filePath("2024-01-05-missing-segments.txt"); }

    QString SettingsFile() const {
        return config_.path() + QStringLiteral("/Quillan/") + baseName_ + QStringLiteral(".conf");
    }

    // The stored values as the file on disk holds them, not as this process caches them.
    QMap<QString, QString> StoredOnDisk() const {
        QMap<QString, QString> values;
        for (const QByteArray& line : ReadFile(SettingsFile()).split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) values.insert(QString::fromLatin1(line.left(eq)), line.mid(eq + 1));
        }
        return values;
    }

    static QCheckBox* Box(QWidget* form, const char* name) {
        return form->findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    static QLabel* Source(QWidget* form) { return form->findChild<QLabel*>("LabelSource"); }

    // The automatic run's one tick, given at once rather than waited for.
    static void TickAutoRun(TFormGapscope& form) {
        auto* timer = form.findChild<QTimer*>("TimerAutoRun");
        QVERIFY(timer->isActive());
        QVERIFY(timer->isSingleShot());
        QCOMPARE(timer->interval(), 250);
        form.TimerAutoRunTimer();
        QVERIFY(!timer->isActive());
        QVERIFY(!form.isVisible());
    }

  private slots:
    void initTestCase() {
        QVERIFY(config_.isValid() && data_.isValid() && program_.isValid());
        // Before the first settings object of the process: the per-user store lives here.
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    }

    void init() {
        recorder_ = Recorder{};
        readLog_ = nullptr;
        // A fresh per-user store for every test.
        baseName_ = QStringLiteral("gapscope-test-%1").arg(++baseNameSerial_);
        for (QTemporaryDir* dir : {&data_, &program_}) {
            QDir(dir->path()).removeRecursively();
            QDir().mkpath(dir->path());
        }
        WriteFile(data_.filePath("SegHistory.log"), "202401052345=P=1,E=1,1=FF\r\n");
    }

    void layoutFollowsTheTables() {
        TFormGapscope form(Services(DataArgs()));
        form.show();
        QCOMPARE(form.size(), QSize(layout::kClientWidth, layout::kClientHeight));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);

        auto* group = form.findChild<QGroupBox*>("GroupBoxReportControl");
        QVERIFY(group != nullptr);
        const auto check = [](QWidget* parent, const layout::ControlDesign& d) {
            QWidget* widget = parent->findChild<QWidget*>(d.name, Qt::FindDirectChildrenOnly);
            QVERIFY2(widget != nullptr, d.name);
            QCOMPARE(widget->pos(), QPoint(d.x, d.y));
            if (d.width > 0) QCOMPARE(widget->size(), QSize(d.width, d.height));
            QCOMPARE(widget->focusPolicy() != Qt::NoFocus,
                     d.tab >= 0 && d.kind != layout::Kind::GroupBox);
            const char* property = d.kind == layout::Kind::GroupBox ? "title" : "text";
            if (*d.text != '\0' && d.name != std::string_view("LabelSource")) {
                QCOMPARE(widget->property(property).toString(), QString::fromLatin1(d.text));
            }
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                // Shown whole, the ampersands as characters rather than key markers.
                QCOMPARE(label->textFormat(), Qt::PlainText);
                QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
            }
        };
        for (const layout::ControlDesign& d : layout::kWindowControls) check(&form, d);
        for (const layout::ControlDesign& d : layout::kGroupControls) check(group, d);

        for (const layout::BoxDesign& b : layout::kBoxes) {
            QCheckBox* box = group->findChild<QCheckBox*>(b.name, Qt::FindDirectChildrenOnly);
            QVERIFY2(box != nullptr, b.name);
            QCOMPARE(box->geometry(), QRect(b.x, b.y, layout::kBoxWidth, layout::kBoxHeight));
            QCOMPARE(box->text(), QString::fromLatin1(b.text));
            QCOMPARE(box->isChecked(), b.checked);
            QCOMPARE(box->isHidden(), !b.visible);
            QCOMPARE(box->toolTip(), QString::fromLatin1(b.tooltip ? b.tooltip : ""));
            const auto* stored = dynamic_cast<TvelCheckBox*>(box);
            QCOMPARE(stored != nullptr, b.stored);
            if (stored != nullptr) QCOMPARE(stored->NamedAs, QString::fromLatin1(b.option));
        }

        // Every visible control lies inside its parent and clear of its siblings.
        for (QWidget* widget : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!widget->isHidden())
                QVERIFY2(form.rect().contains(widget->geometry()),
                         qPrintable(widget->objectName()));
        }
        for (QWidget* widget : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!widget->isHidden())
                QVERIFY2(group->rect().contains(widget->geometry()),
                         qPrintable(widget->objectName()));
        }
        QCOMPARE(Overlaps(&form), QStringList());
        QCOMPARE(Overlaps(group), QStringList());

        // A few places, sizes and texts straight from the design, so that a slip in the
        // tables shows.
        QCOMPARE(form.findChild<QWidget*>("ListBoxMissingSegs")->geometry(),
                 QRect(8, 24, 337, 137));
        QCOMPARE(form.findChild<QWidget*>("ListBoxMissingProduct")->geometry(),
                 QRect(8, 192, 337, 234));
        QCOMPARE(form.findChild<QWidget*>("ListBoxMissingSlots")->geometry(),
                 QRect(376, 456, 240, 97));
        QCOMPARE(group->geometry(), QRect(376, 8, 240, 418));
        QCOMPARE(form.findChild<QWidget*>("ButtonClose")->geometry(), QRect(535, 567, 81, 25));
        QCOMPARE(form.findChild<QWidget*>("ButtonToday")->geometry(), QRect(135, 37, 74, 25));
        QCOMPARE(form.findChild<QWidget*>("DateTimePickerDate")->geometry(),
                 QRect(17, 38, 104, 25));
        QCOMPARE(Box(&form, "CheckBoxReportHourlyFY2G")->geometry(), QRect(19, 202, 206, 17));
        QCOMPARE(Box(&form, "CheckBoxReportPrologAndEpilogFiles")->geometry(),
                 QRect(19, 393, 206, 17));
        QCOMPARE(Source(&form)->pos(), QPoint(16, 572));
        QCOMPARE(group->title(), QStringLiteral(" Report Settings "));
        QCOMPARE(form.findChild<QLabel*>("LabelMissingMpefSegments")->text(),
                 QStringLiteral("Missing rebroadcast & derived segments"));
        QCOMPARE(Box(&form, "CheckBoxReportIncludeRII")->text(),
                 QStringLiteral("Include RII  (data channel 4)"));
        QVERIFY(!Box(&form, "CheckBoxReportIncludeLRIT")->isChecked());
        QVERIFY(Box(&form, "CheckBoxReportIncludeMPEF")->isChecked());
        QVERIFY(Box(&form, "CheckBoxReportGOES12bypass")->isHidden());
    }

    void focusStartsOnCloseAndTabFollowsTheDesign() {
        TFormGapscope form(Services(DataArgs()));
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ButtonClose"));

        QStringList expected = TabOrderOfTheTables();
        QCOMPARE(expected.front(), QStringLiteral("ButtonClose"));
        expected.append(expected.takeFirst());  // Tab from Close comes round to it last
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
        // The design's own numbers at a few places: a slip in the table shows here.
        QCOMPARE(visited.mid(0, 5),
                 QStringList({"ListBoxMissingSegs", "ListBoxMissingProduct", "ListBoxLateSegs",
                              "DateTimePickerDate", "ButtonToday"}));
        QCOMPARE(visited.mid(5, 2),
                 QStringList({"CheckBoxDecontaminating", "CheckBoxReportHourlyFSD"}));
        QCOMPARE(visited.mid(16, 6),
                 QStringList({"CheckBoxReport30minHimawari", "CheckBoxDisableMSG1_MPEF",
                              "CheckBoxReportHourlyFY2G", "ListBoxMissingSlots", "ButtonSave",
                              "ButtonClose"}));
    }

    void showStepFixesStateAndRunsTheFirstReportOnce() {
        WriteFile(data_.filePath("SegHistory.log"), "202401050000=RP=1,RE=1,R1=FF\r\n");
        TFormGapscope form(Services(DataArgs()));
        QVERIFY(recorder_.calls.empty());  // building the window runs no report
        form.show();

        QCOMPARE(
            form.windowTitle(),
            QStringLiteral("Gapscope from Orbitrue Software - V3.1.23.1366 - PC Groundstation"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), form.windowTitle());
        QCOMPARE(Source(&form)->text(), QStringLiteral("Data from: ") + DataFolder());
        QCOMPARE(QString::fromStdString(form.Startup().DataDirectory), DataFolder());
        QVERIFY(form.Startup().IsRapidScan());
        QCOMPARE(form.findChild<QDateEdit*>("DateTimePickerDate")->date(), kYesterday);

        // Setting the picker raised no change event: one run, for yesterday.
        QCOMPARE(recorder_.calls.size(), std::size_t{1});
        QCOMPARE(ToQDate(recorder_.calls[0].day), kYesterday);
        QCOMPARE(recorder_.calls[0].options, ReportOptions{});
        QCOMPARE(Items(form.findChild<QListWidget*>("ListBoxMissingSlots")),
                 QStringList({"Date: slots", "run 1"}));
        QVERIFY(!form.findChild<QTimer*>("TimerAutoRun")->isActive());

        form.hide();
        form.show();  // showing again is not a new start
        QCOMPARE(recorder_.calls.size(), std::size_t{1});
    }

    void captionWithoutComputerNameEndsInPc() {
        TFormGapscope form(Services(DataArgs(), std::nullopt));
        form.show();
        QVERIFY(form.windowTitle().endsWith(QStringLiteral(" - PC ")));
    }

    void everyBoxClickRerunsWithItsOwnOption() {
        auto form = ShownForm(DataArgs());
        QList<QCheckBox*> boxes = form->findChildren<QCheckBox*>();
        boxes.removeIf([](QCheckBox* box) { return box->isHidden(); });
        QCOMPARE(boxes.size(), 14);
        for (QCheckBox* box : boxes) {
            const ReportOptions before = recorder_.calls.back().options;
            const std::size_t runs = recorder_.calls.size();
            QTest::keyClick(box, Qt::Key_Space);
            QCOMPARE(recorder_.calls.size(), runs + 1);

            // Exactly the option this box stands for has changed, and it follows the box.
            const ReportOptions after = recorder_.calls.back().options;
            const auto* stored = dynamic_cast<TvelCheckBox*>(box);
            const QString expectedName =
                stored != nullptr ? stored->NamedAs : QStringLiteral("Decontaminating");
            int changed = 0;
            for (const OptionField& field : OptionFields()) {
                if (before.*field.member == after.*field.member) continue;
                ++changed;
                QCOMPARE(after.*field.member, box->isChecked());
                QCOMPARE(Name(field), expectedName);
            }
            QCOMPARE(changed, 1);
        }
    }

    void dateChangeAndTodayRerun() {
        auto form = ShownForm(DataArgs());
        auto* picker = form->findChild<QDateEdit*>("DateTimePickerDate");
        picker->setDate(QDate(2023, 12, 31));
        QCOMPARE(recorder_.calls.size(), std::size_t{2});
        QCOMPARE(ToQDate(recorder_.calls.back().day), QDate(2023, 12, 31));
        QCOMPARE(Items(form->findChild<QListWidget*>("ListBoxMissingSegs")),
                 QStringList({"Date: segs", "run 2"}));

        QTest::mouseClick(form->findChild<QPushButton*>("ButtonToday"), Qt::LeftButton);
        QCOMPARE(recorder_.calls.size(), std::size_t{3});  // the picker's change raised none
        QCOMPARE(picker->date(), QDate(2024, 1, 6));
        QCOMPARE(ToQDate(recorder_.calls.back().day), QDate(2024, 1, 6));
    }

    void listsShowEveryLineWholeAfterAnyRerun() {
        auto form = ShownForm(DataArgs());
        const QString longLine =
            QStringLiteral("  120 DCP/WMO sequence nos. found, 1 missing, seq. 61") +
            QString(60, QLatin1Char('.')) + QStringLiteral(" end");
        const auto fill = [&](const Lines& lines) {
            recorder_.nextLists = DayReport{lines, lines, lines, lines};
            auto* picker = form->findChild<QDateEdit*>("DateTimePickerDate");
            picker->setDate(picker->date().addDays(-1));
        };
        // Needs the width of a line's text and the item's margins on either side.
        const auto needed = [](const QListWidget* list, const QString& text) {
            const int margin =
                list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
            return list->fontMetrics().horizontalAdvance(text) + 2 * margin;
        };
        const auto contentsWidth = [](QListWidget* list) {
            list->visualItemRect(list->item(0));  // lays the list out
            return list->horizontalScrollBar()->maximum() + list->viewport()->width();
        };

        fill({"Date: 2024-Jan-04", "", "short"});
        // The long line neither first nor last, after a fill of short lines.
        fill({"Date: 2024-Jan-05", "", longLine.toStdString(), "  (none)"});
        for (QListWidget* list : form->findChildren<QListWidget*>()) {
            QCOMPARE(Items(list).size(), 4);
            for (int row = 0; row < list->count(); ++row) {
                const QString text = list->item(row)->text();
                QVERIFY2(list->visualItemRect(list->item(row)).width() >= needed(list, text),
                         qPrintable(list->objectName() + ": " + text));
            }
            QVERIFY2(contentsWidth(list) >= needed(list, longLine), qPrintable(list->objectName()));
        }

        // And the other way round: short lines after a long fill keep no width of it.
        fill({"Date: 2024-Jan-06", "", "short"});
        for (QListWidget* list : form->findChildren<QListWidget*>()) {
            QCOMPARE(Items(list), QStringList({"Date: 2024-Jan-06", "", "short"}));
            QVERIFY2(contentsWidth(list) < needed(list, longLine), qPrintable(list->objectName()));
            QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        }
    }

    void saveWritesTheListsAndConfirms() {
        auto form = ShownForm(DataArgs());
        QTest::mouseClick(form->findChild<QPushButton*>("ButtonSave"), Qt::LeftButton);

        const QByteArray text = ReadFile(ReportFile());
        QVERIFY(text.startsWith("__________________________\r\nDate: slots\r\nrun 1\r\n"));
        QVERIFY(text.contains("Date: products\r\nrun 1\r\n"));
        QVERIFY(text.endsWith("[Gapscope V3.1.23.1366 on PC Groundstation at 06:10 UTC]\r\n\r\n"));
        QCOMPARE(recorder_.informed,
                 std::vector<QString>{QStringLiteral("Report saved to: ") + ReportFile()});
        QVERIFY(recorder_.autoRunFailures.empty());
    }

    void badMaskShowsTheMessageAndWhereAndKeepsTheListsSoFar() {
        recorder_.nextError = "''ZZ'' is not a valid integer value";
        recorder_.nextPlace =
            "in SegHistory.log, minute key 202401051200 (2024-01-05 12:00 UTC), item 9";
        auto form = ShownForm(DataArgs());
        QCOMPARE(recorder_.errors,
                 std::vector<QString>{QStringLiteral(
                     "''ZZ'' is not a valid integer value\n"
                     "In SegHistory.log, minute key 202401051200 (2024-01-05 12:00 UTC), item 9")});
        QCOMPARE(Items(form->findChild<QListWidget*>("ListBoxLateSegs")),
                 QStringList({"Date: late", "run 1"}));
    }

    void automaticRunSavesSilentlyAndCloses() {
        auto form = ShownForm({data_.path().toStdString(), "-s"});
        TickAutoRun(*form);
        QVERIFY(QFile::exists(ReportFile()));
        QVERIFY(recorder_.informed.empty());
        QVERIFY(recorder_.autoRunFailures.empty());
        QCOMPARE(form->ExitStatus(), int(kExitDone));
        QVERIFY(form->IsAutoRunning());
    }

    void automaticRunFailuresEndWithTheirStatusAndNoDialog() {
        // A report cut short by a bad mask is not saved at all; the place follows the message.
        recorder_.nextError = "''ZZ'' is not a valid integer value";
        recorder_.nextPlace =
            "in SegHistory.log, minute key 202401052345 (2024-01-05 23:45 UTC), item 1";
        auto form = ShownForm({data_.path().toStdString(), "/S"});
        TickAutoRun(*form);
        QVERIFY(recorder_.errors.empty());
        QVERIFY(!QFile::exists(ReportFile()));
        QCOMPARE(form->ExitStatus(), int(kExitReportFailed));
        QCOMPARE(
            recorder_.autoRunFailures,
            std::vector<QString>{QStringLiteral(
                "gapscope: report for 2024-01-05 not saved: ''ZZ'' is not a valid integer value\n"
                "gapscope: in SegHistory.log, minute key 202401052345 (2024-01-05 23:45 UTC), item "
                "1")});

        // A save that fails: a directory stands where the file should go.
        recorder_ = Recorder{};
        QVERIFY(QDir(data_.path()).mkdir("2024-01-05-missing-segments.txt"));
        form = ShownForm({data_.path().toStdString(), "-s"});
        TickAutoRun(*form);
        QCOMPARE(form->ExitStatus(), int(kExitSaveFailed));
        QCOMPARE(recorder_.autoRunFailures.size(), std::size_t{1});
        QVERIFY(recorder_.autoRunFailures[0].startsWith("gapscope: report not saved to " +
                                                        ReportFile()));
        QVERIFY(recorder_.informed.empty());
    }

    void automaticRunOnDataThatCannotBeReadSavesNothing() {
        struct Case {
            std::vector<std::string> arguments;
            QString failure;
        };
        const QString typo = data_.path() + "/statoin";
        const Case cases[] = {
            {{typo.toStdString(), "-s"}, "gapscope: no such folder: " + typo},
            // No folder given and no log beside the program (installed in /usr/bin).
            {{"-s"}, "gapscope: no history log in " + WithSlash(program_.path())},
            // A folder given after a switch is no folder argument.
            {{"-s", data_.path().toStdString()},
             "gapscope: no history log in " + WithSlash(program_.path())},
        };
        for (const Case& c : cases) {
            recorder_ = Recorder{};
            auto form = ShownForm(c.arguments);
            TickAutoRun(*form);
            QCOMPARE(form->ExitStatus(), int(kExitDataUnreadable));
            QCOMPARE(recorder_.autoRunFailures.size(), std::size_t{1});
            QVERIFY2(recorder_.autoRunFailures[0].startsWith(c.failure),
                     qPrintable(recorder_.autoRunFailures[0]));
            QVERIFY(!recorder_.autoRunFailures[0].contains('\n'));
        }
        QCOMPARE(QDir(program_.path()).entryList(QDir::Files), QStringList());

        // A log that exists but cannot be read: a folder in its place.
        recorder_ = Recorder{};
        QVERIFY(QDir(data_.path()).mkdir("LateSegHistory.log"));
        auto form = ShownForm({data_.path().toStdString(), "-s"});
        TickAutoRun(*form);
        QCOMPARE(form->ExitStatus(), int(kExitDataUnreadable));
        QVERIFY2(recorder_.autoRunFailures.at(0).startsWith(
                     "gapscope: cannot read " + data_.filePath("LateSegHistory.log") + ": "),
                 qPrintable(recorder_.autoRunFailures.at(0)));
        QVERIFY(recorder_.waits.empty());  // waiting cannot help there
        QVERIFY(!QFile::exists(ReportFile()));
    }

    void busyLogsAreRetriedOnlyInTheAutomaticRun() {
        int busyLeft = 0;
        int reads = 0;
        readLog_ = [&](const std::filesystem::path& path) {
            ++reads;
            if (path.filename() == "FileHistory.log" && busyLeft > 0) {
                --busyLeft;
                return LogReadResult{LogReadStatus::Busy, "in use by another program", {}};
            }
            return ReadHistoryLog(path);
        };

        // Busy twice, then free: the third and last try reads it, and the report is saved.
        busyLeft = 2;
        auto form = ShownForm({data_.path().toStdString(), "-s"});
        TickAutoRun(*form);
        QCOMPARE(form->ExitStatus(), int(kExitDone));
        QCOMPARE(recorder_.waits, std::vector<milliseconds>(2, milliseconds{1500}));
        QVERIFY(QFile::exists(ReportFile()));

        // Busy for longer than the tries: nothing saved, the log and why named.
        recorder_ = Recorder{};
        QVERIFY(QFile::remove(ReportFile()));
        busyLeft = 100;
        form = ShownForm({data_.path().toStdString(), "-s"});
        TickAutoRun(*form);
        QCOMPARE(form->ExitStatus(), int(kExitDataUnreadable));
        QCOMPARE(recorder_.waits.size(), std::size_t{2});
        QCOMPARE(recorder_.autoRunFailures,
                 std::vector<QString>{"gapscope: cannot read " + data_.filePath("FileHistory.log") +
                                      ": in use by another program"});
        QVERIFY(!QFile::exists(ReportFile()));

        // The window reads each log once, as designed, and says in the tooltip what failed.
        recorder_ = Recorder{};
        reads = 0;
        form = ShownForm(DataArgs());
        QCOMPARE(reads, 1);  // the reading stops at the first log that cannot be read
        QVERIFY(recorder_.waits.empty());
        QCOMPARE(Source(form.get())->text(), QStringLiteral("Data source"));
        QVERIFY(Source(form.get())->toolTip().contains("in use by another program"));
    }

    void dataLabelSaysWhatWasFoundAndWhen() {
        // Logs: where from, when read, and the newest record in them.
        WriteFile(data_.filePath("LateSegHistory.log"), "202401060545=1=01\r\n");
        auto form = ShownForm(DataArgs());
        QCOMPARE(Source(form.get())->text(), "Data from: " + DataFolder());
        const QString tip = Source(form.get())->toolTip();
        QVERIFY2(tip.contains(DataFolder()), qPrintable(tip));
        QVERIFY2(tip.contains("read 2024-01-06 06:10 UTC; newest record 2024-01-06 05:45 UTC"),
                 qPrintable(tip));

        // A folder without any of the three logs says so, not "Data from".
        QDir(data_.path()).removeRecursively();
        QDir().mkpath(data_.path());
        form = ShownForm(DataArgs());
        QCOMPARE(Source(form.get())->text(), "No history log found in: " + DataFolder());
        // No folder argument and no stored folder: the program's own, as designed.
        form = ShownForm({"-P"});
        QCOMPARE(Source(form.get())->text(),
                 "No history log found in: " + WithSlash(program_.path()));

        // A long path is shortened in its middle before the Save button; the tooltip has it whole.
        const QString deep =
            data_.path() + "/" + QString(60, 'a') + "/" + QString(60, 'b') + "/station";
        WriteFile(deep + "/SegHistory.log", "202401052345=P=1\r\n");
        form = ShownForm({deep.toStdString()});
        QLabel* label = Source(form.get());
        QVERIFY(label->text().startsWith("Data from: "));
        QVERIFY(label->text().contains(QChar(0x2026)));
        QVERIFY(label->text().endsWith("station/"));
        QVERIFY(label->geometry().right() < form->findChild<QWidget*>("ButtonSave")->x());
        QVERIFY(label->toolTip().contains(WithSlash(deep)));
    }

    void choosingAFolderReadsItsLogsRerunsAndKeepsIt() {
        auto form = ShownForm({"-P"});
        QCOMPARE(recorder_.calls.back().dataDirectory, WithSlash(program_.path()).toStdString());
        // Cancelled: nothing changes.
        QTest::mouseClick(Source(form.get()), Qt::LeftButton);
        QCOMPARE(recorder_.folderDialogs, std::vector<QString>{WithSlash(program_.path())});
        QCOMPARE(recorder_.calls.size(), std::size_t{1});

        WriteFile(data_.filePath("SegHistory.log"), "202401051200=RP=1,RE=1,R1=FF\r\n");
        auto* picker = form->findChild<QDateEdit*>("DateTimePickerDate");
        picker->setDate(QDate(2024, 1, 3));
        recorder_.chosenFolder = data_.path();
        QTest::mouseClick(Source(form.get()), Qt::LeftButton);
        QCOMPARE(recorder_.calls.size(), std::size_t{3});
        const ReportCall& rerun = recorder_.calls.back();
        QCOMPARE(rerun.dataDirectory, DataFolder().toStdString());
        QVERIFY(rerun.rapidScan);  // the service found anew from the logs
        QCOMPARE(ToQDate(rerun.day), QDate(2024, 1, 3));
        QVERIFY(form->Startup().ParallelMode());  // the switches stay
        QCOMPARE(Source(form.get())->text(), "Data from: " + DataFolder());

        // Kept at once, beside the fourteen options and under a name of its own.
        QMap<QString, QString> stored = StoredOnDisk();
        QCOMPARE(stored.value(kDataFolderValueName), data_.path());
        form.reset();
        stored = StoredOnDisk();
        QCOMPARE(stored.size(), 15);
        for (const OptionField& field : OptionFields()) {
            if (field.stored) QVERIFY(stored.contains(Name(field)));
        }

        // The next start without a folder argument reads it; a folder argument still wins,
        // and the unattended run keeps to the program's folder.
        recorder_ = Recorder{};
        form = ShownForm({});
        QCOMPARE(recorder_.calls.at(0).dataDirectory, DataFolder().toStdString());
        QCOMPARE(Source(form.get())->text(), "Data from: " + DataFolder());
        const QString other = program_.path() + "/other";
        WriteFile(other + "/FileHistory.log", "x=1\r\n");
        form = ShownForm({other.toStdString()});
        QCOMPARE(recorder_.calls.back().dataDirectory, WithSlash(other).toStdString());
        form = ShownForm({"-s"});
        TickAutoRun(*form);
        QCOMPARE(form->ExitStatus(), int(kExitDataUnreadable));

        // Choosing again reads the logs anew.
        form = ShownForm({});
        WriteFile(data_.filePath("SegHistory.log"), "202401052345=P=1,E=1\r\n");
        recorder_.chosenFolder = data_.path();
        QTest::mouseClick(Source(form.get()), Qt::LeftButton);
        QVERIFY(!recorder_.calls.back().rapidScan);
        QVERIFY(Source(form.get())->toolTip().contains("newest record 2024-01-05 23:45 UTC"));

        // A stored folder that has gone is shown as not found, with nothing read.
        form.reset();
        QVERIFY(QDir(data_.path()).removeRecursively());
        recorder_ = Recorder{};
        form = ShownForm({});
        QCOMPARE(Source(form.get())->text(), "Folder not found: " + DataFolder());
        QVERIFY(form->Startup().SegHistory.Empty());

        // A chosen folder whose log cannot be read: the label as designed, the tooltip says why.
        const QString locked = program_.path() + "/locked";
        QVERIFY(QDir().mkpath(locked + "/FileHistory.log"));
        recorder_.chosenFolder = locked;
        QTest::mouseClick(Source(form.get()), Qt::LeftButton);
        QCOMPARE(Source(form.get())->text(), QStringLiteral("Data source"));
        QVERIFY2(Source(form.get())
                     ->toolTip()
                     .startsWith("Could not read " + WithSlash(locked) + "FileHistory.log: "),
                 qPrintable(Source(form.get())->toolTip()));
    }

    void firstRunShowsDefaultsAndStoresEveryValueAsAnInteger() {
        QVERIFY(!QFile::exists(SettingsFile()));
        { auto form = ShownForm(DataArgs()); }
        const QMap<QString, QString> stored = StoredOnDisk();
        QCOMPARE(stored.size(), 14);
        for (const OptionField& field : OptionFields()) {
            if (!field.stored) continue;
            QCOMPARE(stored.value(Name(field)),
                     QString::number(ReportOptions{}.*field.member ? 1 : 0));
        }
    }

    void storedValuesAreReadStrictlyAndWrittenBackAsIntegers() {
        WriteFile(SettingsFile(),
                  "[General]\n"
                  "ReportIncludeLRIT=5\n"         // non-zero: checked, written back as 1
                  "ReportIncludeFSD=0\n"          // unticked, and already in the first run
                  "ReportIncludeMPEF=true\n"      // text: ignored, design default kept
                  "ReportMet8LritOnly=yes\n"      // text: ignored
                  "ReportHourlyFSD=4294967296\n"  // wider than 32 bits: ignored
                  "ReportGOES12bypass=1\n"        // hidden box, still in effect
                  "Decontaminating=1\n");         // never stored
        auto form = std::make_unique<TFormGapscope>(Services(DataArgs()));
        QVERIFY(recorder_.calls.empty());
        QVERIFY(Box(form.get(), "CheckBoxReportIncludeLRIT")->isChecked());
        QVERIFY(!Box(form.get(), "CheckBoxReportIncludeFSD")->isChecked());
        QVERIFY(Box(form.get(), "CheckBoxReportIncludeMPEF")->isChecked());
        QVERIFY(!Box(form.get(), "CheckBoxMet8LritOnly")->isChecked());
        QVERIFY(Box(form.get(), "CheckBoxReportHourlyFSD")->isChecked());
        QVERIFY(!Box(form.get(), "CheckBoxDecontaminating")->isChecked());
        form->show();
        QCOMPARE(recorder_.calls.size(), std::size_t{1});
        const ReportOptions& first = recorder_.calls[0].options;
        QVERIFY(first.includeLrit && !first.includeFsd && first.goes12Bypass);
        QVERIFY(!first.decontaminating);
        form.reset();

        const QMap<QString, QString> stored = StoredOnDisk();
        QCOMPARE(stored.value("ReportIncludeLRIT"), QStringLiteral("1"));
        QCOMPARE(stored.value("ReportIncludeFSD"), QStringLiteral("0"));
        QCOMPARE(stored.value("ReportIncludeMPEF"), QStringLiteral("1"));
        QCOMPARE(stored.value("ReportMet8LritOnly"), QStringLiteral("0"));
        QCOMPARE(stored.value("ReportHourlyFSD"), QStringLiteral("1"));
        QCOMPARE(stored.value("ReportGOES12bypass"), QStringLiteral("1"));
    }

    // A simulated station whose history ends at the tests' "now", with the cycle of 03:00
    // lost yesterday, reported by the real engine.
    std::unique_ptr<TFormGapscope> SimulatedStationForm() {
        sim::SimulationConfig config;
        config.first = sys_days{2024y / January / 4};
        config.last = sys_days{2024y / January / 6};
        config.until = floor<minutes>(kNow);
        config.rates = sim::FindScenario("clean")->rates;
        std::string error;
        config.injections.push_back(*sim::ParseInjection("cycle@2024-01-05T03:00", error));
        const std::filesystem::path station = data_.path().toStdString();
        if (!sim::SimulateToDirectory(config, station, true).summary) return nullptr;
        FormServices services = Services(DataArgs());
        services.buildReport = [](const StartupState& startup, const ReportOptions& options, Day day) {
            return BuildDayReportWith(startup, options, day, RunInputs{floor<minutes>(kNow), nullptr});
        };
        auto form = std::make_unique<TFormGapscope>(services);
        form->show();
        return form;
    }

    static QAction* PictureAction(QWidget* form, const char* list) {
        const QList<QAction*> actions = form->findChild<QListWidget*>(list)->actions();
        return actions.size() == 1 ? actions.front() : nullptr;
    }

    static pictures::CellState FirstChannelAt(const TFormTimeline& window, int column) {
        return window.Shown()->rows.front().cells[static_cast<std::size_t>(column)].state;
    }

    void dayTimelineOpensInItsOwnWindowAndFollowsTheReport() {
        auto form = SimulatedStationForm();
        QVERIFY(form != nullptr);
        QVERIFY(form->TimelineWindow() == nullptr);  // made only when asked for
        QMap<QWidget*, QRect> designed;
        for (QWidget* widget : form->findChildren<QWidget*>()) designed.insert(widget, widget->geometry());

        // From the context menu of any of the four lists.
        for (const char* list : {"ListBoxMissingSegs", "ListBoxMissingProduct", "ListBoxLateSegs", "ListBoxMissingSlots"}) {
            QVERIFY2(PictureAction(form.get(), list) != nullptr, list);
            QCOMPARE(form->findChild<QListWidget*>(list)->contextMenuPolicy(), Qt::ActionsContextMenu);
        }
        PictureAction(form.get(), "ListBoxMissingSegs")->trigger();
        TFormTimeline* window = form->TimelineWindow();
        QVERIFY(window != nullptr && window->isVisible() && window->isWindow());
        QCOMPARE(window->Shown()->day, ToDay(kYesterday));
        QCOMPARE(window->Shown()->facts.station, std::string("Groundstation"));
        QCOMPARE(FirstChannelAt(*window, 12), pictures::CellState::Missing);
        QCOMPARE(FirstChannelAt(*window, 13), pictures::CellState::Received);
        QCOMPARE(window->Image(), pictures::RenderTimeline(*window->Shown()));
        QVERIFY(window->windowTitle().contains(QStringLiteral("2024-01-05")));
        // No control of the main window moved or changed its size.
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            if (widget == window || window->isAncestorOf(widget)) continue;
            QVERIFY2(designed.contains(widget), qPrintable(widget->objectName()));
            QCOMPARE(widget->geometry(), designed.value(widget));
        }

        // It follows the date picker and the boxes.
        form->findChild<QDateEdit*>("DateTimePickerDate")->setDate(QDate(2024, 1, 4));
        QCOMPARE(window->Shown()->day, ToDay(QDate(2024, 1, 4)));
        QCOMPARE(FirstChannelAt(*window, 12), pictures::CellState::Received);
        const auto lritRows = [&] {
            return std::count_if(window->Shown()->rows.begin(), window->Shown()->rows.end(),
                                 [](const pictures::TimelineRow& row) { return row.kind == ItemKind::Lrit; });
        };
        QCOMPARE(lritRows(), 0);
        QTest::keyClick(Box(form.get(), "CheckBoxReportIncludeLRIT"), Qt::Key_Space);
        QCOMPARE(lritRows(), 5);

        // Today: the cycles after 06:10 are not yet due.
        QTest::mouseClick(form->findChild<QPushButton*>("ButtonToday"), Qt::LeftButton);
        QCOMPARE(window->Shown()->day, ToDay(QDate(2024, 1, 6)));
        QCOMPARE(window->Shown()->firstNotYetDue, std::optional<int>(25));
        QCOMPARE(FirstChannelAt(*window, 20), pictures::CellState::Received);
        QCOMPARE(FirstChannelAt(*window, 25), pictures::CellState::NotYetDue);

        // Closed, it rests; a double click on the missing-cycles list brings it back.
        window->close();
        form->findChild<QDateEdit*>("DateTimePickerDate")->setDate(QDate(2024, 1, 5));
        QCOMPARE(window->Shown()->day, ToDay(QDate(2024, 1, 6)));
        auto* cycles = form->findChild<QListWidget*>("ListBoxMissingSlots");
        QApplication::processEvents();  // the list lays out its new lines
        const QRect item = cycles->visualItemRect(cycles->item(3));
        QVERIFY(!item.isEmpty());
        // As a mouse sends it: a click, then the second press that makes it a double click.
        QTest::mouseClick(cycles->viewport(), Qt::LeftButton, {}, item.center());
        QVERIFY(!window->isVisible());
        QTest::mouseDClick(cycles->viewport(), Qt::LeftButton, {}, item.center());
        QVERIFY(window->isVisible());
        QCOMPARE(window->Shown()->day, ToDay(kYesterday));
        QCOMPARE(form->TimelineWindow(), window);
    }

    void dayTimelineSavesAsPngOrSvg() {
        auto form = SimulatedStationForm();
        QVERIFY(form != nullptr);
        form->ShowTimeline();
        TFormTimeline* window = form->TimelineWindow();
        QStringList suggested;
        QString answer;
        window->chooseFile = [&](QWidget*, const QString& offered) {
            suggested << offered;
            return answer;
        };
        QStringList errors;
        window->showError = [&](QWidget*, const QString& text) { errors << text; };
        auto* save = window->findChild<QPushButton*>("ButtonSavePicture");

        answer = data_.filePath("yesterday");  // no extension: PNG
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(suggested.front(), data_.filePath("2024-01-05-timeline.png"));
        QCOMPARE(QImage(answer + ".png").convertToFormat(QImage::Format_RGB32), window->Image());

        answer = data_.filePath("yesterday.svg");
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(ReadFile(answer).startsWith("<?xml"));

        answer.clear();  // cancelled
        QTest::mouseClick(save, Qt::LeftButton);
        answer = data_.filePath("no-such-folder/day.png");
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.front().startsWith(QStringLiteral("The picture could not be saved: cannot create a file in ")));
        QCOMPARE(suggested.size(), 4);
    }

    void anUntickedBoxSurvivesARestart() {
        {
            auto form = ShownForm(DataArgs());
            QTest::keyClick(Box(form.get(), "CheckBoxReportIncludeFSD"), Qt::Key_Space);
            QTest::keyClick(Box(form.get(), "CheckBoxDecontaminating"), Qt::Key_Space);
        }
        recorder_ = Recorder{};
        auto form = ShownForm(DataArgs());
        QVERIFY(!Box(form.get(), "CheckBoxReportIncludeFSD")->isChecked());
        QVERIFY(!Box(form.get(), "CheckBoxDecontaminating")->isChecked());
        QCOMPARE(recorder_.calls.size(), std::size_t{1});
        QVERIFY(!recorder_.calls[0].options.includeFsd);
    }
};

QTEST_MAIN(FormGapscopeTest)
#include "form_gapscope_test.moc"
