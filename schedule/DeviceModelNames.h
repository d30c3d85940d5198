#pragma once

#include "schedule/RingCalendar.h"

#include <QString>
#include <optional>

// The names a controller model goes by: the window's button captions and the
// short forms typed on a command line.

// "V1", "V2  (24 Zaman)", "V2  (Int. Timer)", "V3  (64 Zaman)",
// "V3  (Int. Timer)" (two blanks before the bracket); empty outside 0..4.
QString modelCaption(int model);
// "v1", "v2-24", "v2-int", "v3-64", "v3-int"; empty outside 0..4.
QString modelShortName(int model);
// A caption or a short form, in any letter case; runs of blanks count as
// one, so "v2 (24 zaman)" is "V2  (24 Zaman)". nullopt for anything else.
std::optional<DeviceModel> modelFromName(const QString &name);

// "9600,o,8,1" for "V1", "38400,o,8,1" for the record devices.
QString lineSettingsForModel(int model);
