#pragma once

#include <QtGlobal>
#include <optional>

// Hour and minute travel as one byte each, tens digit in the high four bits:
// 19 is 0x19.
constexpr qint16 packedDecimal(int value)
{
    return qint16((value / 10) * 16 + value % 10);
}

// The value of a packed byte; nullopt when a half holds no decimal digit.
constexpr std::optional<int> unpackedDecimal(quint8 byte)
{
    const int tens = byte >> 4, units = byte & 0x0F;
    if (tens > 9 || units > 9)
        return std::nullopt;
    return tens * 10 + units;
}
