#pragma once

#include <QString>
#include <QTime>
#include <bit>
#include <optional>

// Date-time values are doubles counting days since 1899-12-30 00:00; the
// fraction is the time of day. The schedule only uses the time of day.

struct TimeOfDay
{
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Time of day held by a value, to the nearest second. As for the controller's
// own dates, a negative value's time is its fraction without the sign. NaN,
// infinities and values outside the calendar's range read as midnight.
TimeOfDay timeOfDay(double value);

// A value with date part 0 (used for times built from text and pickers).
double timeValue(int hour, int minute, int second = 0);
double timeValue(const QTime &time);
QTime toQTime(double value);

// Reads "h:m" or "h:m:s" (one or two digits a field) as a time of day with
// date part 0; nullopt for anything else, an hour above 23 or a minute or
// second above 59 among them.
std::optional<double> parseTimeOfDay(const QString &text);

// "hh:mm", the way the editor and the transfers write a slot's time.
QString hourMinuteText(double value);

// The 64 bits of a value as the schedule file stores them, and back.
inline quint64 bitsOf(double value)
{
    return std::bit_cast<quint64>(value);
}
inline double doubleOf(quint64 bits)
{
    return std::bit_cast<double>(bits);
}
