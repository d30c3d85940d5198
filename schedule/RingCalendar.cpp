#include "schedule/RingCalendar.h"

int RingCalendar::flatIndex(int day, int slot)
{
    // Unsigned compare rejects both 0/negative and too large in one test.
    if (unsigned(day - 1) >= unsigned(DayCount) || unsigned(slot - 1) >= unsigned(SlotsPerDay))
        return -1;
    return (day - 1) + DayCount * (slot - 1);
}

qint16 RingCalendar::timeUsed(int day, int slot) const
{
    const int i = flatIndex(day, slot);
    return i < 0 ? 0 : TimeUsed[i];
}

qint16 RingCalendar::ringDuration(int day, int slot) const
{
    const int i = flatIndex(day, slot);
    return i < 0 ? 0 : RingDuration[i];
}

double RingCalendar::ringTime(int day, int slot) const
{
    const int i = flatIndex(day, slot);
    return i < 0 ? 0.0 : RingTime[i];
}

void RingCalendar::setTimeUsed(int day, int slot, qint16 value)
{
    if (const int i = flatIndex(day, slot); i >= 0)
        TimeUsed[i] = value;
}

void RingCalendar::setRingDuration(int day, int slot, qint16 value)
{
    if (const int i = flatIndex(day, slot); i >= 0)
        RingDuration[i] = value;
}

void RingCalendar::setRingTime(int day, int slot, double value)
{
    if (const int i = flatIndex(day, slot); i >= 0)
        RingTime[i] = value;
}
