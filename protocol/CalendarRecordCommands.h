#pragma once

#include "protocol/Reply.h"

#include <QByteArray>
#include <QtGlobal>
#include <optional>

class DeviceLink;

// Record controllers take the schedule one slot at a time.

// Serial frames; over TCP the frame without its CR goes out three times
// (write) or four times (read), then one CR. Hour and minute bytes are
// packed decimal (08:30 is 0x08, 0x30).
QByteArray writeCalendarRecordFrame(qint16 day, qint16 slot, qint16 used, qint16 duration, qint16 hourByte, qint16 minuteByte);
QByteArray readCalendarRecordFrame(qint16 day, qint16 slot);

// Accepted: status "O" after the first "$ZW". Refused: any other answer,
// also text without "$ZW".
Reply WriteCalendarRecord(DeviceLink &link, qint16 day, qint16 slot, qint16 used, qint16 duration, qint16 hourByte, qint16 minuteByte);
// The slot when the status after the first "$ZR" is "O"; nullopt for any
// other answer, none, or one that stops inside its fields.
std::optional<SlotReading> ReadCalendarRecord(DeviceLink &link, qint16 day, qint16 slot);

// The fields of an accepted read answer, counted from its first "$ZR": used
// is 1 only for "1", the length is the whole value of its two characters (0
// when none), the time is taken when its four characters are there and make one.
SlotReading slotFromRecordAnswer(const QByteArray &answer);
