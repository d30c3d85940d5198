#pragma once

#include <QString>

// Where zilctl finds the files the window keeps. Today they lie beside the
// executables, which are built into one folder; an installed layout changes
// these bodies and nothing else.

// "RingCalendar.dat", the schedule file the window loads and saves.
QString defaultCalendarPath();
// The folder whose "SerialPorts.txt" maps port numbers to devices.
QString serialPortMapDirectory();
