#include "SerialLine.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zilsim {

namespace {

bool setFlags(int fd)
{
    const int status = ::fcntl(fd, F_GETFL);
    const int descriptor = ::fcntl(fd, F_GETFD);
    return status >= 0 && descriptor >= 0 && ::fcntl(fd, F_SETFL, status | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, descriptor | FD_CLOEXEC) == 0;
}

QString systemError(const char *step)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)));
}

constexpr int ReadChunk = 4096;
constexpr int HangUpRetryMs = 200;

} // namespace

SerialLine::SerialLine(QObject *parent) : AnswerChannel(parent) { }

SerialLine::~SerialLine()
{
    closeAll();
}

bool SerialLine::open(QString *error)
{
    closeAll();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        if (error)
            *error = systemError("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || ::ptsname_r(m_master, name, sizeof name) != 0 || !setFlags(m_master)) {
        if (error)
            *error = systemError("pseudo-terminal set-up");
        closeAll();
        return false;
    }
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios mode{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &mode) != 0) {
        if (error)
            *error = systemError("pseudo-terminal slave");
        closeAll();
        return false;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    ::cfmakeraw(&mode);
    ::tcsetattr(m_slave, TCSANOW, &mode);
    m_devicePath = QString::fromLocal8Bit(name);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SerialLine::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SerialLine::flushPending);
    return true;
}

void SerialLine::readMaster()
{
    QByteArray received;
    char chunk[ReadChunk];
    for (;;) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            received.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // Hang-up or error: rest a moment instead of spinning on it.
            m_readNotifier->setEnabled(false);
            QTimer::singleShot(HangUpRetryMs, this, [this] {
                if (m_readNotifier)
                    m_readNotifier->setEnabled(true);
            });
        }
        break;
    }
    if (!received.isEmpty())
        takeBytes(received);
}

void SerialLine::writeBytes(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    m_pending += bytes;
    if (m_pending.size() > MaxPendingOutput)
        m_pending.remove(0, m_pending.size() - MaxPendingOutput);
    flushPending();
}

void SerialLine::flushPending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            m_pending.clear(); // the line is gone; nothing to wait for
        break;
    }
    m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void SerialLine::closeAll()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_devicePath.clear();
    m_pending.clear();
}

} // namespace zilsim
