// The site file and the plan on fake dates, without processes or links.
#include "schedule/DateTimeValue.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "sitecmd/OpenMetricsFile.h"
#include "sitecmd/SitePlanText.h"
#include "sitecmd/SiteReport.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Two controllers; "normal" rings slot 1 at 08:30 on every day, "sinav" at 10:00.
const QByteArray SiteHead = "[schedules]\nnormal = \"normal.csv\"\nsinav = \"sinav.csv\"\n"
                            "[[controllers]]\nname = \"a\"\ntcp = \"127.0.0.1:5601\"\nmodel = \"v3-64\"\nschedule = \"normal\"\n"
                            "[[controllers]]\nname = \"b\"\nserial = \"/dev/null\"\nmodel = \"v2-24\"\nschedule = \"normal\"\n";
QByteArray everyDay(const char *time)
{
    QByteArray text = "day,slot,in_use,time,seconds\n";
    for (int day = 1; day <= 7; ++day)
        text += QByteArray::number(day) + ",1,1," + time + ",3\n";
    return text;
}
} // namespace

class TestSitePlan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFileBytes(path("normal.csv"), everyDay("08:30")));
        QVERIFY(writeFileBytes(path("sinav.csv"), everyDay("10:00")));
        QVERIFY(QDir(m_dir.path()).mkpath("folder.csv"));
        QVERIFY(QFile::link("/dev/null", path("nul")));
    }

    void weekAhead_data()
    {
        QTest::addColumn<QByteArray>("periods");
        QTest::addColumn<QString>("controller");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("week"); // Monday to Sunday, each day's schedule: n normal, s sinav, o off
        const auto row = [](const char *name, const QByteArray &periods, const char *controller, QDate date, const char *week) {
            QTest::newRow(name) << periods << QString(controller) << date << QString(week);
        };
        const auto period = [](const QByteArray &dates, const char *schedule) {
            return "[[periods]]\nname = \"" + QByteArray(dates).replace('\n', ' ') + "\"\n" + dates + "\nschedule = \"" + schedule + "\"\n";
        };
        const QByteArray wednesday = period("date = 2027-01-13", "off");
        // 2027-01-07 is a Thursday: the Wednesday of the week ahead is the 13th.
        row("holiday mid-week, a week ahead", wednesday, "a", QDate(2027, 1, 7), "nnonnnn");
        row("holiday mid-week, today", wednesday, "b", QDate(2027, 1, 13), "nnonnnn");
        row("holiday just past", wednesday, "a", QDate(2027, 1, 14), "nnnnnnn");
        const QByteArray exam = period("from = 2027-01-11\nto = 2027-01-15", "sinav");
        const QByteArray dayOff = period("from = 2027-01-12\nto = 2027-01-13", "off");
        row("overlap, the later wins", exam + dayOff, "a", QDate(2027, 1, 11), "soossnn");
        row("overlap, other order", dayOff + exam, "a", QDate(2027, 1, 11), "sssssnn");
        row("period for a only: a", exam + "controllers = [\"a\"]\n", "a", QDate(2027, 1, 11), "sssssnn");
        row("period for a only: b", exam + "controllers = [\"a\"]\n", "b", QDate(2027, 1, 11), "nnnnnnn");
        // 2026-12-29 is a Tuesday: its week ahead runs to Monday 2027-01-04; the 31st is a Thursday.
        row("turn of the year", period("from = 2026-12-31\nto = 2027-01-01", "off"), "b", QDate(2026, 12, 29), "nnnoonn");
        // Ends on Monday the 11th, the last day of the week ahead of Tuesday the 5th.
        const QByteArray endsMonday = period("from = 2027-01-09\nto = 2027-01-11", "off");
        row("ends on the last day ahead", endsMonday, "a", QDate(2027, 1, 5), "onnnnoo");
        row("ends a day after the week ahead", endsMonday, "a", QDate(2027, 1, 4), "nnnnnoo");
    }

    void weekAhead()
    {
        QFETCH(QByteArray, periods);
        QFETCH(QString, controller);
        QFETCH(QDate, date);
        QFETCH(QString, week);
        const SiteReading reading = read(SiteHead + periods);
        QVERIFY2(reading.site, qPrintable(reading.problems.value(0).toString()));
        const SiteController &c = *reading.site->controller(controller);
        const PlannedWeek planned = plannedWeek(*reading.site, c, date);
        QCOMPARE(planned.calendar.DeviceVersion, qint16(c.model));
        QCOMPARE(planned.today.date, date);
        for (int weekday = 1; weekday <= 7; ++weekday) {
            const PlannedDay &day = planned.days[size_t(weekday - 1)];
            QVERIFY(day.date.dayOfWeek() == weekday && day.date >= date && day.date < date.addDays(7));
            QCOMPARE(day.schedule.left(1), week.mid(weekday - 1, 1));
            const bool off = day.schedule == "off";
            QCOMPARE(planned.calendar.timeUsed(weekday, 1), qint16(off ? 0 : 1));
            QCOMPARE(planned.calendar.ringTime(weekday, 1), off ? 0.0 : day.schedule == "sinav" ? timeValue(10, 0) : timeValue(8, 30));
            QCOMPARE(planned.calendar.timeUsed(weekday, 2), qint16(0)); // slots no text gives are off
        }
    }

    void nextChangeAndTexts()
    {
        const SiteReading reading = read(SiteHead + "[[periods]]\nname = \"Sınav\"\nfrom = 2027-01-11\nto = 2027-01-12\n"
                                                    "schedule = \"sinav\"\ncontrollers = [\"a\"]\n");
        QVERIFY(reading.site);
        const Site &site = *reading.site;
        const PlannedDay next = nextChange(site, site.controllers[0], QDate(2027, 1, 1));
        QCOMPARE(next.date, QDate(2027, 1, 11));
        QCOMPARE(next.period, "Sınav");
        QCOMPARE(nextChange(site, site.controllers[0], QDate(2027, 1, 11)).date, QDate(2027, 1, 13)); // back to normal
        QVERIFY(!nextChange(site, site.controllers[1], QDate(2027, 1, 1)).date.isValid());

        const QStringList plan = sitePlanText(site, QDate(2027, 1, 10), 3).split(u'\n');
        QCOMPARE(plan.mid(0, 3), QStringList({"date                  a       b", "2027-01-10 Pazar      normal  normal",
                                              "2027-01-11 Pazartesi  Sınav   normal"}));
        QVERIFY(plan.contains("  Pazartesi  2027-01-11  sinav (Sınav)"));
        QVERIFY(siteCheckText(site, QDate(2027, 1, 1)).contains("2027-01-11 sinav (Sınav)"));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem"); // "FILE:LINE[:COLUMN]: the start of its message"; FILE is site.toml where not given
        const auto row = [](const char *name, const QByteArray &text, const QString &problem) {
            QTest::newRow(name) << text << (problem.startsWith(u':') ? "site.toml" + problem : problem);
        };

        const QByteArray controller = "[[controllers]]\nname = \"a\"\ntcp = \"127.0.0.1\"\nmodel = \"v1\"\nschedule = \"off\"\n";
        const QByteArray period = controller + "[[periods]]\nname = \"p\"\n";
        const auto edit = [&](const char *from, const char *to) { return QByteArray(controller).replace(from, to); };
        row("syntax", "name = \"x\n", ":1:");
        row("unknown key", controller + "colour = 1\n", ":6:1: unknown key 'colour' in a controller");
        row("no controller", "name = \"x\"\n", ":1:1: the site names no controller");
        row("no schedule", "[[controllers]]\nname = \"a\"\ntcp = \"h\"\nmodel = \"v1\"\n", ":1:1: controller \"a\" has no 'schedule'");
        row("unknown schedule", edit("\"off\"", "\"tatil\""), ":5:12: controller \"a\" names schedule \"tatil\"");
        row("named twice", controller + edit("127.0.0.1", "127.0.0.1:5601"), ":7:8: controller \"a\" is named twice");
        const QByteArray named = edit("\"a\"", "\"b\"");
        row("schedule \"\"", edit("\"off\"", "\"\""), ":5:12: 'schedule' of controller \"a\" is empty");
        row("schedule \"\" with a period", edit("\"off\"", "\"\"") + "[[periods]]\nname = \"p\"\ndate = 2027-01-01\nschedule = \"off\"\n",
            ":5:12: 'schedule' of controller \"a\" is empty");
        row("period schedule \"\"", period + "date = 2027-01-01\nschedule = \"\"\n", ":9:12: 'schedule' of period \"p\" is empty");
        row("two named \"\"", edit("\"a\"", "\"\"") + edit("\"a\"", "\"\"").replace(".1\"", ".2\""),
            ":2:8: a controller's 'name' is empty");
        // One link however it is written: the port map, the device's own path, the address and the port.
        const auto twice = [&](const char *name, const char *a, const QByteArray &b, const char *link) {
            row(name, edit("tcp = \"127.0.0.1\"", a) + QByteArray(named).replace("tcp = \"127.0.0.1\"", b),
                ":6:1: controller \"b\" has the link of controller \"a\" (" + QString(link) + ')');
        };
        twice("one link twice", "tcp = \"127.0.0.1\"", "tcp = \"127.0.0.1:5600\"", "tcp 127.0.0.1");
        twice("serial 1 and its device", "serial = 1", "serial = \"/dev/../dev/ttyS0\"", "serial 1");
        twice("serial through a link", "serial = \"/dev/null\"", "serial = \"" + path("nul").toUtf8() + '"', "serial /dev/null");
        twice("[::1] and [0::1]:5600", "tcp = \"[::1]\"", "tcp = \"[0::1]:5600\"", "tcp [::1]");
        twice("IPv4 and IPv4 in IPv6", "tcp = \"127.0.0.1\"", "tcp = \"[::ffff:127.0.0.1]\"", "tcp 127.0.0.1");
        row("IPv6 with a NUL", edit("127.0.0.1", "::1\\u0000"), ":3:7: 'tcp' of controller \"a\": --tcp: '::1");
        // What the TOML reader would fail on, refused before it reads.
        row("non-ASCII bare key", "\xc5\x9f = 1\n", ":1:1: 'ş' stands outside quotes");
        row("table header without a name", "[=\n", ":1:2: a table header needs a name");
        row("date, blank, one digit", "m=2027-02-01 1\n", ":1:3: a date and a time are written");
        row("'}' for a value in an array", "a = [1, }\n", ":1:9: '}' stands where the array wants a value");
        row("non-ASCII after a backslash ends a line", "name = \"\"\"a \\\n  \xc5\x9f\"\"\"\n",
            ":2:3: 'ş' begins a line that a backslash continues: write it as \\u015F");
        row("unknown in a period", period + "date = 2027-01-01\nschedule = \"off\"\ncontrollers = [\"a\", \"c\"]\n",
            ":10:21: period \"p\" names controller \"c\"");
        row("tcp and serial", controller + "serial = 2\n", ":1:1: controller \"a\" needs one of 'tcp' and 'serial', not both");
        row("neither", edit("tcp = \"127.0.0.1\"\n", ""), ":1:1: controller \"a\" needs one of 'tcp' and 'serial', not neither");
        row("bad port", edit("127.0.0.1", "127.0.0.1:70000"), ":3:7: 'tcp' of controller \"a\":");
        row("serial port 17", edit("tcp = \"127.0.0.1\"", "serial = 17"), ":3:10: 'serial' of controller \"a\": 17");
        row("bad model", edit("v1", "v4"), ":4:9: 'v4' is not a model");
        row("2027-02-30", period + "date = 2027-02-30\nschedule = \"off\"\n", ":8:");
        row("date in quotes", period + "date = \"2027-02-03\"\nschedule = \"off\"\n", ":8:8: 'date' of period \"p\" is not a date");
        row("to before from", period + "from = 2027-02-03\nto = 2027-02-01\nschedule = \"off\"\n",
            ":9:6: period \"p\" ends (2027-02-01) before it begins (2027-02-03)");
        row("date and from", period + "from = 2027-02-03\ndate = 2027-02-04\nschedule = \"off\"\n",
            ":9:8: period \"p\" gives 'date' together with 'from'/'to'");
        row("off redefined", "[schedules]\noff = \"normal.csv\"\n" + controller, ":2:1: schedule \"off\" always exists");
        row("text refused", "[schedules]\nbozuk = \"bozuk.csv\"\n" + controller, "bozuk.csv:3: schedule \"bozuk\": day: '8' is not a day");
        row("slot not carried", "[schedules]\notuz = \"otuz.csv\"\n" + edit("\"off\"", "\"otuz\""),
            "otuz.csv:2: schedule \"otuz\" rings on day 1 in slot 30, but controller \"a\" (V1) carries slots 1-24");
        row("text is a folder", "[schedules]\nf = \"folder.csv\"\n" + controller, ":2:5: schedule \"f\": ");
        QByteArray noise(4096, '\0');
        QRandomGenerator(14).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        row("random bytes", noise, ":");
        row("huge", QByteArray(LargestSiteFile + 1, '#'), ": is larger than");
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QVERIFY(writeFileBytes(path("bozuk.csv"), "# bozuk\nday,slot,in_use,time,seconds\n8,1,1,08:00,3\n"));
        QVERIFY(writeFileBytes(path("otuz.csv"), "day,slot,in_use,time,seconds\n1,30,1,08:00,3\n1,31,0,08:00,3\n"));
        const SiteReading reading = read(text);
        QVERIFY(!reading.site);
        const QString first = reading.problems.value(0).toString().remove(m_dir.path() + '/');
        QVERIFY2(first.startsWith(problem) && !problem.isEmpty(), qPrintable(first));
    }

    // A file with a fault in every part names each, in the order of the file.
    void everyProblemAtOnce()
    {
        const SiteReading reading =
            read("nme = 1\n[schedules]\nn = \"yok.csv\"\n[[controllers]]\nname = \"a\"\nmodel = \"v9\"\nschedule = \"n\"\n"
                 "[[periods]]\nname = \"p\"\nfrom = 2027-01-02\nto = 2027-01-01\nschedule = \"x\"\n");
        QStringList lines;
        for (const SiteProblem &p : reading.problems)
            lines << p.where.toString().remove(m_dir.path() + '/');
        QCOMPARE(lines,
                 QStringList({"site.toml:1:1", "site.toml:4:1", "site.toml:6:9", "site.toml:11:6", "site.toml:12:12", "site.toml:3:5"}));
    }

    // The README shows the installed example as it is, and what it says of it holds.
    void readmeSchool()
    {
        const QString example = ZIL_SOURCE_DIR "/packaging/examples/site.toml";
        const QString readme = QString::fromUtf8(readFileBytes(ZIL_SOURCE_DIR "/README.md"));
        const qsizetype section = readme.indexOf("\n## A year of bells\n");
        const qsizetype begin = readme.indexOf("```toml\n", section) + 8;
        QVERIFY(section > 0 && begin > section);
        QCOMPARE(readme.mid(begin, readme.indexOf("```\n", begin) - begin), QString::fromUtf8(readFileBytes(example)));

        const SiteReading reading = readSiteFile(example);
        QVERIFY2(reading.site, qPrintable(reading.problems.value(0).toString()));
        const Site &site = *reading.site;
        QCOMPARE(site.controllers.size(), 3);
        const SiteController &a = site.controllers[0], &gym = site.controllers[2];
        QCOMPARE(plannedWeek(site, a, QDate(2026, 10, 22)).days[2].schedule, "yarim"); // the 28th
        QCOMPARE(plannedWeek(site, a, QDate(2026, 10, 23)).days[3].schedule, "off");   // the 29th
        QCOMPARE(plannedDay(site, a, QDate(2027, 1, 12)).schedule, "sinav");
        QCOMPARE(plannedDay(site, gym, QDate(2027, 1, 12)).schedule, "normal");
    }

    // A file cut anywhere (an editor's save, a full disk) is refused or read, never more.
    void everyPrefixIsReadOrRefused()
    {
        const QByteArray whole = readFileBytes(ZIL_SOURCE_DIR "/packaging/examples/site.toml");
        QVERIFY(!whole.isEmpty());
        for (qsizetype size = 0; size < whole.size(); size += 3) {
            const SiteReading reading = readSiteText(whole.left(size), ZIL_SOURCE_DIR "/packaging/examples/cut.toml");
            QVERIFY(reading.site.has_value() != !reading.problems.isEmpty());
            for (const SiteProblem &p : reading.problems) // each with its place in the cut file
                QVERIFY2(p.where.file.endsWith("cut.toml") && p.where.line > 0 && p.where.column > 0, qPrintable(p.toString()));
        }
    }

    void verdicts_data()
    {
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("differences");
        QTest::addColumn<int>("offset"); // 99999: the controller's clock makes no date
        QTest::addColumn<int>("exitCode");
        QTest::newRow("in plan, 30 s off") << false << 0 << -30 << 0;
        QTest::newRow("in plan, 31 s off") << false << 0 << 31 << 4;
        QTest::newRow("clock makes no date") << false << 0 << 99999 << 4;
        QTest::newRow("one slot differs") << false << 1 << 0 << 4;
        QTest::newRow("schedule not read") << false << -1 << 0 << 1;
        QTest::newRow("send refused") << true << 0 << 0 << 1;
    }

    void verdicts()
    {
        QFETCH(bool, failed);
        QFETCH(int, differences);
        QFETCH(int, offset);
        QFETCH(int, exitCode);
        ControllerOutcome o{
            .reached = true, .action = failed ? ControllerOutcome::Action::Failed : ControllerOutcome::Action::None, .clockRead = true};
        if (differences >= 0)
            o.differences = differences;
        if (offset != 99999)
            o.clockOffsetSeconds = offset;
        QCOMPARE(exitStatus(controllerExitCode(o, 30)), exitCode);
        const QByteArray metrics = openMetricsText({o}, 30);
        QVERIFY(metrics.contains("\nzil_in_plan{controller=\"\"} " + QByteArray(exitCode == 0 ? "1" : "0") + '\n'));
        QCOMPARE(metrics.contains("\nzil_differing_slots{"), differences >= 0); // no sample for what was not read
        QCOMPARE(metrics.contains("\nzil_clock_offset_seconds{"), offset != 99999);
    }

    void metricsAndReport()
    {
        ControllerOutcome odd{.name = "blok \"a\"\\1", .reached = true, .differences = 0, .clockRead = true, .clockOffsetSeconds = -3};
        const ControllerOutcome unread{.name = "b", .action = ControllerOutcome::Action::Failed};
        const QByteArray metrics = openMetricsText({odd, unread}, 30);
        QVERIFY(metrics.contains("\nzil_clock_offset_seconds{controller=\"blok \\\"a\\\"\\\\1\"} -3\n"));

        // A difference after a failure keeps the failure; zilctl site pins the other totals.
        ControllerOutcome differing = odd, dateless = odd;
        differing.differences = 2;
        dateless.clockOffsetSeconds.reset(); // a clock that answered with no date is off by any measure
        const CommandResult report = siteWorkReport(Site(), "status", {{unread, odd, odd, differing, dateless}, false});
        QCOMPARE(report.exitCode, ExitCode::DeviceFailed);
        QVERIFY(report.output.contains("blok \"a\"\\1 (, ): reached, 2 slot(s) differ from the plan, clock -3 s\n"));
        QVERIFY(report.output.contains("(, ): reached, in plan, clock makes no date (off by more than 30 s)\n"));
        QCOMPARE(report.message,
                 "5 controller(s): 2 in plan and on time, 2 holding another week or off in time, 1 not read or not written");
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    SiteReading read(const QByteArray &text)
    {
        return writeFileBytes(path("site.toml"), text) ? readSiteFile(path("site.toml")) : SiteReading{};
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSitePlan)
#include "tst_site_plan.moc"
