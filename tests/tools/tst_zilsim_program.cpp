// The simulated "V1" controller over TCP and over its pseudo-terminal:
// program-mode requests, block writes and dumps of its memory, the clock.
#include "SimLink.h"

#include <QSignalSpy>

namespace {
constexpr int AckLength = 28;
constexpr int DumpLength = 37;
constexpr int ClockAnswerLength = 21;
const QByteArray Ack = "%PICOKXXX";

// Asks for a program mode; the acknowledgement is 28 bytes and comes once.
bool enterMode(QIODevice &link, const char *code)
{
    const QByteArray answer = exchange(link, "%CM" + QByteArray(code) + "**\r", AckLength);
    return answer.size() == AckLength && answer.startsWith(Ack) && answer.endsWith("\r\n")
        && readFor(link, 100).isEmpty();
}

QByteArray block(char region, const QByteArray &address, const QByteArray &data64)
{
    return "%SE" + QByteArray(1, region) + address + data64 + "**\r";
}

// 64 data bytes full of the bytes that end or start frames, then 32 that
// must not be stored.
QByteArray awkwardData()
{
    QByteArray data;
    for (int i = 0; i < 32; ++i)
        data += "\r%*\x00\xFF\x80\n$"[i % 8];
    return data + QByteArray(32, '\x5A');
}
} // namespace

class TestZilsimProgram : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void blockWriteThenDump_data();
    void blockWriteThenDump();
    void fullSendThenReceive_data();
    void fullSendThenReceive();
    void framesIgnored_data();
    void framesIgnored();
    void clockSet_data();
    void clockSet();
    void clockReadAfterAck_data();
    void clockReadAfterAck();
    void serialSurvivesReopen();

private:
    void addTransports();
    std::unique_ptr<ControllerSimulator> sim;
};

void TestZilsimProgram::init()
{
    sim = std::make_unique<ControllerSimulator>();
    sim->setModel(0);
    QVERIFY(sim->listenTcp(0));
    QVERIFY(sim->openSerial());
}

void TestZilsimProgram::cleanup()
{
    sim.reset();
}

void TestZilsimProgram::addTransports()
{
    QTest::addColumn<bool>("tcp");
    QTest::newRow("tcp") << true;
    QTest::newRow("serial") << false;
}

void TestZilsimProgram::blockWriteThenDump_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<char>("region");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("dumpAddress");
    QTest::addColumn<int>("offset");
    QTest::newRow("tcp C 0020") << true << 'C' << QByteArray("0020") << QByteArray("0020") << 32;
    QTest::newRow("serial F 0400") << false << 'F' << QByteArray("0400") << QByteArray("0400") << 1024;
    QTest::newRow("last block of memory") << true << 'C' << QByteArray("1FE0") << QByteArray("1FE0") << 8160;
    QTest::newRow("serial, lower-case hex dump") << false << 'C' << QByteArray("03E0") << QByteArray("03e0") << 992;
}

void TestZilsimProgram::blockWriteThenDump()
{
    QFETCH(bool, tcp);
    QFETCH(char, region);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, dumpAddress);
    QFETCH(int, offset);
    QByteArray before(8192, '\0');
    for (int i = 0; i < before.size(); ++i)
        before[i] = char((i * 7 + 13) & 0xFF); // holds 0x0D, 0x25, 0x2A, 0x00 along the way
    sim->setMemory(before);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    QVERIFY(enterMode(*link, "050"));
    const QByteArray frame = block(region, address, awkwardData());
    QCOMPARE(frame.size(), 75);
    const QByteArray answer = exchange(*link, frame, AckLength);
    QCOMPARE(answer.size(), AckLength);
    QVERIFY(answer.startsWith(Ack));
    QByteArray expected = before;
    expected.replace(offset, 32, awkwardData().left(32));
    QCOMPARE(sim->memory(), expected);
    QCOMPARE(sim->receivedFrames().last(), frame);

    QVERIFY(enterMode(*link, "060"));
    const QByteArray dump = exchange(*link, "%RE" + QByteArray(1, region) + dumpAddress + "**\r", DumpLength);
    QCOMPARE(dump.size(), DumpLength);
    QCOMPARE(dump.left(3), QByteArray("%RE"));
    QCOMPARE(dump.mid(3, 32), expected.mid(offset, 32));
    QCOMPARE(sim->memory(), expected); // reading changes nothing
}

void TestZilsimProgram::fullSendThenReceive_data()
{
    addTransports();
}

void TestZilsimProgram::fullSendThenReceive()
{
    // The program's whole sequence: request, 33 "C" blocks, the closing "F"
    // block, then request and 33 dumps on a fresh link.
    QFETCH(bool, tcp);
    QByteArray image(1056, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i % 251);
    {
        auto link = openSimLink(*sim, tcp);
        QVERIFY(link);
        QVERIFY(enterMode(*link, "050"));
        for (int a = 0; a <= 1024; a += 32) {
            const QByteArray frame = block('C', QByteArray::number(a, 16).toUpper().rightJustified(4, '0'),
                                           image.mid(a, 32) + QByteArray(32, '\0'));
            QVERIFY2(exchange(*link, frame, AckLength).startsWith(Ack), qPrintable(QString::number(a)));
        }
        QVERIFY(exchange(*link, block('F', "0400", image.mid(1024, 32) + QByteArray(32, '\0')), AckLength)
                    .startsWith(Ack));
    }
    QCOMPARE(sim->memory().left(1056), image);
    QCOMPARE(sim->receivedFrames().size(), 35);

    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    QVERIFY(enterMode(*link, "060"));
    QByteArray readBack;
    for (int a = 0; a <= 1024; a += 32) {
        const char region = a >= 1024 ? 'F' : 'C';
        const QByteArray frame = "%RE" + QByteArray(1, region)
            + QByteArray::number(a, 16).toUpper().rightJustified(4, '0') + "**\r";
        const QByteArray answer = exchange(*link, frame, DumpLength);
        QCOMPARE(answer.size(), DumpLength);
        readBack += answer.mid(3, 32);
    }
    QCOMPARE(readBack, image);
}

void TestZilsimProgram::framesIgnored_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("frame");
    const QByteArray enter = "%CM050**\r";
    const QByteArray data(64, 'A');
    QTest::newRow("block write outside program mode") << true << QByteArray() << block('C', "0000", data);
    QTest::newRow("dump outside program mode") << false << QByteArray() << QByteArray("%REC0000**\r");
    QTest::newRow("block beyond memory") << true << enter << block('C', "1FF0", data);
    QTest::newRow("region X") << true << enter << block('X', "0000", data);
    QTest::newRow("address not hex") << false << enter << block('C', "00G0", data);
    QTest::newRow("dump address not hex") << true << enter << QByteArray("%REC-020**\r");
    QTest::newRow("dump too short") << true << enter << QByteArray("%REC00**\r");
    QTest::newRow("dump beyond memory") << false << enter << QByteArray("%REC2000**\r");
    QTest::newRow("unknown mode code") << true << QByteArray() << QByteArray("%CM040**\r");
    QTest::newRow("mode request without tail") << true << QByteArray() << QByteArray("%CM05\r");
    QTest::newRow("clock set without %CM020") << false << QByteArray() << QByteArray("%RRTC05032514070902**\r");
    QTest::newRow("clock set after another frame") << true << QByteArray("%CM020**\r%REC0000**\r")
                                                     << QByteArray("%RRTC05032514070902**\r");
    QTest::newRow("record command") << true << QByteArray() << QByteArray("%UR001**\r");
    QTest::newRow("unknown command") << false << QByteArray() << QByteArray("%XY**\r");
}

void TestZilsimProgram::framesIgnored()
{
    QFETCH(bool, tcp);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, frame);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    const QDateTime clockBefore = sim->clock();
    if (!before.isEmpty()) {
        link->write(before);
        readFor(*link, 60);
    }
    link->write(frame);
    QCOMPARE(readFor(*link, 150), QByteArray());
    QCOMPARE(sim->memory(), QByteArray(8192, '\0'));
    QVERIFY(qAbs(sim->clock().secsTo(clockBefore)) <= 2);
    QCOMPARE(sim->receivedFrames().last(), frame);
}

void TestZilsimProgram::clockSet_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("tcp") << true << QByteArray("05032514070902") << true;
    QTest::newRow("serial") << false << QByteArray("05032514070902") << true;
    QTest::newRow("day 00") << true << QByteArray("00032514070902") << false;
    QTest::newRow("minute 60") << true << QByteArray("05032514600902") << false;
    QTest::newRow("weekday 07") << true << QByteArray("05032514070907") << false;
    QTest::newRow("NUL in digits") << true << QByteArray("050325\x00""4070902", 14) << false;
}

void TestZilsimProgram::clockSet()
{
    QFETCH(bool, tcp);
    QFETCH(QByteArray, digits);
    QFETCH(bool, accepted);
    const QDateTime before(QDate(2030, 1, 1), QTime(0, 0, 0));
    sim->setClock(before);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    QVERIFY(enterMode(*link, "020"));
    const QByteArray answer = exchange(*link, "%RRTC" + digits + "**\r", AckLength);
    QCOMPARE(answer.size(), AckLength);
    QCOMPARE(answer.startsWith(Ack), accepted);
    const QDateTime expected = accepted ? QDateTime(QDate(2025, 3, 5), QTime(14, 7, 9)) : before;
    const qint64 drift = expected.secsTo(sim->clock());
    QVERIFY2(drift >= 0 && drift <= 1, qPrintable(sim->clock().toString(Qt::ISODate)));
}

void TestZilsimProgram::clockReadAfterAck_data()
{
    addTransports();
}

void TestZilsimProgram::clockReadAfterAck()
{
    QFETCH(bool, tcp);
    // Saturday; the clock runs on, so set it early in its second.
    sim->setClock(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)));
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    QElapsedTimer timer;
    timer.start();
    const QByteArray ack = exchange(*link, "%CM030**\r", AckLength);
    const qint64 ackAt = timer.elapsed();
    QCOMPARE(ack.size(), AckLength); // the clock is not glued to the acknowledgement
    QVERIFY(ack.startsWith(Ack));
    const QByteArray clock = readAtLeast(*link, ClockAnswerLength);
    const qint64 clockAt = timer.elapsed();
    QCOMPARE(clock.size(), ClockAnswerLength);
    QCOMPARE(clock, QByteArray("%SRTC05122601234506\r\n"));
    QVERIFY2(clockAt - ackAt >= 200, qPrintable(QString::number(clockAt - ackAt)));
}

void TestZilsimProgram::serialSurvivesReopen()
{
    // The program opens and closes the port for every operation.
    QSignalSpy frames(sim.get(), &ControllerSimulator::frameReceived);
    for (int round = 0; round < 3; ++round) {
        auto link = openSimLink(*sim, false);
        QVERIFY2(link, "pseudo-terminal could not be opened again");
        QVERIFY(enterMode(*link, "050"));
    }
    QCOMPARE(frames.size(), 3);
}

QTEST_GUILESS_MAIN(TestZilsimProgram)
#include "tst_zilsim_program.moc"
