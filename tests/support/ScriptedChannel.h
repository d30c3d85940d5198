#pragma once

#include "link/DeviceLink.h"
#include "support/FakeClock.h"

#include <QByteArray>
#include <QList>

// A controller stand-in for command tests: what it "receives" is scripted against the fake time of a FakeClock, and every
// frame sent to it is kept. standIn() makes forwarding channels for a link, so the script and its log outlive the link's
// CloseLink(). A serial send drops unread input, as the real port's buffer discard does.
class ScriptedChannel
{
public:
    ScriptedChannel(FakeClock &clock, LinkTransport transport) : m_clock(clock), m_transport(transport) { }

    // Stands in for the transport at every Open() of the link it is given to; a link whose transport differs from this one's does not open.
    DeviceLink::ChannelFactory standIn();

    // Bytes that become readable once the fake time reaches `atMs`.
    void deliverAt(qint64 atMs, const QByteArray &bytes) { m_scheduled.append({atMs, bytes}); }
    // Answers the next send that finds no earlier queued answer, `delayMs` after it.
    void replyToSend(const QByteArray &bytes, qint64 delayMs = 0) { m_replies.append({delayMs, bytes}); }
    // Answers every later send once the queued answers are used up.
    void replyToEverySend(const QByteArray &bytes, qint64 delayMs = 0) { m_every = {{delayMs, bytes}}; }
    void setPortCheckResult(bool passes) { m_portCheckPasses = passes; }

    QList<QByteArray> sentFrames() const { return m_sent; }
    QList<qint64> sendTimes() const { return m_sendTimes; }

    LinkTransport transport() const { return m_transport; }
    qint64 bytesWaiting() { return moveDueDeliveries().size(); }
    QByteArray readWaiting()
    {
        moveDueDeliveries();
        return std::exchange(m_received, {});
    }
    QByteArray peekWaiting() { return moveDueDeliveries(); }
    void discardInput()
    {
        if (m_transport == LinkTransport::Serial)
            readWaiting();
    }
    bool checkPort() { return m_transport == LinkTransport::Tcp || m_portCheckPasses; }
    void send(const QByteArray &frame);

private:
    using Delivery = std::pair<qint64, QByteArray>; // the fake time it is due at, its bytes
    const QByteArray &moveDueDeliveries();          // the bytes readable now

    FakeClock &m_clock;
    LinkTransport m_transport;
    QByteArray m_received;
    QList<Delivery> m_scheduled, m_replies, m_every;
    QList<QByteArray> m_sent;
    QList<qint64> m_sendTimes;
    bool m_portCheckPasses = true;
};

// A device link on a fake clock with a scripted controller attached.
struct CommandBench
{
    explicit CommandBench(LinkTransport transport, qint64 startMs = 0) : device(clock, transport)
    {
        clock.setMs(startMs);
        [[maybe_unused]] const Result<> opened = link.Open(LinkSettings{transport, {}, 0, {}, {}});
    }
    FakeClock clock;
    ScriptedChannel device;
    DeviceLink link{clock, device.standIn()};
};

// "%PICOKXXX" padded to the 28 characters that the acknowledgement wait needs.
inline QByteArray programAckAnswer()
{
    return QByteArrayLiteral("%PICOKXXX                 \r\n");
}
