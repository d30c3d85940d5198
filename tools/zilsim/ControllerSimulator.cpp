#include "ControllerSimulator.h"

#include "ControllerState.h"
#include "DeliveryPlan.h"
#include "ProgramModeAnswers.h"
#include "RecordDeviceAnswers.h"
#include "SerialLine.h"
#include "TcpConnection.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

using namespace zilsim;

struct ControllerSimulator::Impl
{
    ControllerSimulator *q;
    ControllerState state;
    Faults faults;
    qint64 framesSinceFaults = 0;
    QList<QByteArray> log;
    int connections = 0; // accepted since the log was cleared
    QTcpServer server;
    SerialLine *serial = nullptr;

    explicit Impl(ControllerSimulator *owner) : q(owner) { }

    void attach(AnswerChannel *channel)
    {
        QObject::connect(channel, &AnswerChannel::frameReceived, q, [this, channel](const QByteArray &frame) { onFrame(channel, frame); });
        QObject::connect(channel, &AnswerChannel::answerWritten, q, &ControllerSimulator::answerSent);
    }

    void acceptConnections()
    {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            ++connections;
            auto *connection = new TcpConnection(socket, q);
            attach(connection);
            QObject::connect(connection, &TcpConnection::closed, connection, &QObject::deleteLater);
        }
    }

    void onFrame(AnswerChannel *channel, const QByteArray &frame)
    {
        if (log.size() >= MaxLoggedFrames)
            log.removeFirst();
        log.append(frame);
        const bool faulty = framesSinceFaults++ >= faults.afterFrames;
        QPointer<AnswerChannel> guard(channel);
        emit q->frameReceived(frame);
        if (!guard)
            return;

        Faults active = faulty ? faults : Faults{};
        const Answer answer = state.model == 0
                                  ? answerProgramModeFrame(frame, state, channel->session(), active.wrongStatus, active.noProgramAck)
                                  : answerRecordFrame(frame, state, active.wrongStatus);
        if (!channel->isTcp() && active.dropConnection)
            active.silent = true; // a serial line cannot be dropped: it falls silent
        channel->deliver(planDelivery(answer, active));
    }
};

ControllerSimulator::ControllerSimulator(QObject *parent) : QObject(parent), d(std::make_unique<Impl>(this))
{
    connect(&d->server, &QTcpServer::newConnection, this, [this] { d->acceptConnections(); });
}

ControllerSimulator::~ControllerSimulator()
{
    // The links go first: they report to the state that goes with d.
    d->server.close();
    qDeleteAll(findChildren<AnswerChannel *>(Qt::FindDirectChildrenOnly));
    d->serial = nullptr;
}

bool ControllerSimulator::listenTcp(quint16 port)
{
    if (d->server.isListening())
        d->server.close();
    return d->server.listen(QHostAddress::LocalHost, port);
}

quint16 ControllerSimulator::tcpPort() const
{
    return d->server.isListening() ? d->server.serverPort() : 0;
}

bool ControllerSimulator::openSerial()
{
    delete d->serial;
    d->serial = new SerialLine(this);
    QString error;
    if (!d->serial->open(&error)) {
        qWarning("serial line: %s", qPrintable(error));
        delete d->serial;
        d->serial = nullptr;
        return false;
    }
    d->attach(d->serial);
    return true;
}

QString ControllerSimulator::serialDevicePath() const
{
    return d->serial ? d->serial->devicePath() : QString();
}

void ControllerSimulator::setModel(int deviceVersion)
{
    d->state.model = qBound(0, deviceVersion, 4);
}

int ControllerSimulator::model() const
{
    return d->state.model;
}

QByteArray ControllerSimulator::memory() const
{
    return d->state.memory;
}

void ControllerSimulator::setMemory(const QByteArray &bytes)
{
    // Always 8192 bytes: a shorter image is padded with zeros, a longer one cut.
    QByteArray image = bytes.left(ControllerState::MemorySize);
    image.append(QByteArray(ControllerState::MemorySize - image.size(), '\0'));
    d->state.memory = image;
}

ControllerSimulator::SlotRecord ControllerSimulator::record(int day, int slot) const
{
    if (!ControllerState::validSlot(day, slot))
        return {};
    return d->state.record(day, slot);
}

void ControllerSimulator::setRecord(int day, int slot, const SlotRecord &record)
{
    if (ControllerState::validSlot(day, slot))
        d->state.record(day, slot) = record;
}

void ControllerSimulator::setClock(const QDateTime &clock)
{
    d->state.clock.set(clock);
}

QDateTime ControllerSimulator::clock() const
{
    return d->state.clock.now();
}

int ControllerSimulator::relayTests() const
{
    return d->state.relayTests;
}

int ControllerSimulator::lastRelaySeconds() const
{
    return d->state.lastRelaySeconds;
}

void ControllerSimulator::setFaults(const Faults &faults)
{
    d->faults = faults;
    d->framesSinceFaults = 0;
}

QList<QByteArray> ControllerSimulator::receivedFrames() const
{
    return d->log;
}

int ControllerSimulator::connectionsAccepted() const
{
    return d->connections;
}

void ControllerSimulator::clearLog()
{
    d->log.clear();
    d->connections = 0;
}
