#include "schedule/RecordFile.h"

#include "schedule/FileFailureText.h"
#include "schedule/InPlaceRecordWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

QByteArray readRecordPrefix(const QString &path, qsizetype maxBytes)
{
    QFile file(path);
    if (!file.exists()) {
        if (file.open(QIODevice::WriteOnly))
            file.close();
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

Result<> writeRecordKeepingTail(const QString &path, const QByteArray &record)
{
    errno = 0;
    QByteArray tail;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return failure(fileFailureCause(errno, old.errorString()));
        if (old.size() > record.size()) {
            if (!old.seek(record.size()))
                return failure(fileFailureCause(errno, old.errorString()));
            tail = old.readAll();
            if (tail.size() != old.size() - record.size())
                return failure(fileFailureCause(errno, old.errorString()));
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString cause = fileFailureCause(errno, file.errorString());
        if (QFileInfo(path).isWritable())
            return writeRecordInPlace(path, record);
        return failure(cause);
    }
    const qint64 expected = record.size() + tail.size();
    if (file.write(record) != record.size() || file.write(tail) != tail.size() || !file.flush()) {
        const QString error = fileFailureCause(errno, file.errorString());
        file.cancelWriting();
        return failure(error);
    }
    // A short write (a full disk, a size limit) can slip through the buffered
    // device unreported; the size on disk tells the truth.
    if (file.size() != expected) {
        file.cancelWriting();
        return failure(shortWriteCause(file.size(), expected));
    }
    if (!file.commit())
        return failure(fileFailureCause(errno, file.errorString()));
    return {};
}
