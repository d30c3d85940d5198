#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The three ways the program reads a number from text that an operator typed
// or a controller sent.

// The whole text, blanks around it allowed, is a number in the current
// locale. The empty text is not numeric.
bool isNumeric(const QString &text);

// The number formed by the text's leading characters: blanks are skipped,
// "." is the decimal point, an exponent may follow; reading stops at the
// first character that cannot continue the number. 0 when there is none.
double leadingValue(const QString &text);

// Nearest whole number, halves to the even neighbour, when it fits a signed
// 16-bit integer; nullopt for NaN, infinities and anything out of range.
std::optional<qint16> wholeValue(double value);

// Two digits, "0" in front of one: "07". For dates, times and clocks shown.
QString twoDigits(int value);

// The longest ring a slot's box takes, in seconds.
inline constexpr int LongestRingSeconds = 30;

// A ring length typed into a slot's box, kept when its value lies in
// lowerBound..30 (tested before rounding) and stored as its whole value;
// anything else stores the fallback.
qint16 ringDurationFromText(const QString &text, int lowerBound, qint16 fallback);
