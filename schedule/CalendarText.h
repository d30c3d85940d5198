#pragma once

#include "schedule/DeviceModel.h"
#include "schedule/RingCalendar.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

// The schedule as plain text that people can read, diff, review and keep in
// version control:
//
//   # model: V3  (64 Zaman)
//   day,slot,in_use,time,seconds
//   1,1,1,06:00,3
//
// One line a slot, day 1..7 (Monday first) and slot 1..64; in_use and
// seconds are the numbers the file stores (1 rings, anything else is off).
// A time is HH:MM, or HH:MM:SS when the stored time carries seconds. Any
// other stored value, such as one with a date part, is written as the time
// it rings at, "@" and the 16 hex digits of the stored double
// ("07:45@0x40E5F0C2AAAAAAAB"), so that the text turns back into the very
// same bytes. Blank lines and lines starting with "#" are skipped.

inline const QString CalendarTextHeader = QStringLiteral("day,slot,in_use,time,seconds");
// A whole week is about 10 KiB of text; anything far larger is not a schedule.
inline constexpr qint64 LargestCalendarText = 1024 * 1024;

// Every slot, day by day; the model line names the model's caption.
QString calendarToText(const RingCalendar &calendar);

// What a missing slot stands for when there is no file to keep it from:
// off at 00:00 with 3 seconds, the slot that "Tümünü Sil" leaves.
RingCalendar clearedCalendar(DeviceModel model);

struct TextProblem
{
    int line = 0;  // counted from 1
    QString field; // a column name, "model", "header", or empty for the line
    QString message;

    // "line 7, day: '8' is not a day from 1 to 7"
    QString toString() const;
};

struct SlotText
{
    qint16 timeUsed = 0;
    double ringTime = 0.0;
    qint16 ringDuration = 0;
    int line = 0;
};

struct CalendarTextReading
{
    std::optional<DeviceModel> model;                          // from the "# model:" line
    std::array<std::optional<SlotText>, SlotTotal> givenSlots; // by flat index
    QList<TextProblem> problems;                               // every wrong line, in order

    bool ok() const { return problems.isEmpty(); }
    int slotCount() const;
    // Writes the model the text names and every slot it gives; slots the text
    // leaves out keep what the calendar holds.
    void applyTo(RingCalendar &calendar) const;
};

// Checks every line; nothing is taken from a text that has a problem.
CalendarTextReading readCalendarText(const QString &text);
