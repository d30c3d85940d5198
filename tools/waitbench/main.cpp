// Measures what an answer wait costs the machine: wall time, process CPU time
// and the share of one core, against a loopback listener that never answers
// and against one that answers after 200 ms.

#include "link/AwaitAnswer.h"
#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {
constexpr int SilentWaitSeconds = 5;
constexpr int AnswerDelayMs = 200;
constexpr double TargetCorePercent = 5.0;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Measurement
{
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double corePercent() const { return wallSeconds > 0 ? 100.0 * cpuSeconds / wallSeconds : 0; }
};

// A listener on 127.0.0.1 that accepts and, when asked to, answers every
// connection once after a delay.
class LoopbackPeer
{
public:
    explicit LoopbackPeer(int answerAfterMs)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, answerAfterMs] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_peers.emplace_back(socket);
                if (answerAfterMs >= 0)
                    QTimer::singleShot(answerAfterMs, socket, [socket] { socket->write("$ZW001O\r\n"); });
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    bool listening() const { return m_server.isListening(); }

private:
    QTcpServer m_server;
    std::vector<std::unique_ptr<QTcpSocket>> m_peers;
};

bool measureWait(int answerAfterMs, Measurement &result, bool &answered)
{
    LoopbackPeer peer(answerAfterMs);
    if (!peer.listening())
        return false;
    SystemWholeSecondClock clock;
    DeviceLink link(clock);
    if (!link.ConnectTcp(QStringLiteral("127.0.0.1"), peer.port()))
        return false;

    QElapsedTimer wall;
    const double cpuBefore = processCpuSeconds();
    wall.start();
    answered = bool(AwaitAnswer(link, 9, SilentWaitSeconds, WaitForm::Strict, LateAnswer::Rejected));
    result.wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    result.cpuSeconds = processCpuSeconds() - cpuBefore;
    link.CloseLink();
    return true;
}

// The TCP connect wait against a port where nothing listens: the 10001-pass
// pause (a counted loop, busy by nature) and then the one-second poll.
Measurement measureRefusedConnect(Measurement &pause)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    SystemWholeSecondClock clock;
    DeviceLink link(clock);
    QElapsedTimer wall;
    double cpuBefore = processCpuSeconds();
    wall.start();
    DeviceLink::yieldTimes(10001);
    pause.wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    pause.cpuSeconds = processCpuSeconds() - cpuBefore;

    Measurement whole;
    cpuBefore = processCpuSeconds();
    wall.restart();
    [[maybe_unused]] const Result<> refused = link.ConnectTcp(QStringLiteral("127.0.0.1"), port);
    whole.wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    whole.cpuSeconds = processCpuSeconds() - cpuBefore;
    return whole;
}

void print(const char *name, const Measurement &m, const char *outcome)
{
    std::printf("%-30s %-13s wall %6.3f s  cpu %6.3f s  %6.2f %% of one core\n", name, outcome, m.wallSeconds, m.cpuSeconds,
                m.corePercent());
}

const char *waitOutcome(bool answered)
{
    return answered ? "answered" : "timed out";
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    Measurement silent, quick;
    bool silentAnswered = false, quickAnswered = false;
    if (!measureWait(-1, silent, silentAnswered) || !measureWait(AnswerDelayMs, quick, quickAnswered)) {
        std::fprintf(stderr, "waitbench: could not set up a loopback connection on 127.0.0.1\n");
        return 2;
    }
    print("5 s wait, never answered", silent, waitOutcome(silentAnswered));
    print("wait answered after 200 ms", quick, waitOutcome(quickAnswered));

    Measurement pause;
    const Measurement connect = measureRefusedConnect(pause);
    print("10001-pass pause alone", pause, "counted loop");
    print("connect, nothing listening", connect, "not connected");
    // rusage ticks coarsely; a difference below one tick reads as zero.
    Measurement poll{connect.wallSeconds - pause.wallSeconds, std::max(0.0, connect.cpuSeconds - pause.cpuSeconds)};
    print("  of which the connect poll", poll, "not connected");

    const bool withinTarget = silent.corePercent() < TargetCorePercent && quick.corePercent() < TargetCorePercent;
    std::printf("target: under %.0f %% of one core: %s\n", TargetCorePercent, withinTarget ? "met" : "NOT met");
    return withinTarget && !silentAnswered && quickAnswered ? 0 : 1;
}
