#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>

// The unattended daily run as cron starts it: the real program, no display, no person.
class GapscopeAutoRunTest : public QObject {
    Q_OBJECT

  private:
    static QString Compact(std::chrono::sys_days day) {
        const std::chrono::year_month_day ymd{day};
        return QString::asprintf("%04d%02u%02u", int(ymd.year()), unsigned(ymd.month()),
                                 unsigned(ymd.day()));
    }
    static QString Iso(std::chrono::sys_days day) {
        const QString c = Compact(day);
        return c.left(4) + '-' + c.mid(4, 2) + '-' + c.mid(6, 2);
    }
    static std::chrono::sys_days Yesterday() {
        return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()) -
               std::chrono::days{1};
    }

    struct Run {
        int status = -1;
        QByteArray standardError;
    };

    static Run RunUnattended(const QString& dataDirectory, const QString& configDirectory) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert("XDG_CONFIG_HOME", configDirectory);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(GAPSCOPE_EXE), {dataDirectory, QStringLiteral("-s")});
        Run run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            return run;
        }
        run.status = process.exitCode();
        run.standardError = process.readAllStandardError();
        return run;
    }

    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

  private slots:
    void savesYesterdaysReportAndEndsWithStatusZero() {
        QTemporaryDir data;
        QTemporaryDir config;
        const QString day = Compact(Yesterday());
        Write(data.filePath("SegHistory.log"),
              (day + "0000=P=1,E=1,1=FF,2=FF,9=F3,12=FFFFFF\r\n").toLatin1());
        Write(data.filePath("LateSegHistory.log"), (day + "0000=9=0C\r\n").toLatin1());

        const Run run = RunUnattended(data.path(), config.path());
        QCOMPARE(run.status, 0);
        const QString report = data.filePath(Iso(Yesterday()) + "-missing-segments.txt");
        QVERIFY2(QFile::exists(report), qPrintable(report));
        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("__________________________\r\n"));
        QVERIFY(text.contains("\r\n[Gapscope V3.1.23.1366"));
        // The option switches were written back when the window went.
        QVERIFY(QFile::exists(config.filePath("Quillan/gapscope.conf")));
    }

    void aBadMaskSavesNothingAndFails() {
        QTemporaryDir data;
        QTemporaryDir config;
        Write(data.filePath("SegHistory.log"),
              (Compact(Yesterday()) + "0000=P=1,E=1,1=ZZ,2=FF\r\n").toLatin1());

        const Run run = RunUnattended(data.path(), config.path());
        QVERIFY(run.status > 0);
        QVERIFY2(run.standardError.contains("''$ZZ'' is not a valid integer value"),
                 run.standardError.constData());
        QCOMPARE(QDir(data.path()).entryList({"*missing-segments.txt"}, QDir::Files).size(), 0);
    }
};

QTEST_GUILESS_MAIN(GapscopeAutoRunTest)
#include "gapscope_autorun_test.moc"
