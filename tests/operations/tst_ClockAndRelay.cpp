#include "ControllerSimulator.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationTestHost.h"
#include "operations/OperationTexts.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>

class ClockAndRelayTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setClock_data();
    void setClock();
    void readClock_data();
    void readClock();
    void clockCommandFailures_data();
    void clockCommandFailures();
    void clockWithALinkThatCannotBeOpened_data();
    void clockWithALinkThatCannotBeOpened();
    void programModeClockLabel_data();
    void programModeClockLabel();
    void relayTestNotOnV1();
    void relayTestSeconds_data();
    void relayTestSeconds();
    void relayTestFailures_data();
    void relayTestFailures();

private:
    void useTransport(bool tcp) { tcp ? m_host->useTcp(*m_simulator) : m_host->useSerial(*m_simulator); }
    // The button's state whenever the operator is told something.
    void watchButton(OperationButton button);
    void checkButtonReleased(OperationButton button);

    std::unique_ptr<ControllerSimulator> m_simulator;
    std::unique_ptr<OperationTestHost> m_host;
    std::unique_ptr<DeviceOperations> m_operations;
    QList<bool> m_buttonAtMessage;
};

void ClockAndRelayTest::init()
{
    m_simulator = std::make_unique<ControllerSimulator>();
    QVERIFY(m_simulator->listenTcp());
    QVERIFY(m_simulator->openSerial());
    m_host = std::make_unique<OperationTestHost>();
    m_operations = std::make_unique<DeviceOperations>(*m_host);
    m_buttonAtMessage.clear();
}

void ClockAndRelayTest::cleanup()
{
    m_operations.reset();
    m_host.reset();
    m_simulator.reset();
}

void ClockAndRelayTest::watchButton(OperationButton button)
{
    m_host->scripted.busyProbe = [this, button] {
        m_buttonAtMessage.append(m_host->buttonEnabled.value(button, true));
        return m_host->busy;
    };
}

void ClockAndRelayTest::checkButtonReleased(OperationButton button)
{
    QCOMPARE(m_host->buttonStates, QList<bool>({false, true}));
    QVERIFY(m_host->buttonEnabled.value(button));
    QVERIFY(!m_host->busy);
    QVERIFY(m_operations->link().channel() == nullptr);
    for (bool enabled : m_buttonAtMessage)
        QVERIFY(!enabled); // still disabled while the box is open
}

void ClockAndRelayTest::setClock_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QDateTime>("pcClock");
    QTest::addColumn<QList<QByteArray>>("frames");
    const QDateTime wednesday(QDate(2025, 3, 5), QTime(14, 7, 9));
    const QDateTime saturday(QDate(2026, 12, 5), QTime(1, 23, 45));
    const QList<QByteArray> v1 = {"%CM020**\r", "%RRTC05032514070902**\r"};
    QTest::newRow("V1 tcp") << 0 << true << wednesday << v1;
    QTest::newRow("V1 serial") << 0 << false << wednesday << v1;
    QTest::newRow("V2 24 serial") << 1 << false << saturday << QList<QByteArray>{"%DR00105122601234506**\r"};
    QTest::newRow("V3 64 tcp") << 3 << true << saturday
                               << QList<QByteArray>{QByteArray("%DR00105122601234506**").repeated(6) + '\r'};
}

void ClockAndRelayTest::setClock()
{
    QFETCH(int, model);
    QFETCH(bool, tcp);
    QFETCH(QDateTime, pcClock);
    QFETCH(QList<QByteArray>, frames);
    useTransport(tcp);
    m_host->model = model;
    m_simulator->setModel(model);
    m_host->pacedClock.setCurrentDateTime(pcClock);
    watchButton(OperationButton::SendClock);

    m_operations->SendClock();

    QCOMPARE(m_host->scripted.texts(), QStringList{OperationText::ClockSet});
    QVERIFY(m_host->scripted.entries.first().busy);
    QCOMPARE(m_simulator->receivedFrames(), frames);
    QVERIFY(qAbs(m_simulator->clock().secsTo(pcClock)) <= 2);
    QCOMPARE(m_host->focused, QList<OperationButton>{OperationButton::SendClock});
    checkButtonReleased(OperationButton::SendClock);
}

void ClockAndRelayTest::readClock_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("V1 tcp") << 0 << true;
    QTest::newRow("V1 serial") << 0 << false;
    QTest::newRow("V2 Int serial") << 2 << false;
    QTest::newRow("V3 64 tcp") << 3 << true;
}

void ClockAndRelayTest::readClock()
{
    QFETCH(int, model);
    QFETCH(bool, tcp);
    useTransport(tcp);
    m_host->model = model;
    m_simulator->setModel(model);
    m_simulator->setClock(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)));
    watchButton(OperationButton::ReceiveClock);

    m_operations->ReceiveClock();

    QVERIFY(m_host->scripted.entries.isEmpty()); // a good read shows no message
    // The controller's clock runs on while the command waits.
    QVERIFY2(QRegularExpression(QStringLiteral("^05/12/2026 01:23:4[5-9], Cumartesi$")).match(m_host->ringerClock).hasMatch(),
             qPrintable(m_host->ringerClock));
    const QByteArray request = model == ModelV1 ? QByteArray("%CM030**\r") : QByteArray("%UR001**%UR001**%UR001**%UR001**\r");
    QCOMPARE(m_simulator->receivedFrames().first(), tcp || model == ModelV1 ? request : QByteArray("%UR001**\r"));
    QCOMPARE(m_host->focused, QList<OperationButton>{OperationButton::ReceiveClock});
    checkButtonReleased(OperationButton::ReceiveClock);
}

void ClockAndRelayTest::clockCommandFailures_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("silent");
    QTest::newRow("V1 set refused") << 0 << false << false;
    QTest::newRow("V1 read never acknowledged") << 0 << true << true;
    QTest::newRow("V1 read with wrong letters") << 0 << true << false;
    QTest::newRow("record set unanswered") << 1 << false << true;
    QTest::newRow("record read with wrong letters") << 4 << true << false;
}

void ClockAndRelayTest::clockCommandFailures()
{
    QFETCH(int, model);
    QFETCH(bool, read);
    QFETCH(bool, silent);
    m_host->useTcp(*m_simulator);
    m_host->model = model;
    m_host->ringerClock = QStringLiteral("01/01/2026 00:00:00, Perşembe");
    m_simulator->setModel(model);
    ControllerSimulator::Faults faults;
    // The V1 set is refused at its clock frame, after the "%CM" acknowledgement.
    faults.afterFrames = model == ModelV1 && !read && !silent ? 1 : 0;
    faults.silent = silent;
    faults.wrongStatus = !silent;
    m_simulator->setFaults(faults);
    const OperationButton button = read ? OperationButton::ReceiveClock : OperationButton::SendClock;
    watchButton(button);

    read ? m_operations->ReceiveClock() : m_operations->SendClock();

    QCOMPARE(m_host->scripted.texts(),
             QStringList{read ? OperationText::ClockReadFailed : OperationText::ClockSetFailed});
    QCOMPARE(m_host->ringerClock, QStringLiteral("01/01/2026 00:00:00, Perşembe"));
    checkButtonReleased(button);
}

void ClockAndRelayTest::clockWithALinkThatCannotBeOpened_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("read, serial port missing") << true << false;
    QTest::newRow("set, tcp port empty") << false << true;
}

void ClockAndRelayTest::clockWithALinkThatCannotBeOpened()
{
    QFETCH(bool, read);
    QFETCH(bool, tcp);
    m_host->model = ModelV3Times64;
    m_host->ringerClock = QStringLiteral("earlier reading");
    if (tcp) {
        m_host->useTcp(*m_simulator);
        m_host->port = QString();
    } else {
        m_host->tcp = false;
        m_host->portMap = SerialPortMap::fromText(QStringLiteral("1 = /dev/zil-no-such-port\n"));
    }
    read ? m_operations->ReceiveClock() : m_operations->SendClock();
    QCOMPARE(m_host->scripted.texts(), QStringList{tcp ? OperationText::TcpPortFailed : OperationText::SerialPortFailed});
    QCOMPARE(m_host->buttonStates, QList<bool>({false, true})); // usable again at once
    QVERIFY(m_host->focused.isEmpty());
    QVERIFY(!m_host->busy);
    QCOMPARE(m_host->ringerClock, QStringLiteral("earlier reading"));
    QVERIFY(m_simulator->receivedFrames().isEmpty());
}

void ClockAndRelayTest::programModeClockLabel_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("label");
    QTest::newRow("Saturday") << QStringList{"05", "12", "26", "01", "23", "45", "06"}
                              << QStringLiteral("05/12/2026 01:23:45, Cumartesi");
    QTest::newRow("Wednesday as 03") << QStringList{"01", "02", "26", "14", "30", "00", "03"}
                                     << QStringLiteral("01/02/2026 14:30:00, Çarşamba");
    QTest::newRow("Sunday as 7") << QStringList{"31", "12", "99", "23", "59", "59", "7"}
                                 << QStringLiteral("31/12/2099 23:59:59, Pazar");
    QTest::newRow("weekday 09") << QStringList{"05", "12", "26", "01", "23", "45", "09"}
                                << QStringLiteral("05/12/2026 01:23:45, Tanımsız");
    QTest::newRow("weekday 00") << QStringList{"05", "12", "26", "01", "23", "45", "00"}
                                << QStringLiteral("05/12/2026 01:23:45, Tanımsız");
    QTest::newRow("weekday letters") << QStringList{"05", "12", "26", "01", "23", "45", "x1"}
                                     << QStringLiteral("05/12/2026 01:23:45, Tanımsız");
    QTest::newRow("fields shown as received") << QStringList{"a?", "\x01\x02", "zz", "", "99", "--", "01"}
                                              << QStringLiteral("a?/\x01\x02/20zz :99:--, Pazartesi");
    QTest::newRow("nothing at all") << QStringList{} << QStringLiteral("//20 ::, Tanımsız");
}

void ClockAndRelayTest::programModeClockLabel()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, label);
    ReplyData reply;
    for (const QString &field : fields)
        reply.append(field);
    QCOMPARE(programModeClockText(reply), label);
}

void ClockAndRelayTest::relayTestNotOnV1()
{
    for (bool tcp : {true, false}) {
        useTransport(tcp);
        m_host->model = ModelV1;
        m_host->scripted.entries.clear();
        m_operations->TestRelay();
        QCOMPARE(m_host->scripted.texts(), QStringList{OperationText::RelayTestNotOnV1});
        QCOMPARE(m_host->beginBusyCalls, 0);
        QVERIFY(m_host->buttonStates.isEmpty());
    }
    QTest::qWait(20);
    QVERIFY(m_simulator->receivedFrames().isEmpty());
}

void ClockAndRelayTest::relayTestSeconds_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("seconds");
    QTest::newRow("3 over serial") << false << "3" << QByteArray("%DT00103**\r") << 3;
    QTest::newRow("15 over tcp") << true << "15" << QByteArray("%DT00115**").repeated(10) + '\r' << 15;
    QTest::newRow("2.5 rounds to even") << false << "2.5" << QByteArray("%DT00102**\r") << 2;
    QTest::newRow("leading number of ' 7 sn'") << false << " 7 sn" << QByteArray("%DT00107**\r") << 7;
}

void ClockAndRelayTest::relayTestSeconds()
{
    QFETCH(bool, tcp);
    QFETCH(QString, label);
    QFETCH(QByteArray, frame);
    QFETCH(int, seconds);
    useTransport(tcp);
    m_host->model = ModelV3Times64;
    m_simulator->setModel(ModelV3Times64);
    m_host->relayText = label;
    watchButton(OperationButton::RelayTest);

    m_operations->TestRelay();

    QCOMPARE(m_host->scripted.texts(), QStringList{OperationText::RelayTestDone});
    QCOMPARE(m_simulator->receivedFrames(), QList<QByteArray>{frame});
    QCOMPARE(m_simulator->relayTests(), 1);
    QCOMPARE(m_simulator->lastRelaySeconds(), seconds);
    QCOMPARE(m_host->relayText, label); // the label is not changed
    QCOMPARE(m_host->focused, QList<OperationButton>{OperationButton::RelayTest});
    checkButtonReleased(OperationButton::RelayTest);
}

void ClockAndRelayTest::relayTestFailures_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong letters") << "wrong" << OperationText::RelayTestFailed;
    QTest::newRow("no answer") << "silent" << OperationText::RelayTestFailed;
    QTest::newRow("serial port that does not exist") << "noport" << OperationText::SerialPortFailed;
    QTest::newRow("tcp port text abc") << "badtcp" << OperationText::TcpPortFailed;
}

void ClockAndRelayTest::relayTestFailures()
{
    QFETCH(QString, how);
    QFETCH(QString, message);
    m_host->model = ModelV2Times24;
    m_simulator->setModel(ModelV2Times24);
    m_host->useTcp(*m_simulator);
    ControllerSimulator::Faults faults;
    faults.wrongStatus = how == QLatin1String("wrong");
    faults.silent = how == QLatin1String("silent");
    m_simulator->setFaults(faults);
    if (how == QLatin1String("noport")) {
        m_host->tcp = false;
        m_host->portMap = SerialPortMap::fromText(QStringLiteral("1 = /dev/zil-no-such-port\n"));
    } else if (how == QLatin1String("badtcp")) {
        m_host->port = QStringLiteral("abc");
    }
    watchButton(OperationButton::RelayTest);

    m_operations->TestRelay();

    QCOMPARE(m_host->scripted.texts(), QStringList{message});
    // Unanswered: the controller may well have rung, but nobody heard back.
    QCOMPARE(m_simulator->relayTests(), how == QLatin1String("silent") ? 1 : 0);
    QCOMPARE(m_host->buttonStates, QList<bool>({false, true}));
    QVERIFY(!m_host->busy);
    QVERIFY(m_operations->link().channel() == nullptr);
    // After a port failure the button comes back without the focus move.
    const bool opened = how != QLatin1String("noport") && how != QLatin1String("badtcp");
    QCOMPARE(m_host->focused.size(), opened ? 1 : 0);
}

QTEST_GUILESS_MAIN(ClockAndRelayTest)
#include "tst_ClockAndRelay.moc"
