#include "link/DeviceLink.h"

#include "link/LineSettings.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "link/WholeSecondClock.h"
#include "schedule/NumberText.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <cmath>

namespace {
// The pause before a TCP connection attempt, counted in event-loop passes.
constexpr int ConnectPausePasses = 10001;
// The connection is polled until the whole-second clock passes start + 1.
constexpr int ConnectWaitSeconds = 1;
constexpr int LowestTcpPort = 1;
constexpr int HighestTcpPort = 65535;

SerialPortMap portMapBesideExecutable()
{
    if (!QCoreApplication::instance())
        return {};
    return SerialPortMap::fromDirectory(QCoreApplication::applicationDirPath());
}
} // namespace

DeviceLink::DeviceLink(WholeSecondClock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_portMap(portMapBesideExecutable())
{
}

DeviceLink::~DeviceLink()
{
    CloseLink();
}

void DeviceLink::setPortMap(const SerialPortMap &map)
{
    m_portMap = map;
}

void DeviceLink::setSerialPortNumber(int portNumber)
{
    m_portNumber = portNumber;
}

int DeviceLink::serialPortNumber() const
{
    return m_portNumber;
}

void DeviceLink::setLineSettings(const QString &settings)
{
    m_lineSettings = settings;
}

QString DeviceLink::lineSettings() const
{
    return m_lineSettings;
}

int DeviceLink::OpenSerialPort()
{
    CloseLink();
    const QString device = m_portMap.deviceName(m_portNumber);
    const std::optional<LineSettings> line = parseLineSettings(m_lineSettings);
    if (device.isEmpty() || !line)
        return OpenFailed;

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    port->setBaudRate(line->baudRate);
    port->setParity(line->parity);
    port->setDataBits(line->dataBits);
    port->setStopBits(line->stopBits);
    port->setFlowControl(QSerialPort::NoFlowControl);
    port->clearError();
    if (!port->open(QIODevice::ReadWrite))
        return OpenFailed;

    m_channel = std::make_unique<SerialChannel>(std::move(port));
    return Opened;
}

void DeviceLink::ConnectTcp(const QString &host, int port)
{
    CloseLink();
    yieldTimes(ConnectPausePasses);

    m_socket = std::make_unique<QTcpSocket>();
    const QString hostName = host.trimmed();
    if (hostName.isEmpty() || port < LowestTcpPort || port > HighestTcpPort) {
        dropSocket();
        return;
    }
    m_socket->connectToHost(hostName, quint16(port));
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        dropSocket(); // the attempt could not even start
        return;
    }

    const qint64 deadline = m_clock.now() + ConnectWaitSeconds;
    while (m_clock.now() <= deadline) {
        yieldOnce();
        if (!m_socket)
            return; // closed from an event handler meanwhile
        if (m_socket->state() == QAbstractSocket::ConnectedState) {
            m_channel = std::make_unique<TcpChannel>(*m_socket);
            return;
        }
        m_clock.sleepUntilEventOrNextSecond();
        if (!m_socket)
            return;
    }
    dropSocket();
}

bool DeviceLink::tcpConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void DeviceLink::CloseLink()
{
    m_channel.reset();
    dropSocket();
}

void DeviceLink::dropSocket()
{
    if (!m_socket)
        return;
    if (m_channel && m_channel->transport() == LinkTransport::Tcp)
        m_channel.reset();
    // abort() rather than close(): nothing is left to flush, and a socket
    // still connecting must not be deleted mid-attempt.
    std::unique_ptr<QTcpSocket> socket = std::move(m_socket);
    socket->abort();
}

LinkChannel *DeviceLink::channel() const
{
    return m_channel.get();
}

void DeviceLink::attachChannel(std::unique_ptr<LinkChannel> channel)
{
    CloseLink();
    m_channel = std::move(channel);
}

WholeSecondClock &DeviceLink::clock() const
{
    return m_clock;
}

void DeviceLink::yieldOnce()
{
    QCoreApplication::processEvents();
}

void DeviceLink::yieldTimes(int passes)
{
    for (int pass = 0; pass < passes; ++pass)
        yieldOnce();
}

int tcpPortFromText(const QString &text)
{
    const double rounded = std::nearbyint(leadingValue(text)); // halves to even
    if (!(rounded >= LowestTcpPort && rounded <= HighestTcpPort))
        return 0;
    return int(rounded);
}
