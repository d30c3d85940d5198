#pragma once

#include "schedule/DeviceModel.h"
#include "schedule/Result.h"
#include "schedule/RingCalendar.h"

#include <QString>
#include <optional>

// A schedule file read for a subcommand that needs a whole one. Unlike the
// window, a missing file is not created and a short one is not taken: both
// are refused with the reason.
Result<RingCalendar> readWholeScheduleFile(const QString &path);

// A schedule file about to be replaced (import, receive): its slots are kept
// where the new schedule has none. A missing or empty file (the window's
// "none yet") gives no calendar and no error; a short or unreadable one is
// refused, and left as it is.
Result<std::optional<RingCalendar>> readScheduleToReplace(const QString &path);

// The model a schedule holds, or why it cannot stand for one.
std::optional<DeviceModel> storedModel(const RingCalendar &calendar);
QString unknownStoredModelError(const QString &path, const RingCalendar &calendar);
