#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>

// Time as the device commands see it. Deadlines count whole seconds; the
// frames that set a controller's clock take one reading of the local date and
// time. Tests replace this with a clock they drive themselves.
class WholeSecondClock
{
public:
    virtual ~WholeSecondClock() = default;

    // Whole seconds on a scale that only moves forward, for deadlines.
    virtual qint64 now() = 0;

    // The local date and time, to the second, for frames that carry it.
    virtual QDateTime currentDateTime() = 0;

    // Sleeps in the event loop until an event arrives or the next whole
    // second begins, whichever comes first. Never spins a core.
    virtual void sleepUntilEventOrNextSecond() = 0;
};

// The first reading takes its whole second from the local clock; every later
// reading adds the time a steady clock has measured since. The seconds turn
// over when the local clock's did, but a step of the system clock (a time
// sync, a manual change, daylight saving) neither stretches nor cuts a wait.
class SystemWholeSecondClock final : public WholeSecondClock
{
public:
    // Milliseconds since the epoch on the local clock; tests may stand in.
    using WallClock = std::function<qint64()>;
    explicit SystemWholeSecondClock(WallClock wallMs = {});

    qint64 now() override;
    QDateTime currentDateTime() override;
    void sleepUntilEventOrNextSecond() override;

private:
    // Milliseconds since the epoch of the first reading plus the steady time since.
    qint64 steadyMs();

    WallClock m_wallMs;
    QElapsedTimer m_steady;
    qint64 m_firstWallMs = 0;
};
