#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <memory>

// A stand-in for the bell controller of every model, for trying the program
// and for its tests. It listens on TCP at 127.0.0.1 and serves a
// pseudo-terminal as its serial line, keeps the controller's state, answers
// every command, logs every frame it receives and injects faults on request.
class ControllerSimulator : public QObject
{
    Q_OBJECT

public:
    struct SlotRecord
    {
        int used = 0;     // 0 or 1
        int duration = 0; // 0..99
        int hour = 0;     // 0..23
        int minute = 0;   // 0..59
    };

    // Faults apply to the answers of frames received after `afterFrames`
    // frames (0 = from the first frame on), counted from setFaults().
    struct Faults
    {
        int afterFrames = 0;
        bool silent = false;         // no answer at all
        bool wrongStatus = false;    // status "N" / wrong letters / no PICOKXXX
        QByteArray noiseBefore;      // sent before every answer
        int answerDelayMs = 0;       // answer sent this late
        bool shortAnswer = false;    // answer one character short
        bool dropConnection = false; // TCP: close the connection instead of answering
        bool noProgramAck = false;   // "%CM" requests never acknowledged
        int chunkSize = 0;           // > 0: answers trickle out in chunks this big
        bool withoutMarker = false;  // answers lack their leading "%" or "$"
    };

    explicit ControllerSimulator(QObject *parent = nullptr);
    ~ControllerSimulator() override;

    // 0 = any free port; the port in use is tcpPort().
    bool listenTcp(quint16 port = 0);
    quint16 tcpPort() const;
    // Opens a pseudo-terminal; serialDevicePath() names its device.
    bool openSerial();
    QString serialDevicePath() const;

    // 0 = "V1" (program mode, block memory), 1..4 = record models.
    void setModel(int deviceVersion);
    int model() const;

    // "V1" schedule memory, 8192 bytes.
    QByteArray memory() const;
    void setMemory(const QByteArray &bytes);
    // Record models: day 1..7, slot 1..64.
    SlotRecord record(int day, int slot) const;
    void setRecord(int day, int slot, const SlotRecord &record);

    // The controller's clock runs from this value at the time it was set.
    void setClock(const QDateTime &clock);
    QDateTime clock() const;
    int relayTests() const;       // how many relay tests were fired
    int lastRelaySeconds() const; // seconds field of the last one

    void setFaults(const Faults &faults);

    // Every frame received, in order, exactly as it arrived (TCP repeats
    // included): from its "%" up to and including its carriage return; line
    // noise before the "%" is no part of a frame.
    QList<QByteArray> receivedFrames() const;
    // TCP connections accepted since the log was last cleared.
    int connectionsAccepted() const;
    void clearLog();

    // The log keeps at most this many frames, dropping the oldest.
    static constexpr int MaxLoggedFrames = 100000;

signals:
    void frameReceived(const QByteArray &frame);
    // Bytes just written to a link (a whole answer, or one chunk of it).
    void answerSent(const QByteArray &bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
