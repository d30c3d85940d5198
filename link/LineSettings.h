#pragma once

#include "schedule/DeviceModel.h"

class QSerialPort;

// Puts a model's line settings on a port, before it opens: baud, parity,
// data bits, stop bits, and never flow control.
void applyLineSettings(QSerialPort &port, const LineSettings &line);
