#include "support/ScriptedChannel.h"

#include <algorithm>

namespace {
class ForwardingChannel final : public LinkChannel
{
    ScriptedChannel &m_script;

public:
    explicit ForwardingChannel(ScriptedChannel &script) : m_script(script) { }
    LinkTransport transport() const override { return m_script.transport(); }
    qint64 bytesWaiting() override { return m_script.bytesWaiting(); }
    QByteArray readWaiting() override { return m_script.readWaiting(); }
    QByteArray peekWaiting() override { return m_script.peekWaiting(); }
    void discardInput() override { m_script.discardInput(); }
    bool checkPort() override { return m_script.checkPort(); }
    void send(const QByteArray &frame) override { m_script.send(frame); }
};
} // namespace

DeviceLink::ChannelFactory ScriptedChannel::standIn()
{
    return [this](const LinkSettings &settings) -> std::unique_ptr<LinkChannel> {
        return settings.transport == m_transport ? std::make_unique<ForwardingChannel>(*this) : nullptr;
    };
}

const QByteArray &ScriptedChannel::moveDueDeliveries()
{
    std::stable_sort(m_scheduled.begin(), m_scheduled.end(), [](const Delivery &a, const Delivery &b) { return a.first < b.first; });
    while (!m_scheduled.isEmpty() && m_scheduled.first().first <= m_clock.ms())
        m_received += m_scheduled.takeFirst().second;
    return m_received;
}

void ScriptedChannel::send(const QByteArray &frame)
{
    discardInput();
    m_sent.append(frame);
    m_sendTimes.append(m_clock.ms());
    if (!m_replies.isEmpty()) {
        const Delivery reply = m_replies.takeFirst();
        deliverAt(m_clock.ms() + reply.first, reply.second);
    } else if (!m_every.isEmpty()) {
        deliverAt(m_clock.ms() + m_every.first().first, m_every.first().second);
    }
}
