#include "StopSignals.h"

#include "ExitCode.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t signalWriteFd = -1;
volatile sig_atomic_t signalsSeen = 0;

// Async-signal-safe calls only.
extern "C" void onStopSignal(int)
{
    if (signalsSeen != 0)
        _exit(exitStatus(ExitCode::Interrupted));
    signalsSeen = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteFd, &byte, 1);
}

void handleStopSignals(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no pipe: the signals keep their default, which ends the process
    signalsSeen = 0;
    signalWriteFd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    handleStopSignals(onStopSignal);
}

StopSignals::~StopSignals()
{
    if (!m_notifier)
        return;
    handleStopSignals(SIG_DFL);
    signalWriteFd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void StopSignals::readPipe()
{
    char bytes[16];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_requested)
        return;
    m_requested = true;
    emit requested();
}
