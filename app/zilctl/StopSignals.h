#pragma once

#include <QObject>

class QSocketNotifier;

// Ctrl-C (SIGINT) and SIGTERM as an event of the event loop. The handler only
// writes a byte into a pipe; the loop reads it, in one of the waits of the
// device work, and emits requested(). A second signal ends the process at
// once with the exit code for an interruption. One instance at a time; the
// default handling comes back when it goes.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    bool stopRequested() const { return m_requested; }

signals:
    void requested();

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    bool m_requested = false;
};
