#include "SessionEndSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t sessionWriteFd = -1;

// Async-signal-safe calls only.
extern "C" void onSessionEnd(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(sessionWriteFd, &byte, 1);
}

void handleSessionEnd(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

} // namespace

SessionEndSignals::SessionEndSignals(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no pipe: the signals keep their default, which ends the process
    sessionWriteFd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndSignals::readPipe);
    handleSessionEnd(onSessionEnd);
}

SessionEndSignals::~SessionEndSignals()
{
    if (!m_notifier)
        return;
    handleSessionEnd(SIG_DFL);
    sessionWriteFd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void SessionEndSignals::readPipe()
{
    char bytes[16];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
    emit requested();
}
