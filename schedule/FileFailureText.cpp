#include "schedule/FileFailureText.h"

#include <cerrno>

QString fileFailureCause(int errorNumber, const QString &systemText)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("Yazma izni yok.");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("Diskte yer kalmadı.");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("Klasör bulunamadı.");
    default: return systemText;
    }
}

QString shortWriteCause(qint64 written, qint64 expected)
{
    return QStringLiteral("%1 baytın yalnızca %2 baytı yazılabildi; disk dolmuş olabilir.").arg(expected).arg(written);
}
