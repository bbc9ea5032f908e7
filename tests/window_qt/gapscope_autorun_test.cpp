#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>

// The real program as cron starts it: no display, no XDG_RUNTIME_DIR, a bare environment,
// no person to click anything; and as a person starts it for its usage or version.
class GapscopeAutoRunTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir config_;

    static QString Compact(std::chrono::sys_days day) {
        const std::chrono::year_month_day ymd{day};
        return QString::asprintf("%04d%02u%02u", int(ymd.year()), unsigned(ymd.month()),
                                 unsigned(ymd.day()));
    }
    static QString Iso(std::chrono::sys_days day) {
        const QString c = Compact(day);
        return c.left(4) + '-' + c.mid(4, 2) + '-' + c.mid(6, 2);
    }
    // The program's clock is set (GAPSCOPE_NOW), so that a run near midnight reports the same day.
    static constexpr std::chrono::sys_days kToday{std::chrono::year{2026} / 3 / 2};
    static std::chrono::sys_days Yesterday() { return kToday - std::chrono::days{1}; }
    static QString ReportName() { return Iso(Yesterday()) + "-missing-segments.txt"; }

    struct Run {
        int status = -1;
        QByteArray standardOutput;
        QByteArray standardError;
    };

    // What cron gives a job, and nothing else; `extra` adds to it.
    Run StartProgram(const QString& program, const QStringList& arguments,
                     const QStringList& extra = {}) const {
        QProcessEnvironment environment;
        environment.insert("PATH", "/usr/bin:/bin");
        environment.insert("HOME", config_.path());
        environment.insert("LOGNAME", "station");
        environment.insert("SHELL", "/bin/sh");
        // Not cron's, but keeps the tests' option switches apart from the user's own.
        environment.insert("XDG_CONFIG_HOME", config_.path());
        environment.insert("GAPSCOPE_NOW", Iso(kToday) + "T00:20");
        for (const QString& pair : extra) {
            environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        Run run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            run.standardError = process.errorString().toUtf8();
            return run;
        }
        run.status = process.exitCode();
        run.standardOutput = process.readAllStandardOutput();
        run.standardError = process.readAllStandardError();
        return run;
    }
    Run Start(const QStringList& arguments, const QStringList& extra = {}) const {
        return StartProgram(QStringLiteral(GAPSCOPE_EXE), arguments, extra);
    }

    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static int Reports(const QString& folder) {
        return int(QDir(folder).entryList({"*missing-segments.txt"}, QDir::Files).size());
    }

  private slots:
    void initTestCase() { QVERIFY(config_.isValid()); }

    void savesYesterdaysReportSilentlyAndEndsWithStatusZero() {
        QTemporaryDir data;
        const QString day = Compact(Yesterday());
        Write(data.filePath("SegHistory.log"),
              (day + "0000=P=1,E=1,1=FF,2=FF,9=F3,12=FFFFFF\r\n").toLatin1());
        Write(data.filePath("LateSegHistory.log"), (day + "0000=9=0C\r\n").toLatin1());

        const Run run = Start({data.path(), "-s"});
        QCOMPARE(run.status, 0);
        // Cron mails whatever a job prints: on success nothing, not even Qt's notes.
        QCOMPARE(run.standardOutput, QByteArray());
        QCOMPARE(run.standardError, QByteArray());
        QFile file(data.filePath(ReportName()));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("__________________________\r\n"));
        QVERIFY(text.contains("\r\n[Gapscope V3.1.23.1366"));
        // The option switches were written back when the window went.
        QVERIFY(QFile::exists(config_.filePath("Quillan/gapscope.conf")));
    }

    void aBadMaskSavesNothingAndSaysWhere() {
        QTemporaryDir data;
        const QString day = Compact(Yesterday());
        Write(data.filePath("SegHistory.log"), (day + "0000=P=1,E=1,1=ZZ,2=FF\r\n").toLatin1());

        const Run run = Start({data.path(), "-s"});
        QCOMPARE(run.status, 1);
        const QByteArray expected = "gapscope: report for " + Iso(Yesterday()).toLatin1() +
                                    " not saved: ''$ZZ'' is not a valid integer value\n"
                                    "gapscope: in SegHistory.log, minute key " +
                                    day.toLatin1() + "0000 (" + Iso(Yesterday()).toLatin1() +
                                    " 00:00 UTC), item 1\n";
        QCOMPARE(run.standardError, expected);
        QCOMPARE(Reports(data.path()), 0);
    }

    void dataThatCannotBeReadEndsWithStatusFourAndOneLine() {
        // The program installed in a folder of its own, as in /usr/bin.
        QTemporaryDir bin;
        const QString program = bin.filePath("gapscope");
        QVERIFY(QFile::copy(QStringLiteral(GAPSCOPE_EXE), program));

        Run run = StartProgram(program, {"-s"});
        QCOMPARE(run.status, 4);
        QCOMPARE(run.standardError,
                 "gapscope: no history log in " + bin.path().toUtf8() +
                     "/ (none of SegHistory.log, LateSegHistory.log, FileHistory.log)\n");

        QTemporaryDir data;
        const QString typo = data.filePath("statoin");
        run = StartProgram(program, {typo, "-s"});
        QCOMPARE(run.status, 4);
        QCOMPARE(run.standardError, "gapscope: no such folder: " + typo.toUtf8() + "\n");
        QCOMPARE(QDir(bin.path()).entryList(QDir::Files), QStringList({"gapscope"}));

        // A log that is there but cannot be read: nothing is written, however long it waits.
        QVERIFY(QDir(data.path()).mkdir("FileHistory.log"));
        Write(data.filePath("SegHistory.log"), (Compact(Yesterday()) + "0000=P=1\r\n").toLatin1());
        run = StartProgram(program, {data.path(), "-s"}, {"GAPSCOPE_BUSY_WAIT=0"});
        QCOMPARE(run.status, 4);
        QVERIFY2(run.standardError.startsWith("gapscope: cannot read " +
                                              data.filePath("FileHistory.log").toUtf8() + ": "),
                 run.standardError.constData());
        QCOMPARE(run.standardError.count('\n'), 1);
        QCOMPARE(Reports(data.path()), 0);
        QCOMPARE(run.standardOutput, QByteArray());
    }

    void aClockSettingThatNamesNoMinuteIsSaidAndIgnored() {
        QTemporaryDir data;
        const QString typo = data.filePath("statoin");
        const Run run = Start({typo, "-s"}, {"GAPSCOPE_NOW=2026-03-02 00:20"});
        QCOMPARE(run.status, 4);
        QCOMPARE(run.standardError,
                 "gapscope: GAPSCOPE_NOW ignored: '2026-03-02 00:20' is not YYYY-MM-DDThh:mm\n"
                 "gapscope: no such folder: " + typo.toUtf8() + "\n");
    }

    void aFailedSaveEndsWithStatusThree() {
        QTemporaryDir data;
        Write(data.filePath("SegHistory.log"), (Compact(Yesterday()) + "0000=P=1\r\n").toLatin1());
        QVERIFY(QDir(data.path()).mkdir(ReportName()));  // a folder where the file should go
        const Run run = Start({data.path(), "-s"});
        QCOMPARE(run.status, 3);
        QVERIFY2(run.standardError.startsWith("gapscope: report not saved to " +
                                              data.filePath(ReportName()).toUtf8() + ": "),
                 run.standardError.constData());
        QCOMPARE(run.standardError.count('\n'), 1);
    }

    void withoutADisplayTheWindowSaysHowToRunUnattended() {
        QTemporaryDir data;
        const Run run = Start({data.path()});
        QCOMPARE(run.status, 2);  // not Qt's abort (134)
        QCOMPARE(run.standardError.count('\n'), 1);
        QVERIFY2(run.standardError.startsWith("gapscope: the window needs a display"),
                 run.standardError.constData());
        QVERIFY(run.standardError.contains(" -s"));
        QCOMPARE(run.standardOutput, QByteArray());
    }

    void anExplicitPlatformIsTaken() {
        // The offscreen platform chosen by hand runs the window itself; it photographs
        // itself and closes.
        QTemporaryDir data;
        Write(data.filePath("SegHistory.log"), (Compact(Yesterday()) + "0000=P=1\r\n").toLatin1());
        const QString picture = data.filePath("window.png");
        const Run run =
            Start({data.path()}, {"QT_QPA_PLATFORM=offscreen", "GAPSCOPE_SCREENSHOT=" + picture});
        QCOMPARE(run.status, 0);
        QVERIFY(QFile(picture).size() > 0);
    }

    void helpAndVersionArePrintedWithoutAWindow() {
        // No display and no -s: a window could not open, so these must end by themselves.
        Run run = Start({"--help"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.standardOutput.startsWith("Usage: gapscope [DATA_DIR] [SWITCH ...]\n"));
        for (const char* item : {"-s, /s", "-neat", "-NOFY2C", "-NOMPE", "-HIM", "-NOHIM",
                                 "--version", "gapscope -P DIR", "Exit status", "  4  "}) {
            QVERIFY2(run.standardOutput.contains(item), item);
        }
        QCOMPARE(run.standardError, QByteArray());

        run = Start({"/srv/station", "--version"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.standardOutput, QByteArray("gapscope 3.1.23.1366\n"));
    }
};

QTEST_GUILESS_MAIN(GapscopeAutoRunTest)
#include "gapscope_autorun_test.moc"
