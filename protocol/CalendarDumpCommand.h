#pragma once

#include "protocol/ReplyData.h"

#include <QByteArray>
#include <QtGlobal>

class DeviceLink;

// "%RE", region letter, the address in four hex digits, "**", CR.
QByteArray readMemoryBlockFrame(qint32 address, qint16 regionFlag);

// Reads one 32-byte block of a program-mode controller's memory.
// 1 = read, `reply` then holds the 32 byte values as ints 0..255; 2 = failed
// (no link, time-out, no "RE" after the first "%", fewer than 32 data bytes
// after it), `reply` unchanged.
int ReadMemoryBlock(DeviceLink &link, qint32 address, qint16 regionFlag, ReplyData &reply);
