#include "link/DeviceLink.h"
#include "link/LineSettings.h"
#include "link/SerialPortMap.h"
#include "link/WholeSecondClock.h"
#include "support/FakeClock.h"
#include "support/PseudoTerminal.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

class DeviceLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void lineSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("V1") << "9600,o,8,1" << true << 9600 << int(QSerialPort::OddParity)
                            << int(QSerialPort::Data8) << int(QSerialPort::OneStop);
        QTest::newRow("even, 7, 2") << "1200,E,7,2" << true << 1200 << int(QSerialPort::EvenParity)
                                    << int(QSerialPort::Data7) << int(QSerialPort::TwoStop);
        QTest::newRow("none, blanks") << " 19200 , n , 8 , 1.5 " << true << 19200
                                      << int(QSerialPort::NoParity) << int(QSerialPort::Data8)
                                      << int(QSerialPort::OneAndHalfStop);
        QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
        QTest::newRow("three parts") << "9600,o,8" << false << 0 << 0 << 0 << 0;
        QTest::newRow("baud not a number") << "fast,o,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("parity x") << "9600,x,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("data bits 9") << "9600,o,9,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("stop bits 3") << "9600,o,8,3" << false << 0 << 0 << 0 << 0;
        QTest::newRow("Turkish letters") << QStringLiteral(u"9600,ö,8,1") << false << 0 << 0 << 0 << 0;
    }
    void lineSettings()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto line = parseLineSettings(text);
        QCOMPARE(bool(line), valid);
        if (!valid)
            return;
        QFETCH(int, baud);
        QFETCH(int, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QCOMPARE(line->baudRate, baud);
        QCOMPARE(int(line->parity), parity);
        QCOMPARE(int(line->dataBits), dataBits);
        QCOMPARE(int(line->stopBits), stopBits);
    }

    void tcpPortFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("default") << "5600" << 5600;
        QTest::newRow("trailing letters") << "5600abc" << 5600;
        QTest::newRow("rounded") << "80.6" << 81;
        QTest::newRow("half to even") << "80.5" << 80;
        QTest::newRow("above 16 bits signed") << "40000" << 40000;
        QTest::newRow("65535") << "65535" << 65535;
        QTest::newRow("65536") << "65536" << 0;
        QTest::newRow("negative") << "-80" << 0;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("huge") << "1e400" << 0;
        QTest::newRow("Turkish text") << QStringLiteral(u"İki") << 0;
    }
    void tcpPortFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(::tcpPortFromText(text), port);
    }

    void serialPortMap()
    {
#ifndef Q_OS_WIN
        QCOMPARE(SerialPortMap::defaultDeviceName(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(SerialPortMap::defaultDeviceName(16), QStringLiteral("/dev/ttyS15"));
#else
        QCOMPARE(SerialPortMap::defaultDeviceName(3), QStringLiteral("COM3"));
#endif
        QVERIFY(SerialPortMap::defaultDeviceName(0).isEmpty());
        QVERIFY(SerialPortMap::defaultDeviceName(-4).isEmpty());

        // Read from the file in the data directory, garbage lines and all.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(SerialPortMap::fromDirectory(dir.path()).deviceName(2), SerialPortMap::defaultDeviceName(2));
        QFile file(SerialPortMap::mapFilePath(dir.path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# overrides\n\n3 = /dev/ttyUSB0\r\n 4=/dev/pts/7 \nfive = /dev/x\n6 =\n= /dev/y\n0 = /dev/z\n"
                   "garbage line\n\xff\xfe\n2 = /dev/ttyACM1\n5 = /dev/ttyUSB5 # usb adapter\n7 = /dev/ttyACM7#x\n# 8 = /dev/no\n");
        file.close();
        const SerialPortMap map = SerialPortMap::fromDirectory(dir.path());
        QCOMPARE(map.deviceName(2), QStringLiteral("/dev/ttyACM1"));
        QCOMPARE(map.deviceName(3), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(map.deviceName(4), QStringLiteral("/dev/pts/7"));
        QCOMPARE(map.deviceName(6), SerialPortMap::defaultDeviceName(6));
        QCOMPARE(map.deviceName(5), QStringLiteral("/dev/ttyUSB5"));
        QCOMPARE(map.deviceName(7), QStringLiteral("/dev/ttyACM7"));
        QCOMPARE(map.deviceName(8), SerialPortMap::defaultDeviceName(8));
        QCOMPARE(map.deviceName(1), SerialPortMap::defaultDeviceName(1));
        QVERIFY(map.deviceName(0).isEmpty());
    }

    void openSerialPortFails_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("portNumber");
        QTest::newRow("missing device") << "/dev/zil-no-such-port" << "9600,o,8,1" << 1;
        QTest::newRow("not a terminal") << "/dev/null" << "9600,o,8,1" << 1;
        QTest::newRow("bad settings") << "" << "9600,q,8,1" << 1;
        QTest::newRow("port number 0") << "" << "9600,o,8,1" << 0;
    }
    void openSerialPortFails()
    {
        QFETCH(QString, device);
        QFETCH(QString, settings);
        QFETCH(int, portNumber);
        PseudoTerminal pty;
        FakeClock clock;
        DeviceLink link(clock);
        link.setPortMap(SerialPortMap::fromText(
            QStringLiteral("%1 = %2").arg(portNumber).arg(device.isEmpty() ? pty.slavePath() : device)));
        link.setSerialPortNumber(portNumber);
        link.setLineSettings(settings);
        QCOMPARE(link.OpenSerialPort(), DeviceLink::OpenFailed);
        QVERIFY(!link.channel());
        link.CloseLink();
    }

    void serialOverPseudoTerminal()
    {
        PseudoTerminal pty;
        QVERIFY(pty.isOpen());
        FakeClock clock;
        DeviceLink link(clock);
        link.setPortMap(SerialPortMap::fromText(QStringLiteral("2 = ") + pty.slavePath()));
        link.setSerialPortNumber(2);
        link.setLineSettings(QStringLiteral("38400,o,8,1"));
        QCOMPARE(link.OpenSerialPort(), DeviceLink::Opened);
        QVERIFY(link.channel());
        QCOMPARE(link.channel()->transport(), LinkTransport::Serial);
        QVERIFY(link.channel()->checkPort());

        link.channel()->send(QByteArray("%UR001**\r"));
        QByteArray atController;
        QTRY_COMPARE_WITH_TIMEOUT(atController += pty.readAvailable(), QByteArray("%UR001**\r"), 2000);

        pty.write(QByteArray("\x00\xff$UR\r\n", 7));
        QTRY_COMPARE_WITH_TIMEOUT(link.channel()->bytesWaiting(), qint64(7), 2000);
        QCOMPARE(link.channel()->readWaiting(), QByteArray("\x00\xff$UR\r\n", 7));

        // The same device cannot be opened twice at once.
        DeviceLink second(clock);
        second.setPortMap(SerialPortMap::fromText(QStringLiteral("2 = ") + pty.slavePath()));
        second.setSerialPortNumber(2);
        QCOMPARE(second.OpenSerialPort(), DeviceLink::OpenFailed);

        link.CloseLink();
        QVERIFY(!link.channel());
        QCOMPARE(second.OpenSerialPort(), DeviceLink::Opened);
    }

    void closeLinkWithNothingOpen()
    {
        FakeClock clock;
        DeviceLink link(clock);
        link.CloseLink();
        link.CloseLink();
        QVERIFY(!link.channel());
        QVERIFY(!link.tcpConnected());
    }

    void tcpConnectsOnLoopback()
    {
        // On a port above 32767, which a 16-bit signed port would lose.
        QTcpServer server;
        bool listening = false;
        for (quint16 port = 40000; port < 40100 && !listening; ++port)
            listening = server.listen(QHostAddress::LocalHost, port);
        QVERIFY(listening);
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        QElapsedTimer timer;
        timer.start();
        link.ConnectTcp(QStringLiteral("  127.0.0.1 \t"), server.serverPort());
        QVERIFY(link.tcpConnected());
        QVERIFY(link.channel());
        QCOMPARE(link.channel()->transport(), LinkTransport::Tcp);
        QVERIFY2(timer.elapsed() < 1000, "a listening peer connects at once");

        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 2000);
        std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
        link.channel()->send("%DT00103**\r");
        QTRY_COMPARE_WITH_TIMEOUT(peer->bytesAvailable(), qint64(11), 2000);
        QCOMPARE(peer->readAll(), QByteArray("%DT00103**\r"));
        peer->write("$DT001O\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(link.channel()->bytesWaiting(), qint64(9), 2000);
        QCOMPARE(link.channel()->readWaiting(), QByteArray("$DT001O\r\n"));

        // A second connect first drops the first connection.
        link.ConnectTcp(QStringLiteral("127.0.0.1"), server.serverPort());
        QVERIFY(link.tcpConnected());
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 2000);

        link.CloseLink();
        QVERIFY(!link.tcpConnected());
        QVERIFY(!link.channel());
    }

    void tcpNeverConnects_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("port 0") << "127.0.0.1" << 0;
        QTest::newRow("port above 65535") << "127.0.0.1" << 70000;
        QTest::newRow("empty host") << "   " << 5600;
    }
    void tcpNeverConnects()
    {
        QFETCH(QString, host);
        QFETCH(int, port);
        FakeClock clock;
        DeviceLink link(clock);
        link.ConnectTcp(host, port);
        QVERIFY(!link.tcpConnected());
        QVERIFY(!link.channel());
        QCOMPARE(clock.sleepCount(), 0); // refused before any wait
    }

    void tcpNothingListeningOnFakeClock()
    {
        const quint16 port = freeLoopbackPort();
        FakeClock clock;
        clock.setMs(400);
        DeviceLink link(clock);
        link.ConnectTcp(QStringLiteral("127.0.0.1"), port);
        QVERIFY(!link.tcpConnected());
        QVERIFY(!link.channel());
        QCOMPARE(clock.ms(), 2000); // until the clock read later than start + 1
    }

    void tcpNothingListeningRealTime()
    {
        const quint16 port = freeLoopbackPort();
        SystemWholeSecondClock clock;
        DeviceLink link(clock);

        QElapsedTimer pause;
        pause.start();
        DeviceLink::yieldTimes(10001);
        const qint64 pauseMs = pause.elapsed();

        QElapsedTimer timer;
        timer.start();
        link.ConnectTcp(QStringLiteral("127.0.0.1"), port);
        const qint64 waitedMs = timer.elapsed() - pauseMs;
        QVERIFY(!link.tcpConnected());
        QVERIFY2(waitedMs > 900 && waitedMs <= 2000 + pauseMs, qPrintable(QString::number(waitedMs)));
    }

private:
    static quint16 freeLoopbackPort()
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost))
            return 0;
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }
};

QTEST_GUILESS_MAIN(DeviceLinkTest)
#include "tst_device_link.moc"
