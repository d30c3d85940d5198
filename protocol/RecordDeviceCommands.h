#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

class DeviceLink;

// Clock and relay-test commands of the record controllers. Results:
// 1 = answer with the expected letters, 0 = another answer, -1 = none.
inline constexpr int DeviceAnswerExpected = 1;
inline constexpr int DeviceAnswerOther = 0;
inline constexpr int DeviceAnswerNone = -1;

// Serial frames; over TCP the frame without its CR goes out 10 (relay test),
// 6 (set clock) or 4 (read clock) times, then one CR.
QByteArray relayTestFrame(qint16 seconds);
// "%DR001", day, month, year, hour, minute, second, weekday (01 = Monday),
// each two digits, "**", CR; all from one reading.
QByteArray deviceClockFrame(const QDateTime &local);
QByteArray readDeviceClockFrame();

// "Pazartesi" for 1 to "Pazar" for 7, "Tanımsız" for anything else.
QString DayName(int dayOfWeek);

struct DeviceClockReading
{
    QString clockText; // "05/12/2026 01:23:45"
    QString dayName;   // "Cumartesi"
};

// Each waits strictly one second; no open link gives -1. The relay test
// keeps the window running for 100001 passes after any answer.
int SendRelayTest(DeviceLink &link, qint16 seconds);
// Takes one reading of the link's clock for the whole frame.
int SendDeviceClock(DeviceLink &link);
// 1 fills `reading`; an answer whose letters fit but whose 14 clock
// characters are cut short is 0 and leaves `reading` as it was.
int ReadDeviceClock(DeviceLink &link, DeviceClockReading &reading);
