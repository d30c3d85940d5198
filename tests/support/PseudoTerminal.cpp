#include "support/PseudoTerminal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return;
    const char *name = nullptr;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || !(name = ptsname(m_master))) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    if (m_slaveKeeper >= 0 && tcgetattr(m_slaveKeeper, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_slaveKeeper, TCSANOW, &raw);
    }
}

PseudoTerminal::~PseudoTerminal()
{
    m_notifier.reset();
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    if (m_master >= 0)
        ::close(m_master);
}

QByteArray PseudoTerminal::readAvailable()
{
    QByteArray bytes;
    char buffer[512];
    while (m_master >= 0) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count <= 0)
            break;
        bytes.append(buffer, qsizetype(count));
    }
    return bytes;
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t count = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        done += count;
    }
}

void PseudoTerminal::answerWith(std::function<QByteArray(const QByteArray &)> answer)
{
    m_answer = std::move(answer);
    if (m_master < 0 || m_notifier)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        const QByteArray chunk = readAvailable();
        if (chunk.isEmpty())
            return;
        m_received += chunk;
        if (m_answer)
            write(m_answer(chunk));
    });
}
