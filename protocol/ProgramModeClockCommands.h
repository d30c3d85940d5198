#pragma once

#include "protocol/ReplyData.h"

#include <QByteArray>
#include <QDateTime>

class DeviceLink;

// "%RRTC", day, month, year - 2000 ("00" before 2000), hour, minute, second,
// weekday (00 = Monday), each two digits, "**", CR; all from one reading.
QByteArray programModeClockFrame(const QDateTime &local);

// 1 = the controller acknowledged the clock frame, 2 = failed.
int SetClockProgramMode(DeviceLink &link);
// 1 = read, `reply` then holds day, month, year, hour, minute, second and
// weekday (1 = Monday) as two-character QStrings and an empty (null
// QVariant) eighth element; 2 = failed, `reply` unchanged.
int ReadClockProgramMode(DeviceLink &link, ReplyData &reply);
