#include "protocol/CalendarRecordCommands.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

class CalendarRecordCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void writeFrame_data()
    {
        QTest::addColumn<QList<int>>("fields"); // day, slot, used, duration, hour byte, minute byte
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("Monday slot 5, in use, 3 s, 08:30")
            << QList<int>{1, 5, 1, 3, 0x08, 0x30} << QByteArray("%ZW0011051030830**\r");
        QTest::newRow("Sunday slot 64, unused, 30 s, 23:59")
            << QList<int>{7, 64, 0, 30, 0x23, 0x59} << QByteArray("%ZW0017640302359**\r");
        QTest::newRow("midnight") << QList<int>{3, 1, 1, 0, 0x00, 0x00} << QByteArray("%ZW0013011000000**\r");
        QTest::newRow("long duration cut") << QList<int>{2, 10, 1, 123, 0x12, 0x00}
                                           << QByteArray("%ZW0012101121200**\r");
        QTest::newRow("byte out of range") << QList<int>{2, 10, 1, 5, 256, -1}
                                           << QByteArray("%ZW0012101050000**\r");
    }
    void writeFrame()
    {
        QFETCH(QList<int>, fields);
        QFETCH(QByteArray, frame);
        const QByteArray built = writeCalendarRecordFrame(qint16(fields[0]), qint16(fields[1]), qint16(fields[2]),
                                                          qint16(fields[3]), qint16(fields[4]), qint16(fields[5]));
        QCOMPARE(built, frame);
        QCOMPARE(built.size(), 19);
    }

    void readFrame()
    {
        QCOMPARE(readCalendarRecordFrame(7, 64), QByteArray("%ZR001764**\r"));
        QCOMPARE(readCalendarRecordFrame(1, 5), QByteArray("%ZR001105**\r"));
    }

    void framesOnEachTransport_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("writeSent");
        QTest::addColumn<QByteArray>("readSent");
        QTest::newRow("serial") << LinkTransport::Serial << QByteArray("%ZW0011051030830**\r")
                                << QByteArray("%ZR001764**\r");
        QTest::newRow("tcp") << LinkTransport::Tcp << QByteArray("%ZW0011051030830**").repeated(3) + '\r'
                             << QByteArray("%ZR001764**").repeated(4) + '\r';
    }
    void framesOnEachTransport()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, writeSent);
        QFETCH(QByteArray, readSent);
        CommandBench bench(transport);
        WriteCalendarRecord(bench.link, 1, 5, 1, 3, 0x08, 0x30);
        ReadCalendarRecord(bench.link, 7, 64);
        QCOMPARE(bench.device.sentFrames(), (QList<QByteArray>{writeSent, readSent}));
        QCOMPARE(bench.device.sentFrames().at(0).size(), transport == LinkTransport::Tcp ? 55 : 19);
        QCOMPARE(bench.device.sentFrames().at(1).size(), transport == LinkTransport::Tcp ? 45 : 12);
    }

    void writeAnswer_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("carried out") << LinkTransport::Serial << QByteArray("$ZW001O\r\n") << 1;
        QTest::newRow("two noise chars first") << LinkTransport::Tcp << QByteArray("xy$ZW001O\r\n") << 1;
        QTest::newRow("$ in the noise") << LinkTransport::Tcp << QByteArray("$x$ZW001O\r\n") << 1;
        QTest::newRow("status N") << LinkTransport::Serial << QByteArray("$ZW001N\r\n") << -1;
        QTest::newRow("read answer to a write") << LinkTransport::Serial << QByteArray("$ZR001O\r\n") << -1;
        // Without "$ZW" nothing in the text is a status, even an "O" at 6.
        QTest::newRow("no $ZW, O at position 6") << LinkTransport::Serial << QByteArray("abcdeOOOOO") << -1;
        QTest::newRow("status missing") << LinkTransport::Tcp << QByteArray("12345$ZW001") << -1;
        QTest::newRow("8 characters") << LinkTransport::Serial << QByteArray("$ZW001O\r") << 0;
        QTest::newRow("silent") << LinkTransport::Tcp << QByteArray() << 0;
    }
    void writeAnswer()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(int, result);
        CommandBench bench(transport, 900);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, 300);
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 5, 1, 3, 0x08, 0x30), result);
        if (result == 0)
            QCOMPARE(bench.clock.ms(), 2000); // strict 2 s from 0.9: 1.1 s
    }

    void readAnswer_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("result");
        const QByteArray found = "$ZR001O0001030830**\r\n";
        QTest::newRow("found") << LinkTransport::Serial << found << found;
        QTest::newRow("noise first") << LinkTransport::Tcp << QByteArray("~~") + found << QByteArray("~~") + found;
        QTest::newRow("status N") << LinkTransport::Serial << QByteArray("$ZR001N0000000000**\r\n") << RecordReadError;
        QTest::newRow("no $ZR, O at 6") << LinkTransport::Tcp << QByteArray("abcdeO0001030830**\r\n") << RecordReadError;
        QTest::newRow("write answer to a read") << LinkTransport::Tcp << QByteArray("$ZW001O0001030830**\r\n")
                                                << RecordReadError;
        QTest::newRow("19 characters") << LinkTransport::Serial << QByteArray("$ZR001O0001030830**") << RecordReadTimeout;
        QTest::newRow("silent") << LinkTransport::Serial << QByteArray() << RecordReadTimeout;
    }
    void readAnswer()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, result);
        CommandBench bench(transport, 0);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, 500);
        QCOMPARE(ReadCalendarRecord(bench.link, 7, 64), result);
        if (result == RecordReadTimeout)
            QCOMPARE(bench.clock.ms(), 2000);
    }

    void answerCompleteInTheLastPassIsUsed()
    {
        CommandBench bench(LinkTransport::Serial, 400);
        bench.device.replyToSend("$ZW001O\r\n", 1600); // at 2.0 s, the last pass
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 1, 1, 1, 0, 0), RecordWriteAccepted);
    }

    void staleAnswerOverTcp()
    {
        // The refusal of the previous write is still in the socket: read
        // with the new answer, the first "$ZW" decides.
        CommandBench bench(LinkTransport::Tcp);
        bench.device.deliverNow("$ZW001N\r\n");
        bench.device.replyToSend("$ZW001O\r\n", 100);
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 1, 1, 1, 0, 0), RecordWriteRefused);
    }

    void staleAnswerDrainedOnSerial()
    {
        CommandBench bench(LinkTransport::Serial);
        bench.device.deliverNow("$ZW001N\r\n");
        bench.device.replyToSend("$ZW001O\r\n", 100);
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 1, 1, 1, 0, 0), RecordWriteAccepted);
        QVERIFY(bench.device.readCount() >= 1001);
    }

    void noOpenLink()
    {
        FakeClock clock;
        DeviceLink link(clock);
        QCOMPARE(WriteCalendarRecord(link, 1, 1, 1, 1, 0, 0), RecordWriteNoAnswer);
        QCOMPARE(ReadCalendarRecord(link, 1, 1), RecordReadTimeout);
    }
};

QTEST_GUILESS_MAIN(CalendarRecordCommandsTest)
#include "tst_calendar_record_commands.moc"
