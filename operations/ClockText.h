#pragma once

#include "protocol/ReplyData.h"

#include <QString>

// lblRingerClock after a program-mode clock read: "05/12/2026 01:23:45,
// Cumartesi" from day, month, year, hour, minute, second and weekday
// (1 = Monday; anything else is "Tanımsız").
QString programModeClockText(const ReplyData &reply);
