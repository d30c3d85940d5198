#pragma once

#include "link/DeviceLink.h"
#include "support/FakeClock.h"
#include "support/ScriptedChannel.h"

// A device link on a fake clock with a scripted controller already attached:
// the usual set-up of a command or operation test.
//
//   CommandBench bench(LinkTransport::Tcp);
//   bench.device.replyToSend("$DT001O\r\n", 200);
//   QCOMPARE(SendRelayTest(bench.link, 3), 1);
struct CommandBench
{
    explicit CommandBench(LinkTransport transport, qint64 startMs = 0)
        : device(clock, transport)
    {
        clock.setMs(startMs);
        device.attachTo(link);
    }

    FakeClock clock;
    DeviceLink link{clock};
    ScriptedChannel device;
};

// "%PICOKXXX" padded to the 28 characters that the acknowledgement wait needs.
inline QByteArray programAckAnswer()
{
    return QByteArrayLiteral("%PICOKXXX                 \r\n");
}
