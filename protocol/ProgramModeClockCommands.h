#pragma once

#include "protocol/Reply.h"

#include <QByteArray>
#include <QDateTime>
#include <optional>

class DeviceLink;

// "%RRTC", day, month, year - 2000 ("00" before 2000), hour, minute, second,
// weekday (00 = Monday), each two digits, "**", CR; all from one reading.
QByteArray programModeClockFrame(const QDateTime &local);

// Accepted once the controller acknowledged the clock frame.
Reply SetClockProgramMode(DeviceLink &link);
// The clock after "%SRTC"; its weekday counts 1 = Monday and names a day
// when the whole text is a number that rounds to 1..7. nullopt when no
// clock came, or it stops inside its 14 digits.
std::optional<ClockReading> ReadClockProgramMode(DeviceLink &link);
