#pragma once

#include <QByteArray>

class DeviceLink;

// The steps every command takes before and while sending a frame. Each one
// looks at the link's open channel itself and does nothing without one, so a
// command on a closed link runs into its time-out instead of crashing.

// Serial: read and discard the waiting input, then yield; `passes` times.
// TCP: only yield `passes` times, so a stale answer stays to be read.
void drainBeforeSend(DeviceLink &link, int passes);

// Serial: read and discard the waiting input once. TCP: nothing.
void discardInputOnce(DeviceLink &link);

// The serial check before a program-mode frame: false when reading the
// input raised an error, or when no link is open. Always true over TCP.
bool portCheckPasses(DeviceLink &link);

// Serial: discard both buffers, then write the frame. TCP: send the frame.
void sendFrame(DeviceLink &link, const QByteArray &frame);

// The record-device frames over TCP: the frame without its carriage return
// `copies` times in a row, then one carriage return.
QByteArray repeatedForTcp(const QByteArray &serialFrame, int copies);

// True when the open link is TCP (false also when none is open).
bool linkIsTcp(const DeviceLink &link);
