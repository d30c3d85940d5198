#include "SignalPipe.h"

#include <QList>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t signalWriteFd = -1;
volatile sig_atomic_t signalsSeen = 0;
volatile sig_atomic_t exitStatusOnSecond = -1;
// Lock-free atomics, safe in a handler: whether the first signal holds the
// exit of a second one back until release(), and whether one is waiting.
std::atomic<int> holdAfterFirst{0};
std::atomic<int> exitHeld{0};
std::atomic<int> exitWaiting{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Async-signal-safe calls only.
extern "C" void onSignal(int)
{
    if (signalsSeen != 0 && exitStatusOnSecond >= 0) {
        exitWaiting = 1;
        if (exitHeld == 0)
            _exit(exitStatusOnSecond);
        return; // release() ends the process
    }
    signalsSeen = 1;
    if (holdAfterFirst != 0)
        exitHeld = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteFd, &byte, 1);
}

} // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers, std::optional<int> exitOnSecond, QObject *parent)
    : QObject(parent), m_signals(signalNumbers)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no pipe: the signals keep their default, which ends the process
    signalsSeen = 0;
    exitStatusOnSecond = exitOnSecond.value_or(-1);
    holdAfterFirst = 0;
    exitHeld = 0;
    exitWaiting = 0;
    signalWriteFd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalPipe::readPipe);
    handle(onSignal);
}

SignalPipe::~SignalPipe()
{
    if (!m_notifier)
        return;
    handle(SIG_DFL);
    signalWriteFd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void SignalPipe::holdSecondUntilReleased()
{
    holdAfterFirst = 1;
}

void SignalPipe::release()
{
    // Cleared before the check, as the handler sets its flag before its own:
    // one of the two sees the other and the process ends.
    exitHeld = 0;
    if (exitWaiting != 0 && exitStatusOnSecond >= 0)
        _exit(exitStatusOnSecond);
}

void SignalPipe::handle(void (*handler)(int))
{
    struct sigaction action
    { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : std::as_const(m_signals))
        sigaction(signalNumber, &action, nullptr);
}

void SignalPipe::readPipe()
{
    char bytes[16];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) { }
    m_arrived = true;
    emit arrived();
}
