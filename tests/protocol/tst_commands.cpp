// Every controller command on a scripted controller and a fake clock: the bytes it sends over serial and TCP, how it reads the answers a
// controller or a noisy line can give, and how long it waits.
#include "ControllerSimulator.h"
#include "link/WholeSecondClock.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/FrameEncoding.h"
#include "protocol/ProgramModeClockCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "support/ScriptedChannel.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

namespace {
QString replyText(Reply reply)
{
    return QString(reply == Reply::Accepted ? "accepted" : reply == Reply::Refused ? "refused" : "no answer");
}

QString clockText(const std::optional<ClockReading> &r)
{
    return r ? QStringList{r->day, r->month, r->year, r->hour, r->minute, r->second, QString::number(r->weekday)}.join(u' ')
             : QStringLiteral("no answer");
}

QByteArray blockAnswer() // its data hold a "%", which must not count as its start
{
    QByteArray data;
    for (int i = 0; i < 32; ++i)
        data += char(i == 7 ? '%' : 0xA0 + i);
    return "%RE" + data + "\r\n";
}

const QByteArray SimulatorMemory = QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(316); // no "%" or "$" in a dump

using Command = std::function<QString(DeviceLink &)>;
// Rows: the command, over TCP or serial, then the frames it sends;
using FrameRow = std::tuple<QByteArray, bool, QByteArrayList>;
// an answer, its time after the command starts (-1 = before it), the result;
using AnswerRow = std::tuple<QByteArray, bool, QByteArray, int, QString>;
// the answers (one a send, the last repeats), one unasked (at 400 ms, after the first answer), the result, the end;
using UnmarkedRow = std::tuple<QByteArray, bool, QByteArrayList, QByteArray, QString, int>;
// for the simulator: the model, TCP, wrong answers, steps ("command=result", the result's start).
using SimulatorRow = std::tuple<DeviceModel, bool, bool, QStringList>;

const std::map<QByteArray, Command> Commands{
    {"record write", [](DeviceLink &l) { return replyText(WriteCalendarRecord(l, 1, 5, 1, 3, 0x08, 0x30)); }},
    {"record read",
     [](DeviceLink &l) {
         const auto slot = ReadCalendarRecord(l, 7, 64);
         return slot ? QStringLiteral("%1 %2 %3").arg(slot->used).arg(slot->duration).arg(slot->time ? qRound(*slot->time * 1440) : -1)
                     : QStringLiteral("no answer");
     }},
    {"relay test", [](DeviceLink &l) { return replyText(SendRelayTest(l, 5)); }},
    {"set device clock", [](DeviceLink &l) { return replyText(SendDeviceClock(l)); }},
    {"read device clock", [](DeviceLink &l) { return clockText(ReadDeviceClock(l)); }},
    {"program mode load", [](DeviceLink &l) { return replyText(RequestProgramMode(l, ProgramMode::Load)); }},
    {"program mode read", [](DeviceLink &l) { return replyText(RequestProgramMode(l, ProgramMode::Read)); }},
    {"block write",
     [](DeviceLink &l) {
         MemoryBlockData data{'%'};
         data[31] = 0xFF;
         return replyText(WriteMemoryBlock(l, data, 0x0420, MemoryRegion::C));
     }},
    {"block read",
     [](DeviceLink &l) {
         const auto block = ReadMemoryBlock(l, 1024, MemoryRegion::F);
         return block ? QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(block->data()), 32).toHex())
                      : QStringLiteral("no answer");
     }},
    {"program clock set", [](DeviceLink &l) { return replyText(SetClockProgramMode(l)); }},
    {"program clock read", [](DeviceLink &l) { return clockText(ReadClockProgramMode(l)); }},
};
} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void framesOnTheWire_data()
    {
        QTest::addColumn<FrameRow>("row");
        const auto both = [](const char *name, const QByteArray &serial, int tcpCopies) {
            const QByteArray body = serial.chopped(1);
            QTest::addRow("%s serial", name) << FrameRow{name, false, {serial}};
            QTest::addRow("%s tcp", name) << FrameRow{name, true, {body.repeated(tcpCopies) + '\r'}};
        };
        both("record write", "%ZW0011051030830**\r", 3);
        both("record read", "%ZR001764**\r", 4);
        both("relay test", "%DT00105**\r", 10);
        // The record devices count Monday as 01, so Sunday is 07.
        both("set device clock", "%DR00106122623595807**\r", 6);
        both("read device clock", "%UR001**\r", 4);
        both("program mode load", "%CM050**\r", 1);
        both("program mode read", "%CM060**\r", 1);
        both("block write", "%SEC0420%" + QByteArray(30, '\0') + '\xFF' + QByteArray(32, '\0') + "**\r", 1);
        both("block read", "%REF0400**\r", 1);
        // Program-mode clocks count Monday as 00, so Sunday is 06.
        QTest::addRow("program clock set") << FrameRow{"program clock set", false, {"%CM020**\r", "%RRTC06122623595806**\r"}};
    }

    void framesOnTheWire()
    {
        QFETCH(FrameRow, row);
        const auto &[command, tcp, frames] = row;
        CommandBench bench(tcp ? LinkTransport::Tcp : LinkTransport::Serial);
        bench.clock.setCurrentDateTime(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58))); // a Sunday
        bench.device.replyToEverySend(programAckAnswer());
        Commands.at(command)(bench.link);
        QCOMPARE(bench.device.sentFrames(), frames);
    }

    void answers_data()
    {
        QTest::addColumn<AnswerRow>("row");
        const auto row = [](const char *name, const AnswerRow &row) { QTest::newRow(name) << row; };
        row("write N", {"record write", false, "$ZW001N\r\n", 300, "refused"});
        row("write without $ZW", {"record write", false, "%ZW001O\r\n", 300, "refused"});
        row("write silence", {"record write", false, {}, 0, "no answer"});
        // The record commands still take an answer read in the wait's last pass.
        row("write in last pass", {"record write", false, "$ZW001O\r\n", 2000, "accepted"});
        row("write too late", {"record write", false, "$ZW001O\r\n", 2100, "no answer"});
        // A stale answer is drained from the serial line, but waits on TCP.
        row("stale serial", {"record write", false, "$ZW001N\r\n", -1, "no answer"});
        row("stale tcp", {"record write", true, "$ZW001N\r\n", -1, "refused"});
        row("read slot off", {"record read", false, "$ZR001O76402x9975**\r", 500, QString("0 2 -1")});
        row("read N", {"record read", false, "$ZR001N7641150823**\r", 500, "no answer"});
        row("relay other", {"relay test", false, "$DR001O\r\n", 100, "refused"});
        row("relay last pass", {"relay test", false, "$DT001O\r\n", 1000, "accepted"});
        row("relay late", {"relay test", false, "$DT001O\r\n", 1100, "no answer"});
        row("clock day 7x", {"read device clock", false, "$UR0010612262359587x**\r", 100, "06 12 26 23 59 58 7"});
        row("clock day 08", {"read device clock", false, "$UR00106122623595808**\r", 100, "06 12 26 23 59 58 0"});
        row("clock wrong letters", {"read device clock", false, "$DR00106122623595807**\r", 100, "no answer"});
        row("ack late in inclusive wait", {"program mode load", false, programAckAnswer(), 1900, "accepted"});
        row("ack other", {"program mode load", false, "%PICNOXXX                 \r\n", 500, "no answer"});
        row("block acked", {"block write", false, programAckAnswer(), 4900, "accepted"});
        row("block ack too late", {"block write", false, programAckAnswer(), 5000, "no answer"});
        row("block not acked", {"block write", false, "%PICNOXXX                 \r\n", 100, "refused"});
        row("block read wrong letters", {"block read", false, "%RF" + blockAnswer().mid(3), 100, "no answer"});
    }

    void answers()
    {
        QFETCH(AnswerRow, row);
        const auto &[command, tcp, answer, atMs, result] = row;
        CommandBench bench(tcp ? LinkTransport::Tcp : LinkTransport::Serial);
        if (atMs < 0)
            bench.device.deliverAt(0, answer);
        else if (!answer.isEmpty())
            bench.device.replyToSend(answer, atMs);
        QCOMPARE(Commands.at(command)(bench.link), result);
    }

    // Answers without their leading "%" or "$", read from their first character, over serial and TCP. Good ones count
    // as soon as they are whole; wrong ones are refused at once, long before the deadline: each row's end is its
    // answer's arrival (100 ms after its send; the clock answer at 400 ms), where a deadline is 1 to 5 s later.
    void answersWithoutMarker_data()
    {
        QTest::addColumn<UnmarkedRow>("row");
        const QByteArray ack = programAckAnswer().mid(1), noAck = "PICNOXXX" + ack.mid(8);
        const QByteArray data = blockAnswer().mid(3, 32).replace('%', '*'); // no "%" or "$": either would start an answer
        const auto row = [](const char *name, const char *command, const QByteArrayList &answers, const QByteArray &unasked,
                            const QString &result, int endMs = 100) {
            for (const bool tcp : {false, true})
                QTest::addRow("%s %s", name, tcp ? "tcp" : "serial") << UnmarkedRow{command, tcp, answers, unasked, result, endMs};
        };
        row("write", "record write", {"ZW001O\r\n"}, {}, "accepted");
        row("write N", "record write", {"ZW001N\r\n"}, {}, "refused");
        row("write, other letters", "record write", {"ZR001O\r\n"}, {}, "refused");
        row("read", "record read", {"ZR001O7641150823**\r"}, {}, "1 15 503");
        row("read N", "record read", {"ZR001N7641150823**\r"}, {}, "no answer");
        row("read, other letters", "record read", {"ZW001O7641150823**\r"}, {}, "no answer");
        row("relay", "relay test", {"DT001O\r\n"}, {}, "accepted");
        row("relay, other letters", "relay test", {"DR001O\r\n"}, {}, "refused");
        row("clock set", "set device clock", {"DR001O\r\n"}, {}, "accepted");
        row("clock set, other letters", "set device clock", {"ER001O\r\n"}, {}, "refused");
        row("clock read", "read device clock", {"UR00106122623595807**\r"}, {}, "06 12 26 23 59 58 7");
        row("clock read, other letters", "read device clock", {"ER00106122623595807**\r"}, {}, "no answer");
        row("ack", "program mode load", {ack}, {}, "accepted");
        row("no ack, five times", "program mode read", {noAck}, {}, "refused", 500); // sent six times, 100 ms apart
        row("block acked", "block write", {ack}, {}, "accepted");
        row("block not acked", "block write", {noAck}, {}, "refused");
        row("dump", "block read", {"RE" + data + "\r\n"}, {}, QString::fromLatin1(data.toHex()));
        row("dump, other letters", "block read", {"ER" + data + "\r\n"}, {}, "no answer");
        row("program clock set", "program clock set", {ack}, {}, "accepted", 2100); // its frame goes once the clock passes 1 s
        row("program clock set, not acked", "program clock set", {ack, noAck}, {}, "refused", 2100);
        row("SRTC", "program clock read", {ack}, "SRTC06122623595807**\r", "06 12 26 23 59 58 7", 400);
        row("SRTC, other letters", "program clock read", {ack}, "NRTC06122623595807**\r", "no answer", 400);
    }

    void answersWithoutMarker()
    {
        QFETCH(UnmarkedRow, row);
        const auto &[command, tcp, answers, unasked, result, endMs] = row;
        CommandBench bench(tcp ? LinkTransport::Tcp : LinkTransport::Serial);
        for (int i = 0; i + 1 < answers.size(); ++i)
            bench.device.replyToSend(answers[i], 100);
        bench.device.replyToEverySend(answers.last(), 100);
        if (!unasked.isEmpty())
            bench.device.deliverAt(400, unasked);
        QCOMPARE(Commands.at(command)(bench.link), result);
        QCOMPARE(bench.clock.ms(), endMs);
    }

    // The same through the simulator answering without markers, over TCP and a pseudo-terminal, in real time: every
    // answer kind of both families, good, then wrong (refused well within a second, where its wait lasts 1 to 10 s).
    void answersWithoutMarkerThroughTheSimulator_data()
    {
        QTest::addColumn<SimulatorRow>("row");
        const QString dump = QString::fromLatin1(SimulatorMemory.mid(1024, 32).toHex());
        const QStringList v1{"program clock read=27 02 31 06 05", "program clock set=accepted",
                             "program mode load=accepted",        "block write=accepted",
                             "program mode read=accepted",        "block read=" + dump};
        const QStringList v1Wrong{"program clock read=no answer", "program mode load=refused"};
        const QStringList records{"read device clock=27 02 31 06 05", "set device clock=accepted", "record write=accepted",
                                  "record read=1 15 503", "relay test=accepted"};
        const QStringList recordsWrong{"read device clock=no answer", "set device clock=refused", "record write=refused",
                                       "record read=no answer", "relay test=refused"};
        for (const bool tcp : {false, true}) {
            const char *over = tcp ? "tcp" : "serial";
            QTest::addRow("V1 %s", over) << SimulatorRow{DeviceModel::V1, tcp, false, v1};
            QTest::addRow("V1 wrong %s", over) << SimulatorRow{DeviceModel::V1, tcp, true, v1Wrong};
            QTest::addRow("V3 64 %s", over) << SimulatorRow{DeviceModel::V3Times64, tcp, false, records};
            QTest::addRow("V3 64 wrong %s", over) << SimulatorRow{DeviceModel::V3Times64, tcp, true, recordsWrong};
        }
    }

    void answersWithoutMarkerThroughTheSimulator()
    {
        QFETCH(SimulatorRow, row);
        const auto &[model, tcp, wrong, steps] = row;
        ControllerSimulator simulator;
        QVERIFY(tcp ? simulator.listenTcp() : simulator.openSerial());
        simulator.setModel(int(model));
        simulator.setClock(QDateTime(QDate(2031, 2, 27), QTime(6, 5, 4)));
        simulator.setMemory(SimulatorMemory);
        simulator.setRecord(7, 64, {1, 15, 8, 23});
        simulator.setFaults({.wrongStatus = wrong, .noiseBefore = {}, .withoutMarker = true});
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        const LinkSettings settings{tcp ? LinkTransport::Tcp : LinkTransport::Serial, "127.0.0.1", simulator.tcpPort(),
                                    simulator.serialDevicePath(), facts(model).line};
        QVERIFY(link.Open(settings));
        for (const QString &step : steps) {
            const QString name = step.section(u'=', 0, 0), expected = step.section(u'=', 1);
            QElapsedTimer timer;
            timer.start();
            const QString got = Commands.at(name.toLatin1())(link);
            QVERIFY2(got.startsWith(expected), qPrintable(name + ": " + got));
            // The relay test's counted passes after any answer are no wait.
            const bool judgedAtOnce = !wrong || name == u"relay test" || timer.elapsed() < 1000;
            QVERIFY2(judgedAtOnce, qPrintable(QString("%1 took %2 ms").arg(name).arg(timer.elapsed())));
        }
    }

    // 1 to 19 stray bytes (noise, an earlier answer's tail), then an answer one short of what the wait
    // needs after its marker: its last piece in time gives the value, none gives no answer.
    void strayBytesBeforeEveryAnswer()
    {
        const std::tuple<const char *, QByteArray, int, QString> answers[] = {
            {"record write", "$ZW001O**\r", 9, "accepted"},
            {"record read", "$ZR001O1071030830**\r", 20, "1 3 510"}, // 08:30, never 08:03
            {"relay test", "$DT001O**\r", 9, "accepted"},
            {"set device clock", "$DR001O**\r", 9, "accepted"},
            {"read device clock", "$UR00106122623595807**\r", 23, "06 12 26 23 59 58 7"},
            {"program mode load", programAckAnswer(), 28, "accepted"},
            {"block read", blockAnswer(), 37, QString::fromLatin1(blockAnswer().mid(3, 32).toHex())},
            {"program clock read", "%SRTC06122623595807**\r", 21, "06 12 26 23 59 58 7"}, // follows its acknowledgement
        };
        for (const auto &[name, answer, needed, result] : answers)
            for (int run = 0; run < 19 * 4; ++run) {
                const int stray = 1 + run / 4;
                const bool tcp = run % 2, whole = run % 4 < 2;
                CommandBench bench(tcp ? LinkTransport::Tcp : LinkTransport::Serial);
                const qint64 at = QByteArray(name) == "program clock read" ? 400 : 100;
                bench.device.replyToSend(at == 400 ? programAckAnswer() : QByteArray(), 100);
                bench.device.deliverAt(at, QByteArray("\xFF\x00#!x7\r\n*Z", 10).repeated(2).left(stray) + answer.left(needed - 1));
                if (whole)
                    bench.device.deliverAt(at + 500, answer.mid(needed - 1));
                const QString got = Commands.at(name)(bench.link);
                QVERIFY2(got == (whole ? result : "no answer"),
                         qPrintable(QString("%1, %2 stray bytes over %3: %4").arg(name).arg(stray).arg(tcp ? "TCP" : "serial", got)));
            }
    }

    void noLinkOrFailedPortCheckSendsNothing()
    {
        for (const auto &[name, run] : Commands) {
            FakeClock clock;
            DeviceLink link(clock);
            QVERIFY2(run(link).startsWith(u"no answer"), name.constData());
            QCOMPARE(clock.ms(), 0);
        }
        for (const char *name : {"program mode load", "block write", "block read", "program clock set"}) {
            CommandBench bench(LinkTransport::Serial);
            bench.device.setPortCheckResult(false);
            bench.device.replyToEverySend(programAckAnswer());
            QVERIFY2(!Commands.at(name)(bench.link).startsWith(u"accepted") && bench.device.sentFrames().isEmpty(), name);
        }
    }

    void programAckIsAwaitedFiveTimes()
    {
        CommandBench silent(LinkTransport::Serial, 500);
        QCOMPARE(RequestProgramMode(silent.link, ProgramMode::Load), Reply::NoAnswer);
        // Five inclusive one-second waits, the frame sent again after each.
        QCOMPARE(silent.device.sentFrames(), QByteArrayList(6, "%CM050**\r"));
        QCOMPARE(silent.device.sendTimes(), (QList<qint64>{500, 2000, 4000, 6000, 8000, 10000}));
        QVERIFY(silent.clock.sleepCount() > 10); // it slept between passes

        CommandBench third(LinkTransport::Tcp);
        third.device.replyToSend({});
        third.device.replyToSend("%PICNOXXX                 \r\n", 100);
        third.device.replyToSend(programAckAnswer(), 100);
        QCOMPARE(RequestProgramMode(third.link, ProgramMode::Read), Reply::Accepted);
        QCOMPARE(third.device.sentFrames().size(), 3);
    }

    void clocksTakeOneReadingAfterTheirPause()
    {
        CommandBench bench(LinkTransport::Serial, 300);
        bench.clock.setCurrentDateTime(QDateTime(QDate(1999, 3, 1), QTime(7, 8, 9)));
        bench.device.replyToEverySend(programAckAnswer(), 100);
        QCOMPARE(SetClockProgramMode(bench.link), Reply::Accepted);
        QCOMPARE(bench.clock.dateTimeReadings(), 1);
        // Years before 2000 go out as 00; the clock frame waits until the clock passes start + 1 s.
        QCOMPARE(bench.device.sentFrames().value(1), QByteArray("%RRTC01030007080900**\r"));
        QCOMPARE(bench.device.sendTimes().value(1), 2000);

        const auto programClock = [](const QByteArray &answer) {
            CommandBench read(LinkTransport::Tcp);
            read.device.replyToSend(programAckAnswer(), 100);
            read.device.deliverAt(400, answer);
            return clockText(ReadClockProgramMode(read.link));
        };
        QCOMPARE(programClock("%SRTC06122623595807**\r"), QString("06 12 26 23 59 58 7"));
        QCOMPARE(programClock("%SRTC0612262359587x**\r"), QString("06 12 26 23 59 58 0"));
        QCOMPARE(programClock("%SRTC061226235958.6**\r"), QString("06 12 26 23 59 58 0")); // never rounded to a day

        // The record clock frame is built after its pause: a PC clock that turns over during the pause is the time sent.
        CommandBench record(LinkTransport::Serial);
        record.clock.setCurrentDateTime(QDateTime(QDate(2026, 1, 5), QTime(12, 0, 0)));
        QTimer::singleShot(0, [&record] { record.clock.setCurrentDateTime(QDateTime(QDate(2026, 1, 5), QTime(12, 0, 1))); });
        record.device.replyToEverySend("$DR001O\r\n", 100);
        QCOMPARE(SendDeviceClock(record.link), Reply::Accepted);
        QCOMPARE(record.device.sentFrames(), QByteArrayList{"%DR00105012612000101**\r"});
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
