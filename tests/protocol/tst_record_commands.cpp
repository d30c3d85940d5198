// The commands of the record models: calendar records, relay test and the
// device clock, on a fake clock.
#include "protocol/CalendarRecordCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

class RecordCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void writeFrame_data()
    {
        QTest::addColumn<QList<int>>("fields"); // day, slot, used, duration, hour byte, minute byte
        QTest::addColumn<QByteArray>("frame");
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
        QCOMPARE(writeCalendarRecordFrame(qint16(fields[0]), qint16(fields[1]), qint16(fields[2]), qint16(fields[3]),
                                          qint16(fields[4]), qint16(fields[5])),
                 frame);
    }

    void deviceClockFrame_data()
    {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("Monday is 01") << QDateTime(QDate(2026, 12, 7), QTime(23, 0, 0))
                                      << QByteArray("%DR00107122623000001**\r");
        QTest::newRow("Sunday is 07") << QDateTime(QDate(2026, 12, 6), QTime(12, 5, 9))
                                      << QByteArray("%DR00106122612050907**\r");
        QTest::newRow("1999") << QDateTime(QDate(1999, 1, 31), QTime(0, 0, 0))
                              << QByteArray("%DR00131019900000007**\r");
    }
    void deviceClockFrame()
    {
        QFETCH(QDateTime, local);
        QFETCH(QByteArray, frame);
        QCOMPARE(::deviceClockFrame(local), frame);
    }

    void dayNames()
    {
        const QStringList names{QStringLiteral(u"Tanımsız"), QStringLiteral(u"Pazartesi"), QStringLiteral(u"Salı"), QStringLiteral(u"Çarşamba"), QStringLiteral(u"Perşembe"),
                                QStringLiteral(u"Cuma"),     QStringLiteral(u"Cumartesi"), QStringLiteral(u"Pazar"), QStringLiteral(u"Tanımsız")};
        for (int day = 0; day <= 8; ++day)
            QCOMPARE(DayName(day), names.at(day));
        QCOMPARE(DayName(-1), QStringLiteral(u"Tanımsız"));
    }

    // Each frame as it goes out: once on serial, repeated in one send on TCP.
    void framesOnEachTransport_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::newRow("serial") << LinkTransport::Serial
                                << QList<QByteArray>{"%ZW0011051030830**\r", "%ZR001764**\r", "%DT00103**\r",
                                                     "%DT00112**\r", "%DR00105122601234506**\r", "%UR001**\r"};
        QTest::newRow("tcp") << LinkTransport::Tcp
                             << QList<QByteArray>{QByteArray("%ZW0011051030830**").repeated(3) + '\r',
                                                  QByteArray("%ZR001764**").repeated(4) + '\r',
                                                  QByteArray("%DT00103**").repeated(10) + '\r',
                                                  QByteArray("%DT00112**").repeated(10) + '\r',
                                                  QByteArray("%DR00105122601234506**").repeated(6) + '\r',
                                                  QByteArray("%UR001**").repeated(4) + '\r'};
    }
    void framesOnEachTransport()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QList<QByteArray>, sent);
        CommandBench bench(transport);
        bench.clock.setCurrentDateTime(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)));
        DeviceClockReading reading;
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 5, 1, 3, 0x08, 0x30), RecordWriteNoAnswer);
        QCOMPARE(ReadCalendarRecord(bench.link, 7, 64), RecordReadTimeout);
        QCOMPARE(SendRelayTest(bench.link, 3), DeviceAnswerNone);
        QCOMPARE(SendRelayTest(bench.link, 123), DeviceAnswerNone); // seconds cut to two digits
        QCOMPARE(SendDeviceClock(bench.link), DeviceAnswerNone);
        QCOMPARE(ReadDeviceClock(bench.link, reading), DeviceAnswerNone);
        QCOMPARE(bench.device.sentFrames(), sent);
        QCOMPARE(bench.clock.dateTimeReadings(), 1); // one reading for the whole frame
    }

    void writeAnswer_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("carried out") << LinkTransport::Serial << QByteArray("$ZW001O\r\n") << 1;
        QTest::newRow("$ in the noise") << LinkTransport::Tcp << QByteArray("$x$ZW001O\r\n") << 1;
        QTest::newRow("status N") << LinkTransport::Serial << QByteArray("$ZW001N\r\n") << -1;
        QTest::newRow("read answer to a write") << LinkTransport::Serial << QByteArray("$ZR001O\r\n") << -1;
        // Without "$ZW" nothing in the text is a status, even an "O" at 6.
        QTest::newRow("no $ZW, O at position 6") << LinkTransport::Serial << QByteArray("abcdeOOOOO") << -1;
        QTest::newRow("status missing") << LinkTransport::Tcp << QByteArray("12345$ZW001") << -1;
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
    }
    void readAnswer()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, result);
        CommandBench bench(transport, 0);
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

    void staleAnswer_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<int>("result");
        // The refusal of the previous write is still waiting: the serial
        // drain throws it away; over TCP the first "$ZW" decides.
        QTest::newRow("serial drains it") << LinkTransport::Serial << int(RecordWriteAccepted);
        QTest::newRow("tcp reads it") << LinkTransport::Tcp << int(RecordWriteRefused);
    }
    void staleAnswer()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(int, result);
        CommandBench bench(transport);
        bench.device.deliverNow("$ZW001N\r\n");
        bench.device.replyToSend("$ZW001O\r\n", 100);
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 1, 1, 1, 0, 0), result);
        if (transport == LinkTransport::Serial)
            QVERIFY(bench.device.readCount() >= 1001);
    }

    void relayTestAnswer_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("expected") << LinkTransport::Serial << QByteArray("$DT001O\r\n") << 1;
        QTest::newRow("no $ but the letters first") << LinkTransport::Tcp << QByteArray("DT001O\r\n!") << 1;
        QTest::newRow("$ in the noise decides") << LinkTransport::Tcp << QByteArray("$x$DT001O\r\n") << 0;
        QTest::newRow("8 characters") << LinkTransport::Serial << QByteArray("$DT001O\r") << -1;
    }
    void relayTestAnswer()
    {
        QFETCH(LinkTransport, transport);
        QFETCH(QByteArray, answer);
        QFETCH(int, result);
        CommandBench bench(transport, 500);
        bench.device.replyToSend(answer, 200);
        // The relay test keeps the window running for 100001 passes after
        // any answer; count the passes with a zero timer.
        int passes = 0;
        QTimer counter;
        QObject::connect(&counter, &QTimer::timeout, [&passes] { ++passes; });
        counter.start(0);
        QCOMPARE(SendRelayTest(bench.link, 3), result);
        counter.stop();
        if (result == -1) {
            QCOMPARE(bench.clock.ms(), 1000); // strict 1 s from 0.5
            QVERIFY(passes < 100001);
        } else {
            QVERIFY(passes >= 100001);
        }
    }

    void setClockAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("noise before") << QByteArray("\0\xff$DR001O\r\n", 11) << 1;
        QTest::newRow("other letters") << QByteArray("$UR001O\r\n") << 0;
        QTest::newRow("silent") << QByteArray() << -1;
    }
    void setClockAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, result);
        CommandBench bench(LinkTransport::Tcp);
        if (!answer.isEmpty())
            bench.device.replyToSend(answer, 900); // the last pass of a 1 s wait from 0.0 is at 1.0
        QCOMPARE(SendDeviceClock(bench.link), result);
    }

    void readClockAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("dayName");
        QTest::newRow("Saturday") << QByteArray("$UR00105122601234506**\r") << 1 << QStringLiteral(u"Cumartesi");
        QTest::newRow("noise first") << QByteArray("ab$UR00105122601234501**\r") << 1 << QStringLiteral(u"Pazartesi");
        QTest::newRow("day 08") << QByteArray("$UR00105122601234508**\r") << 1 << QStringLiteral(u"Tanımsız");
        QTest::newRow("day not a number") << QByteArray("$UR001051226012345x7**\r") << 1 << QStringLiteral(u"Tanımsız");
        QTest::newRow("day 2 and a letter") << QByteArray("$UR0010512260123452x**\r") << 1 << QStringLiteral(u"Salı");
        QTest::newRow("other letters") << QByteArray("$DR00105122601234506**\r") << 0 << QString();
        QTest::newRow("letters, no clock after") << QByteArray(20, 'x') + "$UR\r\n" << 0 << QString();
    }
    void readClockAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, result);
        QFETCH(QString, dayName);
        CommandBench bench(LinkTransport::Serial);
        bench.device.replyToSend(answer, 300);
        DeviceClockReading reading;
        QCOMPARE(ReadDeviceClock(bench.link, reading), result);
        QCOMPARE(reading.clockText, result == 1 ? QStringLiteral("05/12/2026 01:23:45") : QString());
        QCOMPARE(reading.dayName, dayName);
    }

    void noOpenLink()
    {
        FakeClock clock;
        DeviceLink link(clock);
        DeviceClockReading reading;
        QCOMPARE(WriteCalendarRecord(link, 1, 1, 1, 1, 0, 0), RecordWriteNoAnswer);
        QCOMPARE(ReadCalendarRecord(link, 1, 1), RecordReadTimeout);
        QCOMPARE(SendRelayTest(link, 3), DeviceAnswerNone);
        QCOMPARE(SendDeviceClock(link), DeviceAnswerNone);
        QCOMPARE(ReadDeviceClock(link, reading), DeviceAnswerNone);
    }
};

QTEST_GUILESS_MAIN(RecordCommandsTest)
#include "tst_record_commands.moc"
