#include "ui/PcClockText.h"

#include "schedule/NumberText.h"

namespace {
// The first character of the locale's short format that separates two fields.
QChar separatorOf(const QString &format, QChar fallback)
{
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

} // namespace

QString pcClockText(const QDateTime &now, const QLocale &locale)
{
    const QChar dateSeparator = separatorOf(locale.dateFormat(QLocale::ShortFormat), u'/');
    const QChar timeSeparator = separatorOf(locale.timeFormat(QLocale::ShortFormat), u':');
    const QDate date = now.date();
    const QTime time = now.time();
    return twoDigits(date.day()) + dateSeparator + twoDigits(date.month()) + dateSeparator +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + u' ' + twoDigits(time.hour()) + timeSeparator +
           twoDigits(time.minute()) + timeSeparator + twoDigits(time.second()) + QStringLiteral(", ") +
           locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
}
