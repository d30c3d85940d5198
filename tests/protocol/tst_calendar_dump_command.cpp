#include "protocol/CalendarDumpCommand.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

namespace {
// 32 data bytes that hold every troublesome value: "%", "*", NUL, CR, 0xFF.
QByteArray blockBytes()
{
    QByteArray data;
    for (int i = 0; i < 32; ++i)
        data += char(i * 37 % 256);
    data[0] = '%';
    data[1] = '*';
    data[2] = '\0';
    data[3] = '\r';
    data[4] = char(0xFF);
    return data;
}

ReplyData asReply(const QByteArray &data)
{
    ReplyData reply;
    for (char byte : data)
        reply.append(int(quint8(byte)));
    return reply;
}

const ReplyData EarlierReply{QStringLiteral("01"), QStringLiteral("02")};
} // namespace

class CalendarDumpCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void frame_data()
    {
        QTest::addColumn<qint32>("address");
        QTest::addColumn<int>("region");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("0 in C") << 0 << 0 << QByteArray("%REC0000**\r");
        QTest::newRow("1024 in F") << 1024 << 1 << QByteArray("%REF0400**\r");
        QTest::newRow("65536 wraps") << 65536 << 0 << QByteArray("%REC0000**\r");
        QTest::newRow("8160") << 8160 << 0 << QByteArray("%REC1FE0**\r");
    }
    void frame()
    {
        QFETCH(qint32, address);
        QFETCH(int, region);
        QFETCH(QByteArray, frame);
        QCOMPARE(readMemoryBlockFrame(address, qint16(region)), frame);
    }

    void answer_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("delayMs");
        QTest::addColumn<bool>("read");
        const QByteArray good = "%RE" + blockBytes() + "\r\n";
        QTest::newRow("serial") << LinkTransport::Serial << good << qint64(300) << true;
        QTest::newRow("tcp") << LinkTransport::Tcp << good << qint64(300) << true;
        QTest::newRow("noise first") << LinkTransport::Tcp << "ab" + good << qint64(300) << true;
        QTest::newRow("% in the noise") << LinkTransport::Serial << "a%b" + good << qint64(300) << false;
        QTest::newRow("wrong letters") << LinkTransport::Serial << "%ER" + blockBytes() + "\r\n" << qint64(300) << false;
        QTest::newRow("36 characters") << LinkTransport::Tcp << good.left(36) << qint64(300) << false;
        QTest::newRow("in the last pass") << LinkTransport::Serial << good << qint64(4700) << false;
        QTest::newRow("pass before the last") << LinkTransport::Serial << good << qint64(4600) << true;
        QTest::newRow("first % too late for 32 bytes") << LinkTransport::Tcp << QByteArray(30, 'z') + "%RE\r\n\r\n"
                                                       << qint64(300) << false;
        QTest::newRow("silent") << LinkTransport::Tcp << QByteArray() << qint64(0) << false;
    }
    void answer()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(qint64, delayMs);
        QFETCH(bool, read);
        CommandBench bench(transport, 300);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, delayMs);
        ReplyData reply = EarlierReply;
        QCOMPARE(ReadMemoryBlock(bench.link, 1024, 1, reply), read ? 1 : 2);
        QCOMPARE(reply, read ? asReply(blockBytes()) : EarlierReply);
        QCOMPARE(bench.device.sentFrames(), QList<QByteArray>{"%REF0400**\r"});
        if (answer.size() < 37)
            QCOMPARE(bench.clock.ms(), 5000); // strict 5 s from 0.3: 4.7 s
    }

    void noOpenLink()
    {
        FakeClock clock;
        DeviceLink link(clock);
        ReplyData reply = EarlierReply;
        QCOMPARE(ReadMemoryBlock(link, 0, 0, reply), 2);
        QCOMPARE(reply, EarlierReply);
    }
};

QTEST_GUILESS_MAIN(CalendarDumpCommandTest)
#include "tst_calendar_dump_command.moc"
