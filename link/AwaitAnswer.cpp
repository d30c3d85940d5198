#include "link/AwaitAnswer.h"

#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"

namespace {

bool answerComplete(LinkChannel &channel, int minChars, const QByteArray &marker, bool lastPass)
{
    if (channel.bytesWaiting() < minChars)
        return false;
    if (marker.isEmpty())
        return true;
    const QByteArray text = channel.peekWaiting();
    const qsizetype start = text.indexOf(marker);
    if (start < 0)
        return lastPass; // no answer of this kind: what came is refused at the deadline
    return text.size() - start >= minChars;
}

} // namespace

std::optional<QByteArray> AwaitAnswer(DeviceLink &link, int minChars, int seconds, WaitForm form, LateAnswer late, const QByteArray &marker)
{
    WholeSecondClock &clock = link.clock();
    const qint64 start = clock.now();
    const qint64 deadline = start + seconds;
    const auto beforeDeadline = [&](qint64 reading) { return form == WaitForm::Strict ? reading < deadline : reading <= deadline; };

    qint64 reading = start;
    while (beforeDeadline(reading)) {
        reading = clock.now();
        DeviceLink::yieldOnce();
        LinkChannel *channel = link.channel();
        if (!channel)
            return std::nullopt; // the link was closed during the wait
        // The pass whose own reading is past the deadline is the last one.
        const bool lastPass = !beforeDeadline(reading);
        if (answerComplete(*channel, minChars, marker, lastPass)) {
            QByteArray text = channel->readWaiting();
            if (late == LateAnswer::Rejected && lastPass)
                return std::nullopt;
            return text;
        }
        if (lastPass)
            break;
        clock.sleepUntilEventOrNextSecond();
    }
    return std::nullopt;
}
