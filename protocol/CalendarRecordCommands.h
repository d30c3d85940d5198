#pragma once

#include <QByteArray>
#include <QtGlobal>

class DeviceLink;

// Record controllers take the schedule one slot at a time.

inline constexpr int RecordWriteAccepted = 1;
inline constexpr int RecordWriteRefused = -1;
inline constexpr int RecordWriteNoAnswer = 0;
inline const QByteArray RecordReadError = QByteArrayLiteral("ERROR");
inline const QByteArray RecordReadTimeout = QByteArrayLiteral("TIMEOUT");

// Serial frames; over TCP the frame without its CR goes out three times
// (write) or four times (read), then one CR.
QByteArray writeCalendarRecordFrame(qint16 day, qint16 slot, qint16 used, qint16 duration,
                                    qint16 hourByte, qint16 minuteByte);
QByteArray readCalendarRecordFrame(qint16 day, qint16 slot);

// Hour and minute bytes are packed decimal (08:30 is 0x08, 0x30).
// 1 = status "O" after the first "$ZW", -1 = any other answer (also text
// without "$ZW"), 0 = no answer within the wait. No open link: 0.
int WriteCalendarRecord(DeviceLink &link, qint16 day, qint16 slot, qint16 used, qint16 duration,
                        qint16 hourByte, qint16 minuteByte);
// The whole received text when the status after its first "$ZR" is "O";
// "ERROR" for any other answer (also text without "$ZR"); "TIMEOUT" when
// none came or no link is open.
QByteArray ReadCalendarRecord(DeviceLink &link, qint16 day, qint16 slot);
