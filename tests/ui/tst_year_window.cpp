// The year window offscreen: the year against a plan worked out here, period edits through the dialog, runs against simulators, the nightly
// report, "Yeni plan…", the send warning and bad site files.
#include "ControllerSimulator.h"
#include "operations/OperationTexts.h"
#include "site/RunReport.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "support/WindowFixture.h"
#include "ui/LastSite.h"
#include "ui/PeriodDialog.h"
#include "ui/YearView.h"
#include "ui/YearWindow.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>

namespace {
// Each schedule rings at a time of its own; the table's order is not alphabetical.
const QByteArray Schedules = "[schedules]\nnormal = \"normal.csv\"\nyarim = \"yarim.csv\"\nsinav = \"sinav.csv\"\n";

struct Period
{
    const char *name;
    QDate from, to;
    const char *schedule;
    QStringList controllers;
};
// Overlapping, limited to one controller, and across the turn of the year.
const QList<Period> Periods{
    {"Kış tatili", {2026, 12, 21}, {2027, 1, 8}, "off", {}},
    {"Yılbaşı sınavı", {2026, 12, 30}, {2027, 1, 4}, "sinav", {"a"}},
    {"Yılbaşı", {2027, 1, 1}, {2027, 1, 1}, "yarim", {}},
    {"Bahar", {2027, 4, 1}, {2027, 4, 2}, "yarim", {"b"}},
};

// A site of two controllers on the given TCP ports, with the periods above.
QString writeSite(const QTemporaryDir &dir, quint16 portA = 5601, quint16 portB = 5602, const QList<Period> &periods = Periods)
{
    for (const auto &[file, time] : {std::pair{"normal.csv", "08:00"}, {"yarim.csv", "09:00"}, {"sinav.csv", "10:00"}})
        writeFileBytes(dir.filePath(file), QByteArray("day,slot,in_use,time,seconds\n1,1,1,") + time + ",3\n");
    QByteArray text = "# the test's site\nname = \"Test Okulu\"\n\n" + Schedules;
    for (const auto &[name, port] : {std::pair{"a", portA}, {"b", portB}})
        text += QByteArray("\n[[controllers]]\nname = \"") + name + "\"\ntcp = \"127.0.0.1:" + QByteArray::number(port) +
                "\"\nmodel = \"v3-64\"\nschedule = \"normal\"\n";
    for (const Period &p : periods) {
        text += "\n[[periods]]\nname = \"" + QByteArray(p.name) + "\"\nfrom = " + p.from.toString(Qt::ISODate).toUtf8() +
                "\nto = " + p.to.toString(Qt::ISODate).toUtf8() + "\nschedule = \"" + p.schedule + "\"\n";
        if (!p.controllers.isEmpty())
            text += "controllers = [\"" + p.controllers.join(QStringLiteral("\", \"")).toUtf8() + "\"]\n";
    }
    writeFileBytes(dir.filePath("site.toml"), text);
    return dir.filePath("site.toml");
}

// What a controller rings on a date: the last period naming it (or none) that covers the date.
std::pair<QString, QString> expectedDay(const QString &controller, QDate date)
{
    std::pair<QString, QString> day{"normal", {}};
    for (const Period &p : Periods) {
        if (date >= p.from && date <= p.to && (p.controllers.isEmpty() || p.controllers.contains(controller)))
            day = {p.schedule, p.name};
    }
    return day;
}

QString cellText(YearView *view, int index)
{
    QAccessibleInterface *year = QAccessible::queryAccessibleInterface(view);
    QAccessibleInterface *cell = year->child(index);
    return cell && cell->role() == QAccessible::Cell && cell->parent() == year ? cell->text(QAccessible::Name) : QString();
}

struct YearFixture
{
    QTemporaryDir dir;
    ScriptedDialog dialog;
    YearWindow window{dialog};

    YearFixture() { window.setToday({2026, 12, 31}); }
    QString status(int row, int column = 5) const { return window.tblControllers->item(row, column)->text(); }
};
} // namespace

class TestYearWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); // the remembered site stays in the test
        qputenv("ZILSISTEMI_NIGHTLY_REPORT", m_config.filePath("none.json").toUtf8());
    }

    void yearFollowsThePlanDayByDay()
    {
        YearFixture fx;
        QVERIFY(fx.window.openSite(writeSite(fx.dir)));
        QCOMPARE(fx.window.windowTitle(), QString("Yıllık Zil Planı – Test Okulu"));
        QCOMPARE(fx.window.cmbYear->currentText(), QString("2026-2027"));
        QStringList legend;
        QHash<QString, QRgb> colours;
        for (int i = 0; QLabel *text = fx.window.findChild<QLabel *>(QStringLiteral("legendText_%1").arg(i)); ++i) {
            legend << text->text();
            colours.insert(text->text(), text->property("colour").value<QColor>().rgb());
        }
        QCOMPARE(legend, QStringList({"normal", "yarim", "sinav", "Zil yok", "Cihazlar farklı", "Bugün"}));
        QCOMPARE(QSet<QRgb>(colours.cbegin(), colours.cend()).size(), 5); // "Bugün" is a frame, white inside like "differs"

        YearView *view = fx.window.yearView;
        QCOMPARE(QAccessible::queryAccessibleInterface(view)->childCount(), 365);
        for (const QString &chosen : {QString(), QString("a"), QString("b")}) {
            fx.window.cmbController->setCurrentIndex(fx.window.cmbController->findData(chosen));
            emit fx.window.cmbController->activated(fx.window.cmbController->currentIndex());
            for (int i = 0; i < 365; ++i) {
                const QDate date = QDate(2026, 9, 1).addDays(i);
                auto [schedule, period] = expectedDay(chosen.isEmpty() ? "a" : chosen, date);
                if (chosen.isEmpty() && expectedDay("b", date).first != schedule)
                    schedule = "Cihazlar farklı";
                const QString caption = schedule == "off" ? "Zil yok" : schedule;
                QVERIFY2(view->dayColour(i).rgb() == colours.value(caption), qPrintable(chosen + date.toString(Qt::ISODate)));
                const QString text = cellText(view, i);
                const bool differs = schedule == "Cihazlar farklı"; // which period decided then is the plan's choice
                QVERIFY2(text.contains(date.toString("yyyy")) && text.contains(differs ? "cihazlar farklı" : caption) &&
                             (differs || (period.isEmpty() ? text.contains("cihazın kendi planı") : text.contains(period))),
                         qPrintable(text));
            }
        }
        QCOMPARE(cellText(view, int(QDate(2026, 9, 1).daysTo({2026, 12, 31}))),
                 QString("31 Aralık 2026 Perşembe: Zil yok (Kış tatili), bugün")); // as "b" rings it
        QVERIFY(cellText(view, 365).isEmpty());                                    // no cell past the year's last day
        // The controllers' table: what each rings today.
        QCOMPARE(QStringList({fx.status(0, 3), fx.status(1, 3)}), QStringList({"sinav (Yılbaşı sınavı)", "Zil yok (Kış tatili)"}));
    }

    void periodEditsThroughTheDialog()
    {
        YearFixture fx;
        const QString path = writeSite(fx.dir);
        QVERIFY(fx.window.openSite(path));
        const QByteArray before = readFileBytes(path);
        QDate draggedFrom, draggedTo;
        fx.window.setPeriodDialogRunner([&](PeriodDialog &d) {
            draggedFrom = d.dtFrom->date(), draggedTo = d.dtTo->date();
            d.txtName->setText("Kar tatili");
            d.cmbSchedule->setCurrentIndex(d.cmbSchedule->findText("Zil yok"));
            d.chkControllers[0]->setChecked(false);
            return d.buttons->button(QDialogButtonBox::Ok)->isEnabled();
        });
        // Days dragged over in the year start the period.
        YearView *view = fx.window.yearView;
        const int first = int(QDate(2026, 9, 1).daysTo({2027, 2, 8})), last = first + 2;
        QTest::mousePress(view, Qt::LeftButton, {}, view->cellRect(first).center());
        QMouseEvent move(QEvent::MouseMove, view->cellRect(last).center(), view->mapToGlobal(view->cellRect(last).center()), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, {}, view->cellRect(last).center());
        QCOMPARE(std::pair(draggedFrom, draggedTo), std::pair(QDate(2027, 2, 8), QDate(2027, 2, 10)));
        const QByteArray after = readFileBytes(path);
        QVERIFY2(after.startsWith(before) && after.size() > before.size(), after.constData());
        QVERIFY(cellText(view, first + 1).contains("cihazlar farklı")); // "b" only: the two differ now
        QCOMPARE(fx.window.lstPeriods->topLevelItemCount(), Periods.size() + 1);
        QCOMPARE(fx.window.lstPeriods->topLevelItem(Periods.size())->text(3), QString("b"));

        // The same name again is refused: the reason is shown and the file stays.
        fx.window.cmdAddPeriod->click();
        QVERIFY2(fx.dialog.texts().value(0).startsWith("\"Kar tatili\" dönemi eklenemedi, plan dosyası değişmedi:\n"),
                 qPrintable(fx.dialog.texts().value(0)));
        QCOMPARE(readFileBytes(path), after);

        // Changed and removed: the lines before the period stay as they were.
        fx.window.setPeriodDialogRunner([](PeriodDialog &d) { return d.dtTo->setDate(d.dtFrom->date().addDays(6)), true; });
        fx.window.lstPeriods->topLevelItem(0)->setSelected(true);
        fx.window.cmdChangePeriod->click();
        QVERIFY(readFileBytes(path).startsWith(before.left(before.indexOf("[[periods]]"))));
        QCOMPARE(fx.window.lstPeriods->topLevelItem(0)->text(1), QString("21.12.2026 – 27.12.2026"));
        fx.dialog.answers = {DialogAnswer::Yes};
        fx.window.lstPeriods->topLevelItem(0)->setSelected(true);
        fx.window.cmdRemovePeriod->click();
        QCOMPARE(fx.window.lstPeriods->topLevelItem(0)->text(0), QString("Yılbaşı sınavı"));
        QVERIFY(!readFileBytes(path).contains("Kış tatili"));
    }

    void statusAndCancelAgainstSimulators()
    {
        ControllerSimulator a, b;
        QVERIFY(a.listenTcp() && b.listenTcp());
        a.setModel(int(DeviceModel::V3Times64));
        b.setModel(int(DeviceModel::V3Times64));
        b.setFaults({.silent = true, .noiseBefore = {}});
        YearFixture fx;
        fx.window.setChildProgram(QStringLiteral(ZILCTL_PATH));
        QVERIFY(fx.window.openSite(writeSite(fx.dir, a.tcpPort(), b.tcpPort())));
        fx.window.cmdReadStatus->click();
        QVERIFY(fx.window.runRunning() && !fx.window.cmdReadStatus->isEnabled() && !fx.window.cmdAddPeriod->isEnabled() &&
                fx.window.cmdCancelRun->isEnabled());
        // "b" gives up long before "a" has read its week: its result shows while the run goes on.
        QTRY_VERIFY_WITH_TIMEOUT(fx.status(1).startsWith("Hata") || fx.status(1).startsWith("Ulaşılamadı"), 20000);
        QVERIFY(fx.window.runRunning());
        QCOMPARE(fx.status(0), QString("Okunuyor…"));
        QTRY_VERIFY_WITH_TIMEOUT(!fx.window.runRunning(), 60000);
        QVERIFY2(fx.status(0).startsWith("Plandan"), qPrintable(fx.status(0)));
        QVERIFY(fx.window.cmdReadStatus->isEnabled() && !fx.window.cmdCancelRun->isEnabled());

        // An apply cancelled while "b" stays silent: "a" got the week, "b" is cancelled.
        fx.dialog.answers = {DialogAnswer::Yes};
        fx.window.cmdApplyPlan->click();
        QTRY_VERIFY_WITH_TIMEOUT(!fx.status(0).endsWith(u'…') && !fx.status(0).isEmpty(), 20000);
        fx.window.cmdCancelRun->click();
        QTRY_VERIFY_WITH_TIMEOUT(!fx.window.runRunning(), 20000);
        QVERIFY2(fx.status(0).startsWith("Planın haftası gönderildi"), qPrintable(fx.status(0)));
        QCOMPARE(a.record(1, 1).hour, 10); // Monday 4 January: "a" has its exam
        QVERIFY2(fx.status(1) == "İptal edildi" || fx.status(1).startsWith("Hata"), qPrintable(fx.status(1)));
    }

    void lastNightlyRunFromItsReport()
    {
        const RunReport report{.verb = "apply",
                               .siteName = "Test Okulu",
                               .finishedAt = QDateTime(QDate(2026, 12, 31), QTime(0, 5)),
                               .exitCode = 3,
                               .outcomes = {{.name = "b", .reached = true, .action = ControllerOutcome::Action::Sent},
                                            {.name = "a", .message = "connection refused"}}};
        const QString reportPath = m_config.filePath("last-run.json");
        const std::tuple<QByteArray, QString, QString, QString> cases[] = {
            {QJsonDocument(runReportJson(report)).toJson(),
             "Son gece çalışması: 31.12.2026 00:05, planı uygulama, sorunlarla bitti (çıkış kodu 3).", "Ulaşılamadı: connection refused",
             "Planın haftası gönderildi"},
            {"{ not json", "Son gece çalışmasının raporu okunamadı: ", "", ""},
        };
        qputenv("ZILSISTEMI_NIGHTLY_REPORT", reportPath.toUtf8());
        for (const auto &[bytes, label, a, b] : cases) {
            QVERIFY(writeFileBytes(reportPath, bytes));
            YearFixture fx;
            QVERIFY(fx.window.openSite(writeSite(fx.dir)));
            QVERIFY2(fx.window.lblLastRun->text().startsWith(label), qPrintable(fx.window.lblLastRun->text()));
            QCOMPARE(QStringList({fx.status(0, 6), fx.status(1, 6)}), QStringList({a, b}));
        }
        qputenv("ZILSISTEMI_NIGHTLY_REPORT", m_config.filePath("none.json").toUtf8());
    }

    void newPlanFromTheMainWindow()
    {
        WindowFixture fx;
        QVERIFY(fx.writeFile("Ringer.ini", QByteArray("\x02\x00\x00\x00", 4)));
        frmRinger &window = fx.start();
        fx.child<QRadioButton>("opsDeviceVersion_3")->setChecked(true);
        fx.child<QCheckBox>("chkTCPIPActive")->setChecked(true);
        fx.child<QLineEdit>("txtIP")->setText("127.0.0.1");
        fx.child<QLineEdit>("txtPort")->setText("5609");
        window.calendar().setTimeUsed(3, 5, 1);
        window.calendar().setRingTime(3, 5, 0.5);
        const QString path = fx.path("okul");
        window.setSiteFileQuestion([&](bool saving, const QString &) { return saving ? path : QString(); });
        fx.child<QAction>("actNewPlan")->trigger();

        const SiteReading reading = readSiteFile(path + ".toml");
        QVERIFY2(reading.site, qPrintable(reading.problems.isEmpty() ? "" : reading.problems.first().toString()));
        const SiteController &c = reading.site->controllers.value(0);
        QCOMPARE(QStringList({c.linkKey, c.schedule, reading.site->name}), QStringList({"tcp 127.0.0.1 5609", "normal", "okul"}));
        QVERIFY(c.model == DeviceModel::V3Times64 && reading.site->controllers.size() == 1 && reading.site->periods.isEmpty());
        QCOMPARE(plannedWeek(*reading.site, c, QDate::currentDate()).calendar.TimeUsed, window.calendar().TimeUsed);
        QCOMPARE(plannedWeek(*reading.site, c, QDate::currentDate()).calendar.RingTime[RingCalendar::flatIndex(3, 5)], 0.5);
        QVERIFY(window.yearWindow().isVisible() && window.yearWindow().site());
        QCOMPARE(lastSitePath(), path + ".toml");
        QCOMPARE(fx.readFile("Ringer.ini"), QByteArray("\x02\x00\x00\x00", 4));
        // Another start: "Yıllık plan…" opens the plan opened last without asking.
        WindowFixture later;
        later.start().setSiteFileQuestion([](bool, const QString &) { return QString("asked"); });
        QCOMPARE(later.child<QAction>("actYearPlan")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
        later.child<QAction>("actYearPlan")->trigger();
        QCOMPARE(later.window->yearWindow().site()->path, QFileInfo(path + ".toml").absoluteFilePath());

        // A second plan of the same name overwrites nothing.
        const QByteArray first = readFileBytes(path + ".toml");
        fx.child<QAction>("actNewPlan")->trigger();
        QVERIFY2(fx.dialog.texts().value(0).startsWith("Yeni plan yazılamadı: "), qPrintable(fx.dialog.texts().value(0)));
        QCOMPARE(readFileBytes(path + ".toml"), first);
    }

    void sendThatUndoesThePlanAsksFirst()
    {
        using namespace OperationText;
        ControllerSimulator simulator;
        QVERIFY(simulator.listenTcp());
        QTemporaryDir dir;
        WindowFixture fx;
        frmRinger &window = fx.start();
        fx.child<QRadioButton>("opsDeviceVersion_3")->setChecked(true);
        fx.child<QCheckBox>("chkTCPIPActive")->setChecked(true);
        fx.child<QLineEdit>("txtIP")->setText("127.0.0.1");
        fx.child<QLineEdit>("txtPort")->setText(QString::number(simulator.tcpPort()));
        // No site open: the send asks as it always did.
        fx.child<QPushButton>("cmdSendCalendar")->click();
        QCOMPARE(fx.dialog.texts(), QStringList({AskSendCalendar}));

        QVERIFY(window.openYearWindow(writeSite(dir, simulator.tcpPort(), 5602, {})));
        fx.dialog.messages.clear();
        fx.child<QPushButton>("cmdSendCalendar")->click();
        QCOMPARE(fx.dialog.messages.size(), 1);
        QCOMPARE(fx.dialog.texts().first(),
                 QString("Bu zil takvimi, yıllık plandaki bu haftadan farklı (cihaz \"a\", bugün: normal). "
                         "Gece çalışması cihaza planın haftasını yeniden yükleyecek.\n\nYine de gönderilsin mi?"));
        QVERIFY(simulator.receivedFrames().isEmpty());

        // The plan's own week goes without the warning; so does a send to a link the site does not name.
        const Site &site = *window.yearWindow().site();
        window.calendar() = plannedWeek(site, site.controllers[0], window.yearWindow().today()).calendar;
        fx.dialog.messages.clear();
        fx.child<QPushButton>("cmdSendCalendar")->click();
        fx.child<QLineEdit>("txtPort")->setText("5603");
        window.calendar().setTimeUsed(1, 1, 0);
        fx.child<QPushButton>("cmdSendCalendar")->click();
        QCOMPARE(fx.dialog.texts(), QStringList({AskSendCalendar, AskSendCalendar}));
    }

    void badSiteFilesAreNamedAndNothingIsContacted()
    {
        ControllerSimulator simulator;
        QVERIFY(simulator.listenTcp());
        const std::pair<QByteArray, QByteArray> breaks[] = {
            {"name = \"Test Okulu\"", "name = \"Test Okulu"},                 // a string never closed
            {"yarim = \"yarim.csv\"", "yarim = \"yok.csv\""},                 // a schedule text missing
            {"schedule = \"normal\"\n", "schedule = \"aksam\"\nmodel = 3\n"}, // an unknown schedule and a key twice
        };
        for (const auto &[from, to] : breaks) {
            YearFixture fx;
            const QString path = writeSite(fx.dir, simulator.tcpPort());
            QVERIFY(writeFileBytes(path, readFileBytes(path).replace(from, to)));
            QVERIFY(!fx.window.openSite(path));
            QProcess check;
            check.start(QStringLiteral(ZILCTL_PATH), {"site", "check", path});
            QVERIFY(check.waitForFinished(20000) && check.exitCode() != 0);
            const QStringList problems = QString::fromUtf8(check.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts).mid(1);
            QVERIFY(!problems.isEmpty());
            for (const QString &problem : problems)
                QVERIFY2(fx.dialog.texts().value(0).contains(problem.trimmed()), qPrintable(problem + "\n" + fx.dialog.texts().value(0)));
            QVERIFY(!fx.window.site() && !fx.window.cmdReadStatus->isEnabled() && !fx.window.cmdAddPeriod->isEnabled());
        }
        QVERIFY(simulator.receivedFrames().isEmpty());
    }
    // A calendar file's events show with their file and cannot be edited here; they colour the year.
    void calendarFilePeriodsAreShownReadOnly()
    {
        YearFixture fx;
        writeFileBytes(fx.dir.filePath("tatil.ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//TR\r\nBEGIN:VEVENT\r\n"
                                                     "UID:1@t\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20270105\r\n"
                                                     "DTEND;VALUE=DATE:20270106\r\nSUMMARY:Kar tatili\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        const QString path = writeSite(fx.dir);
        writeFileBytes(path, readFileBytes(path) + "\n[[periods]]\nname = \"Resmi\"\nics = \"tatil.ics\"\nschedule = \"off\"\n");
        QVERIFY(fx.window.openSite(path));
        QTreeWidgetItem *item = fx.window.lstPeriods->topLevelItem(fx.window.lstPeriods->topLevelItemCount() - 1);
        QCOMPARE(QStringList({item->text(0), item->text(1), item->text(4)}), QStringList({"Kar tatili", "05.01.2027", "tatil.ics"}));
        item->setSelected(true);
        QVERIFY(!fx.window.cmdChangePeriod->isEnabled() && !fx.window.cmdRemovePeriod->isEnabled());
        fx.window.lstPeriods->topLevelItem(0)->setSelected(true);
        item->setSelected(false);
        QVERIFY(fx.window.cmdChangePeriod->isEnabled() && fx.window.lstPeriods->topLevelItem(0)->text(4) == "site.toml");
        const QDate day(2027, 1, 5);
        QCOMPARE(fx.window.yearView->plan().days.at(QDate(2026, 9, 1).daysTo(day)).period, QString("Kar tatili"));
    }
};

QTEST_MAIN(TestYearWindow)
#include "tst_year_window.moc"
