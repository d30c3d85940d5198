#include "operations/ClockText.h"

#include "schedule/DayNames.h"

QString DayName(int dayOfWeek)
{
    if (dayOfWeek < 1 || dayOfWeek > int(DayNames.size()))
        return QStringLiteral(u"Tanımsız");
    return DayNames[size_t(dayOfWeek - 1)].toString();
}

QString clockLabelText(const ClockReading &r)
{
    return r.day + u'/' + r.month + QLatin1String("/20") + r.year + u' ' + r.hour + u':' + r.minute + u':' + r.second +
           QLatin1String(", ") + DayName(r.weekday);
}

std::optional<QDateTime> clockDateTime(const ClockReading &r)
{
    const QString text = r.day + u'/' + r.month + QLatin1String("/20") + r.year + u' ' + r.hour + u':' + r.minute + u':' + r.second;
    const QDateTime value = QDateTime::fromString(text, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    return value.isValid() ? std::optional<QDateTime>(value) : std::nullopt;
}
