#pragma once

#include <QByteArray>

namespace zilsim {

// Fixed-width fields of the controller's frames. Each returns -1 when the
// field is missing or holds anything but its digits.

inline int decimalField(const QByteArray &frame, qsizetype pos, int width)
{
    if (pos < 0 || pos + width > frame.size())
        return -1;
    int value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = frame.at(pos + i);
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

inline int hexField(const QByteArray &frame, qsizetype pos, int width)
{
    if (pos < 0 || pos + width > frame.size())
        return -1;
    int value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = frame.at(pos + i);
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// Two decimal digits with leading zero, for answers.
inline QByteArray twoDigits(int value)
{
    const int v = value < 0 ? 0 : value % 100;
    return QByteArray(1, char('0' + v / 10)) + char('0' + v % 10);
}

} // namespace zilsim
