#pragma once

#include <QtGlobal>

// Hour and minute travel as one byte each, tens digit in the high four bits:
// 19 is 0x19.
constexpr qint16 packedDecimal(int value)
{
    return qint16((value / 10) * 16 + value % 10);
}
