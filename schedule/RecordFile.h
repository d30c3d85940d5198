#pragma once

#include <QByteArray>
#include <QString>

#include "schedule/Result.h"

// Fixed-size binary records kept in small files in the data folder that
// DataDirectory.h chooses.

// Up to maxBytes from the start of the file. A missing file is created empty
// (the controller tool has always left an empty file behind on first start);
// an unreadable one reads as empty.
QByteArray readRecordPrefix(const QString &path, qsizetype maxBytes);

// Replaces the start of the file with the record and keeps whatever the old
// file held beyond it. The new content is written to a temporary file and
// renamed over the old one only when complete, so a failure leaves the old
// file whole. A failure says what went wrong.
Result<> writeRecordKeepingTail(const QString &path, const QByteArray &record);
