// Periods read from iCalendar files, and the plan written as one, read back with libical and with Python's icalendar.
#include "site/CalendarPeriods.h"
#include "site/PlanCalendar.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "support/FileBytes.h"
#include "support/ServedRun.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <libical/ical.h>

namespace {

// The school years around December 2026: 2025-09-01 to 2028-08-31.
const DateSpan Window = schoolYearsAround(QDate(2026, 12, 1), QDate(2026, 12, 1));
const QTimeZone Istanbul("Europe/Istanbul");

// A calendar of the given event lines, CRLF ended as the RFC wants.
QByteArray calendar(const QByteArray &body)
{
    QByteArray text = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//test//TR\n" + body + "END:VCALENDAR\n";
    return text.replace("\n", "\r\n");
}

QByteArray vevent(const QByteArray &lines)
{
    return "BEGIN:VEVENT\nUID:" + QByteArray::number(qHash(lines)) + "\n" + lines + "END:VEVENT\n";
}

// "name from..to" for each occurrence, ";" between.
QString eventsText(const QList<CalendarEvent> &events)
{
    QStringList parts;
    for (const CalendarEvent &e : events)
        parts << QStringLiteral("%1 %2..%3").arg(e.name, e.from.toString("MM-dd"), e.to.toString("MM-dd"));
    return parts.join(u';');
}

const QByteArray SiteText = "name = \"Okul\"\ntimezone = \"Europe/Istanbul\"\n[schedules]\nnormal = \"normal.csv\"\nsinav = \"sinav.csv\"\n"
                            "[[controllers]]\nname = \"a\"\ntcp = \"127.0.0.1:5601\"\nmodel = \"v3-64\"\nschedule = \"normal\"\n"
                            "[[controllers]]\nname = \"b\"\ntcp = \"127.0.0.1:5602\"\nmodel = \"v3-64\"\nschedule = \"normal\"\n";
const QByteArray Exams = "[[periods]]\nname = \"Sınav\"\nfrom = 2027-01-11\nto = 2027-01-15\nschedule = \"sinav\"\n";
const QByteArray Tatiller = "[[periods]]\nname = \"Tatiller\"\nics = \"tatil.ics\"\nschedule = \"off\"\n";
const QByteArray Holidays = calendar(vevent("DTSTART;VALUE=DATE:20270113\nDTEND;VALUE=DATE:20270115\nSUMMARY:Kar tatili\n") +
                                     vevent("DTSTART;VALUE=DATE:20270423\nSUMMARY:23 Nisan\n"));

// A row of a calendar or site text and the problem (or days) it gives.
void textRow(const char *name, const QByteArray &text, const char *expected)
{
    QTest::newRow(name) << text << QString(expected);
}
} // namespace

class TestSiteCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *text : {"normal.csv", "sinav.csv"})
            QVERIFY(writeFileBytes(path(text), "day,slot,in_use,time,seconds\n1,1,1,08:30,3\n"));
        QVERIFY(writeFileBytes(path("tatil.ics"), Holidays));
    }

    void eventsGiveDates_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("events");
        const auto row = [](const char *name, const QByteArray &body, const char *events, const char *zone = "Europe/Istanbul") {
            QTest::newRow(name) << calendar(body) << QString(zone) << QString(events);
        };
        row("weekly, one week excepted, one date added",
            vevent("DTSTART;VALUE=DATE:20270104\nRRULE:FREQ=WEEKLY;COUNT=4\nEXDATE;VALUE=DATE:20270111\nRDATE;VALUE=DATE:20270120\n"
                   "SUMMARY:Kulüp\n"),
            "Kulüp 01-04..01-04;Kulüp 01-18..01-18;Kulüp 01-20..01-20;Kulüp 01-25..01-25");
        row("several days, DTEND excluded", vevent("DTSTART;VALUE=DATE:20270309\nDTEND;VALUE=DATE:20270313\nSUMMARY:Bayram\n"),
            "Bayram 03-09..03-12");
        // 22:00 to 02:00 in the file's own zone, named only there.
        const QByteArray vtimezone = "BEGIN:VTIMEZONE\nTZID:Okul saati\nBEGIN:STANDARD\nDTSTART:19700101T000000\nTZOFFSETFROM:+0300\n"
                                     "TZOFFSETTO:+0300\nEND:STANDARD\nEND:VTIMEZONE\n";
        const QByteArray night = vtimezone + vevent("DTSTART;TZID=Okul saati:20261028T220000\nDTEND;TZID=Okul saati:20261029T020000\n"
                                                    "SUMMARY:Gece nöbeti\n");
        row("across midnight, zone from the file", night, "Gece nöbeti 10-28..10-29");
        row("across midnight, seen from UTC", night, "Gece nöbeti 10-28..10-28", "UTC"); // 19:00 to 23:00
        row("UTC times on the site's dates", vevent("DTSTART:20261028T213000Z\nDURATION:PT1H\nSUMMARY:Tören\n"), "Tören 10-29..10-29");
        row("ending at midnight touches no more",
            vevent("DTSTART;TZID=Europe/Istanbul:20261030T200000\nDTEND;TZID=Europe/Istanbul:20261031T000000\nSUMMARY:Gala\n"),
            "Gala 10-30..10-30");
        row("cancelled and transparent ring as usual",
            vevent("DTSTART;VALUE=DATE:20270101\nSTATUS:CANCELLED\nSUMMARY:İptal\n") +
                vevent("DTSTART;VALUE=DATE:20270102\nTRANSP:TRANSPARENT\nSUMMARY:Boş\n") +
                vevent("DTSTART;VALUE=DATE:20270103\nSUMMARY:Var\n"),
            "Var 01-03..01-03");
        row("an instance of a series cancelled",
            "BEGIN:VEVENT\nUID:s\nDTSTART;VALUE=DATE:20270104\nRRULE:FREQ=DAILY;COUNT=3\nSUMMARY:Sınav\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:s\nRECURRENCE-ID;VALUE=DATE:20270105\nDTSTART;VALUE=DATE:20270105\nSTATUS:CANCELLED\nSUMMARY:Sınav\n"
            "END:VEVENT\n",
            "Sınav 01-04..01-04;Sınav 01-06..01-06");
        // Folded inside the two bytes of "Ç"; the calendar is CRLF ended.
        row("folded lines", vevent("DTSTART;VALUE=DATE:20270423\nSUMMARY:Ulusal Egemenlik ve \xC3\n \x87ocuk\n\t Bayramı\n"),
            "Ulusal Egemenlik ve Çocuk Bayramı 04-23..04-23");
        row("a rule without end, within the window only", vevent("DTSTART;VALUE=DATE:20201029\nRRULE:FREQ=YEARLY\nSUMMARY:C\n"),
            "C 10-29..10-29;C 10-29..10-29;C 10-29..10-29");
    }

    void eventsGiveDates()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, zone);
        QFETCH(QString, events);
        for (const QByteArray &ends : {QByteArray("\r\n"), QByteArray("\n")}) {
            const CalendarReading reading =
                readCalendarText(QByteArray(text).replace("\r\n", ends), "x.ics", QTimeZone(zone.toUtf8()), Window);
            QVERIFY2(reading.problems.isEmpty(), qPrintable(reading.problems.value(0).toString()));
            QCOMPARE(eventsText(reading.events), events);
        }
    }

    void refusedCalendars_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        textRow("empty", "", "x.ics: is no iCalendar file");
        textRow("no VEVENT", calendar(""), "x.ics: holds no event (VEVENT)");
        textRow("NUL byte", QByteArray("BEGIN:VCALENDAR\r\nX\0Y\r\n", 22), "x.ics:2: holds a NUL byte");
        textRow("DTSTART no date", calendar(vevent("DTSTART;VALUE=DATE:2027XX01\nSUMMARY:a\n")), "x.ics:6: Can't parse as DATE value");
        textRow("a line of no property", calendar(vevent("SUMMARY:a\nhello there\nDTSTART:20270101T100000\n")),
                "x.ics:7: Got a data line, but could not find a property name");
        textRow("cut before its end", calendar(vevent("SUMMARY:a\nDTSTART;VALUE=DATE:20270101\n")).chopped(27),
                "x.ics:7: ends before its END:");
        textRow("no SUMMARY", calendar(vevent("DTSTART;VALUE=DATE:20270101\n")), "x.ics:4: the event has no SUMMARY");
        textRow("ends before it begins", calendar(vevent("DTSTART;VALUE=DATE:20270105\nDTEND;VALUE=DATE:20270101\nSUMMARY:a\n")),
                "x.ics:4: event \"a\" ends before it begins");
        textRow("unknown zone", calendar(vevent("DTSTART;TZID=Mars/Olympus:20270105T100000\nSUMMARY:a\n")),
                "x.ics:4: event \"a\": DTSTART names a time zone");
        textRow("every second", calendar(vevent("DTSTART:20270105T100000Z\nRRULE:FREQ=SECONDLY\nSUMMARY:a\n")),
                "x.ics:4: event \"a\" repeats more than 100000 times before 2028-08-31");
        textRow("bad rule", calendar(vevent("DTSTART;VALUE=DATE:20270105\nRRULE:FREQ=SOMETIMES\nSUMMARY:a\n")),
                "x.ics:7: Can't parse as RECUR value");
        textRow("no calendar", "BEGIN:VEVENT\r\nSUMMARY:a\r\nEND:VEVENT\r\n", "x.ics: is no iCalendar file");
    }

    void refusedCalendars()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        const CalendarReading reading = readCalendarText(text, "x.ics", Istanbul, Window);
        QVERIFY(reading.events.isEmpty());
        QVERIFY2(!reading.problems.isEmpty() && reading.problems[0].toString().startsWith(problem),
                 qPrintable(reading.problems.value(0).toString()));
    }

    // The events take the entry's place: the last period still wins.
    void calendarPeriodsInTheSite_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected"); // a's days from 2027-01-11 to 01-15 (n normal, s sinav, o off), or the first problem
        textRow("calendar last", SiteText + Exams + Tatiller, "ssoos");
        textRow("calendar first", SiteText + Tatiller + Exams, "sssss");
        textRow("for b only", SiteText + Exams + Tatiller + "controllers = [\"b\"]\n", "sssss");
        textRow("missing file", SiteText + QByteArray(Tatiller).replace("tatil", "yok"), "site.toml:16:1: period \"Tatiller\": ");
        textRow("a folder", SiteText + QByteArray(Tatiller).replace("tatil.ics", "."), "is a folder, not a calendar file");
        textRow("with dates", SiteText + Tatiller + "date = 2027-01-01\n",
                "site.toml:20:8: period \"Tatiller\" takes its dates from 'ics'");
        textRow("empty name", SiteText + QByteArray(Tatiller).replace("tatil.ics", ""), "site.toml:18:7: 'ics' of period");
        textRow("bad zone", QByteArray(SiteText).replace("Europe/Istanbul", "Europe/Nowhere"), "site.toml:2:12: 'Europe/Nowhere' is not");
    }

    void calendarPeriodsInTheSite()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QVERIFY(writeFileBytes(path("site.toml"), text));
        const SiteReading reading = readSiteFile(path("site.toml"), Window);
        QString planned = reading.problems.value(0).toString();
        for (QDate d(2027, 1, 11); reading.site && d <= QDate(2027, 1, 15); d = d.addDays(1))
            planned += plannedDay(*reading.site, reading.site->controllers[0], d).schedule.at(0);
        QVERIFY2(planned.contains(expected) && reading.site.has_value() == (expected.size() == 5), qPrintable(planned));
        QVERIFY(!reading.site || std::any_of(reading.site->periods.cbegin(), reading.site->periods.cend(), [&](const SitePeriod &p) {
            return p.name == "Kar tatili" && p.calendarFile == path("tatil.ics");
        }));
    }

    // The written calendar read back by libical, by the program's own reader and by Python's icalendar: the same runs and UIDs.
    void writtenCalendarReadsBack()
    {
        QVERIFY(writeFileBytes(path("site.toml"), SiteText + Exams + "controllers = [\"a\"]\n" + Tatiller));
        const SiteReading reading = readSiteFile(path("site.toml"), Window);
        QVERIFY2(reading.site, qPrintable(reading.problems.value(0).toString()));
        const QList<PlanRun> runs = planRuns(*reading.site, QDate(2026, 9, 1), QDate(2027, 8, 31));
        QStringList expected;
        for (const PlanRun &run : runs)
            expected << QStringList{run.uid, run.summary(), run.from.toString(Qt::ISODate), run.to.toString(Qt::ISODate)}.join(u'|');
        QCOMPARE(QStringList(expected).replaceInStrings(QRegularExpression("^\\w{32}@[^|]+\\|"), "").join(u';'),
                 "Sınav – sinav|2027-01-11|2027-01-12;Kar tatili – Zil yok|2027-01-13|2027-01-14;"
                 "Sınav – sinav|2027-01-15|2027-01-15;23 Nisan – Zil yok|2027-04-23|2027-04-23");
        QCOMPARE(runs[1].controllers, QStringList({"a", "b"}));
        QCOMPARE(planRuns(*reading.site, QDate(2026, 9, 1), QDate(2027, 8, 31), "b").size(), 2);

        const QByteArray text = planCalendarText(runs, "-//test//TR", QDateTime::currentDateTimeUtc());
        // Written again a second later: only DTSTAMP may change.
        const QByteArray again = planCalendarText(planRuns(*reading.site, QDate(2026, 9, 1), QDate(2027, 8, 31)), "-//test//TR",
                                                  QDateTime::currentDateTimeUtc().addSecs(1));
        const auto unstamped = [](const QByteArray &bytes) { return QString::fromUtf8(bytes).remove(QRegularExpression("DTSTAMP:\\S+")); };
        QCOMPARE(unstamped(again), unstamped(text));

        icalcomponent *parsed = icalparser_parse_string(text.constData());
        QVERIFY(parsed);
        QStringList fromLibical;
        for (icalcomponent *e = icalcomponent_get_first_component(parsed, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(parsed, ICAL_VEVENT_COMPONENT)) {
            const icaltimetype start = icalcomponent_get_dtstart(e), end = icalcomponent_get_dtend(e);
            QVERIFY(start.is_date && end.is_date && icalcomponent_get_first_property(e, ICAL_DTSTAMP_PROPERTY));
            fromLibical << QStringList{icalcomponent_get_uid(e), QString::fromUtf8(icalcomponent_get_summary(e)),
                                       QDate(start.year, start.month, start.day).toString(Qt::ISODate),
                                       QDate(end.year, end.month, end.day).addDays(-1).toString(Qt::ISODate)}
                               .join(u'|');
        }
        icalcomponent_free(parsed);
        QCOMPARE(fromLibical, expected);

        const CalendarReading own = readCalendarText(text, "plan.ics", Istanbul, Window);
        QCOMPARE(own.events.size(), runs.size());
        for (qsizetype i = 0; i < runs.size(); ++i)
            QVERIFY(own.events[i].name == runs[i].summary() && own.events[i].from == runs[i].from && own.events[i].to == runs[i].to);

        QVERIFY(writeFileBytes(path("plan.ics"), text));
        QCOMPARE(python(path("plan.ics")), expected);
    }

    // The example's public holidays come from the calendar beside it, on the dates it listed before.
    void exampleHolidays()
    {
        const SiteReading reading = readSiteFile(ZIL_SOURCE_DIR "/packaging/examples/site.toml", Window);
        QVERIFY2(reading.site, qPrintable(reading.problems.value(0).toString()));
        QStringList holidays;
        for (const SitePeriod &p : reading.site->periods)
            if (!p.calendarFile.isEmpty())
                holidays << QStringLiteral("%1 %2..%3 %4").arg(p.name, p.from.toString(Qt::ISODate), p.to.toString("MM-dd"), p.schedule);
        QCOMPARE(holidays.join(u';'), "Cumhuriyet Bayramı 2026-10-29..10-29 off;Yılbaşı 2027-01-01..01-01 off;"
                                      "Ramazan Bayramı 2027-03-09..03-12 off;Ulusal Egemenlik ve Çocuk Bayramı 2027-04-23..04-23 off;"
                                      "Kurban Bayramı 2027-05-15..05-20 off");
    }

    // zilctl writes the file whole, or the calendar to standard output.
    void siteIcsCommand()
    {
        QVERIFY(writeFileBytes(path("site.toml"), SiteText + Tatiller));
        const auto zilctl = [&](const QStringList &arguments) {
            const ServedRun run = runServed(ZILCTL_PATH, QStringList{"site", "ics", path("site.toml")} + arguments, 30000);
            return std::pair(run.exitCode, (run.out + run.err).toUtf8());
        };
        const auto [code, out] = zilctl({"-", "--from", "2026-09-01", "--to", "2027-08-31", "--controller", "a"});
        QCOMPARE(code, 0);
        QVERIFY(out.startsWith("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Zil Sistemi//zilctl "));
        QVERIFY(writeFileBytes(path("stdout.ics"), out));
        const QStringList events = python(path("stdout.ics"));
        QCOMPARE(events.size(), 2);
        QVERIFY(events[0].endsWith("|Kar tatili – Zil yok|2027-01-13|2027-01-14"));

        QCOMPARE(zilctl({path("out.ics"), "--from", "2027-01-14", "--to", "2027-01-14"}).first, 0);
        QCOMPARE(python(path("out.ics")).size(), 1); // the run cut to the dates asked for
        const QList<std::pair<QStringList, const char *>> refused{
            {{path("out.ics"), "--to", "2026-01-01", "--from", "2026-02-01"}, "--to (2026-01-01) is before --from (2026-02-01)"},
            {{path("out.ics"), "--controller", "c"}, "--controller: the site has no controller \"c\""},
            {{path("out.ics"), "--date", "2027-01-01"}, "--date does not apply to site ics"},
            {{"-", "--json"}, "--json and - both want standard output"},
            {{path("no/such/folder/out.ics")}, "cannot be written, nothing was"},
            {{}, "site ics wants OUT.ics"}};
        for (const auto &[arguments, message] : refused) {
            const auto [failed, text] = zilctl(arguments);
            QVERIFY2(failed == 2 && text.contains(message), text.constData());
        }
        QCOMPARE(python(path("out.ics")).size(), 1); // a refused run leaves the last file as it was
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QStringList python(const QString &file)
    {
        const ServedRun run = runServed(PYTHON3_PATH, {ZIL_SOURCE_DIR "/tests/app/calendar_events.py", file}, 30000);
        if (run.exitCode != 0)
            qWarning() << run.err;
        return run.out.split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSiteCalendar)
#include "tst_site_calendar.moc"
