// The site run's contracts (the child's request and result, the run's report) and what a parent makes of a child
// that dies, with stand-in children written as shell scripts.
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "site/ChildContract.h"
#include "site/RunReport.h"
#include "site/SiteFile.h"
#include "site/SiteRun.h"
#include "support/FileBytes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

ControllerOutcome everyFieldSet()
{
    return {.name = QStringLiteral("Şube-2"),
            .link = QStringLiteral("tcp [::1]:5601"),
            .model = QStringLiteral("V3  (64 Zaman)"),
            .reached = true,
            .action = ControllerOutcome::Action::ClockSet,
            .message = QStringLiteral("satır 1\nsatır 2"),
            .differences = 17,
            .clockRead = true,
            .clockOffsetSeconds = -3601,
            .clockSet = true,
            .wouldSetClock = true};
}

void compareOutcomes(const ControllerOutcome &a, const ControllerOutcome &b)
{
    QCOMPARE(a.name, b.name);
    QCOMPARE(a.link, b.link);
    QCOMPARE(a.model, b.model);
    QCOMPARE(a.reached, b.reached);
    QCOMPARE(a.action, b.action);
    QCOMPARE(a.message, b.message);
    QCOMPARE(a.differences, b.differences);
    QCOMPARE(a.clockRead, b.clockRead);
    QCOMPARE(a.clockOffsetSeconds, b.clockOffsetSeconds);
    QCOMPARE(a.clockSet, b.clockSet);
    QCOMPARE(a.wouldSetClock, b.wouldSetClock);
}

QByteArray withField(QJsonObject json, const QString &key, const QJsonValue &value)
{
    json.insert(key, value);
    return QJsonDocument(json).toJson();
}

} // namespace

class TestSiteRun : public QObject
{
    Q_OBJECT

private slots:
    void requestRoundTrip()
    {
        ChildRequest serial{.controller = QStringLiteral("Spor salonu"),
                            .transport = LinkTransport::Serial,
                            .serialTarget = QStringLiteral("/dev/ttyUSB0"),
                            .model = DeviceModel::V3Times64,
                            .apply = true,
                            .dryRun = true,
                            .setClocks = true,
                            .clockToleranceSeconds = 45};
        serial.plannedWeek.DeviceVersion = qint16(DeviceModel::V3Times64);
        serial.plannedWeek.setTimeUsed(7, 64, 1);
        serial.plannedWeek.setRingDuration(3, 2, 99);
        serial.plannedWeek.setRingTime(1, 1, timeValue(23, 59));
        ChildRequest tcp = serial;
        tcp.transport = LinkTransport::Tcp;
        tcp.host = QStringLiteral("::1");
        tcp.tcpPort = 5601;
        tcp.serialTarget.clear();
        tcp.apply = false;
        for (const ChildRequest &sent : {serial, tcp}) {
            const Result<ChildRequest> got = childRequestFromJson(QJsonDocument(childRequestJson(sent)).toJson());
            QVERIFY2(got, qPrintable(got.error()));
            QCOMPARE(got->controller, sent.controller);
            QCOMPARE(got->transport, sent.transport);
            QCOMPARE(got->host, sent.host);
            QCOMPARE(got->serialTarget, sent.serialTarget);
            QCOMPARE(got->model, sent.model);
            QCOMPARE(std::tuple(got->apply, got->dryRun, got->setClocks, got->clockToleranceSeconds),
                     std::tuple(sent.apply, sent.dryRun, sent.setClocks, sent.clockToleranceSeconds));
            QCOMPARE(calendarToBytes(got->plannedWeek), calendarToBytes(sent.plannedWeek));
            if (sent.transport == LinkTransport::Tcp)
                QCOMPARE(got->tcpPort, sent.tcpPort);
        }

        // Bad requests are refused, each with its reason.
        const QJsonObject good = childRequestJson(tcp);
        const std::pair<QByteArray, const char *> bad[] = {
            {"not json", "not a JSON object"},
            {"[1]", "not a JSON object"},
            {withField(good, "version", 2), "version 2 where 1 is spoken"},
            {withField(good, "version", "1"), "version 1 where 1 is spoken"},
            {withField(good, "model", "v9"), "\"model\" names no model"},
            {withField(good, "tcp", QJsonObject{{"host", "::1"}, {"port", 0}}), "\"tcp\" wants a host and a port"},
            {withField(good, "tcp", QJsonValue()), "neither \"tcp\" nor \"serial\""},
            {withField(good, "dry_run", "yes"), "\"dry_run\" is not true or false"},
            {withField(good, "clock_tolerance_seconds", -1), "\"clock_tolerance_seconds\" is not"},
            {withField(good, "planned_week", "AAAA"), "\"planned_week\" is not a schedule of 5378 bytes"},
            {withField(good, "planned_week", "*"), "\"planned_week\" is not a schedule"},
        };
        for (const auto &[json, reason] : bad) {
            const Result<ChildRequest> got = childRequestFromJson(json);
            QVERIFY2(!got && got.error().contains(QString::fromUtf8(reason)), qPrintable(json + " -> " + got.error()));
        }
    }

    void resultAndProgressRoundTrip()
    {
        const ChildResult sent{everyFieldSet(), true};
        Result<ChildLine> got = childLineFromJson(childResultLine(sent));
        QVERIFY2(got, qPrintable(got.error()));
        compareOutcomes(std::get<ChildResult>(*got).outcome, sent.outcome);
        QCOMPARE(std::get<ChildResult>(*got).stopped, true);

        ControllerOutcome unknown; // nothing read: every optional stays absent
        got = childLineFromJson(childResultLine({unknown, false}));
        QVERIFY(got && !std::get<ChildResult>(*got).outcome.differences && !std::get<ChildResult>(*got).outcome.clockOffsetSeconds);

        got = childLineFromJson(childProgressLine(42));
        QVERIFY(got && std::get<int>(*got) == 42);
        const QByteArray line = childResultLine(sent);
        for (const auto &[from, to] : {std::pair{"\"version\":1", "\"version\":0"},
                                       {"\"action\":\"clock-set\"", "\"action\":\"rang\""},
                                       {"\"differences\":17", "\"differences\":-1"},
                                       {"\"differences\":17", "\"differences\":1.5"},
                                       {"\"clock_offset_seconds\":-3601", "\"clock_offset_seconds\":\"-3601\""}}) {
            QVERIFY(line.contains(from));
            QVERIFY2(!childLineFromJson(QByteArray(line).replace(from, to)), to);
        }
    }

    void reportRoundTrip()
    {
        RunReport sent{.verb = QStringLiteral("apply"),
                       .sitePath = QStringLiteral("/etc/zilsistemi/site.toml"),
                       .siteName = QStringLiteral("Atatürk Anadolu Lisesi"),
                       .finishedAt = QDateTime(QDate(2027, 1, 11), QTime(0, 5, 7), Qt::OffsetFromUTC, 3 * 3600),
                       .exitCode = 130,
                       .message = QStringLiteral("2 controller(s): ..."),
                       .interrupted = true,
                       .clockToleranceSeconds = 45};
        ControllerOutcome inPlan = everyFieldSet();
        inPlan.action = ControllerOutcome::Action::None;
        inPlan.differences = 0;
        inPlan.clockOffsetSeconds = 45;
        sent.outcomes = {everyFieldSet(), inPlan};
        const QJsonObject json = runReportJson(sent);
        // Each controller's verdict is written beside it, by the site's tolerance.
        QCOMPARE(json["controllers"][0]["exit_code"].toInt(), 4);
        QCOMPARE(json["controllers"][1]["ok"].toBool(), true);
        const Result<RunReport> got = runReportFromJson(QJsonDocument(json).toJson());
        QVERIFY2(got, qPrintable(got.error()));
        QCOMPARE(std::tuple(got->verb, got->sitePath, got->siteName, got->exitCode, got->message, got->interrupted),
                 std::tuple(sent.verb, sent.sitePath, sent.siteName, sent.exitCode, sent.message, sent.interrupted));
        QCOMPARE(got->finishedAt, sent.finishedAt);
        QCOMPARE(got->clockToleranceSeconds, 45);
        QCOMPARE(got->outcomes.size(), 2);
        compareOutcomes(got->outcomes[0], sent.outcomes[0]);
        compareOutcomes(got->outcomes[1], sent.outcomes[1]);
        QVERIFY(runReportFromJson(withField(json, "report_version", 2)).error().contains("version 2"));
        QVERIFY(runReportFromJson(withField(json, "controllers", QJsonArray{QJsonObject{}})).error().startsWith("controller 1: "));
    }

    void childThatDiesIsReportedAsItDied_data()
    {
        QTest::addColumn<QByteArray>("script"); // the stand-in child, after reading its request
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QByteArray &script, const QString &message) {
            QTest::newRow(name) << script << message;
        };
        row("SIGKILL", "echo 'first words' >&2; echo 'last words' >&2; kill -KILL $$",
            "killed by signal 9 (SIGKILL); its last words: first words | last words");
        row("SIGSEGV, silent", "kill -SEGV $$", "killed by signal 11 (SIGSEGV)");
        row("exit 3", "echo 1 >&2; echo 2 >&2; echo 3 >&2; echo 4 >&2; exit 3",
            "ended with exit status 3 without a result; its last words: 2 | 3 | 4");
        row("other version", "echo '{\"version\":2,\"progress\":5}'",
            "ended with exit status 0 without a result; the child wrote a line it should not: version 2 where 1 is spoken");
        row("cut off", "printf '{\"version\":1'", "ended with exit status 0 without a result; the child's last line is cut off");
        row("a result",
            "printf '%s\\n' '" + childProgressLine(37).trimmed() + "' '" + childResultLine({everyFieldSet(), false}).trimmed() + "'",
            everyFieldSet().message);
    }

    void childThatDiesIsReportedAsItDied()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString child = dir.filePath("child.sh");
        QVERIFY(writeFileBytes(child, "#!/bin/sh\ncat >/dev/null\n" + script + '\n'));
        QVERIFY(QFile::setPermissions(child, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(writeFileBytes(dir.filePath("normal.csv"), "day,slot,in_use,time,seconds\n1,1,1,08:30,3\n"));
        QVERIFY(writeFileBytes(dir.filePath("site.toml"), "[schedules]\nnormal = \"normal.csv\"\n[[controllers]]\nname = \"a\"\n"
                                                          "tcp = \"127.0.0.1:9\"\nmodel = \"v1\"\nschedule = \"normal\"\n"));
        const SiteReading reading = readSiteFile(dir.filePath("site.toml"));
        QVERIFY(reading.site);
        SiteRun run(*reading.site, {"a"}, {.date = QDate(2027, 1, 11), .childProgram = child});
        QSignalSpy progress(&run, &SiteRun::controllerProgress), finished(&run, &SiteRun::finished);
        run.start();
        QVERIFY(finished.wait(20000));
        const ControllerOutcome &o = run.outcomes().constFirst();
        QCOMPARE(o.message, message);
        QCOMPARE(std::tuple(o.name, o.link, o.model), std::tuple(QString("a"), QString("tcp 127.0.0.1:9"), QString("V1")));
        QCOMPARE(progress.size(), message == everyFieldSet().message ? 1 : 0);
        QCOMPARE(o.failed(), message != everyFieldSet().message);
    }
};

QTEST_MAIN(TestSiteRun)
#include "tst_site_run.moc"
