#include "link/DeviceLink.h"

#include "link/HostAddress.h"
#include "link/LineSettings.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "link/WholeSecondClock.h"

#include <QCoreApplication>
#include <QTcpSocket>

namespace {
// The pause before a TCP connection attempt, counted in event-loop passes.
constexpr int ConnectPausePasses = 10001;
// The connection is polled until the whole-second clock passes start + 1.
constexpr int ConnectWaitSeconds = 1;
} // namespace

DeviceLink::DeviceLink(WholeSecondClock &clock, ChannelFactory channels) : m_clock(clock), m_channelFactory(std::move(channels)) { }

DeviceLink::~DeviceLink()
{
    CloseLink();
}

Result<> DeviceLink::Open(const LinkSettings &settings)
{
    if (m_channelFactory) {
        CloseLink();
        m_channel = m_channelFactory(settings);
        return m_channel ? Result<>() : failure(QStringLiteral("the stand-in refused"));
    }
    CloseLink();
    // Taken before the TCP pause: a second program is refused at once.
    if (const Result<> locked = m_lock.take(linkLockName(settings)); !locked)
        return locked;
    const Result<> opened = settings.transport == LinkTransport::Tcp ? ConnectTcp(settings.host, settings.tcpPort)
                                                                     : OpenSerialPort(settings.serialDevice, settings.line);
    if (!opened)
        m_lock.release();
    return opened;
}

Result<> DeviceLink::OpenSerialPort(const QString &device, const LineSettings &line)
{
    m_channel.reset();
    if (device.isEmpty())
        return failure(QStringLiteral("no serial device"));

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    applyLineSettings(*port, line);
    port->clearError();
    if (!port->open(QIODevice::ReadWrite))
        return failure(QStringLiteral("%1: %2").arg(device, port->errorString()));

    m_channel = std::make_unique<SerialChannel>(std::move(port));
    return {};
}

Result<> DeviceLink::ConnectTcp(const QString &host, int port)
{
    m_channel.reset();
    yieldTimes(ConnectPausePasses);

    const QString hostName = host.trimmed();
    if (hostName.isEmpty())
        return failure(QStringLiteral("no address"));
    if (port < LowestTcpPort || port > HighestTcpPort)
        return failure(QStringLiteral("port %1 is not a TCP port (1-65535)").arg(port));
    if (const QString problem = hostAddressProblem(hostName); !problem.isEmpty())
        return failure(QStringLiteral("%1: %2").arg(hostName, problem));

    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(hostName, quint16(port));
    if (socket->state() == QAbstractSocket::UnconnectedState)
        return failure(QStringLiteral("%1:%2: %3").arg(hostName).arg(port).arg(socket->errorString()));

    // A refused attempt is polled until the deadline all the same.
    const qint64 deadline = m_clock.now() + ConnectWaitSeconds;
    while (m_clock.now() <= deadline) {
        yieldOnce();
        if (socket->state() == QAbstractSocket::ConnectedState) {
            m_channel = std::make_unique<TcpChannel>(std::move(socket));
            return {};
        }
        m_clock.sleepUntilEventOrNextSecond();
    }
    const QString reason = socket->error() == QAbstractSocket::UnknownSocketError
                               ? QStringLiteral("no connection within %1 s").arg(ConnectWaitSeconds)
                               : socket->errorString();
    socket->abort(); // a socket still connecting must not be deleted mid-attempt
    return failure(QStringLiteral("%1:%2: %3").arg(hostName).arg(port).arg(reason));
}

void DeviceLink::CloseLink()
{
    m_channel.reset();
    m_lock.release();
}

LinkChannel *DeviceLink::channel() const
{
    return m_channel.get();
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
