#pragma once

#include "schedule/DeviceModel.h"
#include "schedule/RingCalendar.h"

// The editor's whole-record commands, apart from the controls that start them.

// "Tümünü Sil": every slot of every day off, at midnight, 3 seconds long;
// the record takes the model chosen in the window. The one rule for a
// cleared slot (see also clearedCalendar()).
void ClearAll(RingCalendar &calendar, DeviceModel selectedModel);

// "Fabrika Ayarlarına Dön": every day rings slots 1 to 8 at 06:00, 08:00, ...
// 20:00 for 3 seconds; slots 9 to 64 off at midnight, 3 seconds. The model
// stays as it was.
void FactoryDefault(RingCalendar &calendar);

// "Pazartesi'den Al": all 64 slots of Monday into the day (2..7; Monday
// itself copies onto itself).
void CopyFromMonday(RingCalendar &calendar, int day);
