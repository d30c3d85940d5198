#pragma once

#include "schedule/DeviceModel.h"

#include <QString>

enum class LinkTransport { Serial, Tcp };

// The TCP ports a link connects to.
inline constexpr int LowestTcpPort = 1;
inline constexpr int HighestTcpPort = 65535;
// The controller's port when none is given.
inline constexpr int DefaultTcpPort = 5600;

// Everything an operation needs to reach the controller, handed over as a
// value: the window fills it from its controls, the command-line tool from
// its options.
struct LinkSettings
{
    LinkTransport transport = LinkTransport::Serial;
    QString host;         // TCP: address or name
    int tcpPort = 0;      // TCP: 1..65535; anything else never connects
    QString serialDevice; // serial: "/dev/ttyS0", "COM1", a pseudo-terminal
    LineSettings line;    // serial: the model's baud, parity, data bits, stop bits
};
