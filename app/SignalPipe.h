#pragma once

#include <QList>
#include <QObject>
#include <initializer_list>
#include <optional>

class QSocketNotifier;

// POSIX signals as events of the event loop, Qt's self-pipe pattern: the
// handler only writes a byte into a pipe; the loop reads it, in one of the
// waits of the device work or in its own, and emits arrived(). With
// `exitOnSecond`, a second signal ends the process at once with that status.
// One instance at a time; the default handling comes back when it goes.
class SignalPipe : public QObject
{
    Q_OBJECT

public:
    SignalPipe(std::initializer_list<int> signalNumbers, std::optional<int> exitOnSecond = std::nullopt, QObject *parent = nullptr);
    ~SignalPipe() override;

    // A signal has arrived since the pipe was made.
    bool hasArrived() const { return m_arrived; }

    // From the first signal on, a second one waits for release() before it
    // ends the process: work the first one started (storing files) is done.
    void holdSecondUntilReleased();
    // Lets a second signal end the process; ends it now when one has come.
    void release();

signals:
    void arrived();

private:
    void readPipe();
    void handle(void (*handler)(int));

    QList<int> m_signals;
    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    bool m_arrived = false;
};
