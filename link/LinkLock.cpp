#include "link/LinkLock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype LongestLockName = 160;
constexpr qint64 LongestHolderText = 256;

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

// One lock file open in this process, shared by every take of its name.
QHash<QString, std::weak_ptr<void>> &openLocks()
{
    static QHash<QString, std::weak_ptr<void>> locks;
    return locks;
}

Result<> makeFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    int made = ::mkdir(path.constData(), 01777);
    if (made != 0 && errno == ENOENT && QDir().mkpath(QFileInfo(folder).absolutePath()))
        made = ::mkdir(path.constData(), 01777);
    if (made == 0) {
        ::chmod(path.constData(), 01777); // past the umask: every user's programs share it
        return {};
    }
    if (errno == EEXIST)
        return {};
    return failure(QStringLiteral("the lock folder %1 cannot be made: %2").arg(folder, systemError(errno)));
}

// In a sticky folder, a file another user made may not be opened with
// O_CREAT (protected_regular), so an existing file is opened without it.
int openLockFile(const QByteArray &path)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        if (fd < 0 && errno == EACCES)
            fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY); // flock needs no write access
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            ::fchmod(fd, 0666);
            return fd;
        }
        if (errno != EEXIST)
            return fd;
    }
    return -1;
}

LockHolder readHolder(const QByteArray &path)
{
    LockHolder holder;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return holder;
    char buffer[LongestHolderText];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    static const QRegularExpression line(QStringLiteral("^([^\\n]{1,100}) (\\d{1,10})\\n"));
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(buffer, n > 0 ? n : 0));
    if (match.hasMatch()) {
        holder.program = match.captured(1);
        holder.pid = match.captured(2).toLongLong();
    }
    return holder;
}

QString programName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("?") : name.simplified();
}

} // namespace

struct LinkLock::Handle
{
    int fd = -1;
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd); // also releases the flock
    }
};

Result<> LinkLock::take(const QString &name)
{
    release();
    m_refusedBy.reset();
    const QString folder = lockFolder();
    const QString filePath = QDir(folder).filePath(name);
    if (const std::shared_ptr<void> shared = openLocks().value(filePath).lock()) {
        m_handle = std::static_pointer_cast<Handle>(shared);
        return {};
    }
    if (const Result<> made = makeFolder(folder); !made)
        return made;
    const QByteArray path = QFile::encodeName(filePath);
    auto handle = std::make_shared<Handle>();
    handle->fd = openLockFile(path);
    if (handle->fd < 0)
        return failure(QStringLiteral("the lock file %1 cannot be opened: %2").arg(filePath, systemError(errno)));
    if (::flock(handle->fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return failure(QStringLiteral("the lock file %1 cannot be locked: %2").arg(filePath, systemError(errno)));
        m_refusedBy = readHolder(path);
        return failure(QStringLiteral("in use by %1 (lock %2)").arg(holderText(*m_refusedBy), filePath));
    }
    const QByteArray text = (programName() + u' ' + QString::number(::getpid()) + u'\n').toUtf8();
    // A file opened read-only keeps its last holder's words; the lock holds all the same.
    const bool named = ::ftruncate(handle->fd, 0) == 0 && ::pwrite(handle->fd, text.constData(), size_t(text.size()), 0) == text.size();
    Q_UNUSED(named)
    openLocks().insert(filePath, handle);
    m_handle = std::move(handle);
    return {};
}

void LinkLock::release()
{
    m_handle.reset();
}

QString lockFolder()
{
    const QString given = qEnvironmentVariable("ZIL_LOCK_DIR");
    return given.isEmpty() ? QStringLiteral("/run/lock/zilsistemi") : given;
}

QString lockName(const QString &kind, const QString &target)
{
    QString name = target;
    while (name.startsWith(u'/'))
        name.remove(0, 1);
    name.replace(u'/', u'-');
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || c == u'\x7f')
            c = u'_';
    }
    name = kind + u'-' + name;
    if (name.toUtf8().size() > LongestLockName) {
        const QByteArray digest = QCryptographicHash::hash(target.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
        while (name.toUtf8().size() > LongestLockName - 17)
            name.chop(1);
        name += u'-' + QString::fromLatin1(digest);
    }
    return name;
}

QString linkLockName(const LinkSettings &link)
{
    if (link.transport == LinkTransport::Serial) {
        const QString canonical = QFileInfo(link.serialDevice).canonicalFilePath();
        return lockName(QStringLiteral("serial"), canonical.isEmpty() ? link.serialDevice : canonical);
    }
    QString host = link.host.trimmed();
    const qsizetype percent = host.indexOf(u'%');
    QHostAddress address;
    if (address.setAddress(host.left(percent < 0 ? host.size() : percent)))
        host = address.toString() + (percent < 0 ? QString() : host.mid(percent));
    else
        host = host.toLower();
    if (host.contains(u':'))
        host = u'[' + host + u']';
    return lockName(QStringLiteral("tcp"), host + u'-' + QString::number(link.tcpPort));
}

QString holderText(const LockHolder &holder)
{
    if (holder.program.isEmpty())
        return QStringLiteral("another program");
    return QStringLiteral("%1 (process %2)").arg(holder.program).arg(holder.pid);
}
