#include "operations/ExpectedFrames.h"

namespace {

QByteArray digits(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

QByteArray hexDigits(int value, int width)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}

QByteArray repeated(const QByteArray &text, int copies, bool tcp)
{
    return (tcp ? text.repeated(copies) : text) + '\r';
}

} // namespace

namespace Expected {

QByteArray recordWrite(int day, int slot, int used, int duration, int hour, int minute, bool tcp)
{
    // Hour and minute go out as their decimal digits (packed decimal in hex).
    const QByteArray text = "%ZW001" + digits(day, 1) + digits(slot, 2) + digits(used, 1) + digits(duration, 2)
        + digits(hour, 2) + digits(minute, 2) + "**";
    return repeated(text, 3, tcp);
}

QByteArray recordRead(int day, int slot, bool tcp)
{
    return repeated("%ZR001" + digits(day, 1) + digits(slot, 2) + "**", 4, tcp);
}

QByteArray programModeRequest(int mode)
{
    return "%CM" + digits(mode, 2) + "0**\r";
}

QByteArray blockWrite(char region, int address, const QByteArray &image)
{
    return QByteArray("%SE") + region + hexDigits(address, 4) + image.mid(address, 32).leftJustified(32, '\0')
        + QByteArray(32, '\0') + "**\r";
}

QByteArray blockRead(char region, int address)
{
    return QByteArray("%RE") + region + hexDigits(address, 4) + "**\r";
}

} // namespace Expected
