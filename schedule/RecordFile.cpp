#include "schedule/RecordFile.h"

#include <QFile>
#include <QSaveFile>

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
    QByteArray tail;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return old.errorString();
        if (old.size() > record.size()) {
            if (!old.seek(record.size()))
                return old.errorString();
            tail = old.readAll();
            if (tail.size() != old.size() - record.size())
                return old.errorString();
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const qint64 expected = record.size() + tail.size();
    if (file.write(record) != record.size() || file.write(tail) != tail.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    // A short write (a full disk, a size limit) can slip through the buffered
    // device unreported; the size on disk tells the truth.
    if (file.size() != expected) {
        file.cancelWriting();
        return QStringLiteral("only %1 of %2 bytes could be written").arg(file.size()).arg(expected);
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
