#pragma once

#include "schedule/Result.h"
#include "schedule/RingCalendar.h"

#include <QByteArray>
#include <QString>

// "RingCalendar.dat": the record as 5378 little-endian bytes, no header.
//   0     DeviceVersion   int16
//   2     TimeUsed        448 x int16
//   898   RingDuration    448 x int16
//   1794  RingTime        448 x double
constexpr qsizetype CalendarFileSize = 5378;
constexpr qsizetype TimeUsedOffset = 2;
constexpr qsizetype RingDurationOffset = 898;
constexpr qsizetype RingTimeOffset = 1794;

QString calendarFilePath(const QString &directory);

QByteArray calendarToBytes(const RingCalendar &calendar);
// Overlays the bytes onto the record from offset 0; what they do not reach
// keeps its value, and bytes past the layout are ignored.
void overlayCalendarBytes(RingCalendar &calendar, const QByteArray &bytes);

// Fills the record with as much of the file as there is.
void LoadCalendar(RingCalendar &calendar, const QString &path);
// A failure says why the file was not stored.
Result<> SaveCalendar(const RingCalendar &calendar, const QString &path);
