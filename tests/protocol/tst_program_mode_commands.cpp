// The program-mode commands of the V1 controller: the "%CM" request and its
// acknowledgement, block write and dump, and the clock, on a fake clock.
#include "protocol/CalendarDumpCommand.h"
#include "protocol/ProgramModeClockCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

namespace {
const ReplyData EarlierReply{QStringLiteral("01"), QStringLiteral("02")};
const QByteArray Refusal("%PICNOXXX                 \r\n"); // 28 characters, not an acknowledgement

// 32 data bytes that hold every troublesome value: "%", "*", NUL, CR, 0xFF.
QByteArray blockBytes()
{
    QByteArray data;
    for (int i = 0; i < 32; ++i)
        data += char(i * 37 % 256);
    data.replace(0, 5, QByteArray("%*\0\r\xff", 5));
    return data;
}
} // namespace

class ProgramModeCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void frames()
    {
        QCOMPARE(programModeRequestFrame(5), QByteArray("%CM050**\r"));
        QCOMPARE(programModeRequestFrame(6), QByteArray("%CM060**\r"));
        QCOMPARE(programModeRequestFrame(0), QByteArray("%CM060**\r")); // anything but load reads
        QCOMPARE(readMemoryBlockFrame(0, 0), QByteArray("%REC0000**\r"));
        QCOMPARE(readMemoryBlockFrame(8160, 0), QByteArray("%REC1FE0**\r"));
        QCOMPARE(readMemoryBlockFrame(65536, 0), QByteArray("%REC0000**\r"));
        QCOMPARE(readMemoryBlockFrame(1024, 1), QByteArray("%REF0400**\r"));
    }

    void blockFrameLayout_data()
    {
        QTest::addColumn<qint32>("address");
        QTest::addColumn<int>("region");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("1024 in F") << 1024 << 1 << QByteArray("%SEF0400");
        QTest::newRow("any non-zero flag is F") << 32 << -3 << QByteArray("%SEF0020");
        QTest::newRow("65536 wraps to zeros") << 65536 << 0 << QByteArray("%SEC0000");
    }
    void blockFrameLayout()
    {
        QFETCH(qint32, address);
        QFETCH(int, region);
        QFETCH(QByteArray, head);
        MemoryBlockData data{};
        // Bytes a framing layer might be tempted to escape travel unchanged.
        const quint8 special[] = {0x00, 0x0D, 0x25, 0x2A, 0x0A, 0xFF, 0x24};
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = i < sizeof special ? special[i] : quint8(i * 7);
        const QByteArray frame = memoryBlockFrame(data, address, qint16(region));
        QCOMPARE(frame, head + QByteArray(reinterpret_cast<const char *>(data.data()), 64) + "**\r");
    }

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
    }

    void acknowledgement_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("ack");
        QTest::newRow("padded") << programAckAnswer() << true;
        QTest::newRow("noise before") << QByteArray("\x00zz%PICOKXXX", 12) << true;
        QTest::newRow("no % but starts with it") << QByteArray("PICOKXXX and more") << true;
        QTest::newRow("refusal") << QByteArray("%PICNOXXX") << false;
        QTest::newRow("cut short") << QByteArray("%PICOKXX") << false;
        QTest::newRow("first % decides") << QByteArray("a%b%PICOKXXX") << false;
        QTest::newRow("lower case") << QByteArray("%picokxxx") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void acknowledgement()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, ack);
        QCOMPARE(isProgramAck(received), ack);
    }

    void request_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("serial, acknowledged") << LinkTransport::Serial << programAckAnswer();
        QTest::newRow("tcp, acknowledged") << LinkTransport::Tcp << programAckAnswer();
        QTest::newRow("serial, silent") << LinkTransport::Serial << QByteArray();
        QTest::newRow("tcp, 28 chars of refusal") << LinkTransport::Tcp << Refusal;
        QTest::newRow("serial, 27 chars of ack") << LinkTransport::Serial << programAckAnswer().left(27);
    }
    void request()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        CommandBench bench(transport, 300);
        if (!answer.isEmpty())
            bench.device.replyToEverySend(answer, 400);
        const bool ack = answer == programAckAnswer();
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeRead), ack ? ProgramCommandOk : ProgramCommandFailed);
        // Once by the request, then after each of the five failed waits.
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>(ack ? 1 : 6, "%CM060**\r"));
        if (ack || answer.size() == 28) // each answer ends its wait
            QCOMPARE(bench.clock.ms(), 300 + (ack ? 1 : 5) * 400);
        else // five time-outs of more than 1 and at most 2 seconds each
            QVERIFY2(bench.clock.ms() > 5300 && bench.clock.ms() <= 10300, qPrintable(QString::number(bench.clock.ms())));
    }

    void acknowledgedOnTheThirdAttempt()
    {
        CommandBench bench(LinkTransport::Serial, 0);
        bench.device.replyToSend(QByteArray(28, 'x'), 100);
        bench.device.replyToSend(QByteArray(), 0);
        bench.device.replyToSend(programAckAnswer(), 300);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeLoad), ProgramCommandOk);
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>(3, "%CM050**\r"));
    }

    void lateAcknowledgementIsRejected()
    {
        // The first wait starts at 0.5 s (deadline 1) and its last pass reads
        // 2 at 2.0 s: an acknowledgement complete only then does not count.
        CommandBench bench(LinkTransport::Tcp, 500);
        bench.device.replyToSend(programAckAnswer(), 1500);
        bench.device.replyToSend(programAckAnswer(), 300);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeLoad), ProgramCommandOk);
        QCOMPARE(bench.device.sendTimes(), (QList<qint64>{500, 2000}));
    }

    void blockWrite_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("delayMs");
        QTest::addColumn<int>("result");
        QTest::addColumn<qint64>("endMs");
        // Sent at 0.3 s: a strict 5-second wait has its last pass at 5.0 s.
        QTest::newRow("serial ack") << LinkTransport::Serial << programAckAnswer() << qint64(500) << 1 << qint64(800);
        QTest::newRow("tcp ack") << LinkTransport::Tcp << programAckAnswer() << qint64(4600) << 1 << qint64(4900);
        QTest::newRow("serial silent") << LinkTransport::Serial << QByteArray() << qint64(0) << 2 << qint64(5000);
        QTest::newRow("tcp refusal") << LinkTransport::Tcp << Refusal << qint64(200) << 2 << qint64(500);
        QTest::newRow("ack in the last pass") << LinkTransport::Serial << programAckAnswer() << qint64(4700) << 2
                                              << qint64(5000);
        QTest::newRow("27 characters") << LinkTransport::Tcp << QByteArray(27, 'P') << qint64(100) << 2 << qint64(5000);
    }
    void blockWrite()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(qint64, delayMs);
        QFETCH(int, result);
        QFETCH(qint64, endMs);
        CommandBench bench(transport, 300);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, delayMs);
        MemoryBlockData data{};
        data.fill(0x25);
        QCOMPARE(WriteMemoryBlock(bench.link, data, 1024, 1), result);
        QCOMPARE(bench.clock.ms(), endMs);
        // Never sent twice.
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>{memoryBlockFrame(data, 1024, 1)});
    }

    void staleAcknowledgement_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<int>("result");
        // The serial drain throws a left-over answer away; TCP keeps it.
        QTest::newRow("serial drains it") << LinkTransport::Serial << 2;
        QTest::newRow("tcp reads it") << LinkTransport::Tcp << 1;
    }
    void staleAcknowledgement()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(int, result);
        CommandBench bench(transport);
        bench.device.deliverNow(programAckAnswer());
        MemoryBlockData data{};
        QCOMPARE(WriteMemoryBlock(bench.link, data, 0, 0), result);
    }

    void dump_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("delayMs");
        QTest::addColumn<bool>("read");
        const QByteArray good = "%RE" + blockBytes() + "\r\n";
        QTest::newRow("serial") << LinkTransport::Serial << good << qint64(300) << true;
        QTest::newRow("tcp, noise first") << LinkTransport::Tcp << "ab" + good << qint64(300) << true;
        QTest::newRow("% in the noise") << LinkTransport::Serial << "a%b" + good << qint64(300) << false;
        QTest::newRow("wrong letters") << LinkTransport::Serial << "%ER" + blockBytes() + "\r\n" << qint64(300) << false;
        QTest::newRow("36 characters") << LinkTransport::Tcp << good.left(36) << qint64(300) << false;
        QTest::newRow("in the last pass") << LinkTransport::Serial << good << qint64(4700) << false;
        QTest::newRow("pass before the last") << LinkTransport::Serial << good << qint64(4600) << true;
        QTest::newRow("first % too late for 32 bytes") << LinkTransport::Tcp << QByteArray(30, 'z') + "%RE\r\n\r\n"
                                                       << qint64(300) << false;
    }
    void dump()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(qint64, delayMs);
        QFETCH(bool, read);
        CommandBench bench(transport, 300);
        bench.device.replyToSend(answer, delayMs);
        ReplyData reply = EarlierReply;
        QCOMPARE(ReadMemoryBlock(bench.link, 1024, 1, reply), read ? 1 : 2);
        ReplyData bytes;
        for (char byte : blockBytes())
            bytes.append(int(quint8(byte)));
        QCOMPARE(reply, read ? bytes : EarlierReply);
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>{"%REF0400**\r"});
        if (answer.size() < 37)
            QCOMPARE(bench.clock.ms(), 5000); // strict 5 s from 0.3: 4.7 s
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
        QCOMPARE(bench.device.sentFrames(), (QList<QByteArray>{"%CM020**\r", "%RRTC05032514070902**\r"}));
        // Every field from one reading of the clock.
        QCOMPARE(bench.clock.dateTimeReadings(), 1);
        // Acknowledged at 0.5 s; the clock frame waits until the clock reads
        // later than 0 + 1, that is 2.0 s.
        QCOMPARE(bench.device.sendTimes().at(1), 2000);
    }

    void setClockFails_data()
    {
        QTest::addColumn<bool>("requestAcknowledged");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::newRow("request never acknowledged") << false << QByteArray() << QList<QByteArray>(6, "%CM020**\r");
        const QList<QByteArray> once{"%CM020**\r", "%RRTC05032514070902**\r"}; // the clock frame is not re-sent
        QTest::newRow("clock frame unanswered") << true << QByteArray() << once;
        QTest::newRow("clock frame refused") << true << Refusal << once;
    }
    void setClockFails()
    {
        QFETCH(bool, requestAcknowledged);
        QFETCH(QByteArray, answer);
        QFETCH(QList<QByteArray>, sent);
        CommandBench bench(LinkTransport::Serial);
        bench.clock.setCurrentDateTime(QDateTime(QDate(2025, 3, 5), QTime(14, 7, 9)));
        if (requestAcknowledged)
            bench.device.replyToSend(programAckAnswer(), 100);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, 100);
        QCOMPARE(SetClockProgramMode(bench.link), ProgramCommandFailed);
        QCOMPARE(bench.device.sentFrames(), sent);
        QCOMPARE(bench.clock.dateTimeReadings(), requestAcknowledged ? 1 : 0);
    }

    void readClock_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("atMs");
        QTest::addColumn<bool>("read");
        const QByteArray good = "%SRTC01022614300003\r\n";
        QTest::newRow("serial") << LinkTransport::Serial << good << qint64(700) << true;
        QTest::newRow("tcp, noise first") << LinkTransport::Tcp << "  " + good << qint64(700) << true;
        QTest::newRow("other letters") << LinkTransport::Serial << QByteArray("%NRTC01022614300003\r\n")
                                       << qint64(700) << false;
        QTest::newRow("% in noise") << LinkTransport::Tcp << "%" + good << qint64(700) << false;
        QTest::newRow("first % too late") << LinkTransport::Tcp << QByteArray(10, 'z') + "%SRTC0102\r\n"
                                          << qint64(700) << false;
        // Acknowledged at 0.2 s; the strict 5 s wait has its last pass at
        // 5.0 s, and an answer complete only then is a time-out.
        QTest::newRow("in the last pass") << LinkTransport::Serial << good << qint64(5000) << false;
    }
    void readClock()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(qint64, atMs);
        QFETCH(bool, read);
        CommandBench bench(transport, 0);
        bench.device.replyToSend(programAckAnswer(), 200);
        bench.device.deliverAt(atMs, answer); // sent unasked after the acknowledgement
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

    // Nothing open, or a serial port that fails its check: every command
    // fails at once, sends nothing and leaves the reply alone.
    void noLinkOrPortCheckFails()
    {
        FakeClock clock;
        DeviceLink closed(clock);
        CommandBench bench(LinkTransport::Serial);
        bench.device.setPortCheckResult(false);
        MemoryBlockData data{};
        for (DeviceLink *link : {&closed, &bench.link}) {
            ReplyData reply = EarlierReply;
            QCOMPARE(RequestProgramMode(*link, ProgramModeLoad), ProgramCommandFailed);
            QCOMPARE(WriteMemoryBlock(*link, data, 0, 0), ProgramCommandFailed);
            QCOMPARE(ReadMemoryBlock(*link, 0, 0, reply), ProgramCommandFailed);
            QCOMPARE(SetClockProgramMode(*link), ProgramCommandFailed);
            QCOMPARE(ReadClockProgramMode(*link, reply), ProgramCommandFailed);
            QCOMPARE(reply, EarlierReply);
        }
        QCOMPARE(WaitProgramAck(closed, "%CM050**\r"), ProgramCommandFailed);
        QVERIFY(bench.device.sentFrames().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ProgramModeCommandsTest)
#include "tst_program_mode_commands.moc"
