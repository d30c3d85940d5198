#pragma once

#include "link/LinkSettings.h"

#include <QByteArray>
#include <QtGlobal>

// An open transport to the controller as the commands use it. Received bytes
// are the answer "text": one character per byte. Bytes only reach the
// channel while the event loop runs, so callers yield before asking.
class LinkChannel
{
public:
    virtual ~LinkChannel() = default;

    virtual LinkTransport transport() const = 0;

    // How many received bytes wait to be read.
    virtual qint64 bytesWaiting() = 0;
    // Takes every waiting byte out of the receive buffer.
    virtual QByteArray readWaiting() = 0;
    // A copy of every waiting byte, left in the receive buffer.
    virtual QByteArray peekWaiting() = 0;

    // Serial: reads and drops the waiting input. TCP: nothing, so an answer
    // that came late stays to be read by the next wait.
    virtual void discardInput() = 0;

    // The serial port check before a program-mode frame: clears any pending
    // error and reads the input once; false when that raised an error.
    // Always true over TCP.
    virtual bool checkPort() = 0;

    // Serial: discards the receive and transmit buffers, then writes.
    // TCP: sends. Errors are not reported: a frame that did not go out shows
    // up as a missing answer.
    virtual void send(const QByteArray &frame) = 0;
};
