// The window program as a process of its own, ended by real signals: the program itself with nothing open, and this
// test's own executable running the same window program with a message box or the send question open.
#include "app/WindowProgram.h"
#include "schedule/CalendarFile.h"
#include "schedule/SettingsFile.h"
#include "ui/frmRinger.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {
constexpr char ChildOption[] = "--window-with";

// The child: the window program over a folder; once shown, the port and Monday's first ring length are edited, then
// "box" (the relay test of "V1", which tells that the model has none), "question" (the schedule send) or "file" (the
// PDF's file dialog) opens, and "open" goes to standard output.
int runWindowWith(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QByteArray opened = argv[3];
    return runWindowProgram(app, folder, [opened](frmRinger &window) {
        QTimer::singleShot(0, &window, [&window, opened] {
            auto *port = window.findChild<QComboBox *>("cmbPortNo");
            port->setCurrentIndex(4);
            emit port->activated(4); // as the operator's choice
            window.findChild<QLineEdit *>("txtRingTime_0")->setText("12");
            QTimer::singleShot(0, &window, [] { // runs in the box's own loop
                if (QApplication::activeModalWidget())
                    std::puts("open");
                std::fflush(stdout);
            });
            if (opened == "file")
                return window.findChild<QAction *>("actSavePdf")->trigger();
            if (opened == "box")
                window.findChild<QAbstractButton *>("opsDeviceVersion_0")->click();
            window.findChild<QAbstractButton *>(opened == "question" ? "cmdSendCalendar" : "cmdTest")->click();
        });
    });
}

// The handlers are in place once /proc says both signals are caught.
bool catchesSessionSignals(const QProcess &process)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
    const QString text = QString::fromLatin1(status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray());
    const quint64 mask = QRegularExpression("SigCgt:\\s*(\\w+)").match(text).captured(1).toULongLong(nullptr, 16);
    return (mask >> (SIGTERM - 1) & 1) && (mask >> (SIGHUP - 1) & 1);
}
} // namespace

class TestSessionEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

    // The program itself with nothing open ("") loses both files after start-up and must write them again; with a
    // box, the send question or a file dialog open, the signal closes it ("Tamam", "Hayır", cancel) and both files
    // keep the edits. Two signals at once end it as well, the files stored first.
    void signalStoresBothFiles_data()
    {
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("count");
        QTest::newRow("nothing open, SIGTERM") << QByteArray() << SIGTERM << 1;
        QTest::newRow("nothing open, SIGHUP") << QByteArray() << SIGHUP << 1;
        QTest::newRow("message, SIGTERM") << QByteArray("box") << SIGTERM << 1;
        QTest::newRow("message, SIGHUP twice") << QByteArray("box") << SIGHUP << 2;
        QTest::newRow("send question, SIGHUP") << QByteArray("question") << SIGHUP << 1;
        QTest::newRow("send question, SIGTERM twice") << QByteArray("question") << SIGTERM << 2;
        QTest::newRow("file dialog, SIGTERM") << QByteArray("file") << SIGTERM << 1;
    }

    void signalStoresBothFiles()
    {
        QFETCH(QByteArray, opened);
        QFETCH(int, signal);
        QFETCH(int, count);
        QTemporaryDir folder;
        const QDir files(folder.path());
        QProcess window;
        if (opened.isEmpty()) {
            QVERIFY(QFile::copy(QStringLiteral(ZILSISTEMI_PATH), files.filePath("zilsistemi")));
            window.start(files.filePath("zilsistemi"), {});
        } else {
            window.start(QCoreApplication::applicationFilePath(), {ChildOption, folder.path(), QString::fromLatin1(opened)});
        }
        const auto stopped = qScopeGuard([&window] {
            window.kill();
            window.waitForFinished();
        });
        // Ready once it catches both signals (a forked test process does too) and start-up has made its file.
        QByteArray output; // the macro reads its condition more than once
        const auto ready = [&] {
            return catchesSessionSignals(window) && QFile::exists(files.filePath("RingCalendar.dat")) &&
                   (opened.isEmpty() || (output += window.readAllStandardOutput()).contains("open"));
        };
        QTRY_VERIFY_WITH_TIMEOUT(ready(), 20000);
        // What was stored before goes; only the end of the session writes it again.
        QVERIFY(QFile::remove(files.filePath("RingCalendar.dat")));
        QVERIFY(QFile::remove(files.filePath("Ringer.ini")) || opened.isEmpty()); // stored once the port was chosen
        for (int sent = 0; sent < count; ++sent)
            ::kill(pid_t(window.processId()), signal);
        QVERIFY(window.waitForFinished(20000));
        QVERIFY(window.exitStatus() == QProcess::NormalExit && window.exitCode() == 0);

        QCOMPARE(QFileInfo(files.filePath("RingCalendar.dat")).size() + QFileInfo(files.filePath("Ringer.ini")).size(), 5378 + 4);
        RingCalendar calendar;
        LoadCalendar(calendar, files.filePath("RingCalendar.dat"));
        RingerSettings settings;
        LoadSettings(settings, files.filePath("Ringer.ini"));
        if (!opened.isEmpty())
            QCOMPARE(std::pair(int(calendar.ringDuration(1, 1)), int(settings.PortNo)), std::pair(12, 5));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], ChildOption) == 0)
        return runWindowWith(argc, argv);
    QCoreApplication app(argc, argv);
    TestSessionEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_session_end.moc"
