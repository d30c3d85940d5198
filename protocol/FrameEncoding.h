#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// Frames are "%", command letters, fields, "**" and a carriage return.
inline constexpr char FrameStart = '%';
inline constexpr char RecordAnswerStart = '$';
inline constexpr char FrameTerminator = '\r';
inline const QByteArray FrameEndMarker = QByteArrayLiteral("**");

// Decimal digits of the value ("-" kept), cut to the leftmost `width`
// characters when longer, "0"-padded in front when shorter.
QString FormatDecimal(qint16 value, qint16 width);
// A two-character field of a frame: FormatDecimal(value, 2) as bytes.
QByteArray twoDigitField(int value);
// Upper-case hex: one digit gets a leading "0"; more than two digits
// (above 255, or negative) give "00".
QString FormatHex2(qint16 value);
// Upper-case hex padded to four digits; more than four digits (above 65535,
// or negative) give "0000".
QString FormatHex4(qint32 value);

// 1-based position of the first occurrence of `marker`, 0 when there is none,
// as the answer location rules count.
int answerPosition(const QByteArray &received, const QByteArray &marker);
// The characters at 1-based position `position`, `length` long; shorter (or
// empty) where the text ends first, never out of bounds.
QByteArray answerField(const QByteArray &received, int position, int length);

// The `length` characters that follow the first "%" and the `letters`
// right after it; nullopt when other letters follow or the text ends first.
std::optional<QByteArray> fieldsAfterLetters(const QByteArray &received, const QByteArray &letters, int length);

struct ClockReading;

// The weekday a clock answer's number names: 1..7 only when the value is
// exactly that whole number (".6" names none, it is not rounded), else 0.
int weekdayOfValue(double value);

// The six two-character fields of a clock answer's first 12 characters and
// the weekday its own rule read from the rest (kept when 1..7, else 0).
ClockReading clockReadingFromDigits(const QByteArray &digits, int weekday);
