#pragma once

#include "schedule/RingCalendar.h"

class ControllerSimulator;

#include <QByteArray>
#include <QList>
#include <QSignalSpy>
#include <QStringList>

// What whole schedule transfers must send, leave in the controller and show
// on the status line, built from the schedule and the wire layout.

int slotsFor(int model);
QList<QByteArray> recordWriteFrames(const RingCalendar &calendar, int slotsPerDay, bool tcp);
QList<QByteArray> recordReadFrames(int slotsPerDay, bool tcp);
// The controller memory a block send leaves: slot entries from the schedule,
// the rest as it was.
QByteArray expectedImage(const RingCalendar &calendar, QByteArray image);
QList<QByteArray> blockWriteFrames(const QByteArray &image);
QList<QByteArray> blockReadFrames();
QStringList percentTexts(const QString &prefix, const QList<int> &values);
QList<int> blockPercents();
QList<int> recordPercents(int slotsPerDay);
QStringList statusTexts(const QSignalSpy &spy);
// Slots 1..slotsPerDay of every day hold the same used flag, length and time.
void compareSlots(const RingCalendar &actual, const RingCalendar &expected, int slotsPerDay);
// Puts the schedule into a record device's slots, all 64 of every day.
void loadRecords(ControllerSimulator &simulator, const RingCalendar &calendar);
