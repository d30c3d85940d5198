#pragma once

#include <QString>

// A slot time that a controller holds but that is no time of day (hour 24,
// minute 60, ...), as it holds it: "24:10". The received schedule keeps its
// own time for that slot, so the held text is the only trace of it.
struct HeldTime
{
    int day = 0;  // 1..7
    int slot = 0; // 1..64
    QString text;
};
