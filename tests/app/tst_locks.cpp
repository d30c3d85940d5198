// One conversation per controller and one run per site file: real zilctl processes and the window's operations of
// this process against the simulator of this process, over loopback TCP and its pseudo-terminal.
#include "ControllerSimulator.h"
#include "link/LinkLock.h"
#include "link/LinkOptions.h"
#include "link/WholeSecondClock.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "support/FileBytes.h"
#include "support/ServedRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <termios.h>

using namespace OperationText;

namespace {
using Run = ServedRun;

// The window's side without a window: says Yes, keeps what it is told.
class TellingHost final : public OperationHost
{
public:
    bool confirm(const QString &) override { return true; }
    void tell(const QString &text) override { told << text; }
    void BeginBusy() override { }
    void EndBusy() override { }
    void showProgress(TransferProgress &) override { }
    void scheduleReceived() override { }
    QStringList told;
};
} // namespace

class TestLocks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && m_locks.isValid());
        qputenv("ZIL_LOCK_DIR", m_locks.path().toUtf8()); // zilctl inherits it
        m_simulator.setModel(int(DeviceModel::V3Times64));
        QVERIFY(m_simulator.listenTcp() && m_simulator.openSerial());
        QVERIFY(QFile::link(m_simulator.serialDevicePath(), m_dir.filePath("zil-port")));
    }

    // One link written in several ways is one lock; two links are two.
    void lockNames_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *label, const char *transport, const char *target, const char *name) {
            QTest::newRow(label) << QString(transport) << QString(target) << QString(name);
        };
        row("IPv4", "tcp", "10.0.0.21", "tcp-10.0.0.21-5600");
        row("IPv6 written long", "tcp", "0:0::1", "tcp-[::1]-5600");
        row("IPv6 capitals, scope", "tcp", "FE80::1%eth0", "tcp-[fe80::1%eth0]-5600");
        row("host name in capitals", "tcp", " Zil-A.Okul.Local ", "tcp-zil-a.okul.local-5600");
        row("a slash in a bad host", "tcp", "a/../b", "tcp-a-..-b-5600");
        row("serial device", "serial", "/dev/ttyS0", "serial-dev-ttyS0");
        row("missing device, as given", "serial", "/dev/yok/ttyUSB9", "serial-dev-yok-ttyUSB9");
    }

    void lockNames()
    {
        QFETCH(QString, transport);
        QFETCH(QString, target);
        QFETCH(QString, name);
        LinkSettings link{transport == "tcp" ? LinkTransport::Tcp : LinkTransport::Serial, target, DefaultTcpPort, target, {}};
        QCOMPARE(linkLockName(link), name);
        // A symbolic link to the simulator's port is the port itself.
        const LinkSettings alias{LinkTransport::Serial, {}, 0, m_dir.filePath("zil-port"), {}};
        const LinkSettings port{LinkTransport::Serial, {}, 0, m_simulator.serialDevicePath(), {}};
        QCOMPARE(linkLockName(alias), linkLockName(port));
        const QString longName = lockName("site", QString(400, u'ş'));
        QVERIFY(longName.toUtf8().size() <= 160 && longName != lockName("site", QString(399, u'ş') + 'x'));
    }

    // A missing lock folder is made for every user, sticky; one that cannot be made keeps the link closed, with the reason.
    void lockFolderIsSharedOrRefused()
    {
        const QStringList relayTest{"relay-test", "5", "TCP", "--model=v3-64"};
        const QString fresh = m_dir.filePath("run/lock/zil");
        QCOMPARE(zilctl(relayTest, fresh).exitCode, 0);
        struct stat folder = {}, file = {};
        QVERIFY(::stat(QFile::encodeName(fresh), &folder) == 0);
        QVERIFY(::stat(QFile::encodeName(fresh + "/tcp-127.0.0.1-" + QString::number(m_simulator.tcpPort())), &file) == 0);
        QCOMPARE(folder.st_mode & 07777, 01777u);
        QCOMPARE(file.st_mode & 0777, 0666u);
        const Run refused = zilctl(relayTest, m_dir.filePath("zil-port/locks"));
        QCOMPARE(refused.exitCode, 3);
        QVERIFY2(refused.err.contains("the lock folder " + m_dir.filePath("zil-port/locks") + " cannot be made"), qPrintable(refused.err));
    }

    void secondConversationIsRefused_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("TCP") << "TCP";
        QTest::newRow("pseudo-terminal") << "SERIAL";
    }

    // A receive runs; a relay test by a second zilctl and a clock set by the window's operations are refused at once, naming
    // the receive's zilctl, and put no frame on the wire. Killed with SIGKILL, the receive leaves the controller free.
    void secondConversationIsRefused()
    {
        QFETCH(QString, link);
        m_simulator.setFaults({.noiseBefore = {}, .answerDelayMs = 6});
        m_simulator.clearLog();
        const int relayTestsBefore = m_simulator.relayTests();
        QProcess first;
        first.start(ZILCTL_PATH, arguments({"receive", link, "--model=v3-64", "--calendar", m_dir.filePath("held.dat")}));
        QTRY_VERIFY_WITH_TIMEOUT(m_simulator.receivedFrames().size() >= 3, 10000);
        const QString holder = controllerBusy({"zilctl", first.processId()});

        const Run second = zilctl({"relay-test", "5", link, "--model=v3-64"});
        QCOMPARE(second.exitCode, 1);
        QCOMPARE(second.err, "zilctl: " + holder + '\n');
        QVERIFY2(second.milliseconds < 1500, qPrintable(QString::number(second.milliseconds)));

        TellingHost host;
        SystemWholeSecondClock clock;
        DeviceOperations window(host, clock);
        const QDateTime held = m_simulator.clock();
        const OperationResult result = window.SendClock(linkSettings(link), DeviceModel::V3Times64);
        QCOMPARE(result.outcome, Outcome::ControllerBusy);
        QCOMPARE(host.told, QStringList{holder});
        QVERIFY(qAbs(m_simulator.clock().secsTo(held)) <= 1);

        QVERIFY(std::ranges::all_of(m_simulator.receivedFrames(), [](const QByteArray &f) { return f.startsWith("%ZR001"); }));
        QCOMPARE(m_simulator.relayTests(), relayTestsBefore);
        QCOMPARE(first.state(), QProcess::Running); // the refusals came while it talked

        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        m_simulator.setFaults({});
        if (link == "SERIAL")
            resetLine(m_simulator.serialDevicePath());
        const Run third = zilctl({"relay-test", "5", link, "--model=v3-64"});
        QVERIFY2(third.exitCode == 0, qPrintable(third.err));
        QCOMPARE(m_simulator.relayTests(), relayTestsBefore + 1);
        QVERIFY(window.SendClock(linkSettings(link), DeviceModel::V3Times64).succeeded());
    }

    // A second status of one site file is refused at once, naming the holder; --wait queues it, and gives up clearly at its deadline.
    void oneRunOfASite()
    {
        QVERIFY(writeFileBytes(m_dir.filePath("site.toml"),
                               "[[controllers]]\nname = \"a\"\ntcp = \"127.0.0.1:" + QByteArray::number(m_simulator.tcpPort()) +
                                   "\"\nmodel = \"v3-64\"\nschedule = \"off\"\n"));
        m_simulator.setFaults({.noiseBefore = {}, .answerDelayMs = 8});
        m_simulator.clearLog();
        QProcess first;
        first.start(ZILCTL_PATH, arguments({"site", "status", m_dir.filePath("site.toml")}));
        // Its clock is read; the records follow: a clock read from here on would be another run's.
        const auto recordsStarted = [this] {
            if (m_simulator.receivedFrames().value(0).startsWith("%ZR001"))
                return true;
            m_simulator.clearLog();
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(recordsStarted(), 10000);

        const QString holder = QString("zilctl (process %1)").arg(first.processId());
        const Run refused = zilctl({"site", "status", m_dir.filePath("site.toml")});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.err, QString("zilctl: %1 is being worked by %2; nothing was contacted (--wait SECONDS queues behind it)\n")
                                  .arg(m_dir.filePath("site.toml"), holder));
        const Run gaveUp = zilctl({"site", "apply", "--wait=1", m_dir.filePath("site.toml")});
        QCOMPARE(gaveUp.exitCode, 1);
        QVERIFY2(gaveUp.err.endsWith(QString("is still being worked by %1 after waiting 1 s; nothing was contacted\n").arg(holder)),
                 qPrintable(gaveUp.err));
        QVERIFY(gaveUp.milliseconds >= 1000 && gaveUp.milliseconds < 2500);
        QVERIFY(std::ranges::all_of(m_simulator.receivedFrames(), [](const QByteArray &f) { return f.startsWith("%ZR001"); }));
        QCOMPARE(first.state(), QProcess::Running);

        const QString report = m_dir.filePath("last-run.json"), metrics = m_dir.filePath("zil.prom");
        m_simulator.setFaults({});
        const Run queued =
            zilctl({"site", "apply", "--wait=60", "--report", report, "--openmetrics", metrics, m_dir.filePath("site.toml")});
        QCOMPARE(first.state(), QProcess::NotRunning);
        QVERIFY2(queued.exitCode == 0 && queued.out.startsWith("a (tcp 127.0.0.1:"), qPrintable(queued.out + queued.err));
        const QJsonObject written = QJsonDocument::fromJson(readFileBytes(report)).object();
        QVERIFY(written["command"] == "site apply" && written["exit_code"] == 0 && written["controllers"].toArray().size() == 1);
        QVERIFY(readFileBytes(metrics).contains("\nzil_in_plan{controller=\"a\"} 1\n"));
        // All in plan, but an output file cannot be written: 5, and the other is still replaced.
        QVERIFY(QFile::remove(metrics));
        const Run unwritten =
            zilctl({"site", "status", "--report", report + "/x.json", "--openmetrics", metrics, m_dir.filePath("site.toml")});
        QCOMPARE(unwritten.exitCode, 5);
        QVERIFY2(unwritten.err.startsWith("zilctl: 1 controller(s)") && unwritten.err.contains(report + "/x.json cannot be written: "),
                 qPrintable(unwritten.err));
        QVERIFY(QFile::exists(metrics));

        // A controller another conversation holds is reported busy, with its holder; nothing reaches it.
        LinkLock window;
        QVERIFY(window.take(linkLockName(*parseTcpTarget(QString("127.0.0.1:%1").arg(m_simulator.tcpPort())))));
        m_simulator.clearLog();
        const Run busy = zilctl({"site", "status", m_dir.filePath("site.toml")});
        QCOMPARE(busy.exitCode, 1);
        QVERIFY2(busy.out.contains(QString("busy, held by tst_locks (process %1)").arg(QCoreApplication::applicationPid())),
                 qPrintable(busy.out + busy.err));
        QVERIFY(m_simulator.receivedFrames().isEmpty());
    }

private:
    // A pseudo-terminal keeps no parity bit, so the odd parity a killed zilctl left set would refuse the next open; a
    // real port keeps it, and a clean close puts the line back as it found it, as this does.
    static void resetLine(const QString &device)
    {
        QFile line(device);
        QVERIFY(line.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        termios mode{};
        QVERIFY(::tcgetattr(line.handle(), &mode) == 0);
        ::cfmakeraw(&mode);
        mode.c_cflag &= ~tcflag_t(PARODD);
        QVERIFY(::tcsetattr(line.handle(), TCSANOW, &mode) == 0);
    }

    QStringList arguments(QStringList words) const
    {
        words.replaceInStrings("TCP", "--tcp=127.0.0.1:" + QString::number(m_simulator.tcpPort()));
        words.replaceInStrings("SERIAL", "--serial=" + m_simulator.serialDevicePath());
        return words;
    }

    LinkSettings linkSettings(const QString &link) const
    {
        if (link == "TCP")
            return {LinkTransport::Tcp, "127.0.0.1", m_simulator.tcpPort(), {}, {}};
        return {LinkTransport::Serial, {}, 0, m_simulator.serialDevicePath(), facts(DeviceModel::V3Times64).line};
    }

    // Runs zilctl to its end while this process's simulator answers.
    Run zilctl(const QStringList &words, const QString &lockFolder = {})
    {
        return runServed(ZILCTL_PATH, arguments(words), 90000, {}, [&](QProcess &process) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (!lockFolder.isEmpty())
                environment.insert("ZIL_LOCK_DIR", lockFolder);
            process.setProcessEnvironment(environment);
        });
    }

    QTemporaryDir m_dir, m_locks;
    ControllerSimulator m_simulator;
};

QTEST_GUILESS_MAIN(TestLocks)
#include "tst_locks.moc"
