#include "schedule/NumberText.h"

#include <QLocale>
#include <cmath>

bool isNumeric(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    QLocale().toDouble(trimmed, &ok);
    return ok;
}

double leadingValue(const QString &text)
{
    QString number;
    bool digitSeen = false, pointSeen = false, exponentSeen = false;
    for (QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        const QChar last = number.isEmpty() ? QChar() : number.back();
        if (c >= u'0' && c <= u'9') {
            number += c;
            digitSeen = true;
        } else if ((c == u'+' || c == u'-') && (number.isEmpty() || last == u'e')) {
            number += c;
        } else if (c == u'.' && !pointSeen && !exponentSeen) {
            number += c;
            pointSeen = true;
        } else if ((c == u'e' || c == u'E' || c == u'd' || c == u'D') && digitSeen && !exponentSeen) {
            number += u'e';
            exponentSeen = true;
        } else {
            break;
        }
    }
    // Drop an unfinished exponent or sign ("12e", "12e-", "-").
    while (!number.isEmpty() && !number.back().isDigit() && number.back() != u'.')
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

std::optional<qint16> wholeValue(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // default mode: halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return qint16(rounded);
}

qint16 ringDurationFromText(const QString &text, int lowerBound, qint16 fallback)
{
    const double value = leadingValue(text);
    if (value >= lowerBound && value <= LongestRingSeconds)
        return wholeValue(value).value_or(fallback);
    return fallback;
}
