#pragma once

#include "CommandResult.h"
#include "protocol/Reply.h"

#include <QDateTime>

// clock read: the controller's date, time and day name as the window's label
// shows them, and how many seconds the controller is ahead of the PC clock
// read at `pcTime` (negative: behind).
CommandResult clockReadResult(const ClockReading &reading, const QDateTime &pcTime);
