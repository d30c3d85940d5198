#include "operations/ClockText.h"

QString DayName(int dayOfWeek)
{
    switch (dayOfWeek) {
    case 1: return QStringLiteral(u"Pazartesi");
    case 2: return QStringLiteral(u"Salı");
    case 3: return QStringLiteral(u"Çarşamba");
    case 4: return QStringLiteral(u"Perşembe");
    case 5: return QStringLiteral(u"Cuma");
    case 6: return QStringLiteral(u"Cumartesi");
    case 7: return QStringLiteral(u"Pazar");
    default: return QStringLiteral(u"Tanımsız");
    }
}

QString clockLabelText(const ClockReading &r)
{
    return r.day + u'/' + r.month + QLatin1String("/20") + r.year + u' ' + r.hour + u':' + r.minute + u':'
        + r.second + QLatin1String(", ") + DayName(r.weekday);
}

std::optional<QDateTime> clockDateTime(const ClockReading &r)
{
    const QString text = r.day + u'/' + r.month + QLatin1String("/20") + r.year + u' ' + r.hour + u':' + r.minute
        + u':' + r.second;
    const QDateTime value = QDateTime::fromString(text, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    return value.isValid() ? std::optional<QDateTime>(value) : std::nullopt;
}
