#pragma once

#include <QString>

// Why a file could not be stored, told in Turkish for the causes an operator
// can act on (no permission, disk full, folder missing); for any other cause
// the system's own text.
QString fileFailureCause(int errorNumber, const QString &systemText);

// A short write that no call reported: the disk filled up or a size limit hit.
QString shortWriteCause(qint64 written, qint64 expected);
