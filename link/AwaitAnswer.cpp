#include "link/AwaitAnswer.h"

#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"

std::optional<QByteArray> AwaitAnswer(DeviceLink &link, int minChars, int seconds, WaitForm form,
                                      LateAnswer late)
{
    WholeSecondClock &clock = link.clock();
    const qint64 start = clock.now();
    const qint64 deadline = start + seconds;
    const auto beforeDeadline = [&](qint64 reading) {
        return form == WaitForm::Strict ? reading < deadline : reading <= deadline;
    };

    qint64 reading = start;
    while (beforeDeadline(reading)) {
        reading = clock.now();
        DeviceLink::yieldOnce();
        LinkChannel *channel = link.channel();
        if (!channel)
            return std::nullopt; // the link was closed during the wait
        if (channel->bytesWaiting() >= minChars) {
            QByteArray text = channel->readWaiting();
            if (late == LateAnswer::Rejected && !beforeDeadline(reading))
                return std::nullopt;
            return text;
        }
        // The pass whose own reading is past the deadline is the last one.
        if (!beforeDeadline(reading))
            break;
        clock.sleepUntilEventOrNextSecond();
    }
    return std::nullopt;
}
