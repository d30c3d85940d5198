#pragma once

#include "protocol/Reply.h"

#include <QDateTime>
#include <QString>
#include <optional>

// "Pazartesi" for 1 to "Pazar" for 7, "Tanımsız" for anything else.
QString DayName(int dayOfWeek);

// lblRingerClock after a clock read, for both controller families:
// "05/12/2026 01:23:45, Cumartesi".
QString clockLabelText(const ClockReading &reading);

// The reading as a local date and time; nullopt when its fields are no date.
std::optional<QDateTime> clockDateTime(const ClockReading &reading);
