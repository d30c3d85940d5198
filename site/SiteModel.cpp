#include "site/SiteModel.h"

QString SitePosition::toString() const
{
    QString text = file;
    if (line > 0)
        text += u':' + QString::number(line);
    if (line > 0 && column > 0)
        text += u':' + QString::number(column);
    return text;
}

const SiteSchedule *Site::schedule(const QString &name) const
{
    for (const SiteSchedule &s : schedules) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

const SiteController *Site::controller(const QString &name) const
{
    for (const SiteController &c : controllers) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}
