#include "schedule/InPlaceRecordWrite.h"

#include "schedule/FileFailureText.h"

#include <QFile>

#include <cerrno>

Result<> writeRecordInPlace(const QString &path, const QByteArray &record)
{
    QFile file(path);
    errno = 0;
    // ReadWrite without Truncate: bytes beyond the record stay where they are.
    if (!file.open(QIODevice::ReadWrite))
        return failure(fileFailureCause(errno, file.errorString()));
    if (file.write(record) != record.size() || !file.flush())
        return failure(fileFailureCause(errno, file.errorString()));
    if (file.size() < record.size())
        return failure(shortWriteCause(file.size(), record.size()));
    return {};
}
