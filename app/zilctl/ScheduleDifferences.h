#pragma once

#include "operations/HeldTime.h"
#include "schedule/RingCalendar.h"

#include <QList>
#include <QString>

// One field of one slot in which the controller does not hold what the file says.
struct SlotDifference
{
    int day = 0;   // 1..7, Monday first
    int slot = 0;  // 1..64
    QString field; // "in_use", "time" or "seconds", as in the schedule text
    QString inFile;
    QString onController;

    // "day 2, slot 3, time: file 05:10, controller 07:45"
    QString toString() const;
};

// Compares slots 1..slotsPerDay of every day as the controller keeps them:
// in_use as rings (1) or not, the time to the minute, and the seconds. A
// time the controller holds that is no time of day is shown as held:
// "24:10 (no time of day)".
QList<SlotDifference> scheduleDifferences(const RingCalendar &file, const RingCalendar &controller, int slotsPerDay,
                                          const QList<HeldTime> &heldTimes = {});
