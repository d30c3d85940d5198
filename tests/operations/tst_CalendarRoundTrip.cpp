#include "ControllerSimulator.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationTestHost.h"
#include "operations/OperationTexts.h"
#include "operations/TransferExpectations.h"

#include <QTest>
#include <memory>

class CalendarRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendThenReceiveGivesTheScheduleBack_data();
    void sendThenReceiveGivesTheScheduleBack();
    void blockSendCarriesTheBytesLastReceived();

private:
    void useTransport(bool tcp);

    std::unique_ptr<ControllerSimulator> m_simulator;
    std::unique_ptr<OperationTestHost> m_host;
    std::unique_ptr<DeviceOperations> m_operations;
};

void CalendarRoundTripTest::init()
{
    m_simulator = std::make_unique<ControllerSimulator>();
    QVERIFY(m_simulator->listenTcp());
    QVERIFY(m_simulator->openSerial());
    m_host = std::make_unique<OperationTestHost>();
    m_operations = std::make_unique<DeviceOperations>(*m_host);
}

void CalendarRoundTripTest::cleanup()
{
    m_operations.reset();
    m_host.reset();
    m_simulator.reset();
}

void CalendarRoundTripTest::useTransport(bool tcp)
{
    if (tcp)
        m_host->useTcp(*m_simulator);
    else
        m_host->useSerial(*m_simulator);
}

void CalendarRoundTripTest::sendThenReceiveGivesTheScheduleBack_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("V1 tcp") << 0 << true;
    QTest::newRow("V2 24 tcp") << 1 << true;
    QTest::newRow("V3 64 serial") << 3 << false;
    QTest::newRow("V3 Int tcp") << 4 << true;
}

void CalendarRoundTripTest::sendThenReceiveGivesTheScheduleBack()
{
    QFETCH(int, model);
    QFETCH(bool, tcp);
    useTransport(tcp);
    m_simulator->setModel(model);
    m_host->model = model;
    const RingCalendar original = patternedCalendar(31 * model + 5);
    m_host->schedule = original;
    m_operations->SendCalendar();
    m_host->schedule = RingCalendar{};
    m_operations->ReceiveCalendar();
    QCOMPARE(m_host->scripted.texts(),
             QStringList({OperationText::AskSendCalendar, OperationText::SendSucceeded,
                          OperationText::AskReceiveCalendar, OperationText::ReceiveSucceeded}));
    compareSlots(m_host->schedule, original, slotsFor(model));
}

void CalendarRoundTripTest::blockSendCarriesTheBytesLastReceived()
{
    m_host->useTcp(*m_simulator);
    m_simulator->setModel(ModelV1);
    m_host->model = ModelV1;
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

QTEST_GUILESS_MAIN(CalendarRoundTripTest)
#include "tst_CalendarRoundTrip.moc"
