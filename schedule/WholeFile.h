#pragma once

#include "schedule/Result.h"

#include <QByteArray>
#include <QString>

class QFile;

// The one reader of the texts a person hands in (schedule texts, site
// files) and the one writer of whole output files.

// All bytes of an open file (standard input too), refused past `largest`
// bytes. The failure follows the file's name: "is larger than N bytes; KIND
// is far smaller" (KIND: "a schedule's text"), or "cannot be read: why".
Result<QByteArray> readCapped(QFile &file, qint64 largest, const QString &kind);
// The same for the file at `path`.
Result<QByteArray> readCappedFile(const QString &path, qint64 largest, const QString &kind);

// Writes the bytes to a temporary file beside `path` and renames it over
// `path` once complete, so a reader finds the old file or the new one,
// never half of one. The system's reason when it failed; `path` is then
// as it was.
Result<> writeWholeFile(const QString &path, const QByteArray &bytes);
