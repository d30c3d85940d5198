#pragma once

#include "ControllerSimulator.h"

#include <QString>

namespace zilsim {

// Reads one fault of the command line ("silent", "wrong-status", "noise",
// "late:MS", "short", "drop", "no-ack", "no-marker", "chunk:N") into faults. False for
// anything else.
bool applyFaultOption(const QString &kind, ControllerSimulator::Faults &faults);

} // namespace zilsim
