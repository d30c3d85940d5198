#include "ControllerClock.h"

#include "WireFields.h"

namespace zilsim {

ControllerClock::ControllerClock()
{
    set(QDateTime::currentDateTime());
}

void ControllerClock::set(const QDateTime &value)
{
    m_setTo = value;
    m_sinceSet.start();
}

QDateTime ControllerClock::now() const
{
    return m_setTo.addMSecs(m_sinceSet.elapsed());
}

QByteArray clockDigits(const QDateTime &value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    return twoDigits(date.day()) + twoDigits(date.month()) + twoDigits(date.year() % 100) + twoDigits(time.hour()) +
           twoDigits(time.minute()) + twoDigits(time.second()) + twoDigits(date.dayOfWeek());
}

QDateTime parseClockDigits(const QByteArray &digits, int firstWeekday)
{
    if (digits.size() != 14)
        return {};
    int fields[7];
    for (int i = 0; i < 7; ++i) {
        fields[i] = decimalField(digits, 2 * i, 2);
        if (fields[i] < 0)
            return {};
    }
    const QDate date(2000 + fields[2], fields[1], fields[0]);
    const QTime time(fields[3], fields[4], fields[5]);
    const int weekday = fields[6];
    if (!date.isValid() || !time.isValid() || weekday < firstWeekday || weekday > firstWeekday + 6)
        return {};
    return QDateTime(date, time);
}

} // namespace zilsim
