// The simulated record devices (models 1..4) over TCP, where every frame
// body comes several times before one carriage return, and over the
// pseudo-terminal: record write and read, relay test, clock set and read.
#include "SimLink.h"

namespace {
constexpr int ShortAnswerLength = 9;
constexpr int RecordAnswerLength = 20;
constexpr int ClockAnswerLength = 23;

// Copies of each frame body the program sends over TCP.
constexpr int WriteCopies = 3;
constexpr int ReadCopies = 4;
constexpr int RelayCopies = 10;
constexpr int ClockSetCopies = 6;
constexpr int ClockReadCopies = 4;

QByteArray frameFor(const QByteArray &body, bool tcp, int tcpCopies)
{
    return repeated(body, tcp ? tcpCopies : 1);
}

using Slot = ControllerSimulator::SlotRecord;
bool same(const Slot &a, const Slot &b)
{
    return a.used == b.used && a.duration == b.duration && a.hour == b.hour && a.minute == b.minute;
}
} // namespace

class TestZilsimRecords : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recordWriteAndRead_data();
    void recordWriteAndRead();
    void actsOnFirstCopyOnly();
    void recordRefused_data();
    void recordRefused();
    void relayTest_data();
    void relayTest();
    void clockSetAndRead_data();
    void clockSetAndRead();
    void framesIgnored_data();
    void framesIgnored();

private:
    std::unique_ptr<ControllerSimulator> sim;
};

void TestZilsimRecords::init()
{
    sim = std::make_unique<ControllerSimulator>();
    QVERIFY(sim->listenTcp(0));
    QVERIFY(sim->openSerial());
}

void TestZilsimRecords::cleanup()
{
    sim.reset();
}

void TestZilsimRecords::recordWriteAndRead_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("fields"); // d ss u dd HH MM
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("slot");
    QTest::addColumn<Slot>("stored");
    QTest::newRow("tcp model 1 monday 5 08:30") << true << 1 << QByteArray("1051030830") << 1 << 5 << Slot{1, 3, 8, 30};
    QTest::newRow("serial model 2 sunday 24 unused") << false << 2 << QByteArray("7240992359") << 7 << 24
                                                     << Slot{0, 99, 23, 59};
    QTest::newRow("serial model 4 monday 5 08:30") << false << 4 << QByteArray("1051030830") << 1 << 5
                                                   << Slot{1, 3, 8, 30};
    QTest::newRow("model 3 holds slot 64") << true << 3 << QByteArray("7641050000") << 7 << 64 << Slot{1, 5, 0, 0};
}

void TestZilsimRecords::recordWriteAndRead()
{
    QFETCH(bool, tcp);
    QFETCH(int, model);
    QFETCH(QByteArray, fields);
    QFETCH(int, day);
    QFETCH(int, slot);
    QFETCH(Slot, stored);
    sim->setModel(model);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);

    const QByteArray write = frameFor("%ZW001" + fields + "**", tcp, WriteCopies);
    QCOMPARE(exchange(*link, write, ShortAnswerLength), QByteArray("$ZW001O\r\n"));
    QVERIFY(same(sim->record(day, slot), stored));

    const QByteArray dayAndSlot = fields.left(3);
    const QByteArray read = frameFor("%ZR001" + dayAndSlot + "**", tcp, ReadCopies);
    // Status, the day and slot asked for, then used, duration, hour, minute.
    const QByteArray expected = "$ZR001O" + dayAndSlot + fields.mid(3) + "**\r";
    QCOMPARE(expected.size(), RecordAnswerLength);
    QCOMPARE(exchange(*link, read, RecordAnswerLength), expected);
    QCOMPARE(sim->receivedFrames(), (QList<QByteArray>{write, read}));
}

void TestZilsimRecords::actsOnFirstCopyOnly()
{
    sim->setModel(3);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    const QByteArray frame = "%ZW0012011050700**%ZW0012011101900**%ZW0012011151500**\r";
    QCOMPARE(exchange(*link, frame, ShortAnswerLength), QByteArray("$ZW001O\r\n"));
    QCOMPARE(readFor(*link, 150), QByteArray()); // one answer for the whole frame
    QVERIFY(same(sim->record(2, 1), Slot{1, 5, 7, 0}));
}

void TestZilsimRecords::recordRefused_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("answer");
    const QByteArray writeRefused = "$ZW001N\r\n";
    const QByteArray readRefused = "$ZR001N0000000000**\r";
    QTest::newRow("day 0") << 3 << QByteArray("%ZW0010051030830**") << writeRefused;
    QTest::newRow("day 8") << 3 << QByteArray("%ZW0018051030830**") << writeRefused;
    QTest::newRow("slot 00") << 3 << QByteArray("%ZW0011001030830**") << writeRefused;
    QTest::newRow("slot 65") << 3 << QByteArray("%ZW0011651030830**") << writeRefused;
    QTest::newRow("slot 25 on a 24-slot model") << 1 << QByteArray("%ZW0011251030830**") << writeRefused;
    QTest::newRow("used 2") << 3 << QByteArray("%ZW0011052030830**") << writeRefused;
    QTest::newRow("hour 24") << 3 << QByteArray("%ZW0011051032430**") << writeRefused;
    QTest::newRow("minute 60") << 3 << QByteArray("%ZW0011051030860**") << writeRefused;
    QTest::newRow("hex digit in hour") << 3 << QByteArray("%ZW00110510308A0**") << writeRefused;
    QTest::newRow("duration cut off") << 3 << QByteArray("%ZW001105103**") << writeRefused;
    QTest::newRow("no end marker") << 3 << QByteArray("%ZW0011051030830xx") << writeRefused;
    QTest::newRow("NUL and byte 255") << 3 << QByteArray("%ZW001\x00\xFF""51030830**", 18) << writeRefused;
    QTest::newRow("read day 9") << 3 << QByteArray("%ZR001901**") << readRefused;
    QTest::newRow("read slot 64 on model 4") << 4 << QByteArray("%ZR001164**") << readRefused;
    QTest::newRow("read letters") << 3 << QByteArray("%ZR001abc**") << readRefused;
}

void TestZilsimRecords::recordRefused()
{
    QFETCH(int, model);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, answer);
    sim->setModel(model);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    const int copies = body.startsWith("%ZW") ? WriteCopies : ReadCopies;
    QCOMPARE(exchange(*link, repeated(body, copies), answer.size()), answer);
    for (int day = 1; day <= 7; ++day)
        for (int slot = 1; slot <= 64; ++slot)
            QVERIFY(same(sim->record(day, slot), Slot{}));
}

void TestZilsimRecords::relayTest_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("seconds");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("fired");
    QTest::addColumn<int>("lastSeconds");
    QTest::newRow("tcp 03") << true << QByteArray("03") << QByteArray("$DT001O\r\n") << 1 << 3;
    QTest::newRow("serial 12") << false << QByteArray("12") << QByteArray("$DT001O\r\n") << 1 << 12;
    QTest::newRow("serial 00") << false << QByteArray("00") << QByteArray("$DT001O\r\n") << 1 << 0;
    QTest::newRow("letters refused") << true << QByteArray("X3") << QByteArray("$DT001N\r\n") << 0 << 0;
}

void TestZilsimRecords::relayTest()
{
    QFETCH(bool, tcp);
    QFETCH(QByteArray, seconds);
    QFETCH(QByteArray, answer);
    QFETCH(int, fired);
    QFETCH(int, lastSeconds);
    sim->setModel(2);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    QCOMPARE(exchange(*link, frameFor("%DT001" + seconds + "**", tcp, RelayCopies), ShortAnswerLength), answer);
    QCOMPARE(sim->relayTests(), fired);
    QCOMPARE(sim->lastRelaySeconds(), lastSeconds);
}

void TestZilsimRecords::clockSetAndRead_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<QByteArray>("setAnswer");
    QTest::addColumn<QDateTime>("clock");
    QTest::addColumn<QByteArray>("readDigits");
    const QDateTime saturday(QDate(2026, 12, 5), QTime(1, 23, 45));
    const QDateTime old(QDate(2031, 6, 1), QTime(12, 0, 0)); // a Sunday
    QTest::newRow("tcp saturday") << true << QByteArray("05122601234506") << QByteArray("$DR001O\r\n")
                                  << saturday << QByteArray("05122601234506");
    QTest::newRow("serial saturday") << false << QByteArray("05122601234506") << QByteArray("$DR001O\r\n")
                                     << saturday << QByteArray("05122601234506");
    // The controller works out the weekday from the date.
    QTest::newRow("weekday taken from the date") << true << QByteArray("05122601234501") << QByteArray("$DR001O\r\n")
                                                 << saturday << QByteArray("05122601234506");
    QTest::newRow("weekday 00 refused") << true << QByteArray("05122601234500") << QByteArray("$DR001N\r\n")
                                        << old << QByteArray("01063112000007");
    QTest::newRow("31 April refused") << false << QByteArray("31042601234504") << QByteArray("$DR001N\r\n")
                                      << old << QByteArray("01063112000007");
    QTest::newRow("cut short refused") << true << QByteArray("0512260123") << QByteArray("$DR001N\r\n")
                                       << old << QByteArray("01063112000007");
}

void TestZilsimRecords::clockSetAndRead()
{
    QFETCH(bool, tcp);
    QFETCH(QByteArray, digits);
    QFETCH(QByteArray, setAnswer);
    QFETCH(QDateTime, clock);
    QFETCH(QByteArray, readDigits);
    sim->setModel(1);
    sim->setClock(QDateTime(QDate(2031, 6, 1), QTime(12, 0, 0)));
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    QCOMPARE(exchange(*link, frameFor("%DR001" + digits + "**", tcp, ClockSetCopies), ShortAnswerLength), setAnswer);
    QVERIFY(qAbs(sim->clock().secsTo(clock)) <= 1);
    const QByteArray answer = exchange(*link, frameFor("%UR001**", tcp, ClockReadCopies), ClockAnswerLength);
    QCOMPARE(answer, "$UR001" + readDigits + "**\r");
}

void TestZilsimRecords::framesIgnored_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("another unit") << 3 << QByteArray("%ZW0021051030830**\r");
    QTest::newRow("unknown command") << 3 << QByteArray("%QQ001**\r");
    QTest::newRow("clock read cut short") << 3 << QByteArray("%UR001*\r");
    QTest::newRow("program-mode request") << 4 << QByteArray("%CM050**\r");
    QTest::newRow("record write to V1") << 0 << QByteArray("%ZW0011051030830**\r");
    QTest::newRow("clock read from V1") << 0 << QByteArray("%UR001**\r");
    QTest::newRow("bare %") << 1 << QByteArray("%\r");
}

void TestZilsimRecords::framesIgnored()
{
    QFETCH(int, model);
    QFETCH(QByteArray, frame);
    sim->setModel(model);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    link->write(frame);
    QCOMPARE(readFor(*link, 150), QByteArray());
    QCOMPARE(sim->receivedFrames(), QList<QByteArray>{frame});
    QCOMPARE(sim->relayTests(), 0);
    QVERIFY(same(sim->record(1, 5), Slot{}));
}

QTEST_GUILESS_MAIN(TestZilsimRecords)
#include "tst_zilsim_records.moc"
