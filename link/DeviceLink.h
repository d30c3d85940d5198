#pragma once

#include "link/LinkChannel.h"
#include "link/LinkLock.h"
#include "link/LinkSettings.h"
#include "schedule/Result.h"

#include <QString>
#include <functional>
#include <memory>

class WholeSecondClock;

// The serial port or the TCP connection to the controller. Nothing stays
// open between operations: each one opens the link, runs its commands and
// closes it. Everything runs on one thread; waits yield to the event loop so
// the windows stay alive.
class DeviceLink
{
public:
    // Makes the channel of each Open() in place of the real transports; a
    // null channel does not open. Tests stand a scripted controller in here.
    using ChannelFactory = std::function<std::unique_ptr<LinkChannel>(const LinkSettings &)>;

    explicit DeviceLink(WholeSecondClock &clock, ChannelFactory channels = {});
    DeviceLink(const DeviceLink &) = delete;
    DeviceLink &operator=(const DeviceLink &) = delete;
    ~DeviceLink();

    // Takes the controller's lock (see linkLockName()), then opens the
    // transport the settings choose; the lock is held until CloseLink().
    // Closes whatever was open first. The system's own words when it does
    // not open; lockRefusedBy() names the holder when another program talks
    // to the controller. Stand-in channels take no lock.
    Result<> Open(const LinkSettings &settings);
    // Fails for a missing, busy or invalid device.
    Result<> OpenSerialPort(const QString &device, const LineSettings &line);
    // After a pause of 10001 yields, waits for the connection until the
    // whole-second clock passes start + 1 second. Ports 1..65535 connect;
    // others, an empty host and one hostAddressProblem() names never do.
    Result<> ConnectTcp(const QString &host, int port);
    // Closes whatever is open and gives the lock back; safe when nothing is.
    void CloseLink();
    // Who held the controller when the last Open() was refused for it.
    const std::optional<LockHolder> &lockRefusedBy() const { return m_lock.refusedBy(); }

    // The transport of the open link, or nullptr when none is open.
    LinkChannel *channel() const;

    WholeSecondClock &clock() const;

    // One yield: one pass of the event loop over all pending events.
    static void yieldOnce();
    // A counted pause: `passes` yields in a row.
    static void yieldTimes(int passes);

private:
    WholeSecondClock &m_clock;
    std::unique_ptr<LinkChannel> m_channel;
    LinkLock m_lock;
    ChannelFactory m_channelFactory;
};
