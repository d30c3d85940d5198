#pragma once

#include "link/SerialPortMap.h"

#include <QString>
#include <QtGlobal>
#include <optional>

constexpr quint16 DefaultTcpPort = 5600;

// Where a device subcommand reaches its controller: a TCP address or a
// serial device; the line settings come later, from the model.
struct LinkTarget
{
    enum class Transport { Serial, Tcp };

    Transport transport = Transport::Serial;
    QString host; // a name, a dotted IPv4 address or an IPv6 address
    quint16 tcpPort = DefaultTcpPort;
    QString serialDevice; // a device path ("/dev/ttyUSB0", "COM3")
};

// Either the link or why the text was refused.
struct LinkParse
{
    std::optional<LinkTarget> target;
    QString error;
};

// "HOST", "HOST:PORT", "[IPv6]" or "[IPv6]:PORT"; PORT 1..65535, 5600 when
// left out. HOST is a dotted IPv4 address of plain decimal parts, an IPv6
// address (its scope an interface name) or a host name made of letters,
// digits, "-" and "."; what the resolver would read as another address is
// refused.
LinkParse parseTcpTarget(const QString &text);

// A device path, or a serial port number 1..16 that the port map turns into
// a device the way the window does.
LinkParse parseSerialTarget(const QString &text, const SerialPortMap &portMap);
