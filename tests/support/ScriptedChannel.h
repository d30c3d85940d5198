#pragma once

#include "link/LinkChannel.h"

#include <QByteArray>
#include <QList>
#include <memory>

class DeviceLink;
class FakeClock;

// A controller stand-in for command tests: what it "receives" is scripted
// against the fake time of a FakeClock, and every frame sent to it is kept.
// The test owns it; attachTo() puts a forwarding channel into the link, so
// the script and its log outlive the link's CloseLink().
//
//   FakeClock clock;
//   DeviceLink link(clock);
//   ScriptedChannel device(clock, LinkTransport::Serial);
//   device.attachTo(link);
//   device.replyToSend("$ZW001O", 300);   // answer the next frame after 0.3 s
//   QCOMPARE(WriteCalendarRecord(link, 1, 5, 1, 3, 0x08, 0x30), 1);
//   QCOMPARE(device.sentFrames().first(), "%ZW0011051030830**\r");
class ScriptedChannel
{
public:
    ScriptedChannel(FakeClock &clock, LinkTransport transport);
    ~ScriptedChannel();

    void attachTo(DeviceLink &link);

    // Bytes that become readable once the fake time reaches `atMs`.
    void deliverAt(qint64 atMs, const QByteArray &bytes);
    // Bytes readable from now on.
    void deliverNow(const QByteArray &bytes);
    // Queues an answer: the next send() that finds no earlier queued answer
    // schedules it `delayMs` after the fake time of that send.
    void replyToSend(const QByteArray &bytes, qint64 delayMs = 0);
    // Every later send() is answered with these bytes after `delayMs`, once
    // the queued answers are used up.
    void replyToEverySend(const QByteArray &bytes, qint64 delayMs = 0);

    // What the port check returns (serial; the check always passes over TCP).
    void setPortCheckResult(bool passes) { m_portCheckPasses = passes; }

    QList<QByteArray> sentFrames() const { return m_sent; }
    // The fake time of every send, in the order of sentFrames().
    QList<qint64> sendTimes() const { return m_sendTimes; }
    int discardCount() const { return m_discards; }
    int readCount() const { return m_reads; }
    // Bytes delivered and not yet read or discarded, due or not.
    qint64 pendingBytes() const;

    // The LinkChannel interface, forwarded here by the attached channel.
    LinkTransport transport() const { return m_transport; }
    qint64 bytesWaiting();
    QByteArray readWaiting();
    bool checkPort();
    void discardBuffers();
    void send(const QByteArray &bytes);

private:
    struct Delivery
    {
        qint64 atMs;
        QByteArray bytes;
    };
    struct Reply
    {
        QByteArray bytes;
        qint64 delayMs;
    };
    void moveDueDeliveries();

    FakeClock &m_clock;
    LinkTransport m_transport;
    QByteArray m_received; // due, not yet read
    QList<Delivery> m_scheduled;
    QList<Reply> m_replies;
    std::unique_ptr<Reply> m_everyReply;
    QList<QByteArray> m_sent;
    QList<qint64> m_sendTimes;
    bool m_portCheckPasses = true;
    int m_discards = 0;
    int m_reads = 0;
};
