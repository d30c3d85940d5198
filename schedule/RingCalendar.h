#pragma once

#include <QtGlobal>
#include <array>

// The one weekly ring schedule: 7 days x 64 slots, plus the controller model it
// was last stored for. Arrays run day-fastest: (day d, slot s) is element
// (d - 1) + 7 * (s - 1), which is also the order of the bytes in the file.
constexpr int DayCount = 7;
constexpr int SlotsPerDay = 64;
constexpr int SlotTotal = DayCount * SlotsPerDay;

struct RingCalendar
{
    qint16 DeviceVersion = 0;
    std::array<qint16, SlotTotal> TimeUsed{};
    std::array<qint16, SlotTotal> RingDuration{};
    std::array<double, SlotTotal> RingTime{}; // days since 1899-12-30; only hour and minute matter

    // Flat index of (day 1..7, slot 1..64), or -1 when either is out of range.
    static int flatIndex(int day, int slot);

    // Out-of-range reads give 0, out-of-range writes are dropped.
    qint16 timeUsed(int day, int slot) const;
    qint16 ringDuration(int day, int slot) const;
    double ringTime(int day, int slot) const;
    void setTimeUsed(int day, int slot, qint16 value);
    void setRingDuration(int day, int slot, qint16 value);
    void setRingTime(int day, int slot, double value);

    bool operator==(const RingCalendar &) const = default;
};
