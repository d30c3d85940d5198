#pragma once

#include <QByteArray>

struct RingCalendar;

// A record read that brought nothing usable: empty, "ERROR" or "TIMEOUT".
bool isFailedRecordRead(const QByteArray &answer);

// Stores the used flag, ring length and time of a record read answer into
// (day, slot). The fields count from the first "$ZR" (from the start of
// the text when there is none); unusable fields give used 0, length 0 and
// leave the time as it was.
void storeRecordAnswer(RingCalendar &calendar, int day, int slot, const QByteArray &answer);
