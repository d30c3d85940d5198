#pragma once

#include "protocol/Reply.h"

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>
#include <optional>

class DeviceLink;

// Clock and relay-test commands of the record controllers. An answer is
// accepted when the two characters after its first "$" (the first two of the
// text when there is none) are the command's letters.

// Serial frames; over TCP the frame without its CR goes out 10 (relay test),
// 6 (set clock) or 4 (read clock) times, then one CR.
QByteArray relayTestFrame(qint16 seconds);
// "%DR001", day, month, year, hour, minute, second, weekday (01 = Monday),
// each two digits, "**", CR; all from one reading.
QByteArray deviceClockFrame(const QDateTime &local);
QByteArray readDeviceClockFrame();

// Keeps the window running for 100001 passes after any answer while the
// relay rings.
Reply SendRelayTest(DeviceLink &link, qint16 seconds);
// Takes one reading of the link's clock for the whole frame.
Reply SendDeviceClock(DeviceLink &link);
// The clock after "$UR001"; its weekday names a day when the text starts
// with a whole number 1..7. nullopt for no answer, other letters, or fewer
// than 14 clock characters.
std::optional<ClockReading> ReadDeviceClock(DeviceLink &link);
