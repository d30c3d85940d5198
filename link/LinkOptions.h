#pragma once

#include "link/LinkSettings.h"
#include "link/SerialPortMap.h"
#include "schedule/Result.h"

#include <QString>

// The link options of a device command, as the link settings they give;
// the line settings come later, from the model.

// "HOST", "HOST:PORT", "[IPv6]" or "[IPv6]:PORT"; PORT 1..65535, 5600 when
// left out. HOST is a dotted IPv4 address of plain decimal parts, an IPv6
// address (its scope an interface name) or a host name made of letters,
// digits, "-" and "."; what the resolver would read as another address is
// refused.
Result<LinkSettings> parseTcpTarget(const QString &text);

// A device path, or a serial port number 1..16 that the port map turns into
// a device the way the window does.
Result<LinkSettings> parseSerialTarget(const QString &text, const SerialPortMap &portMap);

// What a link reaches, however it is written: "serial " and the device's own
// path (links followed; cleaned when it does not exist), or "tcp ", the
// address as the socket reads it (an IPv4 one written inside IPv6 as IPv4)
// or the name in lower case, and the port.
QString linkIdentity(const LinkSettings &link);
