#include "protocol/ProgramModeCommands.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

namespace {
void addTransports()
{
    QTest::addColumn<LinkTransport>("transport");
}
} // namespace

class ProgramModeCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void requestFrame_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("load") << 5 << QByteArray("%CM050**\r");
        QTest::newRow("read") << 6 << QByteArray("%CM060**\r");
        QTest::newRow("0 reads") << 0 << QByteArray("%CM060**\r");
        QTest::newRow("7 reads") << 7 << QByteArray("%CM060**\r");
        QTest::newRow("-5 reads") << -5 << QByteArray("%CM060**\r");
    }
    void requestFrame()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, frame);
        QCOMPARE(programModeRequestFrame(qint16(mode)), frame);
    }

    void blockFrameLayout_data()
    {
        QTest::addColumn<qint32>("address");
        QTest::addColumn<int>("region");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("1024 in F") << 1024 << 1 << QByteArray("%SEF0400");
        QTest::newRow("1024 in C") << 1024 << 0 << QByteArray("%SEC0400");
        QTest::newRow("any non-zero flag is F") << 32 << -3 << QByteArray("%SEF0020");
        QTest::newRow("0") << 0 << 0 << QByteArray("%SEC0000");
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
        QCOMPARE(frame.size(), 75);
        QCOMPARE(frame.left(8), head);
        QCOMPARE(frame.mid(8, 64), QByteArray(reinterpret_cast<const char *>(data.data()), 64));
        QCOMPARE(frame.right(3), QByteArray("**\r"));
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
        QTest::newRow("lone %") << QByteArray("%") << false;
    }
    void acknowledgement()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, ack);
        QCOMPARE(isProgramAck(received), ack);
    }

    void requestAcknowledged_data()
    {
        addTransports();
        QTest::newRow("serial") << LinkTransport::Serial;
        QTest::newRow("tcp") << LinkTransport::Tcp;
    }
    void requestAcknowledged()
    {
        QFETCH(LinkTransport, transport);
        CommandBench bench(transport, 300);
        bench.device.replyToSend(programAckAnswer(), 400);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeLoad), ProgramCommandOk);
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>{"%CM050**\r"});
        QCOMPARE(bench.clock.ms(), 700);
    }

    void requestNeverAcknowledged_data()
    {
        addTransports();
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("serial, silent") << LinkTransport::Serial << QByteArray();
        QTest::newRow("tcp, silent") << LinkTransport::Tcp << QByteArray();
        QTest::newRow("serial, 28 chars of refusal") << LinkTransport::Serial
                                                      << QByteArray("%PICNOXXX                 \r\n");
        QTest::newRow("tcp, 28 chars of refusal") << LinkTransport::Tcp
                                                   << QByteArray("%PICNOXXX                 \r\n");
        QTest::newRow("serial, 27 chars of ack") << LinkTransport::Serial
                                                  << QByteArray("%PICOKXXX                \r\n");
    }
    void requestNeverAcknowledged()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        CommandBench bench(transport, 0);
        if (!answer.isEmpty())
            bench.device.replyToEverySend(answer, 200);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeRead), ProgramCommandFailed);
        // Once by the request, then after each of the five failed waits.
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>(6, "%CM060**\r"));
        if (answer.size() == 28) {
            QCOMPARE(bench.clock.ms(), 5 * 200); // each refusal ends its wait
            return;
        }
        // Five time-outs of more than 1 and at most 2 seconds each.
        QVERIFY2(bench.clock.ms() > 5000 && bench.clock.ms() <= 10000,
                 qPrintable(QString::number(bench.clock.ms())));
    }

    void acknowledgedOnTheThirdAttempt()
    {
        CommandBench bench(LinkTransport::Serial, 0);
        bench.device.replyToSend(QByteArray(28, 'x'), 100);
        bench.device.replyToSend(QByteArray(), 0);
        bench.device.replyToSend(programAckAnswer(), 300);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeLoad), ProgramCommandOk);
        QCOMPARE(bench.device.sentFrames().size(), 3);
    }

    void lateAcknowledgementIsRejected()
    {
        // The first wait starts at 0.5 s (deadline 1) and its last pass reads
        // 2 at 2.0 s: an acknowledgement complete only then does not count.
        CommandBench bench(LinkTransport::Tcp, 500);
        bench.device.replyToSend(programAckAnswer(), 1500);
        bench.device.replyToSend(programAckAnswer(), 300);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeLoad), ProgramCommandOk);
        QCOMPARE(bench.device.sentFrames().size(), 2);
        QCOMPARE(bench.device.sendTimes().at(1), 2000);
    }

    void serialPortCheckFailsBeforeSending()
    {
        CommandBench bench(LinkTransport::Serial);
        bench.device.setPortCheckResult(false);
        QCOMPARE(RequestProgramMode(bench.link, ProgramModeLoad), ProgramCommandFailed);
        MemoryBlockData data{};
        QCOMPARE(WriteMemoryBlock(bench.link, data, 0, 0), ProgramCommandFailed);
        QVERIFY(bench.device.sentFrames().isEmpty());
    }

    void noOpenLink()
    {
        FakeClock clock;
        DeviceLink link(clock);
        MemoryBlockData data{};
        QCOMPARE(RequestProgramMode(link, ProgramModeLoad), ProgramCommandFailed);
        QCOMPARE(WaitProgramAck(link, "%CM050**\r"), ProgramCommandFailed);
        QCOMPARE(WriteMemoryBlock(link, data, 0, 0), ProgramCommandFailed);
    }

    void blockWrite_data()
    {
        addTransports();
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("delayMs");
        QTest::addColumn<int>("result");
        QTest::addColumn<qint64>("endMs");
        // Sent at 0.3 s: a strict 5-second wait has its last pass at 5.0 s.
        QTest::newRow("serial ack") << LinkTransport::Serial << programAckAnswer() << qint64(500) << 1 << qint64(800);
        QTest::newRow("tcp ack") << LinkTransport::Tcp << programAckAnswer() << qint64(4600) << 1 << qint64(4900);
        QTest::newRow("serial silent") << LinkTransport::Serial << QByteArray() << qint64(0) << 2 << qint64(5000);
        QTest::newRow("tcp refusal") << LinkTransport::Tcp << QByteArray("%PICNOXXX                 \r\n")
                                     << qint64(200) << 2 << qint64(500);
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
        QCOMPARE(bench.device.sentFrames().size(), 1);
        QCOMPARE(bench.device.sentFrames().first(), memoryBlockFrame(data, 1024, 1));
    }

    void staleAcknowledgement_data()
    {
        addTransports();
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
};

QTEST_GUILESS_MAIN(ProgramModeCommandsTest)
#include "tst_program_mode_commands.moc"
