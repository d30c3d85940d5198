#include "protocol/RecordDeviceCommands.h"
#include "support/CommandBench.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

class RecordDeviceCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void frames()
    {
        QCOMPARE(relayTestFrame(3), QByteArray("%DT00103**\r"));
        QCOMPARE(relayTestFrame(123), QByteArray("%DT00112**\r"));
        QCOMPARE(readDeviceClockFrame(), QByteArray("%UR001**\r"));
    }

    void deviceClockFrame_data()
    {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("Saturday 5 December 2026 01:23:45")
            << QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)) << QByteArray("%DR00105122601234506**\r");
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
        QCOMPARE(::deviceClockFrame(local).size(), 23);
    }

    void dayName_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1 << QStringLiteral(u"Pazartesi");
        QTest::newRow("2") << 2 << QStringLiteral(u"Salı");
        QTest::newRow("3") << 3 << QStringLiteral(u"Çarşamba");
        QTest::newRow("4") << 4 << QStringLiteral(u"Perşembe");
        QTest::newRow("5") << 5 << QStringLiteral(u"Cuma");
        QTest::newRow("6") << 6 << QStringLiteral(u"Cumartesi");
        QTest::newRow("7") << 7 << QStringLiteral(u"Pazar");
        QTest::newRow("0") << 0 << QStringLiteral(u"Tanımsız");
        QTest::newRow("8") << 8 << QStringLiteral(u"Tanımsız");
        QTest::newRow("-1") << -1 << QStringLiteral(u"Tanımsız");
    }
    void dayName()
    {
        QFETCH(int, day);
        QFETCH(QString, name);
        QCOMPARE(DayName(day), name);
    }

    void framesOnEachTransport_data()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::newRow("serial") << LinkTransport::Serial
                                << QList<QByteArray>{"%DT00103**\r", "%DR00105122601234506**\r", "%UR001**\r"};
        QTest::newRow("tcp") << LinkTransport::Tcp
                             << QList<QByteArray>{QByteArray("%DT00103**").repeated(10) + '\r',
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
        QCOMPARE(SendRelayTest(bench.link, 3), DeviceAnswerNone);
        QCOMPARE(SendDeviceClock(bench.link), DeviceAnswerNone);
        QCOMPARE(ReadDeviceClock(bench.link, reading), DeviceAnswerNone);
        QCOMPARE(bench.device.sentFrames(), sent);
        QCOMPARE(bench.clock.dateTimeReadings(), 1); // one reading for the whole frame
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
        QTest::newRow("expected") << QByteArray("$DR001O\r\n") << 1;
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
        QTest::addColumn<QString>("clockText");
        QTest::addColumn<QString>("dayName");
        QTest::newRow("Saturday") << QByteArray("$UR00105122601234506**\r") << 1 << "05/12/2026 01:23:45"
                                  << QStringLiteral(u"Cumartesi");
        QTest::newRow("noise first") << QByteArray("ab$UR00105122601234501**\r") << 1 << "05/12/2026 01:23:45"
                                     << QStringLiteral(u"Pazartesi");
        QTest::newRow("day 00") << QByteArray("$UR00105122601234500**\r") << 1 << "05/12/2026 01:23:45"
                                << QStringLiteral(u"Tanımsız");
        QTest::newRow("day 08") << QByteArray("$UR00105122601234508**\r") << 1 << "05/12/2026 01:23:45"
                                << QStringLiteral(u"Tanımsız");
        QTest::newRow("day not a number") << QByteArray("$UR001051226012345x7**\r") << 1 << "05/12/2026 01:23:45"
                                          << QStringLiteral(u"Tanımsız");
        QTest::newRow("day 2 and a letter") << QByteArray("$UR0010512260123452x**\r") << 1
                                            << "05/12/2026 01:23:45" << QStringLiteral(u"Salı");
        QTest::newRow("22 characters") << QByteArray("$UR00105122601234506**") << -1 << "" << "";
        QTest::newRow("other letters") << QByteArray("$DR00105122601234506**\r") << 0 << "" << "";
        QTest::newRow("letters, no clock after") << QByteArray(20, 'x') + "$UR\r\n" << 0 << "" << "";
    }
    void readClockAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, result);
        QFETCH(QString, clockText);
        QFETCH(QString, dayName);
        CommandBench bench(LinkTransport::Serial);
        bench.device.replyToSend(answer, 300);
        DeviceClockReading reading;
        QCOMPARE(ReadDeviceClock(bench.link, reading), result);
        QCOMPARE(reading.clockText, clockText);
        QCOMPARE(reading.dayName, dayName);
    }

    void noOpenLink()
    {
        FakeClock clock;
        DeviceLink link(clock);
        DeviceClockReading reading;
        QCOMPARE(SendRelayTest(link, 3), -1);
        QCOMPARE(SendDeviceClock(link), -1);
        QCOMPARE(ReadDeviceClock(link, reading), -1);
    }
};

QTEST_GUILESS_MAIN(RecordDeviceCommandsTest)
#include "tst_record_device_commands.moc"
