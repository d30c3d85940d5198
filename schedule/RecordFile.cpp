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

QString writeRecordKeepingTail(const QString &path, const QByteArray &record)
{
    errno = 0;
    QByteArray tail;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return fileFailureCause(errno, old.errorString());
        if (old.size() > record.size()) {
            if (!old.seek(record.size()))
                return fileFailureCause(errno, old.errorString());
            tail = old.readAll();
            if (tail.size() != old.size() - record.size())
                return fileFailureCause(errno, old.errorString());
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString cause = fileFailureCause(errno, file.errorString());
        return QFileInfo(path).isWritable() ? writeRecordInPlace(path, record) : cause;
    }
    const qint64 expected = record.size() + tail.size();
    if (file.write(record) != record.size() || file.write(tail) != tail.size() || !file.flush()) {
        const QString error = fileFailureCause(errno, file.errorString());
        file.cancelWriting();
        return error;
    }
    // A short write (a full disk, a size limit) can slip through the buffered
    // device unreported; the size on disk tells the truth.
    if (file.size() != expected) {
        file.cancelWriting();
        return shortWriteCause(file.size(), expected);
    }
    if (!file.commit())
        return fileFailureCause(errno, file.errorString());
    return {};
}
