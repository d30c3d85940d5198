#include "protocol/ProgramModeClockCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

namespace {
const ReplyData EarlierReply{1, 2, 3};
}

class ProgramModeClockCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void clockFrame_data()
    {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("Wednesday 5 March 2025 14:07:09")
            << QDateTime(QDate(2025, 3, 5), QTime(14, 7, 9)) << QByteArray("%RRTC05032514070902**\r");
        QTest::newRow("Monday is 00") << QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0))
                                      << QByteArray("%RRTC07122600000000**\r");
        QTest::newRow("Sunday is 06") << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59))
                                      << QByteArray("%RRTC06122623595906**\r");
        QTest::newRow("1999 gives 00") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))
                                       << QByteArray("%RRTC31120023595904**\r");
        QTest::newRow("2105 gives 10") << QDateTime(QDate(2105, 1, 1), QTime(1, 2, 3))
                                       << QByteArray("%RRTC01011001020303**\r");
    }
    void clockFrame()
    {
        QFETCH(QDateTime, local);
        QFETCH(QByteArray, frame);
        QCOMPARE(programModeClockFrame(local), frame);
        QCOMPARE(programModeClockFrame(local).size(), 22);
    }

    void setClock_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::newRow("serial") << LinkTransport::Serial;
        QTest::newRow("tcp") << LinkTransport::Tcp;
    }
    void setClock()
    {
        QFETCH(LinkTransport, transport);
        CommandBench bench(transport, 200);
        bench.clock.setCurrentDateTime(QDateTime(QDate(2025, 3, 5), QTime(14, 7, 9)));
        bench.device.replyToSend(programAckAnswer(), 300);
        bench.device.replyToSend(programAckAnswer(), 300);
        QCOMPARE(SetClockProgramMode(bench.link), ProgramCommandOk);
        QCOMPARE(bench.device.sentFrames(),
                 (QList<QByteArray>{"%CM020**\r", "%RRTC05032514070902**\r"}));
        // Every field from one reading of the clock.
        QCOMPARE(bench.clock.dateTimeReadings(), 1);
        // Acknowledged at 0.5 s; the clock frame waits until the clock reads
        // later than 0 + 1, that is 2.0 s.
        QCOMPARE(bench.device.sendTimes().at(1), 2000);
    }

    void setClockRequestNeverAcknowledged()
    {
        CommandBench bench(LinkTransport::Tcp);
        QCOMPARE(SetClockProgramMode(bench.link), ProgramCommandFailed);
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>(6, "%CM020**\r"));
        QCOMPARE(bench.clock.dateTimeReadings(), 0);
    }

    void setClockFrameUnanswered_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("silent") << QByteArray();
        QTest::newRow("refusal") << QByteArray("%PICNOXXX                 \r\n");
    }
    void setClockFrameUnanswered()
    {
        QFETCH(QByteArray, answer);
        CommandBench bench(LinkTransport::Serial);
        bench.device.replyToSend(programAckAnswer(), 100);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, 100);
        QCOMPARE(SetClockProgramMode(bench.link), ProgramCommandFailed);
        QCOMPARE(bench.device.sentFrames().size(), 2); // the clock frame is not re-sent
    }

    void readClock_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("read");
        const QByteArray good = "%SRTC01022614300003\r\n";
        QTest::newRow("serial") << LinkTransport::Serial << good << true;
        QTest::newRow("tcp") << LinkTransport::Tcp << good << true;
        QTest::newRow("noise first") << LinkTransport::Tcp << "  " + good << true;
        QTest::newRow("other letters") << LinkTransport::Serial << QByteArray("%NRTC01022614300003\r\n") << false;
        QTest::newRow("20 characters") << LinkTransport::Tcp << good.left(20) << false;
        QTest::newRow("% in noise") << LinkTransport::Tcp << "%" + good << false;
        QTest::newRow("first % too late") << LinkTransport::Tcp << QByteArray(10, 'z') + "%SRTC0102\r\n" << false;
    }
    void readClock()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(bool, read);
        CommandBench bench(transport, 0);
        bench.device.replyToSend(programAckAnswer(), 200);
        bench.device.deliverAt(700, answer); // sent unasked after the acknowledgement
        ReplyData reply = EarlierReply;
        QCOMPARE(ReadClockProgramMode(bench.link, reply), read ? 1 : 2);
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>{"%CM030**\r"});
        if (!read) {
            QCOMPARE(reply, EarlierReply);
            return;
        }
        QCOMPARE(reply.size(), 8);
        const QStringList fields{"01", "02", "26", "14", "30", "00", "03"};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(reply.at(i).toString(), fields.at(i));
        QVERIFY(reply.at(7).isNull());
    }

    void readClockLateAnswerRejected()
    {
        // Acknowledged at 0.2 s; the strict 5 s wait has its last pass at
        // 5.0 s, and an answer complete only then is a time-out.
        CommandBench bench(LinkTransport::Serial, 0);
        bench.device.replyToSend(programAckAnswer(), 200);
        bench.device.deliverAt(5000, "%SRTC01022614300003\r\n");
        ReplyData reply = EarlierReply;
        QCOMPARE(ReadClockProgramMode(bench.link, reply), 2);
        QCOMPARE(reply, EarlierReply);
        QCOMPARE(bench.clock.ms(), 5000);
    }

    void noOpenLink()
    {
        FakeClock clock;
        DeviceLink link(clock);
        ReplyData reply = EarlierReply;
        QCOMPARE(SetClockProgramMode(link), 2);
        QCOMPARE(ReadClockProgramMode(link, reply), 2);
        QCOMPARE(reply, EarlierReply);
    }

    void serialPortCheckFails()
    {
        CommandBench bench(LinkTransport::Serial);
        bench.device.setPortCheckResult(false);
        ReplyData reply = EarlierReply;
        QCOMPARE(SetClockProgramMode(bench.link), 2);
        QCOMPARE(ReadClockProgramMode(bench.link, reply), 2);
        QVERIFY(bench.device.sentFrames().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ProgramModeClockCommandsTest)
#include "tst_program_mode_clock_commands.moc"
