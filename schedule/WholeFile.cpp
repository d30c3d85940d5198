#include "schedule/WholeFile.h"

#include "schedule/FileFailureText.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>

Result<QByteArray> readCapped(QFile &file, qint64 largest, const QString &kind)
{
    const QByteArray bytes = file.read(largest + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    if (bytes.size() > largest)
        return failure(QStringLiteral("is larger than %1 bytes; %2 is far smaller").arg(largest).arg(kind));
    return bytes;
}

Result<QByteArray> readCappedFile(const QString &path, qint64 largest, const QString &kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    return readCapped(file, largest, kind);
}

Result<> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    errno = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return failure(error);
    }
    // A short write (a full disk, a size limit) can slip through the
    // buffered device unreported; the size on disk tells the truth.
    if (file.size() != bytes.size()) {
        file.cancelWriting();
        return failure(shortWriteCause(file.size(), bytes.size()));
    }
    if (!file.commit())
        return failure(file.errorString());
    return {};
}
