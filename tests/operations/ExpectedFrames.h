#pragma once

#include <QByteArray>
#include <QList>

// The frames a controller must receive, written out here from the wire
// layout (not with the program's own encoders). TCP record frames repeat
// their text and end in one carriage return.
namespace Expected {

QByteArray recordWrite(int day, int slot, int used, int duration, int hour, int minute, bool tcp);
QByteArray recordRead(int day, int slot, bool tcp);
QByteArray programModeRequest(int mode);
// 32 bytes of the image at `address`, then 32 zero bytes.
QByteArray blockWrite(char region, int address, const QByteArray &image);
QByteArray blockRead(char region, int address);

} // namespace Expected
