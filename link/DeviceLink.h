#pragma once

#include "link/LinkChannel.h"
#include "link/SerialPortMap.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <memory>

class QTcpSocket;
class WholeSecondClock;

// The serial port and the TCP connection to the controller. Nothing stays
// open between operations: each one opens the link, runs its commands and
// closes it. Everything runs on the window's thread; waits yield to the
// event loop so the windows stay alive.
class DeviceLink : public QObject
{
    Q_OBJECT

public:
    static constexpr int Opened = 1;
    static constexpr int OpenFailed = 2;

    explicit DeviceLink(WholeSecondClock &clock, QObject *parent = nullptr);
    ~DeviceLink() override;

    // Serial settings; changed only while the port is closed.
    void setPortMap(const SerialPortMap &map);
    void setSerialPortNumber(int portNumber);
    int serialPortNumber() const;
    // "9600,o,8,1" or "38400,o,8,1": baud, parity, data bits, stop bits.
    void setLineSettings(const QString &settings);
    QString lineSettings() const;

    // 1 = open, 2 = failed (missing, busy or invalid port, or line settings
    // that do not parse). Closes whatever was open first.
    int OpenSerialPort();
    // (Re)creates the socket and waits for the connection: after a pause of
    // 10001 yields, until the whole-second clock passes start + 1 second.
    // Ports 1..65535 connect; 0 and an empty host never do. Read
    // tcpConnected() afterwards; channel() is the connection when it is.
    void ConnectTcp(const QString &host, int port);
    bool tcpConnected() const;
    // Closes whatever is open; safe when nothing is.
    void CloseLink();

    // The transport of the open link, or nullptr when none is open.
    LinkChannel *channel() const;
    // Tests: stand a scripted channel in for the real transports (closes
    // whatever was open; CloseLink drops it).
    void attachChannel(std::unique_ptr<LinkChannel> channel);

    WholeSecondClock &clock() const;

    // One yield: one pass of the event loop over all pending events.
    static void yieldOnce();
    // A counted pause: `passes` yields in a row.
    static void yieldTimes(int passes);

private:
    void dropSocket();

    WholeSecondClock &m_clock;
    SerialPortMap m_portMap;
    int m_portNumber = 0;
    QString m_lineSettings = QStringLiteral("9600,o,8,1");
    std::unique_ptr<LinkChannel> m_channel;
    std::unique_ptr<QTcpSocket> m_socket;
};

// The TCP port typed into the window: its leading number, rounded halves to
// even; 0 (which never connects) when that is not a port from 1 to 65535.
int tcpPortFromText(const QString &text);
