#include "schedule/CalendarCommands.h"

#include "schedule/DateTimeValue.h"

namespace {
constexpr qint16 DefaultRingDuration = 3;
constexpr int FactorySlots = 8;
constexpr int FactoryFirstHour = 6;
constexpr int FactoryHourStep = 2;
} // namespace

void ClearAll(RingCalendar &calendar, DeviceModel selectedModel)
{
    calendar.DeviceVersion = qint16(selectedModel);
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, 0);
            calendar.setRingTime(day, slot, timeValue(0, 0));
            calendar.setRingDuration(day, slot, DefaultRingDuration);
        }
    }
}

void FactoryDefault(RingCalendar &calendar)
{
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            const bool rings = slot <= FactorySlots;
            const int hour = rings ? FactoryFirstHour + FactoryHourStep * (slot - 1) : 0;
            calendar.setTimeUsed(day, slot, rings ? 1 : 0);
            calendar.setRingTime(day, slot, timeValue(hour, 0));
            calendar.setRingDuration(day, slot, DefaultRingDuration);
        }
    }
}

void CopyFromMonday(RingCalendar &calendar, int day)
{
    if (RingCalendar::flatIndex(day, 1) < 0)
        return;
    for (int slot = 1; slot <= SlotsPerDay; ++slot) {
        calendar.setTimeUsed(day, slot, calendar.timeUsed(1, slot));
        calendar.setRingTime(day, slot, calendar.ringTime(1, slot));
        calendar.setRingDuration(day, slot, calendar.ringDuration(1, slot));
    }
}
