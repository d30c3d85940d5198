#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGHUP (a logout or shutdown without a session manager) as an
// event of the event loop: the handler only writes a byte into a pipe, the
// loop reads it and emits requested(). One instance at a time; the default
// handling comes back when it goes.
class SessionEndSignals : public QObject
{
    Q_OBJECT

public:
    explicit SessionEndSignals(QObject *parent = nullptr);
    ~SessionEndSignals() override;

signals:
    void requested();

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
