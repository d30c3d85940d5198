#include "link/SendSteps.h"

#include "link/DeviceLink.h"
#include "link/FrameEncoding.h"

void drainBeforeSend(DeviceLink &link, int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        discardInputOnce(link);
        DeviceLink::yieldOnce();
    }
}

void discardInputOnce(DeviceLink &link)
{
    LinkChannel *channel = link.channel();
    if (channel && channel->transport() == LinkTransport::Serial)
        channel->readWaiting();
}

bool portCheckPasses(DeviceLink &link)
{
    LinkChannel *channel = link.channel();
    return channel && channel->checkPort();
}

void sendFrame(DeviceLink &link, const QByteArray &frame)
{
    LinkChannel *channel = link.channel();
    if (!channel)
        return;
    channel->discardBuffers();
    channel->send(frame);
}

QByteArray repeatedForTcp(const QByteArray &serialFrame, int copies)
{
    QByteArray body = serialFrame;
    if (body.endsWith(FrameTerminator))
        body.chop(1);
    return body.repeated(copies) + FrameTerminator;
}

bool linkIsTcp(const DeviceLink &link)
{
    const LinkChannel *channel = link.channel();
    return channel && channel->transport() == LinkTransport::Tcp;
}
