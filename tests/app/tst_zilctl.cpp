// The real zilctl as a script runs it: its arguments, texts, pages and site pages, and each device command against
// this process's simulator over loopback TCP and its pseudo-terminal, with the window's bytes on the wire, failures and Ctrl-C.
#include "ControllerSimulator.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "operations/MemoryImage.h"
#include "operations/OperationTexts.h"
#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DateTimeValue.h"
#include "schedule/DeviceModelNames.h"
#include "support/FileBytes.h"
#include "support/Poppler.h"
#include "support/ServedRun.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <csignal>

using namespace OperationText;

namespace {
struct Run : ServedRun
{
    int frames = 0; // taken by the simulator while zilctl ran
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

class TestZilctl : public QObject
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
            QList<QByteArray> fromZilctl = m_simulator.receivedFrames();
            if (model == int(DeviceModel::V1)) { // read first, so that the bytes around its slots go back as they are
                QVERIFY(fromZilctl.value(0).startsWith("%CM060"));
                fromZilctl = fromZilctl.mid(1 + MemoryImage::BlockCount);
            }
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
        const int last = facts(DeviceModel(model)).slotsCarried;
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
        m_simulator.setFaults({.silent = interruptAt == 0, .noiseBefore = {}, .answerDelayMs = interruptAt ? 300 : 0});
        const QByteArray before = readFileBytes(path("sent.dat"));
        const Run run = zilctl(arguments, interruptAt);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out + run.err, "zilctl: " + message.replace("sent.dat", path("sent.dat")) + '\n'); // all on standard error
        QVERIFY2(run.frames <= interruptAt + 1, qPrintable(QString::number(run.frames)));
        QCOMPARE(readFileBytes(path("sent.dat")), before);
    }

    // Just inside a range is taken (the missing schedule is then what is refused), just outside is refused; a command is its words.
    void badArgumentsExitWithTwoAndTouchNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString tcp = QStringLiteral("--tcp=127.0.0.1"), label63(63, u'a'), name253 = QStringList(4, label63).join(u'.').left(253);
        const QString taken =
            QStringLiteral("none.dat does not exist; save one from the window (\"Kaydet\") or make one with zilctl import");
        const auto row = [](const QString &name, const QStringList &arguments, const QString &message) {
            QTest::newRow(qPrintable(name)) << arguments + QStringList{"--calendar", "none.dat"} << message;
        };
        row("unknown option", {"send", tcp, "--colour"}, "Unknown option 'colour'.");
        QTest::newRow("missing value") << QStringList{"send", "--tcp"} << "Missing value after '--tcp'.";
        row("unknown model", {"clock", "read", tcp, "--model", "V4"}, "--model: 'V4' is not a model");
        row("clock read as one word", {"clock read", tcp},
            "'clock read' is not a command (give each word of a command as an argument of its own)");
        row("clock read as two words", {"clock", "read", tcp}, taken);
        row("clock set, one word more", {"clock", "set", "extra", tcp}, "clock set: unexpected 'extra'");
        row("clock alone", {"clock", tcp}, "clock wants set or read");
        for (const QString port : {"0", "1", "65535", "65536"})
            row("port " + port, {"verify", "--tcp", "127.0.0.1:" + port},
                port == u"1" || port == u"65535" ? taken : "--tcp: port '" + port + "' is not a number");
        row("port empty", {"verify", "--tcp", "[::1]:"}, "--tcp: port '' is not a number from 1 to 65535");
        for (const QString &name : {name253, name253 + "a", label63 + "a.local"}) // 253 characters; 254; a label of 64
            row(QString("name of %1").arg(name.size()), {"verify", "--tcp", name},
                name == name253 ? taken : "is not a host name or an IP address");
        row("host with a newline", {"send", "--tcp", "ctrl\n:5600"}, "--tcp: 'ctrl\n' is not a host name or an IP address");
        row("address 300.1.1.1", {"send", "--tcp", "300.1.1.1"}, "--tcp: '300.1.1.1' is not a host name");
        row("zero-padded IPv4", {"send", "--tcp", "192.168.001.010"},
            "--tcp: '192.168.001.010': an IPv4 address is four decimal "
            "parts from 0 to 255 without leading zeros (this one would reach 192.168.1.8)");
        row("hex IPv4 as a name", {"send", "--tcp", "0x7f.0.0.1:5601"}, "(this one would reach 127.0.0.1)");
        row("IPv4 of 0 and 255", {"send", "--tcp", "0.255.10.100"}, taken);
        row("IPv6 with a blank", {"send", "--tcp", "[ ::1]"},
            "--tcp: ' ::1': an IPv6 address is written with hex digits, ':' and '.' only, not ' '");
        row("IPv6 with a sign", {"send", "--tcp", "0::+1"},
            "--tcp: '0::+1': an IPv6 address is written with hex digits, ':' and '.' only, not '+'");
        row("IPv6 scope, then a port", {"send", "--tcp", "fe80::1%eth0:8080"}, "the scope after '%' is not an interface name");
        row("IPv6 scope bracketed", {"send", "--tcp", "[fe80::1%eth0.5_a-b]:8080"}, taken);
        row("both links", {"send", tcp, "--serial", "1"}, "send needs one of --tcp HOST[:PORT] and --serial DEVICE");
        for (const QString port : {"0", "1", "16", "17"})
            row("serial " + port, {"send", "--serial", port},
                port == u"1" || port == u"16" ? taken : "--serial: port '" + port + "' is not a port");
        for (const QString seconds : {"0", "1", "30", "31", "5\n", "030", "+5"})
            row("relay " + seconds, {"relay-test", seconds, tcp, "--model", "v1"},
                seconds == u"1" || seconds == u"30" ? "sadece ZK-480 V2 ve üst model"
                                                    : "relay-test: '" + seconds + "' is not a whole number");
        row("verify on receive", {"receive", tcp, "--verify"}, "--verify does not apply to receive");
        for (const int stored : {-1, 5}) { // the models are 0 to 4
            const QString name = QStringLiteral("model%1.dat").arg(stored);
            QVERIFY(writeFileBytes(path(name), calendarToBytes(sampleCalendar(stored))));
            QTest::newRow(qPrintable(name)) << QStringList{"verify", tcp, "--calendar", path(name)}
                                            << QString("holds model %1, which is none of the five; give --model").arg(stored);
        }
        QTest::newRow("schedule is a folder") << QStringList{"export", "--calendar", "."} << "cannot be read";
        QTest::newRow("print without OUT") << QStringList{"print"} << "print needs OUT: a .pdf, .png or .svg file, or -";
        QTest::newRow("print to .txt") << QStringList{"print", "hafta.txt"} << "print: 'hafta.txt' does not end in .pdf, .png or .svg";
        QTest::newRow("print over TCP") << QStringList{"print", tcp, "x.pdf"} << "--tcp does not apply to print";
        QTest::newRow("title for export") << QStringList{"export", "--title", "a"} << "--title does not apply to export";
        // An option's value is never the command word.
        QTest::newRow("--only site") << QStringList{"--only", "site"} << "Unknown option 'only'.";
        QTest::newRow("--jobs site") << QStringList{"--jobs", "site"} << "Unknown option 'jobs'.";
        QTest::newRow("--only before site") << QStringList{"--only", "a", "site", "check", "x.toml"}
                                            << "--only does not apply to site check";
        row("export to an empty name", {"export", ""}, "export: the CSV file name is empty; '-' or no name means standard output");
        row("import from an empty name", {"import", ""}, "import: the CSV file name is empty; '-' or no name means standard input");
    }

    void badArgumentsExitWithTwoAndTouchNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QByteArray before = readFileBytes(path("sent.dat"));
        const Run run = zilctl(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.out.isEmpty() && run.err.startsWith("zilctl: ") && run.err.contains(message), qPrintable(run.err));
        QCOMPARE(readFileBytes(path("sent.dat")), before);
    }

    // A text or a page that cannot be written, under a regular file or in a missing folder: exit 5, the old file kept.
    void outputsThatCannotBeWrittenExitWithFive()
    {
        const QByteArray before = readFileBytes(path("sent.dat"));
        for (const QStringList &arguments : {QStringList{"export", "--calendar", "sent.dat", path("sent.dat/hafta.csv")},
                                             QStringList{"print", "--calendar", "sent.dat", path("sent.dat/hafta.pdf")},
                                             QStringList{"print", "--calendar", "sent.dat", path("yok/hafta.png")}}) {
            const Run run = zilctl(arguments);
            QCOMPARE(run.exitCode, 5);
            QVERIFY2(run.err.startsWith("zilctl: " + arguments.last() + " cannot be written: "), qPrintable(run.err));
        }
        QCOMPARE(readFileBytes(path("sent.dat")), before);
    }

    void exportImportKeepsEveryByteAndTheTail()
    {
        const QByteArray tail(622, '\x5A');
        const QByteArray original = calendarToBytes(sampleCalendar(int(DeviceModel::V3Times64))) + tail;
        QVERIFY(writeFileBytes(path("a.dat"), original));
        const Run exported = zilctl({"export", "--calendar", path("a.dat")});
        QVERIFY(exported.exitCode == 0 && exported.out.startsWith("# model: V3  (64 Zaman)\nday,slot,in_use,time,seconds\n"));

        RingCalendar other; // an edited copy, to be put back by the text
        other.DeviceVersion = qint16(DeviceModel::V1);
        QVERIFY(writeFileBytes(path("b.dat"), calendarToBytes(other) + tail));
        const Run imported = zilctl({"import", "--calendar", path("b.dat")}, 0, exported.out.toUtf8());
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(imported.out, path("b.dat") + " written: model V3  (64 Zaman), 448 slots from the text, 0 kept\n");
        QCOMPARE(readFileBytes(path("b.dat")), original);

        // A short or empty file (a window killed at start leaves one) is read as the window reads it.
        for (const int size : {0, 3, 5377}) {
            QVERIFY(writeFileBytes(path("short.dat"), original.left(size)));
            RingCalendar window;
            LoadCalendar(window, path("short.dat"));
            QCOMPARE(zilctl({"export", "--calendar", path("short.dat")}).out, calendarToText(window));
        }

        // A new file: the slots left out are off at 00:00 with 3 seconds.
        QCOMPARE(zilctl({"import", "--calendar", "c.dat", "--model", "V2  (24 zaman)"}, 0, "day,slot,in_use,time,seconds\n").exitCode, 0);
        RingCalendar cleared;
        cleared.DeviceVersion = qint16(DeviceModel::V2Times24);
        cleared.RingDuration.fill(3);
        QCOMPARE(readFileBytes(path("c.dat")), calendarToBytes(cleared));
    }

    void refusedTextWritesNothing()
    {
        const QByteArray original = readFileBytes(path("sent.dat"));
        const Run run = zilctl({"import", "-", "--calendar", "sent.dat"}, 0,
                               "day,slot,in_use,time,seconds\n1,1,1,06:00,3\n\n9,1,1,06:00,3\n1,1,1,07:00,3\n");
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, QStringLiteral("zilctl: the text was refused, nothing was written:\n"
                                         "line 4, day: '9' is not a day from 1 to 7\n"
                                         "line 5: day 1 slot 1 is given again (first on line 2)\n"));
        QCOMPARE(readFileBytes(path("sent.dat")), original);
        QCOMPARE(zilctl({"import", "--calendar", path("new.dat")}, 0, "day,slot,in_use,time,seconds\n").exitCode, 2); // no model anywhere
        QVERIFY(!QFile::exists(path("new.dat")));
    }

    void jsonGivesOneResultObject()
    {
        const Run ok = zilctl({"export", "--json", "--calendar", "sent.dat"});
        const QJsonObject result = QJsonDocument::fromJson(ok.out.toUtf8()).object();
        QCOMPARE(result.value("model").toString(), "V3  (64 Zaman)");
        QVERIFY(result.value("ok").toBool() && result.value("text").toString().endsWith("\n7,64,1,15:09,28\n"));

        const Run refused = zilctl({"send", "--json", "--tcp", "127.0.0.1:99999"});
        const QJsonObject failure = QJsonDocument::fromJson(refused.out.toUtf8()).object();
        QVERIFY(refused.err.isEmpty() && failure.value("exit_code").toInt() == 2);
        QCOMPARE(failure.value("message").toString(), "--tcp: port '99999' is not a number from 1 to 65535");
    }

    void printWritesTheWholePageOrNothing()
    {
        const Run svg = zilctl({"print", "--calendar", path("sent.dat"), "--title", "Güz Dönemi", path("hafta.SVG")});
        QCOMPARE(svg.out, path("hafta.SVG") + " written from " + path("sent.dat") + ": 12 pt, 1 column(s) a day\n");
        QVERIFY(readFileBytes(path("hafta.SVG")).contains("Güz Dönemi"));
        const Run pdf = zilctl({"print", "--calendar", "sent.dat", "--model", "v2-int", "-"});
        QVERIFY(pdf.exitCode == 0 && pdf.err.isEmpty() && pdf.out.startsWith("%PDF") && pdf.out.trimmed().endsWith("%%EOF"));
        QCOMPARE(zilctl({"print", "--json", "--calendar", "sent.dat", "-"}).exitCode, 2); // both want standard output

        // Nothing is left behind where the page does not fit, nor in "yok", where the test before could not write it.
        RingCalendar crowded = sampleCalendar(int(DeviceModel::V3Times64));
        for (int slot = 1; slot <= SlotsPerDay; ++slot)
            crowded.setTimeUsed(1, slot, 1);
        crowded.setRingDuration(1, 1, -32768);
        QVERIFY(writeFileBytes(path("b.dat"), calendarToBytes(crowded)) && writeFileBytes(path("old.pdf"), "last week's page"));
        const Run tooWide = zilctl({"print", "--calendar", path("b.dat"), path("old.pdf")});
        QCOMPARE(tooWide.err, "zilctl: the week does not fit on one page even at 8 pt (64 rings on the longest day, the widest "
                              "'00:00  -32768 sn'); nothing was written\n");
        QCOMPARE(readFileBytes(path("old.pdf")), QByteArray("last week's page"));
        QCOMPARE(QDir(m_dir.path()).entryList({"*.pdf*", "*.SVG*", "yok"}, QDir::AllEntries | QDir::Hidden),
                 (QStringList{"hafta.SVG", "old.pdf"}));
    }

    // Two controllers whose names would share a file, an exam period for the first.
    void sitePrintGivesEachControllerItsWeek()
    {
        QVERIFY(writeFileBytes(path("normal.csv"), "day,slot,in_use,time,seconds\n1,1,1,08:30,3\n2,1,1,08:30,3\n7,1,1,08:30,3\n"));
        QVERIFY(writeFileBytes(path("sinav.csv"), "day,slot,in_use,time,seconds\n2,1,1,10:00,4\n3,1,1,10:00,4\n4,1,1,10:00,4\n"));
        QVERIFY(writeFileBytes(path("site.toml"),
                               "[schedules]\nnormal = \"normal.csv\"\nsinav = \"sinav.csv\"\n"
                               "[[controllers]]\nname = \"Blok A/1\"\ntcp = \"127.0.0.1\"\nmodel = \"v3-64\"\nschedule = \"normal\"\n"
                               "[[controllers]]\nname = \"blok a_1\"\nserial = 1\nmodel = \"v2-24\"\nschedule = \"normal\"\n"
                               "[[periods]]\nname = \"Sınav haftası\"\nfrom = 2027-01-12\nto = 2027-01-13\nschedule = \"sinav\"\n"
                               "controllers = [\"Blok A/1\"]\n"));
        const Run run = zilctl({"site", "print", "--json", "--date=2027-01-11", path("site.toml"), path("pages/new")});
        QCOMPARE(run.exitCode, 0);
        const QJsonArray controllers = QJsonDocument::fromJson(run.out.toUtf8()).object()["controllers"].toArray();
        QCOMPARE(QDir(path("pages/new")).entryList(QDir::Files | QDir::Hidden), (QStringList{"blok a_1-2.pdf", "Blok A_1.pdf"}));
        const QString heads[] = {"V3 (64 Zaman)\nDosya: site.toml Yazdırma tarihi: %1\nZil Kontrol Cihazı: Blok A/1\nHafta: 11 Ocak 2027 "
                                 "Pazartesi – 17 Ocak 2027 Pazar\nDönem: Sınav haftası (Salı, Çarşamba)\n",
                                 "V2 (24 Zaman)\nDosya: site.toml Yazdırma tarihi: %1\nZil Kontrol Cihazı: blok a_1\nHafta: 11 Ocak 2027 "
                                 "Pazartesi – 17 Ocak 2027 Pazar\n\nPazartesi"};
        for (int i = 0; i < 2; ++i) {
            const QString text = poppler("pdftotext", {}, readFileBytes(controllers[i]["page_file"].toString()));
            QVERIFY2(text.contains(heads[i].arg(QLocale(QLocale::Turkish).toString(QDate::currentDate(), "d MMMM yyyy"))),
                     qPrintable(text));
            QCOMPARE(text.count("10:00 4 sn"), qsizetype(i ? 0 : 2)); // the exam rings
            QCOMPARE(text.count("08:30 3 sn"), qsizetype(i ? 3 : 2));
        }

        // An OUTDIR that is a file: nothing written. A refused site file is site status's to pin.
        const Run refused = zilctl({"site", "print", path("site.toml"), path("normal.csv")});
        QVERIFY2(refused.exitCode == 2 && refused.out.isEmpty() && refused.err.contains(" nothing was "), qPrintable(refused.err));
        // A folder where one page would go: that page fails, the other is written.
        QVERIFY(QDir().mkpath(path("pages/dir/Blok A_1.pdf")));
        const Run onePage = zilctl({"site", "print", path("site.toml"), path("pages/dir")});
        QVERIFY2(onePage.exitCode == 5 && onePage.err.endsWith("1 of 2 page(s) written into " + path("pages/dir") + ", the week from " +
                                                               QDate::currentDate().toString(Qt::ISODate) + "\n"),
                 qPrintable(onePage.err));
        QVERIFY(readFileBytes(path("normal.csv")).endsWith("7,1,1,08:30,3\n"));
    }

private:
    // Runs zilctl while this event loop serves the simulator; SIGINT once the simulator has taken
    // `interruptAt` frames. TCP, SERIAL and NAME.dat stand for its links and the test folder's files.
    Run zilctl(QStringList arguments, int interruptAt = 0, const QByteArray &input = {})
    {
        arguments.replaceInStrings(QRegularExpression("^TCP$"), "--tcp=127.0.0.1:" + QString::number(m_simulator.tcpPort()));
        arguments.replaceInStrings(QRegularExpression("^SERIAL$"), "--serial=" + m_simulator.serialDevicePath());
        arguments.replaceInStrings(QRegularExpression("^(\\w+\\.(dat|csv)|\\.)$"), m_dir.path() + "/\\1");
        int frames = 0;
        const ServedRun run = runServed(ZILCTL_PATH, arguments, 60000, input, [&](QProcess &process) {
            connect(&m_simulator, &ControllerSimulator::frameReceived, &process, [&] {
                if (++frames == interruptAt)
                    ::kill(pid_t(process.processId()), SIGINT);
            });
        });
        return {run, frames};
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ControllerSimulator m_simulator;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestZilctl)
#include "tst_zilctl.moc"
