// Faults the simulated controller injects on request: silence, wrong
// status, noise, late, short and trickled answers, a dropped connection,
// a missing program-mode acknowledgement, and faults that start mid-way.
#include "FaultOption.h"
#include "SimLink.h"

#include <QSignalSpy>

namespace {
using Faults = ControllerSimulator::Faults;
const QByteArray RecordWrite = repeated("%ZW0011051030830**", 3);
const QByteArray SerialRecordWrite = "%ZW0011051030830**\r";
const QByteArray ClockRead = repeated("%UR001**", 4);
const QByteArray Ack = "%PICOKXXX";
} // namespace

class TestZilsimFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void faultedDelivery_data();
    void faultedDelivery();
    void wrongStatus_data();
    void wrongStatus();
    void lateAnswer();
    void dropConnection();
    void noProgramAck();
    void chunkedAnswer();
    void faultStartsAfterFrames();

private:
    std::unique_ptr<ControllerSimulator> sim;
};

void TestZilsimFaults::init()
{
    sim = std::make_unique<ControllerSimulator>();
    sim->setModel(3);
    sim->setClock(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)));
    QVERIFY(sim->listenTcp(0));
    QVERIFY(sim->openSerial());
}

void TestZilsimFaults::cleanup()
{
    sim.reset();
}

void TestZilsimFaults::faultedDelivery_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("faulted");   // all that arrives with the fault
    QTest::addColumn<QByteArray>("recovered"); // how the answer starts once cleared
    const QByteArray ok = "$ZW001O\r\n";
    QTest::newRow("silent tcp") << true << 3 << "silent" << RecordWrite << QByteArray() << ok;
    QTest::newRow("silent serial") << false << 3 << "silent" << SerialRecordWrite << QByteArray() << ok;
    QTest::newRow("drop on serial is silence") << false << 3 << "drop" << SerialRecordWrite << QByteArray() << ok;
    QTest::newRow("noise serial") << false << 3 << "noise" << SerialRecordWrite
                                  << QByteArray("\xFF\x00#!$ZW001O\r\n", 13) << ok;
    QTest::newRow("short record write 8 of 9") << true << 3 << "short" << RecordWrite << QByteArray("$ZW001O\r") << ok;
    QTest::newRow("short clock read 22 of 23") << true << 3 << "short" << ClockRead
                                               << QByteArray("$UR00105122601234506**") << QByteArray("$UR001");
    QTest::newRow("short acknowledgement 27 of 28") << true << 0 << "short" << QByteArray("%CM050**\r")
                                                    << QByteArray("%PICOKXXX                 \r") << Ack;
}

void TestZilsimFaults::faultedDelivery()
{
    QFETCH(bool, tcp);
    QFETCH(int, model);
    QFETCH(QString, fault);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, faulted);
    QFETCH(QByteArray, recovered);
    sim->setModel(model);
    Faults faults;
    QVERIFY(zilsim::applyFaultOption(fault, faults));
    sim->setFaults(faults);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    link->write(frame);
    QCOMPARE(readFor(*link, 300), faulted);
    // The frame is still taken in and logged.
    QCOMPARE(sim->receivedFrames(), QList<QByteArray>{frame});
    if (frame.startsWith("%ZW"))
        QCOMPARE(sim->record(1, 5).hour, 8);
    sim->setFaults({});
    QCOMPARE(exchange(*link, frame, recovered.size()).left(recovered.size()), recovered);
}

void TestZilsimFaults::wrongStatus_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer"); // how the answer starts
    QTest::newRow("record write") << 3 << RecordWrite << QByteArray("$ZW001N\r\n");
    QTest::newRow("record read") << 3 << repeated("%ZR001105**", 4) << QByteArray("$ZR001N1050000000**\r");
    QTest::newRow("relay test") << 3 << repeated("%DT00103**", 10) << QByteArray("$ER001O\r\n");
    QTest::newRow("clock set") << 3 << repeated("%DR00105122601234506**", 6) << QByteArray("$ER001O\r\n");
    // Other letters than "UR", same length; the clock is a Sunday at noon.
    QTest::newRow("clock read") << 3 << ClockRead << QByteArray("$ER0010106311200");
    QTest::newRow("program mode") << 0 << QByteArray("%CM050**\r") << QByteArray("%PICNOXXX                 \r\n");
    // "V1": the acknowledgement stands, the clock comes with other letters.
    QTest::newRow("program-mode clock read") << 0 << QByteArray("%CM030**\r")
                                             << QByteArray("%PICOKXXX                 \r\n%NRTC01063112");
}

void TestZilsimFaults::wrongStatus()
{
    QFETCH(int, model);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);
    sim->setModel(model);
    sim->setClock(QDateTime(QDate(2031, 6, 1), QTime(12, 0, 0)));
    Faults faults;
    faults.wrongStatus = true;
    sim->setFaults(faults);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    QCOMPARE(exchange(*link, frame, answer.size()).left(answer.size()), answer);
    // A refused command changes nothing.
    QCOMPARE(sim->record(1, 5).used, 0);
    QCOMPARE(sim->relayTests(), 0);
    QCOMPARE(sim->clock().date(), QDate(2031, 6, 1));
}

void TestZilsimFaults::lateAnswer()
{
    Faults faults;
    faults.answerDelayMs = 600;
    sim->setFaults(faults);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    QElapsedTimer timer;
    timer.start();
    link->write(RecordWrite);
    QCOMPARE(readFor(*link, 400), QByteArray());
    QCOMPARE(readAtLeast(*link, 9), QByteArray("$ZW001O\r\n"));
    QVERIFY2(timer.elapsed() >= 600, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(timer.elapsed() < 1500);
}

void TestZilsimFaults::dropConnection()
{
    Faults faults;
    faults.dropConnection = true;
    faults.afterFrames = 1;
    sim->setFaults(faults);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    QCOMPARE(exchange(*link, RecordWrite, 9), QByteArray("$ZW001O\r\n"));
    auto *socket = static_cast<QTcpSocket *>(link.get());
    link->write(ClockRead);
    QVERIFY(QTest::qWaitFor([&] { return socket->state() == QAbstractSocket::UnconnectedState; }, 2000));
    QCOMPARE(socket->readAll(), QByteArray());
    // The controller still takes new connections.
    auto again = openSimLink(*sim, true);
    QVERIFY(again);
    sim->setFaults({});
    QCOMPARE(exchange(*again, RecordWrite, 9), QByteArray("$ZW001O\r\n"));
}

void TestZilsimFaults::noProgramAck()
{
    sim->setModel(0);
    Faults faults;
    faults.noProgramAck = true;
    sim->setFaults(faults);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    // Every request is taken in and left unanswered, as often as it is sent.
    link->write(QByteArray("%CM050**\r").repeated(6) + "%CM030**\r");
    QCOMPARE(readFor(*link, 500), QByteArray());
    QCOMPARE(sim->receivedFrames().size(), 7);
    // Without program mode a block write is not taken either.
    link->write("%SEC0000" + QByteArray(64, '\x01') + "**\r");
    QCOMPARE(readFor(*link, 150), QByteArray());
    QCOMPARE(sim->memory().at(0), '\0');
}

void TestZilsimFaults::chunkedAnswer()
{
    Faults faults;
    faults.chunkSize = 4;
    sim->setFaults(faults);
    QSignalSpy pieces(sim.get(), &ControllerSimulator::answerSent);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(exchange(*link, repeated("%ZR001105**", 4), 20), QByteArray("$ZR001O1050000000**\r"));
    QCOMPARE(pieces.size(), 5);
    for (const QList<QVariant> &piece : pieces)
        QCOMPARE(piece.at(0).toByteArray().size(), 4);
    QVERIFY2(timer.elapsed() >= 70, qPrintable(QString::number(timer.elapsed())));
}

void TestZilsimFaults::faultStartsAfterFrames()
{
    // As if the link failed after the 10th record of a transfer.
    Faults faults;
    faults.silent = true;
    faults.afterFrames = 10;
    auto link = openSimLink(*sim, false);
    QVERIFY(link);
    // Before the faults are set: not counted.
    QCOMPARE(exchange(*link, "%ZW0011011000700**\r", 9), QByteArray("$ZW001O\r\n"));
    sim->setFaults(faults);
    for (int slot = 1; slot <= 10; ++slot) {
        const QByteArray frame = "%ZW0011" + QByteArray::number(slot).rightJustified(2, '0') + "1030830**\r";
        QCOMPARE(exchange(*link, frame, 9), QByteArray("$ZW001O\r\n"));
    }
    link->write("%ZW0011111030830**\r");
    QCOMPARE(readFor(*link, 300), QByteArray());
    QCOMPARE(sim->receivedFrames().size(), 12);
}

QTEST_GUILESS_MAIN(TestZilsimFaults)
#include "tst_zilsim_faults.moc"
