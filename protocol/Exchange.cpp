#include "protocol/Exchange.h"

#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"
#include "protocol/FrameEncoding.h"

namespace {
// Drains and yields until the whole-second clock passes start + `seconds`,
// sleeping between passes.
void pauseSeconds(DeviceLink &link, int seconds)
{
    WholeSecondClock &clock = link.clock();
    const qint64 deadline = clock.now() + seconds;
    while (clock.now() <= deadline) {
        DeviceLink::yieldOnce();
        if (LinkChannel *channel = link.channel())
            channel->discardInput();
        if (clock.now() > deadline)
            break;
        clock.sleepUntilEventOrNextSecond();
    }
}
} // namespace

std::optional<QByteArray> runExchange(DeviceLink &link, const CommandRow &row, const QByteArray &frame)
{
    return runExchange(link, row, [&frame] { return frame; });
}

std::optional<QByteArray> runExchange(DeviceLink &link, const CommandRow &row, const std::function<QByteArray()> &buildFrame)
{
    if (!link.channel())
        return std::nullopt;
    for (int pass = 0; pass < row.preSendPasses; ++pass) {
        LinkChannel *channel = link.channel();
        if (row.preSend == CommandRow::DrainAndYield && channel)
            channel->discardInput();
        DeviceLink::yieldOnce();
    }
    if (row.preSendSeconds > 0)
        pauseSeconds(link, row.preSendSeconds);
    LinkChannel *channel = link.channel();
    if (!channel || (row.portCheck && !channel->checkPort()))
        return std::nullopt;
    const QByteArray frame = buildFrame();
    channel->send(channel->transport() == LinkTransport::Tcp ? repeatedForTcp(frame, row.tcpCopies) : frame);
    if (row.minChars == 0)
        return QByteArray();
    std::optional<QByteArray> answer = awaitAnswer(link, row);
    if (answer)
        DeviceLink::yieldTimes(row.afterAnswerPasses);
    return answer;
}

std::optional<QByteArray> awaitAnswer(DeviceLink &link, const CommandRow &row)
{
    return AwaitAnswer(link, row.minChars, row.seconds, row.form, row.late, QByteArray(row.marker));
}

QByteArray repeatedForTcp(const QByteArray &serialFrame, int copies)
{
    QByteArray body = serialFrame;
    if (body.endsWith(FrameTerminator))
        body.chop(1);
    return body.repeated(copies) + FrameTerminator;
}
