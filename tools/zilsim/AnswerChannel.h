#pragma once

#include "ControllerAnswer.h"
#include "FrameSplitter.h"

#include <QList>
#include <QObject>
#include <QTimer>

namespace zilsim {

// One link to the controller (a TCP connection or the serial line): cuts
// what arrives into frames, keeps the link's session and writes answers in
// order, each step after its pause.
class AnswerChannel : public QObject
{
    Q_OBJECT

public:
    // Steps beyond this many waiting are dropped, so a flood of frames with
    // late answers cannot grow the queue without bound.
    static constexpr int MaxQueuedSteps = 4096;

    explicit AnswerChannel(QObject *parent = nullptr);

    SessionState &session() { return m_session; }
    void deliver(const QList<DeliveryStep> &steps);
    virtual bool isTcp() const = 0;

signals:
    void frameReceived(const QByteArray &frame);
    void answerWritten(const QByteArray &bytes);

protected:
    void takeBytes(const QByteArray &bytes);
    virtual void writeBytes(const QByteArray &bytes) = 0;
    virtual void dropLink() = 0;

private:
    void sendDueSteps();

    FrameSplitter m_splitter;
    SessionState m_session;
    QList<DeliveryStep> m_queue;
    QTimer m_stepTimer;
    bool m_frontStepWaited = false;
};

} // namespace zilsim
