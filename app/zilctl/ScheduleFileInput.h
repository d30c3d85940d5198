#pragma once

#include "schedule/DeviceModel.h"
#include "schedule/Result.h"
#include "schedule/RingCalendar.h"

#include <QString>
#include <optional>

// A schedule file read as the window reads it: a file of any length, the
// bytes it lacks keeping the record's defaults (an empty file, which a window
// killed at start leaves behind, is all defaults). Unlike the window, a
// missing file is not created: it is refused, saying how to make one.
Result<RingCalendar> readWholeScheduleFile(const QString &path);

// A schedule file about to be replaced (import, receive): its slots are kept
// where the new schedule has none. A missing or empty file (the window's
// "none yet") gives no calendar and no error; a short one is read as the
// window does; an unreadable one is refused, and left as it is.
Result<std::optional<RingCalendar>> readScheduleToReplace(const QString &path);

// The model a schedule holds, or why it cannot stand for one.
std::optional<DeviceModel> storedModel(const RingCalendar &calendar);
QString unknownStoredModelError(const QString &path, const RingCalendar &calendar);
