#pragma once

#include <QString>
#include <QtGlobal>

// Numbers the operator types or sets in the window, read the way the device
// operations take them.

// The TCP port in txtPort: its leading number, rounded halves to even; 0
// (which never connects) when that is not a port from 1 to 65535.
int tcpPortFromText(const QString &text);

// The relay test's seconds in lblRelayTest: the whole value of its leading
// number, 0 when it has none that fits.
qint16 relayTestSeconds(const QString &text);
