#include "schedule/ModelRows.h"

#include "schedule/RingCalendar.h"

int shownRowCount(int model)
{
    switch (model) {
    case ModelV1:
    case ModelV2Times24: return 24;
    case ModelV2IntervalTimer: return 2;
    case ModelV3Times64: return SlotsPerDay;
    case ModelV3IntervalTimer: return 16;
    default: return 0;
    }
}

bool isIntervalModel(int model)
{
    return model == ModelV2IntervalTimer || model == ModelV3IntervalTimer;
}
