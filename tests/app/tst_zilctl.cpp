#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
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
    void jsonGivesOneResultObject();
    void printWritesTheWholePageOrNothing();
    void sitePrintGivesEachControllerItsWeek();

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
    QTest::newRow("missing schedule") << QStringList{"send", tcp, "--calendar", "none.dat"} << "none.dat does not exist";
    QTest::newRow("schedule is a folder") << QStringList{"export", "--calendar", "."} << "cannot be read";
    QTest::newRow("short schedule") << QStringList{"send", tcp, "--calendar", "short.dat"} << "short.dat is short: 5377 of 5378 bytes";
    QTest::newRow("import over a short file") << QStringList{"import", "text.csv", "--calendar", "short.dat"} << "short.dat is short";
    QTest::newRow("print without OUT") << QStringList{"print"} << "print needs OUT: a .pdf, .png or .svg file, or -";
    QTest::newRow("print to .txt") << QStringList{"print", "hafta.txt"} << "print: 'hafta.txt' does not end in .pdf, .png or .svg";
    QTest::newRow("print, bad model") << QStringList{"print", "--model", "v4", "hafta.pdf"} << "--model: 'v4' is not a model";
    QTest::newRow("print over TCP") << QStringList{"print", tcp, "x.pdf"} << "--tcp does not apply to print";
    QTest::newRow("title for export") << QStringList{"export", "--title", "a"} << "--title does not apply to export";
    QTest::newRow("print a missing schedule") << QStringList{"print", "--calendar", "none.dat", "x.pdf"} << "none.dat does not exist";
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

void TestZilctl::printWritesTheWholePageOrNothing()
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
    QCOMPARE(QDir(m_dir.path()).entryList({"*.pdf*", "*.SVG*", "yok"}, QDir::AllEntries | QDir::Hidden), (QStringList{"hafta.SVG", "old.pdf"}));
}

// Two controllers whose names would share a file, an exam period for the first.
void TestZilctl::sitePrintGivesEachControllerItsWeek()
{
    QVERIFY(writeFileBytes(path("normal.csv"), "day,slot,in_use,time,seconds\n1,1,1,08:30,3\n2,1,1,08:30,3\n3,1,1,08:30,3\n"
                                               "4,1,1,08:30,3\n5,1,1,08:30,3\n6,1,1,08:30,3\n7,1,1,08:30,3\n"));
    QVERIFY(writeFileBytes(path("sinav.csv"), "day,slot,in_use,time,seconds\n2,1,1,10:00,4\n3,1,1,10:00,4\n4,1,1,10:00,4\n"));
    QVERIFY(writeFileBytes(path("site.toml"), "[schedules]\nnormal = \"normal.csv\"\nsinav = \"sinav.csv\"\n"
                                              "[[controllers]]\nname = \"Blok A/1\"\ntcp = \"127.0.0.1\"\nmodel = \"v3-64\"\nschedule = \"normal\"\n"
                                              "[[controllers]]\nname = \"blok a_1\"\nserial = 1\nmodel = \"v2-24\"\nschedule = \"normal\"\n"
                                              "[[periods]]\nname = \"Sınav haftası\"\nfrom = 2027-01-12\nto = 2027-01-13\nschedule = \"sinav\"\n"
                                              "controllers = [\"Blok A/1\"]\n"));
    const Run run = zilctl({"site", "print", "--json", "--date=2027-01-11", path("site.toml"), path("pages/new")});
    QCOMPARE(run.exitCode, 0);
    const QJsonArray controllers = QJsonDocument::fromJson(run.out).object()["controllers"].toArray();
    QCOMPARE(QDir(path("pages/new")).entryList(QDir::Files | QDir::Hidden), (QStringList{"blok a_1-2.pdf", "Blok A_1.pdf"}));
    const struct {
        const char *lines; // under the file's line
        qsizetype exam, normal; // rings at 10:00 and at 08:30
    } pages[] = {{"Cihaz Modeli: V3 (64 Zaman)\nDosya: site.toml Yazdırma tarihi: %1\nZil Kontrol Cihazı: Blok A/1\n"
                  "Hafta: 11 Ocak 2027 Pazartesi – 17 Ocak 2027 Pazar\nDönem: Sınav haftası (Salı, Çarşamba)\n", 2, 5},
                 {"Cihaz Modeli: V2 (24 Zaman)\nDosya: site.toml Yazdırma tarihi: %1\nZil Kontrol Cihazı: blok a_1\n"
                  "Hafta: 11 Ocak 2027 Pazartesi – 17 Ocak 2027 Pazar\n\nPazartesi", 0, 7}};
    for (int i = 0; i < 2; ++i) {
        const QString text = poppler("pdftotext", {}, readFileBytes(controllers[i]["page_file"].toString()));
        QVERIFY2(text.contains(QString(pages[i].lines).arg(QLocale(QLocale::Turkish).toString(QDate::currentDate(), "d MMMM yyyy"))), qPrintable(text));
        QCOMPARE(std::pair(text.count("10:00 4 sn"), text.count("08:30 3 sn")), std::pair(pages[i].exam, pages[i].normal));
    }

    // A bad site file, an OUTDIR that is a file: nothing written.
    QVERIFY(writeFileBytes(path("bad.toml"), "name = 1\n"));
    for (const QStringList &arguments : {QStringList{path("bad.toml"), path("none")}, QStringList{path("site.toml"), path("normal.csv")}}) {
        const Run refused = zilctl(QStringList{"site", "print"} + arguments);
        QVERIFY2(refused.exitCode == 2 && refused.out.isEmpty() && refused.err.contains(" nothing was "), qPrintable(refused.err));
    }
    QVERIFY(!QFile::exists(path("none")));
    QVERIFY(readFileBytes(path("normal.csv")).endsWith("7,1,1,08:30,3\n"));
}

QTEST_GUILESS_MAIN(TestZilctl)
#include "tst_zilctl.moc"
