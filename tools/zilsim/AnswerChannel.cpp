#include "AnswerChannel.h"

namespace zilsim {

AnswerChannel::AnswerChannel(QObject *parent) : QObject(parent)
{
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setTimerType(Qt::PreciseTimer); // late answers land where asked
    connect(&m_stepTimer, &QTimer::timeout, this, &AnswerChannel::sendDueSteps);
}

void AnswerChannel::deliver(const QList<DeliveryStep> &steps)
{
    for (const DeliveryStep &step : steps) {
        if (m_queue.size() >= MaxQueuedSteps)
            break;
        m_queue.append(step);
    }
    if (!m_stepTimer.isActive())
        sendDueSteps();
}

void AnswerChannel::takeBytes(const QByteArray &bytes)
{
    const QList<QByteArray> frames = m_splitter.feed(bytes);
    for (const QByteArray &frame : frames)
        emit frameReceived(frame);
}

void AnswerChannel::sendDueSteps()
{
    while (!m_queue.isEmpty()) {
        if (m_queue.front().waitMs > 0 && !m_frontStepWaited) {
            m_frontStepWaited = true;
            m_stepTimer.start(m_queue.front().waitMs);
            return;
        }
        m_frontStepWaited = false;
        const DeliveryStep step = m_queue.takeFirst();
        if (step.dropLink) {
            m_queue.clear();
            dropLink();
            return;
        }
        writeBytes(step.bytes);
        emit answerWritten(step.bytes);
    }
}

} // namespace zilsim
