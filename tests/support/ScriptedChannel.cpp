#include "support/ScriptedChannel.h"

#include <algorithm>

namespace {
class ForwardingChannel final : public LinkChannel
{
public:
    explicit ForwardingChannel(ScriptedChannel &script) : m_script(script) { }
    LinkTransport transport() const override { return m_script.transport(); }
    qint64 bytesWaiting() override { return m_script.bytesWaiting(); }
    QByteArray readWaiting() override { return m_script.readWaiting(); }
    QByteArray peekWaiting() override { return m_script.peekWaiting(); }
    void discardInput() override { m_script.discardInput(); }
    bool checkPort() override { return m_script.checkPort(); }
    void send(const QByteArray &frame) override { m_script.send(frame); }

private:
    ScriptedChannel &m_script;
};
} // namespace

DeviceLink::ChannelFactory ScriptedChannel::standIn()
{
    return [this](const LinkSettings &settings) -> std::unique_ptr<LinkChannel> {
        if (settings.transport != m_transport)
            return nullptr;
        return std::make_unique<ForwardingChannel>(*this);
    };
}

void ScriptedChannel::moveDueDeliveries()
{
    std::stable_sort(m_scheduled.begin(), m_scheduled.end(), [](const Delivery &a, const Delivery &b) { return a.atMs < b.atMs; });
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
    return std::exchange(m_received, {});
}

void ScriptedChannel::discardInput()
{
    if (m_transport != LinkTransport::Serial)
        return;
    ++m_discards;
    readWaiting();
}

void ScriptedChannel::send(const QByteArray &frame)
{
    if (m_transport == LinkTransport::Serial)
        readWaiting();
    m_sent.append(frame);
    m_sendTimes.append(m_clock.ms());
    if (!m_replies.isEmpty()) {
        const Delivery reply = m_replies.takeFirst();
        deliverAt(m_clock.ms() + reply.atMs, reply.bytes);
    } else if (!m_every.isEmpty()) {
        deliverAt(m_clock.ms() + m_every.first().atMs, m_every.first().bytes);
    }
}
