#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QSocketNotifier;

// A pseudo-terminal pair for serial tests: the program opens slavePath()
// with QSerialPort, the test plays the controller on the master side. The
// line is raw (no echo, no CR/NL translation), and the test keeps a slave
// descriptor of its own open so the master never sees a hang-up when the
// program closes its port.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // Everything that reached the master so far (non-blocking).
    QByteArray readAvailable();
    void write(const QByteArray &bytes);

    // Answers from the event loop: every chunk that reaches the master is
    // logged in received() and handed to `answer`; what it returns is
    // written back at once.
    void answerWith(std::function<QByteArray(const QByteArray &)> answer);
    QByteArray received() const { return m_received; }

private:
    int m_master = -1;
    int m_slaveKeeper = -1;
    QString m_slavePath;
    QByteArray m_received;
    std::function<QByteArray(const QByteArray &)> m_answer;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
