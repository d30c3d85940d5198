#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "support/PseudoTerminal.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// Commands over the real transports when the controller is silent or goes
// away, with the test itself at the other end: a pseudo-terminal and a
// loopback listener. Working answers are covered with the simulator.
class RealTransportsTest : public QObject
{
    Q_OBJECT

    static bool openPseudoTerminal(DeviceLink &link, const PseudoTerminal &pty)
    {
        link.setPortMap(SerialPortMap::fromText(QStringLiteral("1 = ") + pty.slavePath()));
        link.setSerialPortNumber(1);
        link.setLineSettings(QStringLiteral("38400,o,8,1"));
        return link.OpenSerialPort() == DeviceLink::Opened;
    }

private slots:
    void silentPseudoTerminal()
    {
        PseudoTerminal pty;
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        QVERIFY(openPseudoTerminal(link, pty));
        QElapsedTimer timer;
        timer.start();
        DeviceClockReading reading;
        QCOMPARE(ReadDeviceClock(link, reading), DeviceAnswerNone);
        QVERIFY2(timer.elapsed() <= 1500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(pty.readAvailable(), QByteArray("%UR001**\r"));
    }

    void pseudoTerminalHangsUp()
    {
        auto pty = std::make_unique<PseudoTerminal>();
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        QVERIFY(openPseudoTerminal(link, *pty));
        pty.reset(); // the far end of the line goes away

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(WriteCalendarRecord(link, 1, 1, 1, 1, 0, 0), RecordWriteNoAnswer);
        // Ends by its strict 2-second deadline without hanging.
        QVERIFY2(timer.elapsed() <= 2500, qPrintable(QString::number(timer.elapsed())));
        link.CloseLink();
    }

    void recordReadTimesOutOverTcp()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        link.ConnectTcp(QStringLiteral("127.0.0.1"), server.serverPort());
        QVERIFY(link.tcpConnected());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ReadCalendarRecord(link, 7, 64), RecordReadTimeout);
        // A strict 2-second wait: more than 1 and at most 2 seconds, plus
        // the 1001-pass pause before the send.
        QVERIFY2(timer.elapsed() > 1000 && timer.elapsed() <= 2500, qPrintable(QString::number(timer.elapsed())));
    }

    void controllerHangsUpOverTcp()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        std::unique_ptr<QTcpSocket> peer;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            peer.reset(server.nextPendingConnection());
            connect(peer.get(), &QTcpSocket::readyRead, this, [&] {
                peer->write("$DR0");
                peer->flush();
                peer->disconnectFromHost();
            });
        });
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        link.ConnectTcp(QStringLiteral("127.0.0.1"), server.serverPort());
        QVERIFY(link.tcpConnected());
        QCOMPARE(SendDeviceClock(link), DeviceAnswerNone);
        // Commands on the dead connection still end by their deadline.
        QCOMPARE(SendDeviceClock(link), DeviceAnswerNone);
        link.CloseLink();
    }
};

QTEST_GUILESS_MAIN(RealTransportsTest)
#include "tst_real_transports.moc"
