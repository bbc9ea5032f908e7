#include "app/form_gapscope.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "app/form_services.h"
#include "app/qt_day.h"
#include "app/vel_check_box.h"
#include "report/report_options.h"

using namespace gapscope;
using namespace std::chrono;

namespace {

// Fixed "now" of every test: 2024-01-06 06:10:30 UTC, so yesterday is 2024-01-05.
const sys_seconds kNow = sys_days{2024y / January / 6} + 6h + 10min + 30s;
const QDate kYesterday(2024, 1, 5);

struct ReportCall {
    ReportOptions options;
    Day day;
};

// Everything the window sends out, recorded; the report engine is replaced by a stand-in
// whose lines name the run, so that the tests see which run the lists show.
struct Recorder {
    std::vector<ReportCall> calls;
    std::optional<std::string> nextError;
    std::vector<QString> informed;
    std::vector<QString> errors;
    std::vector<QString> autoRunFailures;

    DayReportResult Build(const ReportOptions& options, Day day) {
        calls.push_back({options, day});
        const std::string run = "run " + std::to_string(calls.size());
        DayReportResult result;
        result.lists.missingSegs = {"Date: segs", run};
        result.lists.missingProduct = {"Date: products", run};
        result.lists.lateSegs = {"Date: late", run};
        result.lists.missingSlots = {"Date: slots", run};
        result.error = std::exchange(nextError, std::nullopt);
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

    FormServices Services(std::vector<std::string> arguments,
                          std::optional<std::string> computerName = "GROUNDSTATION") {
        FormServices services;
        services.startup.arguments = std::move(arguments);
        services.startup.programDirectory = program_.path().toStdString();
        services.computerName = std::move(computerName);
        services.settingsBaseName = baseName_;
        services.now = [] { return system_clock::time_point(kNow); };
        services.buildReport = [this](const StartupState&, const ReportOptions& options, Day day) {
            return recorder_.Build(options, day);
        };
        services.inform = [this](QWidget*, const QString&, const QString& text) {
            recorder_.informed.push_back(text);
        };
        services.showError = [this](QWidget*, const QString&, const QString& text) {
            recorder_.errors.push_back(text);
        };
        services.autoRunFailure = [this](const QString& text) {
            recorder_.autoRunFailures.push_back(text);
        };
        return services;
    }

    std::unique_ptr<TFormGapscope> ShownForm(std::vector<std::string> arguments) {
        auto form = std::make_unique<TFormGapscope>(Services(std::move(arguments)));
        form->show();
        return form;
    }

    std::vector<std::string> DataArgs() const { return {data_.path().toStdString()}; }

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
        QDir(data_.path()).removeRecursively();
        QDir().mkpath(data_.path());
    }

    void controlsAsDesigned() {
        TFormGapscope form(Services(DataArgs()));
        QCOMPARE(form.size(), QSize(624, 600));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);

        struct Placed {
            const char* name;
            QRect geometry;
            const char* text;
        };
        const Placed placed[] = {
            {"ListBoxMissingSegs", {8, 24, 337, 137}, nullptr},
            {"ListBoxMissingProduct", {8, 192, 337, 234}, nullptr},
            {"ListBoxLateSegs", {8, 456, 337, 97}, nullptr},
            {"GroupBoxReportControl", {376, 8, 240, 418}, " Report Settings "},
            {"ListBoxMissingSlots", {376, 456, 240, 97}, nullptr},
            {"ButtonSave", {448, 567, 81, 25}, "Save"},
            {"ButtonClose", {535, 567, 81, 25}, "Close"},
            {"DateTimePickerDate", {17, 38, 104, 25}, nullptr},
            {"ButtonToday", {135, 37, 74, 25}, "Today"},
        };
        for (const Placed& p : placed) {
            QWidget* widget = form.findChild<QWidget*>(p.name);
            QVERIFY2(widget != nullptr, p.name);
            QCOMPARE(widget->geometry(), p.geometry);
            if (p.text != nullptr) {
                const QString text =
                    widget->property(qobject_cast<QGroupBox*>(widget) ? "title" : "text")
                        .toString();
                QCOMPARE(text, QString::fromLatin1(p.text));
            }
        }

        const struct {
            const char* name;
            QPoint at;
            const char* text;
        } labels[] = {
            {"LabelMissingSegments", {8, 8}, "Missing HRIT & LRIT segments"},
            {"LabelMissingMpefSegments", {8, 176}, "Missing rebroadcast & derived segments"},
            {"LabelLateSegments", {8, 440}, "Late segments"},
            {"LabelMissingScans", {376, 440}, "Missing repeat cycles"},
            {"LabelSource", {16, 572}, "Data source"},
            {"LabelDate", {17, 22}, "Choose day"},
        };
        for (const auto& l : labels) {
            auto* label = form.findChild<QLabel*>(l.name);
            QVERIFY2(label != nullptr, l.name);
            QCOMPARE(label->pos(), l.at);
            QCOMPARE(label->text(), QString::fromLatin1(l.text));
            // Shown whole: the ampersands are characters, not key markers.
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->buddy() == nullptr);
            QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
        }

        const struct {
            const char* name;
            int y;
            const char* text;
            bool checked;
            const char* storedAs;
            const char* tooltip;
        } boxes[] = {
            {"CheckBoxDecontaminating", 84, "Decontaminating", false, nullptr,
             "Check to ignore MSG-1 thermal data"},
            {"CheckBoxDisableMSG1_MPEF", 107, "Detect RSS fill-in (no MPEF)", false,
             "ReportDisableMSG1_MPEF", "Check to ignore MSG-1/2 RSS MPEF"},
            {"CheckBoxReportHourlyFSD", 131, "Hourly FSD", true, "ReportHourlyFSD", ""},
            {"CheckBoxReportIncludeFSD", 155, "Include FSD", true, "ReportIncludeFSD", ""},
            {"CheckBoxReportHourlyFY2D", 179, "Include FY-2E", false, "ReportHourlyFY2D",
             "Data will be labelled as FY-2D, 86.5E"},
            {"CheckBoxReportHourlyFY2G", 202, "Include FY-2G", true, "ReportHourlyFY2G",
             "Data will be labelled as FY-2C"},
            {"CheckBoxReport30minHimawari", 226, "Include Himawari-8/9", false,
             "Report30minHimawari", ""},
            {"CheckBoxReportIncludeLRIT", 250, "Include LRIT", false, "ReportIncludeLRIT", ""},
            {"CheckBoxReportIncludeGoesMIR", 274, "Include mid-IR", true, "ReportIncludeGoesMIR",
             ""},
            {"CheckBoxReportIncludeMPE", 297, "Include MPE", true, "ReportIncludeMPE", ""},
            {"CheckBoxReportIncludeMPEF", 321, "Include MPEF", true, "ReportIncludeMPEF", ""},
            {"CheckBoxReportIncludeRII", 345, "Include RII  (data channel 4)", true,
             "ReportIncludeRII", "Before 2011-Mar-24, data was sent on [EUMETSAT_Data_Channel_4]"},
            {"CheckBoxMet8LritOnly", 369, "MSG FTP LRIT only", false, "ReportMet8LritOnly",
             "Check this box if the ONLY data you get is Met-8/9 LRIT data from the FTP "
             "service"},
            {"CheckBoxReportPrologAndEpilogFiles", 393, "Prolog && epilog files", true,
             "ReportPrologEpilogFiles", ""},
        };
        for (const auto& b : boxes) {
            QCheckBox* box = Box(&form, b.name);
            QVERIFY2(box != nullptr, b.name);
            QCOMPARE(box->parentWidget()->objectName(), QStringLiteral("GroupBoxReportControl"));
            QCOMPARE(box->geometry(), QRect(19, b.y, 206, 17));
            QCOMPARE(box->text(), QString::fromLatin1(b.text));
            QCOMPARE(box->isChecked(), b.checked);
            QCOMPARE(box->toolTip(), QString::fromLatin1(b.tooltip));
            const auto* stored = dynamic_cast<TvelCheckBox*>(box);
            QCOMPARE(stored != nullptr, b.storedAs != nullptr);
            if (stored != nullptr) QCOMPARE(stored->NamedAs, QString::fromLatin1(b.storedAs));
        }
        QCheckBox* hidden = Box(&form, "CheckBoxReportGOES12bypass");
        QVERIFY(hidden != nullptr);
        QCOMPARE(hidden->geometry(), QRect(139, 14, 206, 17));
        QVERIFY(hidden->isHidden());
        QVERIFY(!hidden->isChecked());
        QCOMPARE(dynamic_cast<TvelCheckBox*>(hidden)->NamedAs,
                 QStringLiteral("ReportGOES12bypass"));
    }

    void focusStartsOnCloseAndTabFollowsTheDesign() {
        TFormGapscope form(Services(DataArgs()));
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ButtonClose"));

        const QStringList expected = {"ListBoxMissingSegs",
                                      "ListBoxMissingProduct",
                                      "ListBoxLateSegs",
                                      "DateTimePickerDate",
                                      "ButtonToday",
                                      "CheckBoxDecontaminating",
                                      "CheckBoxReportHourlyFSD",
                                      "CheckBoxMet8LritOnly",
                                      "CheckBoxReportPrologAndEpilogFiles",
                                      "CheckBoxReportIncludeFSD",
                                      "CheckBoxReportIncludeMPEF",
                                      "CheckBoxReportIncludeLRIT",
                                      "CheckBoxReportIncludeGoesMIR",
                                      "CheckBoxReportIncludeRII",
                                      "CheckBoxReportHourlyFY2D",
                                      "CheckBoxReportIncludeMPE",
                                      "CheckBoxReport30minHimawari",
                                      "CheckBoxDisableMSG1_MPEF",
                                      "CheckBoxReportHourlyFY2G",
                                      "ListBoxMissingSlots",
                                      "ButtonSave",
                                      "ButtonClose"};
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
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
        const QString directory = QDir::cleanPath(data_.path()) + QLatin1Char('/');
        QCOMPARE(form.findChild<QLabel*>("LabelSource")->text(),
                 QStringLiteral("Data from: ") + directory);
        QCOMPARE(QString::fromStdString(form.Startup().DataDirectory), directory);
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

    void saveWritesTheListsAndConfirms() {
        auto form = ShownForm(DataArgs());
        QTest::mouseClick(form->findChild<QPushButton*>("ButtonSave"), Qt::LeftButton);

        const QString path = data_.filePath("2024-01-05-missing-segments.txt");
        const QByteArray text = ReadFile(path);
        QVERIFY(text.startsWith("__________________________\r\nDate: slots\r\nrun 1\r\n"));
        QVERIFY(text.contains("Date: products\r\nrun 1\r\n"));
        QVERIFY(text.endsWith("[Gapscope V3.1.23.1366 on PC Groundstation at 06:10 UTC]\r\n\r\n"));
        QCOMPARE(recorder_.informed,
                 std::vector<QString>{QStringLiteral("Report saved to: ") + path});
        QVERIFY(recorder_.autoRunFailures.empty());
    }

    void badMaskShowsTheMessageAndKeepsTheListsSoFar() {
        recorder_.nextError = "''ZZ'' is not a valid integer value";
        auto form = ShownForm(DataArgs());
        QCOMPARE(recorder_.errors,
                 std::vector<QString>{QStringLiteral("''ZZ'' is not a valid integer value")});
        QCOMPARE(Items(form->findChild<QListWidget*>("ListBoxLateSegs")),
                 QStringList({"Date: late", "run 1"}));
    }

    void automaticRunSavesSilentlyAndCloses() {
        auto form = ShownForm({data_.path().toStdString(), "-s"});
        QVERIFY(form->findChild<QTimer*>("TimerAutoRun")->isActive());
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(QFile::exists(data_.filePath("2024-01-05-missing-segments.txt")));
        QVERIFY(recorder_.informed.empty());
        QCOMPARE(form->ExitStatus(), 0);
        QVERIFY(form->IsAutoRunning());
    }

    void automaticRunFailuresEndWithAStatusAndNoDialog() {
        // A report cut short by a bad mask is not saved at all.
        recorder_.nextError = "''ZZ'' is not a valid integer value";
        auto form = ShownForm({data_.path().toStdString(), "/S"});
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(recorder_.errors.empty());
        QVERIFY(!QFile::exists(data_.filePath("2024-01-05-missing-segments.txt")));
        QCOMPARE(form->ExitStatus(), 1);
        QCOMPARE(recorder_.autoRunFailures.size(), std::size_t{1});
        QVERIFY(recorder_.autoRunFailures[0].contains("is not a valid integer value"));

        // A save that fails: a directory stands where the file should go.
        recorder_ = Recorder{};
        QVERIFY(QDir(data_.path()).mkdir("2024-01-05-missing-segments.txt"));
        form = ShownForm({data_.path().toStdString(), "-s"});
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(form->ExitStatus(), 1);
        QCOMPARE(recorder_.autoRunFailures.size(), std::size_t{1});
        QVERIFY(recorder_.informed.empty());
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
