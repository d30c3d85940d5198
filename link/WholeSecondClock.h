#pragma once

#include <QDateTime>
#include <QtGlobal>

// Time as the device commands see it. Deadlines count whole seconds; the
// frames that set a controller's clock take one reading of the local date and
// time. Tests replace this with a clock they drive themselves.
class WholeSecondClock
{
public:
    virtual ~WholeSecondClock() = default;

    // The current time with the fraction of the second dropped. Counted on a
    // steady scale, so a daylight-saving change cannot stretch a wait.
    virtual qint64 now() = 0;

    // The local date and time, to the second, for frames that carry it.
    virtual QDateTime currentDateTime() = 0;

    // Sleeps in the event loop until an event arrives or the next whole
    // second begins, whichever comes first. Never spins a core.
    virtual void sleepUntilEventOrNextSecond() = 0;
};

class SystemWholeSecondClock final : public WholeSecondClock
{
public:
    qint64 now() override;
    QDateTime currentDateTime() override;
    void sleepUntilEventOrNextSecond() override;
};
