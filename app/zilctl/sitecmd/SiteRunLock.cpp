#include "sitecmd/SiteRunLock.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace {
// How often a queued run looks whether the lock is free.
constexpr int PollMilliseconds = 200;
} // namespace

Result<> takeSiteRunLock(LinkLock &lock, const QString &sitePath, int waitSeconds)
{
    const QString canonical = QFileInfo(sitePath).canonicalFilePath();
    const QString name = lockName(QStringLiteral("site"), canonical.isEmpty() ? sitePath : canonical);
    const QDeadlineTimer deadline{std::chrono::seconds(waitSeconds)};
    for (;;) {
        const Result<> taken = lock.take(name);
        if (taken || !lock.refusedBy())
            return taken;
        if (deadline.hasExpired())
            break;
        QThread::msleep(std::min<qint64>(PollMilliseconds, std::max<qint64>(1, deadline.remainingTime())));
    }
    const QString holder = holderText(*lock.refusedBy());
    if (waitSeconds == 0)
        return failure(
            QStringLiteral("%1 is being worked by %2; nothing was contacted (--wait SECONDS queues behind it)").arg(sitePath, holder));
    return failure(
        QStringLiteral("%1 is still being worked by %2 after waiting %3 s; nothing was contacted").arg(sitePath, holder).arg(waitSeconds));
}
