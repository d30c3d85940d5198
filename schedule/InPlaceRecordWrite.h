#pragma once

#include <QByteArray>
#include <QString>

#include "schedule/Result.h"

// Overwrites the start of an existing file with the record, keeping the rest:
// for a folder that takes no new files but holds the file writable. It cannot
// swap in a finished copy, so it writes over the old bytes, which on a file
// already as long as the record needs no new disk space.
// A failure says what went wrong.
Result<> writeRecordInPlace(const QString &path, const QByteArray &record);
