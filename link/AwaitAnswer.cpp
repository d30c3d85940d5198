#include "link/AwaitAnswer.h"

#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"

namespace {

bool answerComplete(LinkChannel &channel, int minChars, const QByteArray &marker)
{
    if (marker.isEmpty())
        return channel.bytesWaiting() >= minChars;
    const QByteArray text = channel.peekWaiting();
    const qsizetype start = text.indexOf(marker);
    if (start >= 0)
        return text.size() - start >= minChars;
    // A marker cut between two reads ("...$Z" of "$ZW") is still coming.
    for (qsizetype cut = 1; cut < marker.size(); ++cut)
        if (text.endsWith(marker.left(cut)))
            return false;
    // No marker: the text is read from its first character, as an answer
    // that lacks only its leading "%" or "$". Once that length is there the
    // caller can judge it, good or wrong, without waiting for the deadline.
    return text.size() >= minChars - 1;
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
        if (answerComplete(*channel, minChars, marker)) {
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
