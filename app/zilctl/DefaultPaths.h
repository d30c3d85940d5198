#pragma once

#include <QString>

// Where zilctl finds the files the window keeps: the window's data folder,
// beside the executables or, installed, the user's data folder.

// "RingCalendar.dat", the schedule file the window loads and saves.
QString defaultCalendarPath();
// The folder whose "SerialPorts.txt" maps port numbers to devices.
QString serialPortMapDirectory();
