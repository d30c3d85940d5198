#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// How the controller answered a command.
enum class Reply {
    Accepted, // the answer the command waits for
    Refused,  // some other answer
    NoAnswer, // nothing usable within the wait, or no open link
};

// One 32-byte block of a "V1" controller's schedule memory.
inline constexpr int MemoryBlockBytes = 32;
using MemoryBlock = std::array<quint8, MemoryBlockBytes>;

// A controller's clock as it sent it: two characters a field, taken as they
// came, and the weekday the answer names (1 = Monday .. 7 = Sunday, 0 when
// it names none).
struct ClockReading
{
    QString day, month, year, hour, minute, second;
    int weekday = 0;
};

// One schedule slot as a record controller sent it.
struct SlotReading
{
    qint16 used = 0;
    qint16 duration = 0;
    std::optional<double> time; // a time-of-day value; none when the answer held no time
    QString timeText;           // hour and minute as they came, "24:10"
};
