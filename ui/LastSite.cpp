#include "ui/LastSite.h"

#include <QSettings>

namespace {
const QString LastSiteKey = QStringLiteral("site/lastFile");
}

QString lastSitePath()
{
    return QSettings().value(LastSiteKey).toString();
}

void rememberSitePath(const QString &path)
{
    QSettings().setValue(LastSiteKey, path);
}
