#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>

namespace zilsim {

// The controller's real-time clock: runs on from the value it was last set
// to (the PC's clock until then).
class ControllerClock
{
public:
    ControllerClock();
    void set(const QDateTime &value);
    QDateTime now() const;

private:
    QDateTime m_setTo;
    QElapsedTimer m_sinceSet;
};

// "ddMMyyhhmmssww" as the controller sends its clock: weekday 01 = Monday
// to 07 = Sunday, year as its last two digits.
QByteArray clockDigits(const QDateTime &value);

// Reads the 14 digits of a clock-setting frame. The years are 2000 to 2099.
// The weekday field must lie in firstWeekday .. firstWeekday + 6 (the
// program-mode frame counts Monday as 00, the record devices as 01); the
// controller works out the weekday from the date itself. An invalid date,
// time or weekday gives an invalid QDateTime.
QDateTime parseClockDigits(const QByteArray &digits, int firstWeekday);

} // namespace zilsim
