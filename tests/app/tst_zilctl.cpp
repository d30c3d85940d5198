#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DateTimeValue.h"
#include "support/FileBytes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run zilctl(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(ZILCTL_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

RingCalendar sampleCalendar()
{
    RingCalendar c;
    c.DeviceVersion = ModelV3Times64;
    for (int slot = 1; slot <= 20; ++slot) {
        c.setTimeUsed(slot % 7 + 1, slot, 1);
        c.setRingTime(slot % 7 + 1, slot, timeValue(slot, 3 * slot));
        c.setRingDuration(slot % 7 + 1, slot, qint16(slot));
    }
    return c;
}
} // namespace

// The real executable, as a script runs it.
class TestZilctl : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void badArgumentsExitWithTwoAndTouchNothing_data();
    void badArgumentsExitWithTwoAndTouchNothing();
    void exportImportKeepsEveryByteAndTheTail();
    void refusedTextWritesNothing();
    void rangeEndsAndCommandWords_data();
    void rangeEndsAndCommandWords();
    void shortAndEmptyFilesReadAsTheWindowDoes();
    void jsonGivesOneResultObject();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestZilctl::badArgumentsExitWithTwoAndTouchNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString tcp = QStringLiteral("--tcp=127.0.0.1");
    QTest::newRow("unknown option") << QStringList{"send", tcp, "--colour"} << "Unknown option 'colour'.";
    QTest::newRow("missing value") << QStringList{"send", "--tcp"} << "Missing value after '--tcp'.";
    QTest::newRow("unknown model") << QStringList{"clock", "read", tcp, "--model", "V4"} << "--model: 'V4' is not a model";
    QTest::newRow("port 0") << QStringList{"verify", "--tcp", "127.0.0.1:0"} << "--tcp: port '0' is not a number from 1 to 65535";
    QTest::newRow("port 65536") << QStringList{"verify", "--tcp", "127.0.0.1:65536"} << "--tcp: port '65536' is not a number from 1 to 65535";
    QTest::newRow("port empty") << QStringList{"verify", "--tcp", "[::1]:"} << "--tcp: port '' is not a number from 1 to 65535";
    QTest::newRow("host with a blank") << QStringList{"send", "--tcp", "zil 1"} << "--tcp: 'zil 1' is not a host name or an IP address";
    QTest::newRow("address 300.1.1.1") << QStringList{"send", "--tcp", "300.1.1.1"} << "--tcp: '300.1.1.1' is not a host name";
    QTest::newRow("both links") << QStringList{"send", tcp, "--serial", "1"} << "send needs one of --tcp HOST[:PORT] and --serial DEVICE";
    QTest::newRow("serial port 17") << QStringList{"receive", "--serial", "17"} << "--serial: port '17' is not a port number from 1 to 16";
    QTest::newRow("relay 31 s") << QStringList{"relay-test", "31", tcp, "--model", "v2-24"} << "relay-test: '31' is not a whole number";
    QTest::newRow("clock alone") << QStringList{"clock", tcp} << "clock wants set or read";
    QTest::newRow("verify on receive") << QStringList{"receive", tcp, "--verify"} << "--verify does not apply to receive";
    QTest::newRow("missing schedule") << QStringList{"send", tcp, "--calendar", "none.dat"}
                                      << "none.dat does not exist; save one from the window (\"Kaydet\") or make one with zilctl import";
    QTest::newRow("schedule is a folder") << QStringList{"export", "--calendar", "."} << "cannot be read";
    QTest::newRow("export to an empty name") << QStringList{"export", "", "--calendar", "short.dat"}
                                             << "export: the CSV file name is empty; '-' or no name means standard output";
    QTest::newRow("import from an empty name") << QStringList{"import", "", "--calendar", "short.dat"}
                                               << "import: the CSV file name is empty; '-' or no name means standard input";
}

// Where a range ends and where a command's words end: the value just inside
// is taken (the missing schedule is the next thing said), the one just
// outside is refused.
void TestZilctl::rangeEndsAndCommandWords_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString taken = QStringLiteral("none.dat does not exist");
    const QString label63(63, u'a'), label64(64, u'a');
    const QString name253 = QStringList(4, label63).join(u'.').left(253);
    const auto row = [](const char *name, QStringList arguments, const QString &message) {
        QTest::newRow(name) << (arguments << "--calendar" << "none.dat") << message;
    };
    row("clock read as one word", {"clock read", "--tcp", "127.0.0.1"},
        "'clock read' is not a command (give each word of a command as an argument of its own)");
    row("clock set as one word, one more", {"clock set", "extra", "--tcp", "127.0.0.1"}, "'clock set' is not a command");
    row("clock read as two words", {"clock", "read", "--tcp", "127.0.0.1"}, taken);
    row("clock set, one word too many", {"clock", "set", "extra", "--tcp", "127.0.0.1"}, "clock set: unexpected 'extra'");
    row("send, one word too many", {"send", "now", "--tcp", "127.0.0.1"}, "send: unexpected 'now'");
    row("export, two files", {"export", "a.csv", "b.csv"}, "export: unexpected 'b.csv'");
    row("clock and nothing known", {"clock", "stop", "--tcp", "127.0.0.1"}, "clock wants set or read");
    row("port 0", {"verify", "--tcp", "127.0.0.1:0"}, "--tcp: port '0' is not a number from 1 to 65535");
    row("port 1", {"verify", "--tcp", "127.0.0.1:1"}, taken);
    row("port 65535", {"verify", "--tcp", "127.0.0.1:65535"}, taken);
    row("port 65536", {"verify", "--tcp", "127.0.0.1:65536"}, "--tcp: port '65536' is not a number from 1 to 65535");
    row("port with a newline", {"verify", "--tcp", "127.0.0.1:5600\n1"}, "--tcp: port '5600\n1' is not a number");
    row("port in other digits", {"verify", "--tcp", QString::fromUtf8("127.0.0.1:\u0665\u0666")}, "is not a number from 1 to 65535");
    row("name of 253", {"verify", "--tcp", name253}, taken);
    row("name of 254", {"verify", "--tcp", name253 + "a"}, "is not a host name or an IP address");
    row("label of 63", {"verify", "--tcp", label63 + ".local"}, taken);
    row("label of 64", {"verify", "--tcp", label64 + ".local"}, "is not a host name or an IP address");
    row("name with a newline", {"verify", "--tcp", "ctrl\n:5600"}, "--tcp: 'ctrl\n' is not a host name or an IP address");
    row("label ending in -", {"verify", "--tcp", "zil-.local"}, "is not a host name");
    row("zero-padded IPv4", {"send", "--tcp", "192.168.001.010"},
        "--tcp: '192.168.001.010': an IPv4 address is four decimal parts from 0 to 255 without leading zeros "
        "(this one would reach 192.168.1.8)");
    row("zero-padded part 0", {"send", "--tcp", "10.00.0.1:5601"}, "without leading zeros");
    row("hex as a name", {"send", "--tcp", "0x7f.0.0.1"}, "(this one would reach 127.0.0.1)");
    row("IPv4 of 0 and 255", {"send", "--tcp", "0.255.10.100"}, taken);
    row("IPv4 part 256", {"send", "--tcp", "10.0.0.256"}, "is not a host name or an IP address");
    row("IPv6 bracketed with a port", {"send", "--tcp", "[::1]:65535"}, taken);
    row("IPv6 scope then a port", {"send", "--tcp", "fe80::1%eth0:8080"}, "the scope after '%' is not an interface name");
    row("IPv6 scope bracketed", {"send", "--tcp", "[fe80::1%eth0.5_a-b]:8080"}, taken);
    row("IPv6 scope with a blank", {"send", "--tcp", "[fe80::1%eth 0]"}, "the scope after '%' is not an interface name");
    row("IPv4 with a scope", {"send", "--tcp", "[10.0.0.1%eth0]"}, "is not a host name or an IP address");
    row("serial 0", {"receive", "--serial", "0"}, "--serial: port '0' is not a port number from 1 to 16");
    row("serial 1", {"send", "--serial", "1"}, taken);
    row("serial 16", {"send", "--serial", "16"}, taken);
    row("serial 17", {"receive", "--serial", "17"}, "--serial: port '17' is not a port number from 1 to 16");
    row("relay 0 s", {"relay-test", "0", "--tcp", "127.0.0.1", "--model", "v1"}, "relay-test: '0' is not a whole number");
    row("relay 1 s", {"relay-test", "1", "--tcp", "127.0.0.1", "--model", "v1"}, "sadece ZK-480 V2 ve üst model");
    row("relay 30 s", {"relay-test", "30", "--tcp", "127.0.0.1", "--model", "v1"}, "sadece ZK-480 V2 ve üst model");
    row("relay 31 s", {"relay-test", "31", "--tcp", "127.0.0.1", "--model", "v1"}, "relay-test: '31' is not a whole number");
    row("relay 5 and a newline", {"relay-test", "5\n", "--tcp", "127.0.0.1", "--model", "v1"}, "relay-test: '5\n' is not");
    row("relay 030 s", {"relay-test", "030", "--tcp", "127.0.0.1", "--model", "v1"}, "relay-test: '030' is not");
    row("relay without seconds", {"relay-test", "--tcp", "127.0.0.1", "--model", "v1"}, "relay-test: '' is not");
}

void TestZilctl::rangeEndsAndCommandWords()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    arguments.replaceInStrings("none.dat", path("none.dat"));
    const Run run = zilctl(arguments);
    QCOMPARE(run.exitCode, 2); // never a crash: a signal shows as -1
    QVERIFY2(run.err.startsWith("zilctl: ") && run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

// A window killed at start leaves empty files; a short one keeps the record's
// defaults past its end, as the window reads it. Nothing writes a short file.
void TestZilctl::shortAndEmptyFilesReadAsTheWindowDoes()
{
    const QByteArray whole = calendarToBytes(sampleCalendar());
    for (const int size : {0, 1, 2, 3, 1000, int(CalendarFileSize) - 1}) {
        QVERIFY(writeFileBytes(path("short.dat"), whole.left(size)));
        RingCalendar window;
        LoadCalendar(window, path("short.dat"));
        const Run exported = zilctl({"export", "--calendar", path("short.dat")});
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.err));
        QCOMPARE(QString::fromUtf8(exported.out), calendarToText(window));
        QCOMPARE(readFileBytes(path("short.dat")), whole.left(size));

        // An import over it keeps the slots the text leaves out, as read, and writes the whole record.
        const Run imported = zilctl({"import", "--calendar", path("short.dat"), "--model", "v3-64"},
                                    "day,slot,in_use,time,seconds\n7,64,1,23:59,30\n");
        QVERIFY2(imported.exitCode == 0, qPrintable(imported.err));
        const QByteArray written = readFileBytes(path("short.dat"));
        QCOMPARE(written.size(), CalendarFileSize);
        if (size > 0) { // an empty file is "none yet": its slots start cleared
            window.DeviceVersion = ModelV3Times64;
            window.setTimeUsed(7, 64, 1);
            window.setRingTime(7, 64, timeValue(23, 59));
            window.setRingDuration(7, 64, 30);
            QCOMPARE(written, calendarToBytes(window));
        }
    }
}

void TestZilctl::badArgumentsExitWithTwoAndTouchNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QByteArray shortFile = calendarToBytes(sampleCalendar()).left(CalendarFileSize - 1);
    QVERIFY(writeFileBytes(path("short.dat"), shortFile));
    QVERIFY(writeFileBytes(path("text.csv"), "day,slot,in_use,time,seconds\n1,1,1,06:00,3\n"));
    for (QString &argument : arguments)
        argument.replace(QRegularExpression("^(\\w+\\.(dat|csv)|\\.)$"), m_dir.path() + "/\\1");

    const Run run = zilctl(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith("zilctl: ") && run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(readFileBytes(path("short.dat")), shortFile);
}

void TestZilctl::exportImportKeepsEveryByteAndTheTail()
{
    const QByteArray tail(622, '\x5A');
    const QByteArray original = calendarToBytes(sampleCalendar()) + tail;
    QVERIFY(writeFileBytes(path("a.dat"), original));
    const Run exported = zilctl({"export", "--calendar", path("a.dat")});
    QCOMPARE(exported.exitCode, 0);
    QVERIFY(exported.out.startsWith("# model: V3  (64 Zaman)\nday,slot,in_use,time,seconds\n"));

    RingCalendar other; // an edited copy, to be put back by the text
    other.DeviceVersion = ModelV1;
    QVERIFY(writeFileBytes(path("b.dat"), calendarToBytes(other) + tail));
    const Run imported = zilctl({"import", "--calendar", path("b.dat")}, exported.out);
    QCOMPARE(imported.exitCode, 0);
    QCOMPARE(QString::fromUtf8(imported.out), path("b.dat") + " written: model V3  (64 Zaman), 448 slots from the text, 0 kept\n");
    QCOMPARE(readFileBytes(path("b.dat")), original);

    // A new file: the slots left out are off at 00:00 with 3 seconds.
    QCOMPARE(zilctl({"import", "--calendar", path("c.dat"), "--model", "V2  (24 zaman)"}, "day,slot,in_use,time,seconds\n").exitCode, 0);
    RingCalendar cleared;
    cleared.DeviceVersion = ModelV2Times24;
    cleared.RingDuration.fill(3);
    QCOMPARE(readFileBytes(path("c.dat")), calendarToBytes(cleared));
}

void TestZilctl::refusedTextWritesNothing()
{
    const QByteArray original = calendarToBytes(sampleCalendar()) + "tail";
    QVERIFY(writeFileBytes(path("a.dat"), original));
    const Run run = zilctl({"import", "-", "--calendar", path("a.dat")},
                           "day,slot,in_use,time,seconds\n1,1,1,06:00,3\n\n9,1,1,06:00,3\n1,1,1,07:00,3\n");
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err, QStringLiteral("zilctl: the text was refused, nothing was written:\n"
                                     "line 4, day: '9' is not a day from 1 to 7\n"
                                     "line 5: day 1 slot 1 is given again (first on line 2)\n"));
    QCOMPARE(readFileBytes(path("a.dat")), original);
    QCOMPARE(zilctl({"import", "--calendar", path("new.dat")}, "day,slot,in_use,time,seconds\n").exitCode, 2); // no model anywhere
    QVERIFY(!QFile::exists(path("new.dat")));
}

void TestZilctl::jsonGivesOneResultObject()
{
    QVERIFY(writeFileBytes(path("a.dat"), calendarToBytes(sampleCalendar())));
    const Run ok = zilctl({"export", "--json", "--calendar", path("a.dat")});
    const QJsonObject result = QJsonDocument::fromJson(ok.out).object();
    QCOMPARE(result.value("ok").toBool(), true);
    QCOMPARE(result.value("model").toString(), "V3  (64 Zaman)");
    QVERIFY(result.value("text").toString().endsWith("\n7,64,0,00:00,0\n"));

    const Run refused = zilctl({"send", "--json", "--tcp", "127.0.0.1:99999"});
    QCOMPARE(refused.exitCode, 2);
    QVERIFY(refused.err.isEmpty());
    const QJsonObject failure = QJsonDocument::fromJson(refused.out).object();
    QCOMPARE(failure.value("exit_code").toInt(), 2);
    QCOMPARE(failure.value("message").toString(), "--tcp: port '99999' is not a number from 1 to 65535");
}

QTEST_GUILESS_MAIN(TestZilctl)
#include "tst_zilctl.moc"
