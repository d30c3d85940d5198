#pragma once

#include "schedule/DeviceModel.h"
#include "schedule/Result.h"

struct RingCalendar;

// A first site file for an operator who has never written one: one
// controller on the window's link and model, one schedule "normal" (the
// window's schedule as text, "<name>-normal.csv" beside the site file), no
// periods. `linkLine` is the controller's link as the site file writes it:
// `tcp = "HOST:PORT"` or `serial = N`. Nothing is written when either file
// exists already or the result would not be a site.
Result<> writeNewSite(const QString &sitePath, const QString &linkLine, DeviceModel model, const RingCalendar &calendar);

// A TOML basic string: in double quotes, with backslash escapes.
QString tomlString(const QString &text);
