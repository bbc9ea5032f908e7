#include "window_qt/form_gapscope.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "pictures/qt_painter.h"
#include "pictures/timeline_drawing.h"
#include "report/report_options.h"
#include "settings/stored_folder.h"
#include "tools/simulator/simulator.h"
#include "unattended/unattended_run.h"
#include "window_model/window_layout.h"
#include "window_qt/form_timeline.h"
#include "window_qt/qt_day.h"
#include "window_qt/vel_check_box.h"

using namespace gapscope;
using namespace std::chrono;

namespace {

// Fixed "now" of every test: 2024-01-06 06:10:30 UTC, so yesterday is 2024-01-05.
const sys_seconds kNow = sys_days{2024y / January / 6} + 6h + 10min + 30s;
const QDate kYesterday(2024, 1, 5);

// What the window sends out, recorded; the report engine is replaced by a stand-in whose
// lines name the run, so that the tests see which run the lists show.
struct Recorder {
    std::vector<std::pair<ReportOptions, Day>> calls;
    std::optional<DayReport> nextLists;
    std::optional<Findings> nextFindings;
    std::vector<WindowMessage> said;
    std::vector<QString> folderDialogs;
    QString chosenFolder;

    DayReportResult Build(const ReportOptions& options, Day day) {
        calls.emplace_back(options, day);
        const std::string run = "run " + std::to_string(calls.size());
        DayReportResult result;
        result.lists = {{"Date: segs", run},
                        {"Date: products", run},
                        {"Date: late", run},
                        {"Date: slots", run}};
        if (nextLists) result.lists = *std::exchange(nextLists, std::nullopt);
        if (nextFindings) result.findings = *std::exchange(nextFindings, std::nullopt);
        return result;
    }
};

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
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

// Every visible control lies inside `parent` and clear of its visible siblings.
void ExpectInsideAndApart(const QWidget* parent) {
    QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    children.removeIf([](const QWidget* w) { return w->isHidden(); });
    for (qsizetype i = 0; i < children.size(); ++i) {
        QVERIFY2(parent->rect().contains(children[i]->geometry()),
                 qPrintable(children[i]->objectName()));
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            QVERIFY2(!children[i]->geometry().intersects(children[j]->geometry()),
                     qPrintable(children[i]->objectName() + "/" + children[j]->objectName()));
        }
    }
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

    FormServices Services(std::vector<std::string> arguments) {
        FormServices services;
        services.window.arguments = std::move(arguments);
        services.window.programDirectory = program_.path().toStdString();
        services.window.computerName = "GROUNDSTATION";
        services.window.versionText = "3.1.23.1366";
        services.window.now = [] { return kNow; };
        services.window.runReport = [this](const StartupState&, const ReportOptions& options,
                                           Day day, const RunInputs&) {
            return recorder_.Build(options, day);
        };
        services.settingsBaseName = baseName_;
        services.say = [this](QWidget*, const QString&, const WindowMessage& message) {
            recorder_.said.push_back(message);
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
    QString ReportFile() const { return data_.filePath("2024-01-05-missing-segments.txt"); }

    // The stored values as the file on disk holds them, not as this process caches them.
    QMap<QString, QString> StoredOnDisk() const {
        QMap<QString, QString> values;
        const QString file = config_.path() + "/Quillan/" + baseName_ + ".conf";
        for (const QByteArray& line : ReadFile(file).split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) values.insert(QString::fromLatin1(line.left(eq)), line.mid(eq + 1));
        }
        return values;
    }

    static QCheckBox* Box(QWidget* form, const char* name) {
        return form->findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    static QLabel* Source(QWidget* form) { return form->findChild<QLabel*>("LabelSource"); }
    template <typename T = QWidget>
    static T* Control(QWidget* form, const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

  private slots:
    void initTestCase() {
        QVERIFY(config_.isValid() && data_.isValid() && program_.isValid());
        // Before the first settings object of the process: the per-user store lives here.
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    }

    void init() {
        recorder_ = Recorder{};
        // A fresh per-user store for every test.
        baseName_ = QStringLiteral("gapscope-test-%1").arg(++baseNameSerial_);
        for (QTemporaryDir* dir : {&data_, &program_}) {
            QDir(dir->path()).removeRecursively();
            QDir().mkpath(dir->path());
        }
        WriteFile(data_.filePath("SegHistory.log"), "202401052345=P=1,E=1,1=FF\r\n");
    }

    void controlsFitTheWindowAndTabFollowsTheDesign() {
        TFormGapscope form(Services(DataArgs()));
        form.show();
        QCOMPARE(form.size(), QSize(layout::kClientWidth, layout::kClientHeight));
        QCOMPARE(form.minimumSize(), form.size());  // larger, never smaller
        QVERIFY(form.maximumWidth() > layout::kClientWidth);
        // With the desktop's font, labels sized to their text among them.
        ExpectInsideAndApart(&form);
        ExpectInsideAndApart(Control(&form, "GroupBoxReportControl"));
        for (QLabel* label : form.findChildren<QLabel*>()) {
            // Shown whole, the ampersands as characters rather than key markers.
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
        }
        QCOMPARE(Box(&form, "CheckBoxReportPrologAndEpilogFiles")->text(),
                 QStringLiteral("Prolog && epilog files"));

        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QStringList expected;
        for (const std::string_view name : layout::TabOrder())
            expected << QString::fromLatin1(name);
        QCOMPARE(QApplication::focusWidget()->objectName(), expected.front());
        expected.append(expected.takeFirst());  // Tab from the first comes round to it last
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void eventsReachTheModelAndItsLinesReachTheLists() {
        auto form = ShownForm(DataArgs());
        QCOMPARE(form->windowTitle(), QString::fromStdString(form->Model().Caption()));
        QCOMPARE(QGuiApplication::applicationDisplayName(), form->windowTitle());
        QCOMPARE(Control<QDateEdit>(form.get(), "DateTimePickerDate")->date(), kYesterday);
        QCOMPARE(recorder_.calls.size(), std::size_t{1});
        for (QListWidget* list : form->findChildren<QListWidget*>()) {
            QCOMPARE(Items(list).last(), QStringLiteral("run 1"));
        }
        QCOMPARE(Items(Control<QListWidget>(form.get(), "ListBoxMissingProduct")).first(),
                 QStringLiteral("Date: products"));

        // Each shown box changes exactly its own option.
        QList<QCheckBox*> boxes = form->findChildren<QCheckBox*>();
        boxes.removeIf([](QCheckBox* box) { return box->isHidden(); });
        QCOMPARE(boxes.size(), 14);
        for (QCheckBox* box : boxes) {
            const ReportOptions before = recorder_.calls.back().first;
            QTest::keyClick(box, Qt::Key_Space);
            const ReportOptions after = recorder_.calls.back().first;
            const auto* stored = dynamic_cast<TvelCheckBox*>(box);
            const auto field = FindOptionField(stored != nullptr ? stored->NamedAs.toStdString()
                                                                 : "Decontaminating");
            QVERIFY2(field, qPrintable(box->objectName()));
            QCOMPARE(after.*field->member, box->isChecked());
            QCOMPARE(after.*field->member, !(before.*field->member));
            ReportOptions others = after;
            others.*field->member = before.*field->member;
            QVERIFY2(others == before, qPrintable(box->objectName()));
        }

        const std::size_t runs = recorder_.calls.size();
        Control<QDateEdit>(form.get(), "DateTimePickerDate")->setDate(QDate(2023, 12, 31));
        QCOMPARE(ToQDate(recorder_.calls.back().second), QDate(2023, 12, 31));
        QCOMPARE(Items(Control<QListWidget>(form.get(), "ListBoxMissingSlots")).last(),
                 QString("run %1").arg(runs + 1));
        QTest::mouseClick(Control<QPushButton>(form.get(), "ButtonToday"), Qt::LeftButton);
        QCOMPARE(Control<QDateEdit>(form.get(), "DateTimePickerDate")->date(), QDate(2024, 1, 6));
        QCOMPARE(recorder_.calls.size(), runs + 2);  // the picker's change raised none

        QTest::mouseClick(Control<QPushButton>(form.get(), "ButtonSave"), Qt::LeftButton);
        QCOMPARE(recorder_.said.size(), std::size_t{1});
        QCOMPARE(recorder_.said[0].kind, WindowMessage::Kind::Information);
        QTest::mouseClick(Control<QPushButton>(form.get(), "ButtonClose"), Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }

    // The picker ends on the current UTC day; new losses stand out until the window is used.
    void pickerEndsTodayAndAClickClearsTheHighlight() {
        auto form = ShownForm(DataArgs());
        QCOMPARE(Control<QDateEdit>(form.get(), "DateTimePickerDate")->maximumDate(),
                 QDate(2024, 1, 6));
        QVERIFY(Control<QTimer>(form.get(), "TimerNewDay")->isActive());

        Findings findings;
        findings.judged.current = true;
        findings.judged.last = 300;
        recorder_.nextFindings = findings;
        QTest::mouseClick(Control<QPushButton>(form.get(), "ButtonToday"), Qt::LeftButton);
        findings.judged.last = 400;
        findings.missingCycles = {375};
        recorder_.nextFindings = findings;
        form->TimerFollowTimer();
        QVERIFY(form->Model().Alerting());
        QCOMPARE(form->windowTitle(),
                 QString::fromStdString("cycle 06:15 lost - " + form->Model().Caption()));
        QTest::mouseClick(Control<QListWidget>(form.get(), "ListBoxMissingSlots")->viewport(),
                          Qt::LeftButton);
        QVERIFY(!form->Model().Alerting());
        QCOMPARE(form->windowTitle(), QString::fromStdString(form->Model().Caption()));
    }

    void automaticRunTicksOnceSavesAndCloses() {
        auto form = ShownForm({data_.path().toStdString(), "-s"});
        auto* timer = Control<QTimer>(form.get(), "TimerAutoRun");
        QVERIFY(timer->isActive() && timer->isSingleShot());
        QCOMPARE(timer->interval(), 250);
        form->TimerAutoRunTimer();  // the tick, given at once rather than waited for
        QVERIFY(!timer->isActive() && !form->isVisible());
        QVERIFY(QFile::exists(ReportFile()));
        QVERIFY(recorder_.said.empty());
        QCOMPARE(form->ExitStatus(), int(kExitDone));

        // A failure reaches the log through the same seam as the message boxes.
        form = ShownForm({data_.path().toStdString() + "/statoin", "-s"});
        form->TimerAutoRunTimer();
        QVERIFY(!form->isVisible());
        QCOMPARE(recorder_.said.size(), std::size_t{1});
        QCOMPARE(recorder_.said[0].kind, WindowMessage::Kind::Unattended);
        QCOMPARE(form->ExitStatus(), int(kExitDataUnreadable));
    }

    void dataLabelShortensALongFolderAndAClickChoosesAnother() {
        // A long path is shortened in its middle before the Save button; the tooltip has it whole.
        const QString deep =
            data_.path() + "/" + QString(60, 'a') + "/" + QString(60, 'b') + "/station";
        WriteFile(deep + "/SegHistory.log", "202401052345=P=1\r\n");
        auto form = ShownForm({deep.toStdString()});
        QLabel* label = Source(form.get());
        QVERIFY(label->text().startsWith("Data from: "));
        QVERIFY(label->text().contains(QChar(0x2026)));
        QVERIFY2(label->text().contains("station/ (read 06:10, newest "), qPrintable(label->text()));
        QVERIFY(label->geometry().right() < Control(form.get(), "ButtonSave")->x());
        QVERIFY(label->toolTip().contains(WithSlash(deep)));

        // Cancelled: nothing changes.
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(recorder_.folderDialogs, std::vector<QString>{WithSlash(deep)});
        QCOMPARE(recorder_.calls.size(), std::size_t{1});
        recorder_.chosenFolder = data_.path();
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(recorder_.calls.size(), std::size_t{2});
        QVERIFY(label->text().startsWith("Data from: "));
        QVERIFY(label->toolTip().startsWith(WithSlash(data_.path()) + "\n"));
        QCOMPARE(StoredOnDisk().value(kDataFolderValueName), data_.path());
    }

    void optionBoxesAreKeptAsIntegersAndReadStrictly() {
        WriteFile(config_.path() + "/Quillan/" + baseName_ + ".conf",
                  "[General]\n"
                  "ReportIncludeLRIT=5\n"         // non-zero: checked, written back as 1
                  "ReportIncludeMPEF=true\n"      // text: ignored, design default kept
                  "ReportHourlyFSD=4294967296\n"  // wider than 32 bits: ignored
                  "ReportGOES12bypass=1\n"        // hidden box, still in effect
                  "Decontaminating=1\n");         // never stored
        {
            auto form = std::make_unique<TFormGapscope>(Services(DataArgs()));
            QVERIFY(recorder_.calls.empty());  // restoring runs no report
            QVERIFY(Box(form.get(), "CheckBoxReportIncludeLRIT")->isChecked());
            QVERIFY(!Box(form.get(), "CheckBoxDecontaminating")->isChecked());
            form->show();
            const ReportOptions& first = recorder_.calls.at(0).first;
            QVERIFY(first.includeLrit && first.includeMpef && first.hourlyFsd &&
                    first.goes12Bypass);
            QVERIFY(!first.decontaminating);
            QTest::keyClick(Box(form.get(), "CheckBoxReportIncludeFSD"), Qt::Key_Space);
            QTest::keyClick(Box(form.get(), "CheckBoxDecontaminating"), Qt::Key_Space);
        }
        ReportOptions expected;
        expected.includeLrit = expected.goes12Bypass = true;
        expected.includeFsd = false;
        const QMap<QString, QString> stored = StoredOnDisk();
        QCOMPARE(stored.size(), 15);
        QCOMPARE(stored.value("Decontaminating"), QStringLiteral("1"));  // never written
        for (const OptionField& field : OptionFields()) {
            if (!field.stored) continue;
            QCOMPARE(stored.value(QString::fromLatin1(field.storedName)),
                     QString::number(expected.*field.member));
        }
        // The next start shows what was kept, and its first report already has it.
        recorder_ = Recorder{};
        auto form = ShownForm(DataArgs());
        QVERIFY(!Box(form.get(), "CheckBoxReportIncludeFSD")->isChecked());
        QVERIFY(!Box(form.get(), "CheckBoxDecontaminating")->isChecked());
        QVERIFY(!recorder_.calls.at(0).first.includeFsd);
    }

    void listsShowEveryLineWholeAfterAnyRerun() {
        auto form = ShownForm(DataArgs());
        const QString longLine =
            QStringLiteral("  120 DCP/WMO sequence nos. found, 1 missing, seq. 61") +
            QString(60, QLatin1Char('.')) + QStringLiteral(" end");
        const auto fill = [&](const Lines& lines) {
            recorder_.nextLists = DayReport{lines, lines, lines, lines};
            auto* picker = Control<QDateEdit>(form.get(), "DateTimePickerDate");
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

        // The long line neither first nor last, after a fill of short lines.
        fill({"Date: 2024-Jan-04", "", "short"});
        fill({"Date: 2024-Jan-05", "", longLine.toStdString(), "  (none)"});
        for (QListWidget* list : form->findChildren<QListWidget*>()) {
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
            QVERIFY2(contentsWidth(list) < needed(list, longLine), qPrintable(list->objectName()));
            QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        }
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
        services.window.runReport = nullptr;
        auto form = std::make_unique<TFormGapscope>(services);
        form->show();
        return form;
    }

    static pictures::CellState FirstChannelAt(const TFormTimeline& window, int column) {
        return window.Shown()->rows.front().cells[static_cast<std::size_t>(column)].state;
    }

    void dayTimelineOpensInItsOwnWindowAndFollowsTheReport() {
        auto form = SimulatedStationForm();
        QVERIFY(form != nullptr);
        QVERIFY(form->TimelineWindow() == nullptr);  // made only when asked for
        QMap<QWidget*, QRect> designed;
        for (QWidget* widget : form->findChildren<QWidget*>())
            designed.insert(widget, widget->geometry());

        // From the context menu of any of the four lists.
        for (QListWidget* list : form->findChildren<QListWidget*>()) {
            QCOMPARE(list->actions().size(), 3);  // the picture, Reload (F5), the switch
            QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
        }
        Control<QListWidget>(form.get(), "ListBoxMissingSegs")->actions().front()->trigger();
        TFormTimeline* window = form->TimelineWindow();
        QVERIFY(window != nullptr && window->isVisible() && window->isWindow());
        QCOMPARE(window->Shown()->day, ToDay(kYesterday));
        QCOMPARE(window->Shown()->facts.station, std::string("Groundstation"));
        QCOMPARE(FirstChannelAt(*window, 12), pictures::CellState::Missing);
        QCOMPARE(FirstChannelAt(*window, 13), pictures::CellState::Received);
        QCOMPARE(window->Image(), pictures::RenderDrawing(pictures::DrawTimeline(*window->Shown())));
        QVERIFY(window->windowTitle().contains(QStringLiteral("2024-01-05")));
        // No control of the main window moved or changed its size.
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            if (widget == window || window->isAncestorOf(widget)) continue;
            QVERIFY2(designed.contains(widget), qPrintable(widget->objectName()));
            QCOMPARE(widget->geometry(), designed.value(widget));
        }

        // It follows the date picker, the boxes and Today, where the later cycles are not yet due.
        Control<QDateEdit>(form.get(), "DateTimePickerDate")->setDate(QDate(2024, 1, 4));
        QCOMPARE(window->Shown()->day, ToDay(QDate(2024, 1, 4)));
        QCOMPARE(FirstChannelAt(*window, 12), pictures::CellState::Received);
        const auto lritRows = [&] {
            return std::count_if(
                window->Shown()->rows.begin(), window->Shown()->rows.end(),
                [](const pictures::TimelineRow& row) { return row.kind == ItemKind::Lrit; });
        };
        QCOMPARE(lritRows(), 0);
        QTest::keyClick(Box(form.get(), "CheckBoxReportIncludeLRIT"), Qt::Key_Space);
        QCOMPARE(lritRows(), 5);

        // Today: the cycles after 06:10 less the grace of 30 minutes are not yet due.
        QTest::mouseClick(Control<QPushButton>(form.get(), "ButtonToday"), Qt::LeftButton);
        QCOMPARE(window->Shown()->day, ToDay(QDate(2024, 1, 6)));
        QCOMPARE(window->Shown()->firstNotYetDue, std::optional<int>(23));
        QCOMPARE(FirstChannelAt(*window, 20), pictures::CellState::Received);
        QCOMPARE(FirstChannelAt(*window, 23), pictures::CellState::NotYetDue);

        // Closed, it rests; a double click on the missing-cycles list brings it back.
        window->close();
        Control<QDateEdit>(form.get(), "DateTimePickerDate")->setDate(QDate(2024, 1, 5));
        QCOMPARE(window->Shown()->day, ToDay(QDate(2024, 1, 6)));
        auto* cycles = Control<QListWidget>(form.get(), "ListBoxMissingSlots");
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

    // Made larger, the window gives the extra room to the four lists in their places; the
    // report settings keep their size; the size and place are kept for the next start.
    void enlargedWindowGivesTheListsTheRoomAndIsRemembered() {
        QRect settings;
        QRect kept;
        QMap<QString, QRect> designed;
        {
            auto form = ShownForm(DataArgs());
            settings = Control(form.get(), "GroupBoxReportControl")->geometry();
            for (QListWidget* list : form->findChildren<QListWidget*>())
                designed.insert(list->objectName(), list->geometry());
            form->resize(layout::kClientWidth + 136, layout::kClientHeight + 138);
            ExpectInsideAndApart(form.get());
            QCOMPARE(Control(form.get(), "GroupBoxReportControl")->size(), settings.size());
            for (QListWidget* list : form->findChildren<QListWidget*>()) {
                const QRect before = designed.value(list->objectName());
                QVERIFY2(list->height() >= before.height() + 40, qPrintable(list->objectName()));
                // The left column takes the width; the missing cycles keep theirs.
                QCOMPARE(list->width() > before.width(), before.x() < settings.x());
            }
            QVERIFY(Control(form.get(), "ButtonClose")->geometry().bottom() > layout::kClientHeight);
            form->move(20, 20);
            kept = form->geometry();
            form->close();
        }
        auto form = ShownForm(DataArgs());
        QCOMPARE(form->geometry(), kept);
        QCOMPARE(kept.size(), QSize(layout::kClientWidth + 136, layout::kClientHeight + 138));
    }

    // The day's counts in one line under the lists, as the findings count them; a refresh
    // keeps the operator's row in each list.
    void countsLineAndAFollowedDayKeepsTheSelectedRow() {
        auto form = SimulatedStationForm();
        QVERIFY(form != nullptr);
        auto* counts = Control<QLabel>(form.get(), "LabelCounts");
        QCOMPARE(counts->text(), QString::fromStdString(form->Model().Counts().text));
        QVERIFY2(counts->text().startsWith("Missing: 1 cycle, 0 channels (0 segments), "),
                 qPrintable(counts->text()));
        QVERIFY(counts->geometry().bottom() < Control(form.get(), "ButtonSave")->y());
        QVERIFY(counts->toolTip().contains("missing repeat cycles: 1"));

        QTest::mouseClick(Control<QPushButton>(form.get(), "ButtonToday"), Qt::LeftButton);
        QVERIFY(counts->text().startsWith("Missing so far: 0 cycles"));
        auto* late = Control<QListWidget>(form.get(), "ListBoxMissingSlots");
        late->setCurrentRow(2);
        const QString selected = late->currentItem()->text();
        form->Reload();
        QCOMPARE(late->currentRow(), 2);
        QCOMPARE(late->currentItem()->text(), selected);
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
        QVERIFY(errors.front().startsWith(
            QStringLiteral("The picture could not be saved: cannot create a file in ")));
        QCOMPARE(suggested.size(), 4);
    }
};

QTEST_MAIN(FormGapscopeTest)
#include "form_gapscope_test.moc"
