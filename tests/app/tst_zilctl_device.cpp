// zilctl against the controller simulator of this process, over loopback TCP and its pseudo-terminal:
// each device command with its exit code and texts, the window's bytes on the wire, failures and Ctrl-C.
#include "ControllerSimulator.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "operations/MemoryImage.h"
#include "operations/OperationTexts.h"
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "schedule/DeviceModelNames.h"
#include "support/FileBytes.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <csignal>

using namespace OperationText;

namespace {
struct Run
{
    QString out, err;
    int exitCode = -1, frames = 0; // frames: taken by the simulator while zilctl ran
};

RingCalendar sampleCalendar(int model)
{
    RingCalendar c;
    c.DeviceVersion = qint16(model);
    for (int i = 0; i < SlotTotal; ++i) {
        c.TimeUsed[i] = qint16(i % 3 == 0);
        c.RingTime[i] = timeValue(i % 24, 7 * i % 60);
        c.RingDuration[i] = qint16(1 + i % 30);
    }
    return c;
}
} // namespace

class TestZilctlDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_simulator.listenTcp() && m_simulator.openSerial() && m_dir.isValid()); }
    void init()
    {
        m_simulator.setFaults({});
        m_simulator.clearLog();
        QVERIFY(writeFileBytes(path("sent.dat"), calendarToBytes(sampleCalendar(int(DeviceModel::V3Times64))) + "tail"));
    }

    void everyCommandOnOneLink_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("link");
        QTest::newRow("V2  (Int. Timer), TCP") << int(DeviceModel::V2IntervalTimer) << "TCP";
        QTest::newRow("V3  (64 Zaman), serial") << int(DeviceModel::V3Times64) << "SERIAL";
        QTest::newRow("V1, TCP") << int(DeviceModel::V1) << "TCP";
    }

    void everyCommandOnOneLink()
    {
        QFETCH(int, model);
        QFETCH(QString, link);
        m_simulator.setModel(model);
        const RingCalendar sent = sampleCalendar(model);
        QVERIFY(writeFileBytes(path("sent.dat"), calendarToBytes(sent)));
        Run run = zilctl({"send", link, "--calendar", "sent.dat"});
        QCOMPARE(run.out + run.err, SendSucceeded + '\n'); // no progress bar where standard error is no terminal
        if (link == "TCP") {                               // the window's "Gönder" puts the same frames on the wire
            const QList<QByteArray> fromZilctl = m_simulator.receivedFrames();
            m_simulator.clearLog();
            WindowFixture window;
            window.writeFile("RingCalendar.dat", calendarToBytes(sent));
            window.start();
            window.child<QCheckBox>("chkTCPIPActive")->setChecked(true);
            window.child<QLineEdit>("txtIP")->setText("127.0.0.1");
            window.child<QLineEdit>("txtPort")->setText(QString::number(m_simulator.tcpPort()));
            window.dialog.answers = {DialogAnswer::Yes};
            window.child<QPushButton>("cmdSendCalendar")->click();
            QCOMPARE(window.dialog.texts().last(), SendSucceeded);
            QCOMPARE(m_simulator.receivedFrames(), fromZilctl);
        }
        run = zilctl({"send", "--verify", link, "--calendar", "sent.dat"});
        QVERIFY(run.out.startsWith(SendSucceeded + '\n' + ReceiveSucceeded + "\nthe controller holds the schedule of "));

        RingCalendar other = sent; // one slot is off and at another time in the file
        other.setTimeUsed(2, 3, 0);
        other.setRingTime(2, 3, timeValue(7, 45));
        QVERIFY(writeFileBytes(path("other.dat"), calendarToBytes(other) + "tail"));
        run = zilctl({"verify", link, "--calendar", "other.dat"});
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(
            run.err.endsWith("seconds):\nday 2, slot 3, in_use: file 0, controller 1\nday 2, slot 3, time: file 07:45, controller 15:45\n"),
            qPrintable(run.err));
        run = zilctl({"receive", link, "--calendar", "other.dat"});
        QCOMPARE(run.out, ReceiveSucceeded + '\n' + path("other.dat") + " written\n");
        QCOMPARE(readFileBytes(path("other.dat")), calendarToBytes(sent) + "tail"); // with the slots the model lacks, and the tail

        // The last slot of the week is compared too; a time that is no time of day is shown as held.
        const int last = recordSlotsPerDay(DeviceModel(model));
        QByteArray memory = m_simulator.memory(); // a V1's hour and minute bytes, packed decimal
        memory.replace(MemoryImage::entryOffset(6, last - 1) + 1, 2, "\x24\x10");
        model == int(DeviceModel::V1) ? m_simulator.setMemory(memory)
                                      : m_simulator.setRecord(7, last, {sent.timeUsed(7, last), sent.ringDuration(7, last), 24, 10});
        run = zilctl({"verify", link, "--calendar", "sent.dat"});
        QCOMPARE(run.exitCode, 4);
        QVERIFY(run.err.endsWith(QString("day 7, slot %1, time: file %2, controller 24:10 (no time of day)\n")
                                     .arg(last)
                                     .arg(hourMinuteText(sent.ringTime(7, last)))));

        const QStringList common{link, "--model", modelShortName(DeviceModel(model))};
        QCOMPARE(zilctl(QStringList{"clock", "set"} + common).out, ClockSet + '\n');
        QVERIFY(qAbs(m_simulator.clock().secsTo(QDateTime::currentDateTime())) <= 2);
        m_simulator.setClock(QDateTime::currentDateTime().addSecs(-3600));
        const QJsonObject clock = QJsonDocument::fromJson(zilctl(QStringList{"clock", "read", "--json"} + common).out.toUtf8()).object();
        QVERIFY(qAbs(clock.value("offset_seconds").toInt(0) + 3600) <= 2);
        QCOMPARE(clock.value("day_name").toString(), DayName(m_simulator.clock().date().dayOfWeek()));

        run = zilctl(QStringList{"relay-test", QString::number(3 + model)} + common);
        QCOMPARE(run.exitCode, model == int(DeviceModel::V1) ? 2 : 0); // a V1 has none: the window only tells
        QCOMPARE(run.out + run.err, model == int(DeviceModel::V1) ? "zilctl: " + RelayTestNotOnV1 + '\n' : RelayTestDone + '\n');
        QCOMPARE(run.frames, model == int(DeviceModel::V1) ? 0 : 1);
        QVERIFY(model == int(DeviceModel::V1) || m_simulator.lastRelaySeconds() == 3 + model);
    }

    void failuresExitWithTheirCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("interruptAt"); // 0: the simulator goes silent instead
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString leftAsItWas = "\nsent.dat is left as it was";
        QTest::newRow("nothing listens") << QStringList{"clock", "read", "--tcp=127.0.0.1:1", "--model=v1"} << 0 << 3
                                         << TcpPortFailed + ": 127.0.0.1:1: Connection refused";
        QTest::newRow("no serial device") << QStringList{"clock", "set", "--serial=/dev/zil-none", "--model=v2-24"} << 0 << 3
                                          << SerialPortFailed + ": /dev/zil-none: No such file or directory";
        QTest::newRow("silent, send") << QStringList{"send", "TCP", "--calendar", "sent.dat"} << 0 << 1 << RecordSendFailed;
        QTest::newRow("silent, receive") << QStringList{"receive", "SERIAL", "--calendar", "sent.dat"} << 0 << 1
                                         << ReceiveFailed + leftAsItWas;
        QTest::newRow("silent, clock read") << QStringList{"clock", "read", "TCP", "--model=v3-int"} << 0 << 1 << ClockReadFailed;
        QTest::newRow("Ctrl-C in a send") << QStringList{"send", "TCP", "--calendar", "sent.dat"} << 3 << 130 << Cancelled;
        QTest::newRow("Ctrl-C in a receive") << QStringList{"receive", "TCP", "--calendar", "sent.dat"} << 3 << 130
                                             << Cancelled + leftAsItWas;
    }

    // Nothing is written, and a transfer ends with the record under way.
    void failuresExitWithTheirCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, interruptAt);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        m_simulator.setModel(int(DeviceModel::V3Times64));
        m_simulator.setFaults(
            {.silent = interruptAt == 0, .wrongStatus = false, .noiseBefore = {}, .answerDelayMs = interruptAt ? 300 : 0});
        const QByteArray before = readFileBytes(path("sent.dat"));
        const Run run = zilctl(arguments, interruptAt);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out + run.err, "zilctl: " + message.replace("sent.dat", path("sent.dat")) + '\n'); // all on standard error
        QVERIFY2(run.frames <= interruptAt + 1, qPrintable(QString::number(run.frames)));
        QCOMPARE(readFileBytes(path("sent.dat")), before);
    }

private:
    // Runs zilctl while this event loop serves the simulator; SIGINT once the simulator has taken
    // `interruptAt` frames. TCP, SERIAL and NAME.dat stand for its links and the test folder's files.
    Run zilctl(QStringList arguments, int interruptAt = 0)
    {
        arguments.replaceInStrings(QRegularExpression("^TCP$"), "--tcp=127.0.0.1:" + QString::number(m_simulator.tcpPort()));
        arguments.replaceInStrings(QRegularExpression("^SERIAL$"), "--serial=" + m_simulator.serialDevicePath());
        arguments.replaceInStrings(QRegularExpression("^(\\w+\\.dat)$"), m_dir.path() + "/\\1");
        QProcess process;
        QEventLoop loop;
        int frames = 0;
        connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        connect(&m_simulator, &ControllerSimulator::frameReceived, &loop, [&] {
            if (++frames == interruptAt)
                ::kill(pid_t(process.processId()), SIGINT);
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        process.start(QStringLiteral(ZILCTL_PATH), arguments);
        if (process.waitForStarted(5000))
            loop.exec(); // a zilctl that ended meanwhile still ends the loop: finished comes from it
        process.kill();
        process.waitForFinished(5000);
        return {QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()),
                process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, frames};
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ControllerSimulator m_simulator;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestZilctlDevice)
#include "tst_zilctl_device.moc"
