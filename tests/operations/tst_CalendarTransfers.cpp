#include "ControllerSimulator.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationTestHost.h"
#include "operations/OperationTexts.h"
#include "operations/TransferExpectations.h"
#include "schedule/DateTimeValue.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

class CalendarTransfersTest : public QObject, private OperationFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(startFixture()); }
    void cleanup() { stopFixture(); }

    void sendsEveryFrameInOrder_data();
    void sendsEveryFrameInOrder();
    void receivesEveryFrameInOrder_data();
    void receivesEveryFrameInOrder();
    void answeringNoOpensNothing_data();
    void answeringNoOpensNothing();
    void noModelSelectedSendsNothing();
    void blockSendCarriesTheBytesLastReceived();
};

// Every model once, and both transports for each family: the block model
// (its serial path also runs from the real window) and the record models.
static void addModelRows()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("V1 tcp") << 0 << true;
    QTest::newRow("V2 24 serial") << 1 << false;
    QTest::newRow("V2 Int tcp") << 2 << true;
    QTest::newRow("V3 64 tcp") << 3 << true;
    QTest::newRow("V3 Int serial") << 4 << false;
}

void CalendarTransfersTest::sendsEveryFrameInOrder_data()
{
    addModelRows();
}

void CalendarTransfersTest::sendsEveryFrameInOrder()
{
    QFETCH(int, model);
    QFETCH(bool, tcp);
    useTransport(tcp);
    useModel(model);
    m_host->schedule = patternedCalendar(model);
    m_host->schedule.setTimeUsed(2, 3, 2); // sent as not used by the record models
    const RingCalendar before = m_host->schedule;
    QSignalSpy status(&m_operations->progress(), &TransferProgress::statusTextChanged);

    m_operations->SendCalendar();

    const auto &entries = m_host->scripted.entries;
    QCOMPARE(m_host->scripted.texts(),
             QStringList({OperationText::AskSendCalendar, OperationText::SendSucceeded}));
    QCOMPARE(entries.at(0).buttons, DialogButtons::YesNo);
    QVERIFY(!entries.at(0).busy);
    QVERIFY(entries.at(1).progressShown); // the window closes after the message
    QCOMPARE(entries.at(1).statusLine, OperationText::SendSucceeded);
    QVERIFY(!m_host->busy);
    QVERIFY(!m_operations->progress().isLoaded());
    QCOMPARE(m_operations->progress().TransferRunning(), TransferProgress::Stopped);
    QCOMPARE(m_operations->progress().TransferDirection(), TransferProgress::ToController);
    QCOMPARE(m_host->schedule, before); // a send never changes the schedule
    QVERIFY(m_operations->link().channel() == nullptr);

    const QList<QByteArray> frames = m_simulator->receivedFrames();
    if (model == ModelV1) {
        const QByteArray image = expectedImage(before, QByteArray(8192, '\0'));
        QCOMPARE(frames.size(), 35);
        QCOMPARE(frames, blockWriteFrames(image));
        QCOMPARE(m_simulator->memory().left(1056), image.left(1056));
        QCOMPARE(m_operations->progress().maximum(), 32);
        QCOMPARE(m_operations->progress().value(), 0); // emptied before the message
        QCOMPARE(statusTexts(status),
                 QStringList{OperationText::EnteringProgramMode}
                     + percentTexts(OperationText::Sending, blockPercents())
                     + QStringList{OperationText::SendSucceeded});
        QCOMPARE(int(m_simulator->memory().at(24 + 96 + 8)), 2); // used 2 goes into the image as it is
    } else {
        const int n = slotsFor(model);
        QCOMPARE(frames.size(), 7 * n);
        QCOMPARE(frames, recordWriteFrames(before, n, tcp));
        QCOMPARE(m_operations->progress().maximum(), 7 * n);
        QCOMPARE(m_operations->progress().value(), 7 * n); // stays full
        QCOMPARE(statusTexts(status),
                 QStringList{OperationText::EnteringProgramMode} + percentTexts(OperationText::Sending, recordPercents(n))
                     + QStringList{OperationText::SendSucceeded});
        for (int day = 1; day <= 7; ++day) {
            for (int slot = 1; slot <= n; ++slot) {
                const ControllerSimulator::SlotRecord record = m_simulator->record(day, slot);
                QCOMPARE(record.used, before.timeUsed(day, slot) == 1 ? 1 : 0);
                QCOMPARE(record.duration, int(before.ringDuration(day, slot)));
                QCOMPARE(record.hour, timeOfDay(before.ringTime(day, slot)).hour);
                QCOMPARE(record.minute, timeOfDay(before.ringTime(day, slot)).minute);
            }
        }
    }
}

void CalendarTransfersTest::receivesEveryFrameInOrder_data()
{
    addModelRows();
}

void CalendarTransfersTest::receivesEveryFrameInOrder()
{
    QFETCH(int, model);
    QFETCH(bool, tcp);
    useTransport(tcp);
    useModel(model);
    const RingCalendar device = patternedCalendar(100 + model);
    const RingCalendar old = patternedCalendar(7);
    m_host->schedule = old;
    m_host->schedule.DeviceVersion = 4;
    QSignalSpy status(&m_operations->progress(), &TransferProgress::statusTextChanged);

    QByteArray memory(8192, '\0');
    if (model == ModelV1) {
        for (int i = 0; i < 8192; ++i)
            memory[i] = char(i * 7 + 3);
        memory = expectedImage(device, memory);
        m_simulator->setMemory(memory);
    } else {
        loadRecords(*m_simulator, device);
    }

    m_operations->ReceiveCalendar();

    QCOMPARE(m_host->scripted.texts(),
             QStringList({OperationText::AskReceiveCalendar, OperationText::ReceiveSucceeded}));
    QVERIFY(m_host->scripted.entries.at(1).progressShown);
    QCOMPARE(m_host->firstDayTabSelections, 1);
    QVERIFY(!m_host->busy);
    QVERIFY(!m_operations->progress().isLoaded());
    QCOMPARE(m_operations->progress().TransferDirection(), TransferProgress::ToComputer);
    QCOMPARE(m_operations->progress().value(), 0);
    QCOMPARE(m_host->schedule.DeviceVersion, qint16(4)); // the model stays as stored

    const QList<QByteArray> frames = m_simulator->receivedFrames();
    const int n = slotsFor(model);
    if (model == ModelV1) {
        QCOMPARE(frames, blockReadFrames());
        for (int i = 0; i < 1056; ++i)
            QCOMPARE(int(m_operations->memoryImage().byte(i)), int(quint8(memory.at(i))));
        QCOMPARE(int(m_operations->memoryImage().byte(1056)), 0); // never transferred
        QCOMPARE(statusTexts(status),
                 QStringList{OperationText::EnteringProgramMode}
                     + percentTexts(OperationText::Receiving, blockPercents())
                     + QStringList{OperationText::ReceiveSucceeded});
    } else {
        QCOMPARE(frames, recordReadFrames(n, tcp));
        QCOMPARE(statusTexts(status),
                 QStringList{OperationText::EnteringProgramMode}
                     + percentTexts(OperationText::Receiving, recordPercents(n))
                     + QStringList{OperationText::ReceiveSucceeded});
    }
    compareSlots(m_host->schedule, device, n);
    // Slots beyond the model's range keep the old schedule.
    for (int day = 1; day <= 7; ++day) {
        for (int slot = n + 1; slot <= 64; ++slot) {
            QCOMPARE(m_host->schedule.timeUsed(day, slot), old.timeUsed(day, slot));
            QCOMPARE(m_host->schedule.ringTime(day, slot), old.ringTime(day, slot));
        }
    }
}

void CalendarTransfersTest::answeringNoOpensNothing_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("send tcp") << true << true;
    QTest::newRow("receive serial") << false << false;
}

void CalendarTransfersTest::answeringNoOpensNothing()
{
    QFETCH(bool, send);
    QFETCH(bool, tcp);
    useTransport(tcp);
    m_host->scripted.answers = {DialogAnswer::No};
    const RingCalendar before = m_host->schedule = patternedCalendar(9);
    if (send)
        m_operations->SendCalendar();
    else
        m_operations->ReceiveCalendar();
    QCOMPARE(m_host->scripted.texts().size(), 1);
    QCOMPARE(m_host->beginBusyCalls, 0);
    QCOMPARE(m_host->progressShows, 0);
    QTest::qWait(20);
    QVERIFY(m_simulator->receivedFrames().isEmpty());
    QCOMPARE(m_host->schedule, before);
}

void CalendarTransfersTest::noModelSelectedSendsNothing()
{
    m_host->useTcp(*m_simulator);
    m_host->model = -1;
    m_operations->SendCalendar();
    m_operations->ReceiveCalendar();
    QCOMPARE(m_host->scripted.texts(),
             QStringList({OperationText::AskSendCalendar, OperationText::AskReceiveCalendar}));
    QCOMPARE(m_host->progressShows, 0);
    QVERIFY(!m_host->busy);
    QVERIFY(m_simulator->receivedFrames().isEmpty());
    QVERIFY(m_operations->link().channel() == nullptr);
}

void CalendarTransfersTest::blockSendCarriesTheBytesLastReceived()
{
    m_host->useTcp(*m_simulator);
    useModel(ModelV1);
    QByteArray memory(8192, '\0');
    for (int i = 0; i < 8192; ++i)
        memory[i] = char(0xC0 + i % 13);
    m_simulator->setMemory(memory);
    m_operations->ReceiveCalendar();

    // The controller forgets; the next send gives it back the bytes around
    // the slot entries as they were read.
    m_simulator->setMemory(QByteArray(8192, '\0'));
    m_simulator->clearLog();
    m_host->schedule = patternedCalendar(3);
    m_operations->SendCalendar();
    const QByteArray expected = expectedImage(m_host->schedule, memory);
    QCOMPARE(m_simulator->memory().left(1056), expected.left(1056));
    QCOMPARE(m_simulator->receivedFrames(), blockWriteFrames(expected));
}

QTEST_GUILESS_MAIN(CalendarTransfersTest)
#include "tst_CalendarTransfers.moc"
