#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DateTimeValue.h"
#include "schedule/DeviceModel.h"
#include "support/FileBytes.h"
#include "support/Poppler.h"

#include <QJsonArray>
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
    c.DeviceVersion = qint16(DeviceModel::V3Times64);
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
    // The value just inside a range is taken (the missing schedule is then what
    // is refused), the one just outside is refused; a command is its words.
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
        row("clock set as one word, one more", {"clock set", "extra", tcp}, "'clock set' is not a command");
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
        QTest::newRow("schedule is a folder") << QStringList{"export", "--calendar", "."} << "cannot be read";
        QTest::newRow("print without OUT") << QStringList{"print"} << "print needs OUT: a .pdf, .png or .svg file, or -";
        QTest::newRow("print to .txt") << QStringList{"print", "hafta.txt"} << "print: 'hafta.txt' does not end in .pdf, .png or .svg";
        QTest::newRow("print, bad model") << QStringList{"print", "--model", "v4", "hafta.pdf"} << "--model: 'v4' is not a model";
        QTest::newRow("print over TCP") << QStringList{"print", tcp, "x.pdf"} << "--tcp does not apply to print";
        QTest::newRow("title for export") << QStringList{"export", "--title", "a"} << "--title does not apply to export";
        QTest::newRow("print a missing schedule") << QStringList{"print", "--calendar", "none.dat", "x.pdf"} << "none.dat does not exist";
        row("export to an empty name", {"export", ""}, "export: the CSV file name is empty; '-' or no name means standard output");
        row("import from an empty name", {"import", ""}, "import: the CSV file name is empty; '-' or no name means standard input");
    }

    void badArgumentsExitWithTwoAndTouchNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QByteArray shortFile = calendarToBytes(sampleCalendar()).left(CalendarFileSize - 1);
        QVERIFY(writeFileBytes(path("short.dat"), shortFile));
        for (QString &argument : arguments)
            argument.replace(QRegularExpression("^(\\w+\\.(dat|csv)|\\.)$"), m_dir.path() + "/\\1");

        const Run run = zilctl(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith("zilctl: ") && run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(readFileBytes(path("short.dat")), shortFile);
    }

    void exportImportKeepsEveryByteAndTheTail()
    {
        const QByteArray tail(622, '\x5A');
        const QByteArray original = calendarToBytes(sampleCalendar()) + tail;
        QVERIFY(writeFileBytes(path("a.dat"), original));
        const Run exported = zilctl({"export", "--calendar", path("a.dat")});
        QCOMPARE(exported.exitCode, 0);
        QVERIFY(exported.out.startsWith("# model: V3  (64 Zaman)\nday,slot,in_use,time,seconds\n"));

        RingCalendar other; // an edited copy, to be put back by the text
        other.DeviceVersion = qint16(DeviceModel::V1);
        QVERIFY(writeFileBytes(path("b.dat"), calendarToBytes(other) + tail));
        const Run imported = zilctl({"import", "--calendar", path("b.dat")}, exported.out);
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(QString::fromUtf8(imported.out), path("b.dat") + " written: model V3  (64 Zaman), 448 slots from the text, 0 kept\n");
        QCOMPARE(readFileBytes(path("b.dat")), original);

        // A new file: the slots left out are off at 00:00 with 3 seconds.
        QCOMPARE(zilctl({"import", "--calendar", path("c.dat"), "--model", "V2  (24 zaman)"}, "day,slot,in_use,time,seconds\n").exitCode,
                 0);
        RingCalendar cleared;
        cleared.DeviceVersion = qint16(DeviceModel::V2Times24);
        cleared.RingDuration.fill(3);
        QCOMPARE(readFileBytes(path("c.dat")), calendarToBytes(cleared));
    }

    void refusedTextWritesNothing()
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

    // A window killed at start leaves empty files: zilctl reads a short one as the
    // window does, the missing bytes at their defaults.
    void shortAndEmptyFilesReadAsTheWindowDoes()
    {
        const QByteArray whole = calendarToBytes(sampleCalendar());
        for (const int size : {0, 1, 3, 1000, int(CalendarFileSize) - 1}) {
            QVERIFY(writeFileBytes(path("short.dat"), whole.left(size)));
            RingCalendar window;
            LoadCalendar(window, path("short.dat"));
            QCOMPARE(QString::fromUtf8(zilctl({"export", "--calendar", path("short.dat")}).out), calendarToText(window));
        }
    }

    void jsonGivesOneResultObject()
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

    void printWritesTheWholePageOrNothing()
    {
        QVERIFY(writeFileBytes(path("a.dat"), calendarToBytes(sampleCalendar())));
        const Run svg = zilctl({"print", "--calendar", path("a.dat"), "--title", "Güz Dönemi", path("hafta.SVG")});
        QCOMPARE(QString::fromUtf8(svg.out), path("hafta.SVG") + " written from " + path("a.dat") + ": 12 pt, 1 column(s) a day\n");
        QVERIFY(readFileBytes(path("hafta.SVG")).contains("Güz Dönemi"));
        const Run pdf = zilctl({"print", "--calendar", path("a.dat"), "--model", "v2-int", "-"});
        QVERIFY(pdf.exitCode == 0 && pdf.err.isEmpty() && pdf.out.startsWith("%PDF") && pdf.out.trimmed().endsWith("%%EOF"));
        QCOMPARE(zilctl({"print", "--json", "--calendar", path("a.dat"), "-"}).exitCode, 2); // both want standard output

        // Nothing is left behind where the page cannot go, or does not fit.
        const Run nowhere = zilctl({"print", "--calendar", path("a.dat"), path("yok/hafta.png")});
        QVERIFY2(nowhere.exitCode == 2 && nowhere.err.startsWith("zilctl: " + path("yok/hafta.png") + " cannot be written: "),
                 qPrintable(nowhere.err));
        RingCalendar crowded = sampleCalendar();
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
        const QJsonArray controllers = QJsonDocument::fromJson(run.out).object()["controllers"].toArray();
        QCOMPARE(QDir(path("pages/new")).entryList(QDir::Files | QDir::Hidden), (QStringList{"blok a_1-2.pdf", "Blok A_1.pdf"}));
        // Under each page's model and file: the controller, the week, the period and its days.
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

        // A bad site file, an OUTDIR that is a file: nothing written.
        QVERIFY(writeFileBytes(path("bad.toml"), "name = 1\n"));
        for (const QStringList &arguments :
             {QStringList{path("bad.toml"), path("none")}, QStringList{path("site.toml"), path("normal.csv")}}) {
            const Run refused = zilctl(QStringList{"site", "print"} + arguments);
            QVERIFY2(refused.exitCode == 2 && refused.out.isEmpty() && refused.err.contains(" nothing was "), qPrintable(refused.err));
        }
        QVERIFY(!QFile::exists(path("none")));
        QVERIFY(readFileBytes(path("normal.csv")).endsWith("7,1,1,08:30,3\n"));
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestZilctl)
#include "tst_zilctl.moc"
