#include "ControllerSimulator.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationTestHost.h"
#include "operations/OperationTexts.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>

class ClockAndRelayTest : public QObject, private OperationFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(startFixture());
        m_buttonAtMessage.clear();
    }
    void cleanup() { stopFixture(); }

    void setClock_data();
    void setClock();
    void readClock_data();
    void readClock();
    void commandFailures_data();
    void commandFailures();
    void programModeClockLabel_data();
    void programModeClockLabel();
    void relayTestNotOnV1();
    void relayTestSeconds_data();
    void relayTestSeconds();

private:
    // The button's state whenever the operator is told something.
    void watchButton(OperationButton button);
    void checkButtonReleased(OperationButton button);

    QList<bool> m_buttonAtMessage;
};

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
    useModel(model);
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
    useModel(model);
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

enum class Command { SetClock, ReadClock, RelayTest };

void ClockAndRelayTest::commandFailures_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    const int set = int(Command::SetClock), read = int(Command::ReadClock), relay = int(Command::RelayTest);
    QTest::newRow("V1 set refused") << set << 0 << "wrong" << OperationText::ClockSetFailed;
    QTest::newRow("V1 read never acknowledged") << read << 0 << "silent" << OperationText::ClockReadFailed;
    QTest::newRow("V1 read with wrong letters") << read << 0 << "wrong" << OperationText::ClockReadFailed;
    QTest::newRow("record set unanswered") << set << 1 << "silent" << OperationText::ClockSetFailed;
    QTest::newRow("record read with wrong letters") << read << 4 << "wrong" << OperationText::ClockReadFailed;
    QTest::newRow("relay with wrong letters") << relay << 1 << "wrong" << OperationText::RelayTestFailed;
    QTest::newRow("relay unanswered") << relay << 1 << "silent" << OperationText::RelayTestFailed;
    QTest::newRow("read, serial port missing") << read << 3 << "noport" << OperationText::SerialPortFailed;
    QTest::newRow("relay, serial port missing") << relay << 1 << "noport" << OperationText::SerialPortFailed;
    QTest::newRow("set, tcp port empty") << set << 3 << "notcp" << OperationText::TcpPortFailed;
    QTest::newRow("relay, tcp port text abc") << relay << 1 << "abc" << OperationText::TcpPortFailed;
}

void ClockAndRelayTest::commandFailures()
{
    QFETCH(int, command);
    QFETCH(int, model);
    QFETCH(QString, how);
    QFETCH(QString, message);
    m_host->useTcp(*m_simulator);
    useModel(model);
    const QString earlier = QStringLiteral("01/01/2026 00:00:00, Perşembe");
    m_host->ringerClock = earlier;
    ControllerSimulator::Faults faults;
    faults.silent = how == u"silent";
    faults.wrongStatus = how == u"wrong";
    // The V1 set is refused at its clock frame, after the "%CM" acknowledgement.
    faults.afterFrames = model == ModelV1 && Command(command) == Command::SetClock ? 1 : 0;
    m_simulator->setFaults(faults);
    const bool opens = how == u"silent" || how == u"wrong";
    if (how == u"noport") {
        m_host->tcp = false;
        m_host->portMap = SerialPortMap::fromText(QStringLiteral("1 = /dev/zil-no-such-port\n"));
    } else if (!opens) {
        m_host->port = how == u"abc" ? how : QString();
    }
    const OperationButton button = Command(command) == Command::SetClock ? OperationButton::SendClock
        : Command(command) == Command::ReadClock                         ? OperationButton::ReceiveClock
                                                                         : OperationButton::RelayTest;
    watchButton(button);

    switch (Command(command)) {
    case Command::SetClock: m_operations->SendClock(); break;
    case Command::ReadClock: m_operations->ReceiveClock(); break;
    case Command::RelayTest: m_operations->TestRelay(); break;
    }

    QCOMPARE(m_host->scripted.texts(), QStringList{message});
    QCOMPARE(m_host->ringerClock, earlier);
    checkButtonReleased(button);
    // Unanswered: the controller may well have rung, but nobody heard back.
    QCOMPARE(m_simulator->relayTests(), Command(command) == Command::RelayTest && how == u"silent" ? 1 : 0);
    // After a port failure the button comes back without the focus move.
    QCOMPARE(m_host->focused.size(), opens ? 1 : 0);
    if (!opens)
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
    useModel(ModelV3Times64);
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

QTEST_GUILESS_MAIN(ClockAndRelayTest)
#include "tst_ClockAndRelay.moc"
