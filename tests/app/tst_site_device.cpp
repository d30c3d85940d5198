// zilctl site status and apply against five simulated controllers at once, served by this process over loopback TCP and a pty.
#include "ControllerSimulator.h"
#include "operations/OperationTexts.h"
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "schedule/DeviceModelNames.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "support/FileBytes.h"
#include "support/ServedRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <map>
#include <unistd.h>

using namespace OperationText;

namespace {
struct Run : ServedRun
{
    qint64 afterSignal = -1; // from SIGINT to the end
    QJsonObject json;
    std::map<QString, QJsonObject> controllers; // by name
};

} // namespace

class TestSiteDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QTcpServer closed; // a loopback port that nothing listens on
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const std::tuple<const char *, DeviceModel, bool> sims[] = {
            {"inplan", DeviceModel::V3Times64, false},       {"other", DeviceModel::V1, true},
            {"refusing", DeviceModel::V2Times24, false},     {"clock", DeviceModel::V3IntervalTimer, false},
            {"silent", DeviceModel::V2IntervalTimer, false}, {"unreachable", DeviceModel::V2Times24, false}};
        QByteArray site = "name = \"Deneme\"\n[schedules]\nnormal = \"normal.csv\"\n";
        for (const auto &[name, model, serial] : sims) {
            auto sim = std::make_unique<ControllerSimulator>();
            sim->setModel(int(model));
            QVERIFY(sim->listenTcp() && (!serial || sim->openSerial()));
            const quint16 port = name == QLatin1String("unreachable") ? closed.serverPort() : sim->tcpPort();
            const QByteArray link =
                serial ? "serial = \"" + sim->serialDevicePath().toUtf8() + '"' : "tcp = \"127.0.0.1:" + QByteArray::number(port) + '"';
            site += "[[controllers]]\nname = \"" + QByteArray(name) + "\"\n" + link + "\nmodel = \"" + modelShortName(model).toUtf8() +
                    "\"\nschedule = \"normal\"\n";
            if (port == sim->tcpPort())
                m_sims[name] = std::move(sim);
        }
        // A holiday on Wednesday, only for "inplan": the week it must hold has an off day.
        site += "[[periods]]\nname = \"Bayram\"\ndate = 2027-01-13\nschedule = \"off\"\ncontrollers = [\"inplan\"]\n";
        QVERIFY(
            writeFileBytes(m_dir.filePath("normal.csv"), "day,slot,in_use,time,seconds\n1,1,1,08:30,3\n3,2,1,09:10,5\n5,24,1,16:00,7\n"));
        QVERIFY(writeFileBytes(m_dir.filePath("site.toml"), site));
        SiteReading reading = readSiteFile(m_dir.filePath("site.toml"));
        QVERIFY2(reading.site, qPrintable(reading.problems.value(0).toString()));
        m_site = reading.site;
        holdPlannedWeek(*m_sims["inplan"], "inplan");
        holdPlannedWeek(*m_sims["clock"], "clock");
        m_sims["clock"]->setClock(QDateTime::currentDateTime().addSecs(3600));
        m_sims["silent"]->setFaults({.silent = true, .noiseBefore = {}});
    }

    void statusThenApplyThenApply()
    {
        const QStringList everyone{"--date=2027-01-11", "--jobs=8", "--deadline=30"};
        const QStringList responsive = everyone + QStringList{"--only=inplan", "--only=other", "--only=refusing", "--only=clock"};
        const QString metrics = m_dir.filePath("zil.prom");
        Run run = zilctl(QStringList{"status", "--openmetrics", metrics} + everyone);
        QCOMPARE(run.exitCode, 1); // two controllers could not be read
        QCOMPARE(run.controllers.size(), size_t(6));
        const std::map<QString, std::pair<int, int>> expected{// name, exit code, differences (-1: not read)
                                                              {"inplan", {0, 0}}, {"other", {4, 168}}, {"refusing", {4, 168}},
                                                              {"clock", {4, 0}},  {"silent", {1, -1}}, {"unreachable", {1, -1}}};
        for (const auto &[name, c] : run.controllers) {
            QVERIFY2(expected.count(name), qPrintable("no expected row for " + name));
            const auto [exitCode, differences] = expected.at(name);
            QCOMPARE(c["exit_code"].toInt(), exitCode);
            QCOMPARE(c["ok"].toBool(), exitCode == 0);
            QCOMPARE(c["differences"].toInt(-1), differences);
            QCOMPARE(c["action"].toString(), exitCode == 1 ? "failed" : "none");
        }
        QVERIFY(qAbs(run.controllers["clock"]["clock_offset_seconds"].toInt() - 3600) <= 2);
        QVERIFY(run.controllers["unreachable"]["message"].toString().contains("Connection refused"));
        QVERIFY(run.controllers["silent"]["clock_offset_seconds"].isNull());
        const QByteArray prom = readFileBytes(metrics);
        for (const char *sample : {"zil_up{controller=\"unreachable\"} 0", "zil_up{controller=\"inplan\"} 1",
                                   "zil_in_plan{controller=\"clock\"} 0", "zil_differing_slots{controller=\"other\"} 168"})
            QVERIFY2(prom.contains('\n' + QByteArray(sample) + '\n'), sample);
        QVERIFY(QRegularExpression("\nzil_clock_offset_seconds\\{controller=\"clock\"\\} 3(59[89]|60[012])\n").match(prom).hasMatch());
        QVERIFY(prom.startsWith("# TYPE zil_up gauge\n") && prom.endsWith("# EOF\n"));
        for (const auto &[name, sim] : m_sims) // one child a controller, over one link
            QCOMPARE(sim->connectionsAccepted(), name == "other" ? 0 : 1);
        std::map<QString, QList<QByteArray>> reads; // what a status asks of each controller
        for (auto &[name, sim] : m_sims)
            reads[name] = sim->receivedFrames();

        // A dry run reads only, whatever it finds.
        run = zilctl(QStringList{"apply", "--dry-run", "--set-clocks"} + responsive);
        QCOMPARE(run.exitCode, 4);
        QCOMPARE(run.controllers["other"]["action"].toString(), "would-send");
        QCOMPARE(run.controllers["inplan"]["action"].toString(), "none");
        for (const char *name : {"inplan", "other", "refusing", "clock"})
            QCOMPARE(framesOf(name), reads[name]);

        // The refusing controller says no to the fifth slot record of the send.
        m_sims["refusing"]->setFaults({.afterFrames = int(reads["refusing"].size()) + 4, .wrongStatus = true, .noiseBefore = {}});
        const QByteArray aroundSlots = holdBytesAroundSlots(*m_sims["other"]);
        run = zilctl(QStringList{"apply", "--set-clocks"} + responsive);
        QCOMPARE(bytesAroundSlots(*m_sims["other"]), aroundSlots); // a "V1" gets back what it held there
        m_sims["refusing"]->setFaults({});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(framesOf("inplan"), reads["inplan"]); // in plan: reads only, no write to its memory
        for (const auto &[name, action] : {std::pair("inplan", "none"), {"other", "sent"}, {"refusing", "failed"}, {"clock", "clock-set"}})
            QCOMPARE(run.controllers[name]["action"].toString(), action);
        QCOMPARE(run.controllers["other"]["exit_code"].toInt(), 0);
        QVERIFY(run.controllers["refusing"]["message"].toString().startsWith("send: "));
        QVERIFY(qAbs(run.controllers["clock"]["clock_offset_seconds"].toInt(99)) <= 2 &&
                qAbs(m_sims["clock"]->clock().secsTo(QDateTime::currentDateTime())) <= 2);

        // Right after, a second apply writes nothing anywhere it succeeded.
        run = zilctl(QStringList{"apply", "--set-clocks", "--only=inplan", "--only=other", "--only=clock"} + everyone);
        QCOMPARE(run.exitCode, 0);
        for (const char *name : {"inplan", "other", "clock"}) {
            QCOMPARE(run.controllers[name]["action"].toString(), "none");
            QCOMPARE(framesOf(name), reads[name]);
        }
    }

    void deadlineAndCtrlC()
    {
        // A slow controller is cut off at its deadline, long before its 448 answers at 200 ms each would end; the other runs on.
        m_sims["inplan"]->setFaults({.afterFrames = 8, .noiseBefore = {}, .answerDelayMs = 200}); // its clock read is on time
        Run run = zilctl({"status", "--date=2027-01-11", "--deadline=5", "--only=inplan", "--only=other"});
        m_sims["inplan"]->setFaults({});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.controllers["inplan"]["message"].toString().left(26), "no result within 5 s (--de");
        QVERIFY(!run.controllers["other"]["clock_offset_seconds"].isNull());
        QVERIFY2(run.milliseconds < 45000, qPrintable(QString::number(run.milliseconds)));

        // Ctrl-C in the middle of the work: the child stops after its record under way, asked once, and tells so itself.
        // The longest work begins first: the V2 24's 168 records before the V1's 32 blocks listed ahead of it.
        for (const char *name : {"other", "refusing"}) // the clock read first, on time: its wait may end within the second
            m_sims[name]->setFaults({.afterFrames = 1, .noiseBefore = {}, .answerDelayMs = 100});
        run = zilctl({"apply", "--date=2027-01-04", "--jobs=1", "--only=other", "--only=refusing"}, 12);
        for (const char *name : {"other", "refusing"})
            m_sims[name]->setFaults({});
        QCOMPARE(run.exitCode, 130);
        QCOMPARE(run.controllers["refusing"]["action"].toString(), "failed");
        QCOMPARE(run.controllers["refusing"]["message"].toString(), "stopped by a signal; " + Cancelled);
        QCOMPARE(run.controllers["other"]["message"].toString(), "not begun: stopped by a signal");
        QVERIFY2(run.afterSignal >= 0 && run.afterSignal < 8000, qPrintable(QString::number(run.afterSignal))); // the rest: over 30 s
    }

    void scriptSendToV1KeepsItsOtherBytes()
    {
        const QString week = m_dir.filePath("week.dat");
        QVERIFY(SaveCalendar(plannedWeek(*m_site, *m_site->controller("other"), QDate(2027, 3, 1)).calendar, week));
        ControllerSimulator &v1 = *m_sims["other"];
        const QStringList send{"send", "--model=v1", "--serial=" + v1.serialDevicePath(), "--calendar=" + week, "--json"};
        QByteArray aroundSlots = holdBytesAroundSlots(v1);
        Run run = runZilctl(send);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(bytesAroundSlots(v1), aroundSlots);

        // A read that fails sends nothing: the third block read goes unanswered.
        aroundSlots = holdBytesAroundSlots(v1);
        v1.setFaults({.afterFrames = 3, .silent = true, .noiseBefore = {}});
        run = runZilctl(send);
        v1.setFaults({});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.json["message"].toString().startsWith("nothing was sent: the controller's memory must be read first"),
                 qPrintable(run.json["message"].toString()));
        for (const QByteArray &frame : v1.receivedFrames())
            QVERIFY2(!frame.startsWith("%SE") && !frame.startsWith("%CM05"), frame.constData());
    }

    void refusedCommandsContactNothing_data()
    {
        QTest::addColumn<QString>("arguments"); // after "site"; SITE: the site file, by a path relative to the test folder
        QTest::addColumn<QString>("error");     // none: the command is taken
        const auto row = [](const char *arguments, const char *error) { QTest::newRow(arguments) << QString(arguments) << QString(error); };
        row("status", "site status wants the site file");
        row("SITE", "site wants check, plan, status, apply, print or ics");
        row("status SITE --jobs=0", "--jobs: '0' is not a whole number from 1 to 64");
        row("status SITE --jobs=65", "--jobs: '65' is not a whole number from 1 to 64");
        row("status SITE --deadline=0", "--deadline: '0' is not a whole number from 1 to 86400");
        row("status SITE --deadline=1 --jobs=64 --only=nobody", "--only: the site has no controller \"nobody\"");
        row("apply SITE --date=2027-02-30", "--date: '2027-02-30' is not a date YYYY-MM-DD");
        row("status SITE --dry-run", "--dry-run does not apply to site status");
        row("status .", "the site file was refused, nothing was contacted:\n.: is a folder, not a site file");
        row("check SITE", "");
    }

    void refusedCommandsContactNothing()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, error);
        const int exitCode = error.isEmpty() ? 0 : 2;
        const Run run = runZilctl(("site " + arguments.replace("SITE", "site.toml") + " --json").split(u' '));
        QVERIFY2(run.milliseconds < 30000 && run.exitCode >= 0, qPrintable(QString::number(run.milliseconds)));
        QTest::qWait(200); // time for a connection to arrive, were there one
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.json["exit_code"].toInt(), exitCode);
        QCOMPARE(run.json["message"].toString(), error);
        for (auto &[name, sim] : m_sims)
            QVERIFY(sim->receivedFrames().isEmpty());
    }

private:
    // Runs zilctl in the test folder while this event loop serves the simulators, their logs cleared first; SIGINT
    // to its process group, as Ctrl-C at a terminal, once the simulators have taken `interruptAt` frames.
    Run zilctl(const QStringList &arguments, int interruptAt = 0)
    {
        return runZilctl(QStringList{"site"} + arguments + QStringList{m_dir.filePath("site.toml"), "--json"}, interruptAt);
    }

    Run runZilctl(const QStringList &arguments, int interruptAt = 0)
    {
        int frames = 0;
        QElapsedTimer sinceSignal;
        const ServedRun served = runServed(ZILCTL_PATH, arguments, 180000, {}, [&](QProcess &process) {
            process.setChildProcessModifier([] { ::setpgid(0, 0); });
            process.setWorkingDirectory(m_dir.path());
            for (auto &[name, sim] : m_sims) {
                sim->clearLog();
                connect(sim.get(), &ControllerSimulator::frameReceived, &process, [&] {
                    if (++frames == interruptAt) {
                        sinceSignal.start();
                        ::kill(-pid_t(process.processId()), SIGINT);
                    }
                });
            }
        });
        Run run{served, sinceSignal.isValid() ? sinceSignal.elapsed() : -1, QJsonDocument::fromJson(served.out.toUtf8()).object()};
        for (const QJsonValue &c : run.json.value("controllers").toArray())
            run.controllers[c["name"].toString()] = c.toObject();
        return run;
    }

    void holdPlannedWeek(ControllerSimulator &simulator, const QString &controller)
    {
        const RingCalendar week = plannedWeek(*m_site, *m_site->controller(controller), QDate(2027, 1, 11)).calendar; // a Monday
        for (int day = 1; day <= 7; ++day)
            for (int slot = 1; slot <= 64; ++slot) {
                const QTime time = toQTime(week.ringTime(day, slot));
                simulator.setRecord(day, slot, {week.timeUsed(day, slot) == 1, week.ringDuration(day, slot), time.hour(), time.minute()});
            }
    }

    QList<QByteArray> framesOf(const QString &name) { return m_sims.at(name)->receivedFrames(); }

    // A "V1" memory with bytes of its own before the slot entries (0-23) and after them (696-1055).
    static QByteArray bytesAroundSlots(const ControllerSimulator &sim) { return sim.memory().left(24) + sim.memory().mid(696, 360); }
    static QByteArray holdBytesAroundSlots(ControllerSimulator &sim)
    {
        QByteArray memory = sim.memory();
        for (int i = 0; i < 1056; ++i)
            if (i < 24 || i >= 696)
                memory[i] = char(0x5A ^ i);
        sim.setMemory(memory);
        return bytesAroundSlots(sim);
    }

    QTemporaryDir m_dir;
    std::map<QString, std::unique_ptr<ControllerSimulator>> m_sims;
    std::optional<Site> m_site;
};

QTEST_MAIN(TestSiteDevice)
#include "tst_site_device.moc"
