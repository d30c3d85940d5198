#include "protocol/FrameEncoding.h"

#include "protocol/Reply.h"

QString FormatDecimal(qint16 value, qint16 width)
{
    QString digits = QString::number(value);
    if (width < 0)
        width = 0;
    if (digits.size() > width)
        return digits.left(width);
    return digits.rightJustified(width, u'0');
}

QString FormatHex2(qint16 value)
{
    if (value < 0 || value > 0xFF)
        return QStringLiteral("00");
    return QString::number(value, 16).toUpper().rightJustified(2, u'0');
}

QString FormatHex4(qint32 value)
{
    if (value < 0 || value > 0xFFFF)
        return QStringLiteral("0000");
    return QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

int answerPosition(const QByteArray &received, const QByteArray &marker)
{
    if (marker.isEmpty())
        return 0;
    const qsizetype index = received.indexOf(marker);
    return index < 0 ? 0 : int(index) + 1;
}

QByteArray answerField(const QByteArray &received, int position, int length)
{
    // Position 0 (nothing found) reads like position 1, as the location rules
    // count from the start of the text then.
    const qsizetype start = position < 1 ? 0 : qsizetype(position) - 1;
    if (length <= 0 || start >= received.size())
        return {};
    return received.mid(start, length);
}

std::optional<QByteArray> fieldsAfterLetters(const QByteArray &received, const QByteArray &letters, int length)
{
    const int start = answerPosition(received, QByteArray(1, FrameStart));
    if (answerField(received, start + 1, int(letters.size())) != letters)
        return std::nullopt;
    const QByteArray fields = answerField(received, start + 1 + int(letters.size()), length);
    if (fields.size() < length)
        return std::nullopt; // the answer stops inside its fields
    return fields;
}

QByteArray twoDigitField(int value)
{
    return FormatDecimal(qint16(value), 2).toLatin1();
}

int weekdayOfValue(double value)
{
    for (int day = 1; day <= 7; ++day) {
        if (value == day)
            return day;
    }
    return 0;
}

ClockReading clockReadingFromDigits(const QByteArray &digits, int weekday)
{
    const auto field = [&digits](int index) { return QString::fromLatin1(digits.mid(2 * index, 2)); };
    ClockReading reading{field(0), field(1), field(2), field(3), field(4), field(5)};
    reading.weekday = weekday >= 1 && weekday <= 7 ? weekday : 0;
    return reading;
}
