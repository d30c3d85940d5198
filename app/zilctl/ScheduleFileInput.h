#pragma once

#include "schedule/RingCalendar.h"

#include <QString>
#include <optional>

// A schedule file read for a subcommand that needs a whole one. Unlike the
// window, a missing file is not created and a short one is not taken: both
// are refused with the reason.
struct ScheduleFileInput
{
    std::optional<RingCalendar> calendar;
    QString error;
};

ScheduleFileInput readWholeScheduleFile(const QString &path);

// The model a schedule holds, or why it cannot stand for one.
std::optional<DeviceModel> storedModel(const RingCalendar &calendar);
QString unknownStoredModelError(const QString &path, const RingCalendar &calendar);
