#include "ControllerSimulator.h"
#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"
#include "protocol/CalendarDumpCommand.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/ProgramModeClockCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "protocol/RecordDeviceCommands.h"

#include <QtTest>

Q_DECLARE_METATYPE(LinkTransport)

// Every command against the controller simulator, over loopback TCP and
// over the simulator's pseudo-terminal, on the real clock.
class SimulatorCommandsTest : public QObject
{
    Q_OBJECT

private:
    ControllerSimulator *m_simulator = nullptr;
    SystemWholeSecondClock m_clock;

    bool open(DeviceLink &link, LinkTransport transport, const QString &lineSettings)
    {
        if (transport == LinkTransport::Tcp) {
            link.ConnectTcp(QStringLiteral("127.0.0.1"), m_simulator->tcpPort());
            return link.tcpConnected();
        }
        link.setPortMap(SerialPortMap::fromText(QStringLiteral("1 = ") + m_simulator->serialDevicePath()));
        link.setSerialPortNumber(1);
        link.setLineSettings(lineSettings);
        return link.OpenSerialPort() == DeviceLink::Opened;
    }

    static void addTransports()
    {
        QTest::addColumn<LinkTransport>("transport");
        QTest::newRow("serial") << LinkTransport::Serial;
        QTest::newRow("tcp") << LinkTransport::Tcp;
    }

private slots:
    void init()
    {
        m_simulator = new ControllerSimulator;
        QVERIFY(m_simulator->listenTcp());
        QVERIFY(m_simulator->openSerial());
    }
    void cleanup()
    {
        delete m_simulator;
        m_simulator = nullptr;
    }

    void programModeDevice_data() { addTransports(); }
    void programModeDevice()
    {
        QFETCH(LinkTransport, transport);
        m_simulator->setModel(0);
        DeviceLink link(m_clock);
        QVERIFY(open(link, transport, QStringLiteral("9600,o,8,1")));

        QCOMPARE(RequestProgramMode(link, ProgramModeLoad), ProgramCommandOk);
        MemoryBlockData data{};
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = quint8(i * 9 + 0x0D); // includes CR, "%" and "*" bytes
        QCOMPARE(WriteMemoryBlock(link, data, 0x0040, 0), ProgramCommandOk);
        QCOMPARE(m_simulator->memory().mid(0x40, 32), QByteArray(reinterpret_cast<const char *>(data.data()), 32));

        ReplyData reply;
        QCOMPARE(ReadMemoryBlock(link, 0x0040, 0, reply), ProgramCommandOk);
        QCOMPARE(reply.size(), 32);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(reply.at(i).toInt(), int(data[size_t(i)]));

        m_simulator->setClock(QDateTime(QDate(2025, 3, 5), QTime(14, 7, 9)));
        QCOMPARE(ReadClockProgramMode(link, reply), ProgramCommandOk);
        QCOMPARE(reply.size(), 8);
        QCOMPARE(reply.mid(0, 5), (ReplyData{"05", "03", "25", "14", "07"}));

        QCOMPARE(SetClockProgramMode(link), ProgramCommandOk);
        QVERIFY(qAbs(m_simulator->clock().secsTo(QDateTime::currentDateTime())) <= 3);
        QVERIFY(m_simulator->receivedFrames().contains("%CM020**\r"));
        link.CloseLink();
    }

    void recordDevice_data() { addTransports(); }
    void recordDevice()
    {
        QFETCH(LinkTransport, transport);
        m_simulator->setModel(3);
        DeviceLink link(m_clock);
        QVERIFY(open(link, transport, QStringLiteral("38400,o,8,1")));

        QCOMPARE(WriteCalendarRecord(link, 1, 5, 1, 3, 0x08, 0x30), RecordWriteAccepted);
        const ControllerSimulator::SlotRecord stored = m_simulator->record(1, 5);
        QCOMPARE(stored.used, 1);
        QCOMPARE(stored.duration, 3);
        QCOMPARE(stored.hour, 8);
        QCOMPARE(stored.minute, 30);

        const QByteArray text = ReadCalendarRecord(link, 1, 5);
        const int start = int(text.indexOf("$ZR001O"));
        QVERIFY2(start >= 0, text.constData());
        QCOMPARE(text.mid(start + 10, 7), QByteArray("1030830"));

        QCOMPARE(SendRelayTest(link, 3), DeviceAnswerExpected);
        QCOMPARE(m_simulator->relayTests(), 1);
        QCOMPARE(m_simulator->lastRelaySeconds(), 3);

        m_simulator->setClock(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)));
        DeviceClockReading reading;
        QCOMPARE(ReadDeviceClock(link, reading), DeviceAnswerExpected);
        QVERIFY2(reading.clockText.startsWith(QStringLiteral("05/12/2026 01:23:4")), qPrintable(reading.clockText));
        QCOMPARE(reading.dayName, QStringLiteral(u"Cumartesi"));

        QCOMPARE(SendDeviceClock(link), DeviceAnswerExpected);
        QVERIFY(qAbs(m_simulator->clock().secsTo(QDateTime::currentDateTime())) <= 3);

        // Over TCP the frames come repeated.
        if (transport == LinkTransport::Tcp)
            QCOMPARE(m_simulator->receivedFrames().first(), QByteArray("%ZW0011051030830**").repeated(3) + '\r');
        link.CloseLink();
    }

    void faults_data() { addTransports(); }
    void faults()
    {
        QFETCH(LinkTransport, transport);
        m_simulator->setModel(3);
        DeviceLink link(m_clock);
        QVERIFY(open(link, transport, QStringLiteral("38400,o,8,1")));

        ControllerSimulator::Faults faults;
        faults.wrongStatus = true;
        m_simulator->setFaults(faults);
        QCOMPARE(WriteCalendarRecord(link, 1, 1, 1, 1, 0x08, 0x00), RecordWriteRefused);
        QCOMPARE(ReadCalendarRecord(link, 1, 1), RecordReadError);

        faults = {};
        faults.chunkSize = 3;
        faults.noiseBefore = "\x07#";
        m_simulator->setFaults(faults);
        QCOMPARE(WriteCalendarRecord(link, 1, 1, 1, 1, 0x08, 0x00), RecordWriteAccepted);

        faults = {};
        faults.silent = true;
        m_simulator->setFaults(faults);
        QCOMPARE(WriteCalendarRecord(link, 1, 1, 1, 1, 0x08, 0x00), RecordWriteNoAnswer);
        link.CloseLink();
    }
};

QTEST_GUILESS_MAIN(SimulatorCommandsTest)
#include "tst_simulator_commands.moc"
