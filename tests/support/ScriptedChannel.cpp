#include "support/ScriptedChannel.h"

#include "link/DeviceLink.h"
#include "support/FakeClock.h"

#include <algorithm>

namespace {
class ForwardingChannel final : public LinkChannel
{
public:
    explicit ForwardingChannel(ScriptedChannel &script) : m_script(script) {}
    LinkTransport transport() const override { return m_script.transport(); }
    qint64 bytesWaiting() override { return m_script.bytesWaiting(); }
    QByteArray readWaiting() override { return m_script.readWaiting(); }
    bool checkPort() override { return m_script.checkPort(); }
    void discardBuffers() override { m_script.discardBuffers(); }
    void send(const QByteArray &bytes) override { m_script.send(bytes); }

private:
    ScriptedChannel &m_script;
};
} // namespace

ScriptedChannel::ScriptedChannel(FakeClock &clock, LinkTransport transport)
    : m_clock(clock)
    , m_transport(transport)
{
}

ScriptedChannel::~ScriptedChannel() = default;

void ScriptedChannel::attachTo(DeviceLink &link)
{
    link.attachChannel(std::make_unique<ForwardingChannel>(*this));
}

void ScriptedChannel::deliverAt(qint64 atMs, const QByteArray &bytes)
{
    m_scheduled.append({atMs, bytes});
}

void ScriptedChannel::deliverNow(const QByteArray &bytes)
{
    m_received += bytes;
}

void ScriptedChannel::replyToSend(const QByteArray &bytes, qint64 delayMs)
{
    m_replies.append({bytes, delayMs});
}

void ScriptedChannel::replyToEverySend(const QByteArray &bytes, qint64 delayMs)
{
    m_everyReply = std::make_unique<Reply>(Reply{bytes, delayMs});
}

qint64 ScriptedChannel::pendingBytes() const
{
    qint64 count = m_received.size();
    for (const Delivery &delivery : m_scheduled)
        count += delivery.bytes.size();
    return count;
}

void ScriptedChannel::moveDueDeliveries()
{
    // Deliveries become readable in the order of their times.
    std::stable_sort(m_scheduled.begin(), m_scheduled.end(),
                     [](const Delivery &a, const Delivery &b) { return a.atMs < b.atMs; });
    while (!m_scheduled.isEmpty() && m_scheduled.first().atMs <= m_clock.ms())
        m_received += m_scheduled.takeFirst().bytes;
}

qint64 ScriptedChannel::bytesWaiting()
{
    moveDueDeliveries();
    return m_received.size();
}

QByteArray ScriptedChannel::readWaiting()
{
    moveDueDeliveries();
    ++m_reads;
    QByteArray bytes;
    bytes.swap(m_received);
    return bytes;
}

bool ScriptedChannel::checkPort()
{
    return m_transport == LinkTransport::Tcp || m_portCheckPasses;
}

void ScriptedChannel::discardBuffers()
{
    ++m_discards;
    if (m_transport != LinkTransport::Serial)
        return;
    moveDueDeliveries();
    m_received.clear();
}

void ScriptedChannel::send(const QByteArray &bytes)
{
    m_sent.append(bytes);
    m_sendTimes.append(m_clock.ms());
    if (!m_replies.isEmpty()) {
        const Reply reply = m_replies.takeFirst();
        deliverAt(m_clock.ms() + reply.delayMs, reply.bytes);
    } else if (m_everyReply) {
        deliverAt(m_clock.ms() + m_everyReply->delayMs, m_everyReply->bytes);
    }
}
