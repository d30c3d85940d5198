// The site's year: period edits that keep the file's other bytes, the year plan against one worked out here, zilctl's verbs.
#include "site/PeriodEdits.h"
#include "site/SiteFile.h"
#include "site/YearPlan.h"
#include "support/FileBytes.h"
#include "support/Poppler.h"
#include "support/ServedRun.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PeriodDraft)

namespace {

// Comments above, inside and after sections, blank lines, Turkish names, a multi-line array, and a file that may end without a line end.
const QByteArray Commented = R"(# Okulun zil planı: yöneticiler buraya not yazar
name = "Atatürk İlkokulu"

[schedules]
sinav = "sinav.csv"   # sınav haftası
normal = "normal.csv"

[[controllers]]
name = "a"
tcp = "127.0.0.1:5601"
model = "v3-64"
schedule = "normal"

[[controllers]]
name = "b"
serial = "/dev/null"
model = "v2-24"
schedule = "normal"

# Yarıyıl: valiliğin tarihleri
[[periods]]
name = "Yarıyıl tatili"   # adı
from = 2027-01-25
# bitişi uzayabilir
to = 2027-02-05
schedule = "off"

# Yalnız A blok
[[periods]]
name = "Sınav haftası"
from = 2027-03-01
to = 2027-03-05
schedule = "sinav"
controllers = [
    "a",
]
# dosyanın sonu)";

QByteArray variant(const QString &form)
{
    QByteArray text = Commented;
    if (form.contains("crlf"))
        text.replace("\n", "\r\n");
    if (!form.contains("no final"))
        text += form.contains("crlf") ? "\r\n" : "\n";
    return text;
}

const PeriodDraft Teachers{"Öğretmenler \"günü\" \\ yedek\t", {2026, 11, 24}, {2026, 11, 24}, "off", {"b"}};
} // namespace

class TestSiteYear : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *name : {"normal.csv", "sinav.csv"})
            QVERIFY(writeFileBytes(m_dir.filePath(name), "day,slot,in_use,time,seconds\n1,1,1,08:30,3\n"));
    }

    // Each edit touches its own section's lines alone, in every line-end form.
    void editsKeepEveryOtherByte_data()
    {
        QTest::addColumn<QString>("form");
        for (const char *form : {"lf", "crlf", "lf, no final line end", "crlf, no final line end"})
            QTest::newRow(form) << QString(form);
    }
    void editsKeepEveryOtherByte()
    {
        QFETCH(QString, form);
        const QByteArray before = variant(form), n = form.contains("crlf") ? "\r\n" : "\n";
        const QString site = m_dir.filePath("site.toml");

        QVERIFY(writeFileBytes(site, before));
        QVERIFY(addPeriod(site, Teachers));
        QByteArray after = readFileBytes(site);
        const QByteArray kept = before.endsWith(n) ? before : before + n;
        QCOMPARE(after.left(kept.size() + n.size()), kept + n); // a blank line, then the new section
        const QByteArray appended = after.mid(kept.size());
        QCOMPARE(appended.count("\r\n"), n == "\r\n" ? appended.count('\n') : 0); // in the file's own line ends
        const SiteReading added = readSiteFile(site);
        QVERIFY2(added.site, qPrintable(added.problems.value(0).toString()));
        QCOMPARE(added.site->periods.constLast().name, Teachers.name);
        QCOMPARE(added.site->periods.constLast().controllers, QStringList{"b"});

        // The comment above a header speaks of the section under it and goes with it.
        QVERIFY(writeFileBytes(site, before));
        QVERIFY(removePeriod(site, "Yarıyıl tatili"));
        QCOMPARE(readFileBytes(site), before.left(before.indexOf("# Yarıyıl")) + before.mid(before.indexOf("# Yalnız")));
        // The last section runs to the end of the file, and takes the blank line above.
        QVERIFY(writeFileBytes(site, before));
        QVERIFY(removePeriod(site, "Sınav haftası"));
        QCOMPARE(readFileBytes(site), before.left(before.indexOf(n + n + "# Yalnız") + n.size()));
        // Added, then removed: as it was, but for a last line end.
        QVERIFY(writeFileBytes(site, before));
        QVERIFY(addPeriod(site, Teachers) && removePeriod(site, Teachers.name));
        QCOMPARE(readFileBytes(site), kept);

        // A change replaces the section from its header to its last line; the comment above, the blank line after and the rest stay.
        QVERIFY(writeFileBytes(site, before));
        const PeriodDraft longer{"Yarıyıl", {2027, 1, 22}, {2027, 2, 8}, "off", {}};
        QVERIFY(changePeriod(site, "Yarıyıl tatili", longer));
        after = readFileBytes(site);
        const qsizetype header = before.indexOf("[[periods]]"), rest = before.indexOf(n + "# Yalnız");
        QCOMPARE(after.left(header), before.left(header));
        QVERIFY(after.endsWith(before.mid(rest)));
        const QByteArray section = after.mid(header, after.size() - header - (before.size() - rest));
        QVERIFY2(!section.contains('#') && section.count(n) == 5, section.constData());
        const SiteReading changed = readSiteFile(site);
        QVERIFY(changed.site);
        QCOMPARE(changed.site->periods[0].name, "Yarıyıl");
        QCOMPARE(changed.site->periods[0].to, QDate(2027, 2, 8));

        // The last section changed: a file that ended without a line end still does.
        QVERIFY(writeFileBytes(site, before));
        QVERIFY(changePeriod(site, "Sınav haftası", {"Sınav haftası", {2027, 3, 1}, {2027, 3, 1}, "sinav", {"a", "b"}}));
        after = readFileBytes(site);
        QCOMPARE(after.left(before.indexOf("[[periods]]", header + 1)), before.left(before.indexOf("[[periods]]", header + 1)));
        QCOMPARE(after.endsWith(n), before.endsWith(n));
        QVERIFY(after.contains("date = 2027-03-01" + n + "schedule = \"sinav\"" + n + "controllers = [\"a\", \"b\"]"));
    }

    // Refused edits leave the file byte for byte, and say why.
    void refusedEditsLeaveTheFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("edit"); // 0 add, 1 change, 2 remove
        QTest::addColumn<QString>("name");
        QTest::addColumn<PeriodDraft>("draft");
        QTest::addColumn<QString>("reason");
        const QByteArray file = variant("lf");
        // A day off on 2027-04-22 for every controller, unless told otherwise.
        const auto draft = [](const char *name = "Ek tatil", const char *schedule = "off", QStringList only = {}, int days = 0) {
            return PeriodDraft{name, {2027, 4, 22}, QDate(2027, 4, 22).addDays(days), schedule, only};
        };
        const auto row = [&](const char *tag, int edit, const char *name, PeriodDraft d, const char *why, QByteArray text = {}) {
            QTest::newRow(tag) << (text.isEmpty() ? file : text) << edit << QString(name) << d << QString(why);
        };
        row("unknown schedule", 0, "", draft("Ek tatil", "tatil"), "names schedule \"tatil\", which [schedules] does not have");
        row("unknown controller", 0, "", draft("Ek tatil", "off", {"a", "c"}), "names controller \"c\", which the site does not have");
        row("to before from", 0, "", draft("Ek tatil", "off", {}, -1), "ends (2027-04-21) before it begins (2027-04-22)");
        row("add a name given twice", 0, "", draft("Sınav haftası"), "has a period \"Sınav haftası\" already");
        row("change a missing name", 1, "Bayram", draft(), "has no period \"Bayram\"");
        row("rename onto another", 1, "Yarıyıl tatili", draft("Sınav haftası"), "has a period \"Sınav haftası\" already");
        row("change to an unknown schedule", 1, "Sınav haftası", draft("Ek tatil", "yok"), "which [schedules] does not have");
        row("remove a missing name", 2, "Bayram", draft(), "has no period \"Bayram\"");
        row("two of the name", 2, "Yarıyıl tatili", draft(), "has 2 periods named \"Yarıyıl tatili\"",
            file + "[[periods]]\nname = \"Yarıyıl tatili\"\ndate = 2027-06-01\nschedule = \"off\"\n");
        row("inline period", 2, "x", draft(), "written inline",
            "periods = [{name = \"x\", date = 2027-01-01, schedule = \"off\"}]\n" + file.left(file.indexOf("# Yarıyıl")));
        row("not TOML", 0, "", draft(), "site.toml:38:8: Error while parsing", file + "name = \"again\"\n");
        row("no name", 0, "", draft(" "), "a period needs a name");
    }
    void refusedEditsLeaveTheFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, edit);
        QFETCH(QString, name);
        QFETCH(PeriodDraft, draft);
        QFETCH(QString, reason);
        const QString site = m_dir.filePath("site.toml");
        QVERIFY(writeFileBytes(site, file));
        const Result<> result = edit == 0 ? addPeriod(site, draft) : edit == 1 ? changePeriod(site, name, draft) : removePeriod(site, name);
        QVERIFY(!result);
        QVERIFY2(result.error().contains(reason), qPrintable(result.error()));
        QCOMPARE(readFileBytes(site), file);
    }

    void schoolYearStart_data()
    {
        QTest::addColumn<QDate>("around");
        QTest::addColumn<QDate>("first");
        QTest::newRow("31 August") << QDate(2027, 8, 31) << QDate(2026, 9, 1);
        QTest::newRow("1 September") << QDate(2027, 9, 1) << QDate(2027, 9, 1);
        QTest::newRow("New Year's Day") << QDate(2028, 1, 1) << QDate(2027, 9, 1);
        QTest::newRow("29 February") << QDate(2028, 2, 29) << QDate(2027, 9, 1);
    }
    void schoolYearStart()
    {
        QFETCH(QDate, around);
        QFETCH(QDate, first);
        QCOMPARE(::schoolYearStart(around), first);
    }

    // Every day of a leap year against the rule worked out here: the last period in the file covering the day and the controller decides.
    void yearPlanFollowsTheLastCoveringPeriod_data()
    {
        QTest::addColumn<QString>("controller");
        for (const char *controller : {"", "a", "b"})
            QTest::newRow(*controller ? controller : "every controller") << (*controller ? QString(controller) : QString());
    }
    void yearPlanFollowsTheLastCoveringPeriod()
    {
        QFETCH(QString, controller);
        struct P
        {
            const char *name, *from, *to, *schedule, *only;
        };
        const P periods[] = {{"Kış", "2027-12-20", "2028-01-05", "off", ""},
                             {"Yılbaşı sınavı", "2027-12-31", "2028-01-02", "sinav", "a"},
                             {"Artık gün", "2028-02-29", "2028-02-29", "ara", ""},
                             {"Bahar", "2028-02-28", "2028-03-01", "sinav", "b"},
                             {"Eski", "2027-06-01", "2027-09-01", "off", ""}};
        QByteArray text = Commented.left(Commented.indexOf("# Yarıyıl"));
        text.replace("[schedules]\n", "[schedules]\nara = \"normal.csv\"\n").replace("normal = \"normal.csv\"\n", "");
        text.replace("sinav = \"sinav.csv\"   # sınav haftası\n", "sinav = \"sinav.csv\"\nnormal = \"normal.csv\"\n");
        for (const P &p : periods)
            text += QStringLiteral("[[periods]]\nname = \"%1\"\nfrom = %2\nto = %3\nschedule = \"%4\"\n%5")
                        .arg(p.name, p.from, p.to, p.schedule, *p.only ? QStringLiteral("controllers = [\"%1\"]\n").arg(p.only) : "")
                        .toUtf8();
        const SiteReading reading = readSiteText(text, m_dir.filePath("year.toml"));
        QVERIFY2(reading.site, qPrintable(reading.problems.value(0).toString()));

        const YearPlan plan = yearPlan(*reading.site, QDate(2028, 2, 29), controller);
        QCOMPARE(plan.schedules, QStringList({"ara", "sinav", "normal", "off"}));
        QCOMPARE(plan.first, QDate(2027, 9, 1));
        QCOMPARE(plan.last, QDate(2028, 8, 31));
        QCOMPARE(plan.days.size(), 366);
        const QStringList names = controller.isEmpty() ? QStringList{"a", "b"} : QStringList{controller};
        int differing = 0;
        for (qsizetype i = 0; i < plan.days.size(); ++i) {
            const YearDay &day = plan.days[i];
            QCOMPARE(day.date, plan.first.addDays(i));
            const QString iso = day.date.toString(Qt::ISODate);
            QStringList schedules, decided;
            for (const QString &name : names) {
                QString schedule = "normal", period;
                for (const P &p : periods) // ISO dates compare as text
                    if (iso >= p.from && iso <= p.to && (!*p.only || name == p.only))
                        schedule = p.schedule, period = p.name;
                schedules << schedule;
                decided << period;
            }
            const bool differs = schedules.count(schedules[0]) != schedules.size();
            QCOMPARE(day.differs, differs);
            QCOMPARE(day.schedule, differs ? QString() : schedules[0]);
            QCOMPARE(day.period, decided.count(decided[0]) == decided.size() ? decided[0] : QString());
            differing += differs;
        }
        QCOMPARE(differing, controller.isEmpty() ? 6 : 0); // 31 December to 2 January, 28 February to 1 March
    }

    // zilctl's verbs: what a script gets back, and the file it leaves.
    void zilctlPeriodsAndYear_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *arguments, int exitCode, const char *message) {
            QTest::newRow(name) << QString(arguments) << exitCode << QString(message);
        };
        row("add", "period add SITE --name Bayram --from 2027-04-22 --to 2027-04-23 --schedule off --controller a", 0,
            "period \"Bayram\" added to");
        row("add a name given twice", "period add SITE --name Sınav_haftası --date 2027-04-22 --schedule off", 2, "already");
        row("add without dates", "period add SITE --name X --schedule off", 2, "wants --date, or --from and --to");
        row("add, date and from", "period add SITE --name X --date 2027-01-01 --from 2027-01-01 --to 2027-01-02 --schedule off", 2,
            "--date is one day");
        row("bad date", "period add SITE --name X --date 2027-02-30 --schedule off", 2, "'2027-02-30' is not a date");
        row("refused by the check", "period add SITE --name X --date 2027-01-01 --schedule tatil", 2, "the edit was refused");
        row("change the schedule", "period change SITE Sınav_haftası --schedule off --every-controller", 0, "changed in");
        row("change, nothing given", "period change SITE Sınav_haftası", 2, "nothing to change");
        row("change a missing name", "period change SITE Bayram --schedule off", 2, "has no period \"Bayram\"");
        row("remove", "period remove SITE Yarıyıl_tatili", 0, "removed from");
        row("remove a missing name", "period remove SITE Bayram", 2, "has no period \"Bayram\"");
        row("unknown period verb", "period rename SITE X", 2, "site period wants add, change or remove");
        row("--schedule on remove", "period remove SITE X --schedule off", 2, "--schedule does not apply");
        row("year, one controller", "print --year SITE OUT.pdf --date 2027-03-02 --controller b", 0, "2026-09-01 – 2027-08-31");
        row("year, unknown controller", "print --year SITE OUT.pdf --controller c", 2, "no controller \"c\"");
        row("year, not a page file", "print --year SITE OUT.txt", 2, "must end in .pdf, .png or .svg");
        row("year on check", "check --year SITE", 2, "--year applies to site print only");
    }
    void zilctlPeriodsAndYear()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString site = m_dir.filePath("site.toml"), out = m_dir.filePath("year.pdf");
        const QByteArray before = variant("lf");
        QVERIFY(writeFileBytes(site, before));
        QFile::remove(out);
        QStringList words = arguments.split(u' ');
        for (QString &word : words)
            word = word == "SITE" ? site : word.startsWith("OUT.") ? m_dir.filePath(word.replace("OUT", "year")) : word.replace(u'_', u' ');
        const ServedRun zilctl = runServed(ZILCTL_PATH, QStringList{"site"} + words, 30000);
        QVERIFY(zilctl.exitCode >= 0); // ended by itself, in time
        QCOMPARE(zilctl.exitCode, exitCode);
        QVERIFY2((zilctl.out + zilctl.err).contains(message), qPrintable(zilctl.out + zilctl.err));
        QCOMPARE(readFileBytes(site) == before, exitCode != 0 || words[0] == "print");
        QCOMPARE(QFile::exists(out), exitCode == 0 && words.contains("--year"));
        if (QFile::exists(out)) {
            const QString text = poppler("pdftotext", {}, readFileBytes(out));
            QVERIFY2(text.contains("Atatürk İlkokulu") && text.contains("Yarıyıl tatili: 25 Ocak 2027 – 5 Şubat 2027, Zil yok"),
                     qPrintable(text));
            QVERIFY(!text.contains("Sınav haftası")); // for controller a only
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSiteYear)
#include "tst_site_year.moc"
