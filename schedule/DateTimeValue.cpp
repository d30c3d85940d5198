#include "schedule/DateTimeValue.h"

#include <QStringList>
#include <cmath>

namespace {
constexpr int SecondsPerDay = 24 * 60 * 60;
// 0100-01-01 and 9999-12-31, the range a controller date can take.
constexpr double FirstDate = -657434.0;
constexpr double LastDate = 2958466.0;

std::optional<int> smallNumber(const QString &field)
{
    if (field.isEmpty() || field.size() > 2)
        return std::nullopt;
    int value = 0;
    for (QChar c : field) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}
} // namespace

TimeOfDay timeOfDay(double value)
{
    if (!std::isfinite(value) || value < FirstDate || value >= LastDate)
        return {};
    const double fraction = std::fabs(value - std::trunc(value));
    long long seconds = std::llround(fraction * SecondsPerDay);
    if (seconds >= SecondsPerDay) // rounds up to the next midnight
        seconds = 0;
    return {int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60)};
}

double timeValue(int hour, int minute, int second)
{
    return double(hour * 3600 + minute * 60 + second) / SecondsPerDay;
}

double timeValue(const QTime &time)
{
    return time.isValid() ? timeValue(time.hour(), time.minute(), time.second()) : 0.0;
}

QTime toQTime(double value)
{
    const TimeOfDay t = timeOfDay(value);
    return QTime(t.hour, t.minute, t.second);
}

std::optional<double> parseTimeOfDay(const QString &text)
{
    const QStringList fields = text.trimmed().split(u':');
    if (fields.size() < 2 || fields.size() > 3)
        return std::nullopt;
    const auto hour = smallNumber(fields[0]);
    const auto minute = smallNumber(fields[1]);
    const auto second = fields.size() == 3 ? smallNumber(fields[2]) : std::optional<int>(0);
    if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return timeValue(*hour, *minute, *second);
}

QString hourMinuteText(double value)
{
    const TimeOfDay t = timeOfDay(value);
    return QStringLiteral("%1:%2").arg(t.hour, 2, 10, QLatin1Char('0')).arg(t.minute, 2, 10, QLatin1Char('0'));
}
