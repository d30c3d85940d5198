#include "ControllerSimulator.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationTestHost.h"
#include "operations/OperationTexts.h"
#include "operations/TransferExpectations.h"
#include "schedule/DateTimeValue.h"

#include <QTest>
#include <memory>

namespace {

enum class Fault { Silent, WrongStatus, ShortAnswer, NoProgramAck };

ControllerSimulator::Faults faultAfter(Fault fault, int frames)
{
    ControllerSimulator::Faults faults;
    faults.afterFrames = frames;
    faults.silent = fault == Fault::Silent;
    faults.wrongStatus = fault == Fault::WrongStatus;
    faults.shortAnswer = fault == Fault::ShortAnswer;
    faults.noProgramAck = fault == Fault::NoProgramAck;
    return faults;
}

// Slots received in the order of the transfer: the first `count` of them
// hold the device's schedule, the others the old one.
void compareReceivedPrefix(const RingCalendar &actual, const RingCalendar &device, const RingCalendar &old,
                           int slotsPerDay, int count)
{
    int k = 0;
    for (int day = 1; day <= 7; ++day) {
        for (int slot = 1; slot <= 64; ++slot) {
            const bool received = slot <= slotsPerDay && k++ < count;
            const RingCalendar &expected = received ? device : old;
            const QString where = QStringLiteral("day %1 slot %2").arg(day).arg(slot);
            QVERIFY2(actual.timeUsed(day, slot) == expected.timeUsed(day, slot), qPrintable(where));
            QVERIFY2(actual.ringDuration(day, slot) == expected.ringDuration(day, slot), qPrintable(where));
            QVERIFY2(hourMinuteText(actual.ringTime(day, slot)) == hourMinuteText(expected.ringTime(day, slot)),
                     qPrintable(where));
        }
    }
}

} // namespace

class TransferFaultsTest : public QObject, private OperationFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(startFixture()); }
    void cleanup() { stopFixture(); }

    void recordTransferFailure_data();
    void recordTransferFailure();
    void blockTransferFailure_data();
    void blockTransferFailure();
    void cancelDuringTransfer_data();
    void cancelDuringTransfer();
    void failureWinsOverCancel();
    void linkThatCannotBeOpened_data();
    void linkThatCannotBeOpened();
    void answersInPiecesOrBehindNoise_data();
    void answersInPiecesOrBehindNoise();

private:
    void cancelAtFrame(int frame);
    void checkEndedIdle();
};

void TransferFaultsTest::cancelAtFrame(int frame)
{
    // The operator presses "İptal Et" while the controller is handling this frame.
    auto count = std::make_shared<int>(0);
    connect(m_simulator.get(), &ControllerSimulator::frameReceived, this, [this, count, frame] {
        if (++*count == frame)
            m_operations->progress().cancel();
    });
}

void TransferFaultsTest::checkEndedIdle()
{
    QVERIFY(!m_host->busy);
    QVERIFY(!m_operations->progress().isLoaded());
    QCOMPARE(m_operations->progress().TransferRunning(), TransferProgress::Stopped);
    QVERIFY(m_operations->link().channel() == nullptr);
}

void TransferFaultsTest::recordTransferFailure_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("failingRecord"); // 1-based
    QTest::newRow("send: first record, no answer") << true << 1 << true << int(Fault::Silent) << 1;
    QTest::newRow("send: record 30, refused") << true << 3 << false << int(Fault::WrongStatus) << 30;
    QTest::newRow("send: record 100, cut short") << true << 4 << true << int(Fault::ShortAnswer) << 100;
    QTest::newRow("send: last record, no answer") << true << 2 << false << int(Fault::Silent) << 168;
    QTest::newRow("receive: first record, no answer") << false << 3 << true << int(Fault::Silent) << 1;
    QTest::newRow("receive: record 40, refused") << false << 1 << false << int(Fault::WrongStatus) << 40;
    QTest::newRow("receive: record 77, cut short") << false << 2 << true << int(Fault::ShortAnswer) << 77;
}

void TransferFaultsTest::recordTransferFailure()
{
    QFETCH(bool, send);
    QFETCH(int, model);
    QFETCH(bool, tcp);
    QFETCH(int, fault);
    QFETCH(int, failingRecord);
    useTransport(tcp);
    useModel(model);
    const RingCalendar device = patternedCalendar(50);
    const RingCalendar old = m_host->schedule = patternedCalendar(4);
    loadRecords(*m_simulator, device);
    m_simulator->setFaults(faultAfter(Fault(fault), failingRecord - 1));

    send ? m_operations->SendCalendar() : m_operations->ReceiveCalendar();

    QCOMPARE(m_host->scripted.texts(),
             send ? QStringList({OperationText::AskSendCalendar, OperationText::RecordSendFailed})
                  : QStringList({OperationText::AskReceiveCalendar, OperationText::ReceiveFailed}));
    const DialogEntry &failure = m_host->scripted.entries.last();
    QVERIFY(!failure.busy);
    QVERIFY(!failure.progressShown); // closed before the message
    const int slotsPerDay = model == 3 ? 64 : 24;
    if (send) {
        const QString lastStatus = failingRecord == 1
            ? OperationText::EnteringProgramMode
            : OperationText::withPercent(OperationText::Sending, failingRecord - 2, 7 * slotsPerDay);
        QCOMPARE(failure.statusLine, lastStatus);
        QCOMPARE(m_operations->progress().statusText(), lastStatus);
    }
    QTest::qWait(50);
    QCOMPARE(m_simulator->receivedFrames().size(), failingRecord); // nothing after the failing one
    QCOMPARE(m_host->firstDayTabSelections, 0); // the editor is not redrawn
    if (send)
        QCOMPARE(m_host->schedule, old);
    else
        compareReceivedPrefix(m_host->schedule, device, old, slotsPerDay, failingRecord - 1);
    checkEndedIdle();
}

void TransferFaultsTest::blockTransferFailure_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("afterFrames");
    QTest::addColumn<int>("framesSent");
    QTest::addColumn<QString>("message"); // also on the status line behind it
    QTest::addColumn<int>("blocksRead");
    const QString sendFailed = OperationText::BlockSendFailed;
    const QString receiveFailed = OperationText::ReceiveFailed;
    const QString noProgramMode = OperationText::ProgramModeFailed;
    QTest::newRow("send: program mode never acknowledged")
        << true << true << int(Fault::NoProgramAck) << 0 << 6 << noProgramMode << 0;
    QTest::newRow("send: first block unanswered") << true << false << int(Fault::Silent) << 1 << 2 << sendFailed << 0;
    QTest::newRow("send: block 12 refused") << true << true << int(Fault::WrongStatus) << 12 << 13 << sendFailed << 0;
    QTest::newRow("send: closing F write unanswered")
        << true << true << int(Fault::Silent) << 34 << 35 << sendFailed << 0;
    QTest::newRow("send: closing F write refused")
        << true << false << int(Fault::WrongStatus) << 34 << 35 << sendFailed << 0;
    QTest::newRow("receive: program mode never acknowledged")
        << false << true << int(Fault::NoProgramAck) << 0 << 6 << noProgramMode << 0;
    QTest::newRow("receive: block 5 unanswered") << false << true << int(Fault::Silent) << 5 << 6 << receiveFailed << 4;
    QTest::newRow("receive: last block with wrong letters")
        << false << true << int(Fault::WrongStatus) << 33 << 34 << receiveFailed << 32;
}

void TransferFaultsTest::blockTransferFailure()
{
    QFETCH(bool, send);
    QFETCH(bool, tcp);
    QFETCH(int, fault);
    QFETCH(int, afterFrames);
    QFETCH(int, framesSent);
    QFETCH(QString, message);
    QFETCH(int, blocksRead);
    useTransport(tcp);
    useModel(ModelV1);
    m_simulator->setMemory(QByteArray(8192, '\x11'));
    m_simulator->setFaults(faultAfter(Fault(fault), afterFrames));
    const RingCalendar before = m_host->schedule = patternedCalendar(2);

    send ? m_operations->SendCalendar() : m_operations->ReceiveCalendar();

    // A transfer that did not complete always says so.
    QCOMPARE(m_host->scripted.texts(),
             QStringList({send ? OperationText::AskSendCalendar : OperationText::AskReceiveCalendar, message}));
    const DialogEntry &failure = m_host->scripted.entries.last();
    QVERIFY(failure.progressShown); // the status line shows the same text behind it
    QVERIFY(!failure.busy);
    QCOMPARE(failure.statusLine, message);
    QTest::qWait(50);
    QCOMPARE(m_simulator->receivedFrames().size(), framesSent);
    QCOMPARE(m_host->schedule, before);
    QCOMPARE(m_host->firstDayTabSelections, 0);
    if (!send) {
        // The blocks that did arrive are in the image, the rest is as it was.
        if (blocksRead > 0)
            QCOMPARE(int(m_operations->memoryImage().byte(blocksRead * 32 - 1)), 0x11);
        QCOMPARE(int(m_operations->memoryImage().byte(blocksRead * 32)), 0);
    }
    checkEndedIdle();
}

void TransferFaultsTest::cancelDuringTransfer_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("cancelAt"); // the frame the controller is handling
    QTest::addColumn<int>("framesSent");
    QTest::newRow("record send at Monday record 10") << true << int(ModelV2Times24) << true << 10 << 10;
    QTest::newRow("record receive at Wednesday slot 5") << false << int(ModelV3IntervalTimer) << false << 53 << 53;
    // No closing write, no further block.
    QTest::newRow("block send at block 5") << true << int(ModelV1) << true << 6 << 6;
    QTest::newRow("block receive at block 5") << false << int(ModelV1) << false << 6 << 6;
}

void TransferFaultsTest::cancelDuringTransfer()
{
    QFETCH(bool, send);
    QFETCH(int, model);
    QFETCH(bool, tcp);
    QFETCH(int, cancelAt);
    QFETCH(int, framesSent);
    useTransport(tcp);
    useModel(model);
    m_simulator->setMemory(QByteArray(8192, '\x22'));
    const RingCalendar device = patternedCalendar(70);
    const RingCalendar old = m_host->schedule = patternedCalendar(3);
    loadRecords(*m_simulator, device);
    cancelAtFrame(cancelAt);
    // The arrows stand lit once the flag is down, while the window is still open.
    bool allLitAtMessage = false;
    m_host->scripted.busyProbe = [this, &allLitAtMessage] {
        m_operations->progress().tick();
        allLitAtMessage = true;
        for (int i = 0; i < TransferProgress::ArrowCount; ++i)
            allLitAtMessage = allLitAtMessage && m_operations->progress().arrowVisible(i);
        return m_host->busy;
    };

    send ? m_operations->SendCalendar() : m_operations->ReceiveCalendar();

    QCOMPARE(m_host->scripted.texts(),
             QStringList({send ? OperationText::AskSendCalendar : OperationText::AskReceiveCalendar,
                          OperationText::Cancelled}));
    const DialogEntry &cancel = m_host->scripted.entries.last();
    QVERIFY(cancel.progressShown); // closed after the message
    QVERIFY(!cancel.busy);
    QVERIFY(allLitAtMessage);
    QTest::qWait(50);
    QCOMPARE(m_simulator->receivedFrames().size(), framesSent);
    QCOMPARE(m_host->firstDayTabSelections, 0);
    if (model != ModelV1) {
        if (send) {
            QCOMPARE(cancel.statusLine, OperationText::withPercent(OperationText::Sending, cancelAt - 1, 168));
            QCOMPARE(m_simulator->record(1, cancelAt).duration, int(old.ringDuration(1, cancelAt)));
        } else {
            compareReceivedPrefix(m_host->schedule, device, old, 24, cancelAt); // including the record under way
        }
    } else if (!send) {
        QCOMPARE(int(m_operations->memoryImage().byte(5 * 32 - 1)), 0x22);
        QCOMPARE(int(m_operations->memoryImage().byte(5 * 32)), 0);
    }
    if (send || model == ModelV1)
        QCOMPARE(m_host->schedule, old);
    checkEndedIdle();
}

void TransferFaultsTest::failureWinsOverCancel()
{
    m_host->useTcp(*m_simulator);
    useModel(ModelV3Times64);
    m_simulator->setFaults(faultAfter(Fault::Silent, 4));
    cancelAtFrame(5); // pressed while record 5 goes unanswered

    m_operations->SendCalendar();

    QCOMPARE(m_host->scripted.texts(), QStringList({OperationText::AskSendCalendar, OperationText::RecordSendFailed}));
    checkEndedIdle();
}

void TransferFaultsTest::linkThatCannotBeOpened_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("port");   // TCP port text, or the serial device
    QTest::addColumn<QString>("message");
    const QString serial = OperationText::SerialPortFailed;
    const QString tcp = OperationText::TcpPortFailed;
    QTest::newRow("serial device that does not exist") << false << "/dev/zil-no-such-port" << serial;
    QTest::newRow("serial port number without a device") << false << "" << serial;
    QTest::newRow("tcp port text abc") << true << "abc" << tcp;
    QTest::newRow("tcp port text empty") << true << "" << tcp;
    QTest::newRow("tcp port above 65535") << true << "70000" << tcp;
    QTest::newRow("tcp port nobody listens on") << true << "closed" << tcp;
}

void TransferFaultsTest::linkThatCannotBeOpened()
{
    QFETCH(bool, tcp);
    QFETCH(QString, port);
    QFETCH(QString, message);
    if (tcp) {
        m_host->useTcp(*m_simulator);
        if (port == QLatin1String("closed")) {
            ControllerSimulator gone;
            QVERIFY(gone.listenTcp());
            port = QString::number(gone.tcpPort()); // free again once it goes
        }
        m_host->port = port;
    } else {
        m_host->tcp = false;
        m_host->portNumber = port.isEmpty() ? 0 : 1;
        m_host->portMap = SerialPortMap::fromText(QStringLiteral("1 = %1\n").arg(port));
    }
    m_host->model = ModelV3Times64;
    for (int operation = 0; operation < 2; ++operation) {
        m_host->scripted.entries.clear();
        operation == 0 ? m_operations->SendCalendar() : m_operations->ReceiveCalendar();
        QCOMPARE(m_host->scripted.texts().size(), 2);
        QCOMPARE(m_host->scripted.texts().at(1), message);
        QVERIFY(m_host->scripted.entries.at(1).busy); // told while busy, then released
        QVERIFY(!m_host->busy);
        QCOMPARE(m_host->progressShows, 0);
    }
    QVERIFY(m_simulator->receivedFrames().isEmpty());
}

void TransferFaultsTest::answersInPiecesOrBehindNoise_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("noise");
    QTest::addColumn<int>("chunk");
    // Noise and pieces are tried apart: noise in front of an answer that comes
    // in pieces ends the wait before the answer is whole, which the commands
    // rightly count as a failure.
    QTest::newRow("V1 over tcp, bytes without a %") << 0 << true << QByteArray("\x00\xff~\r\n", 5) << 0;
    QTest::newRow("V1 over serial, in pieces of 7") << 0 << false << QByteArray() << 7;
    QTest::newRow("V2 Int over serial, bytes without a $") << 2 << false << QByteArray("Z R\x7f*", 5) << 0;
    QTest::newRow("V3 Int over tcp, in pieces of 4") << 4 << true << QByteArray() << 4;
}

void TransferFaultsTest::answersInPiecesOrBehindNoise()
{
    QFETCH(int, model);
    QFETCH(bool, tcp);
    QFETCH(QByteArray, noise);
    QFETCH(int, chunk);
    useTransport(tcp);
    useModel(model);
    const RingCalendar original = m_host->schedule = patternedCalendar(40);
    ControllerSimulator::Faults faults;
    faults.noiseBefore = noise;
    m_simulator->setFaults(faults);
    m_operations->SendCalendar();

    // Pieces cost real milliseconds: only the last five answers of the
    // receive come that way.
    faults.chunkSize = chunk;
    faults.afterFrames = chunk > 0 ? (model == ModelV1 ? 34 : 168) - 5 : 0;
    m_simulator->setFaults(faults);
    m_host->schedule = RingCalendar{};
    m_operations->ReceiveCalendar();

    QCOMPARE(m_host->scripted.texts(),
             QStringList({OperationText::AskSendCalendar, OperationText::SendSucceeded,
                          OperationText::AskReceiveCalendar, OperationText::ReceiveSucceeded}));
    compareReceivedPrefix(m_host->schedule, original, RingCalendar{}, 24, 7 * 24);
    checkEndedIdle();
}

QTEST_GUILESS_MAIN(TransferFaultsTest)
#include "tst_TransferFaults.moc"
