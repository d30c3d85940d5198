#include "sitecmd/PageFileNames.h"

#include <QSet>

namespace {

// Well under the 255 bytes a file name may take, with room for "-2.pdf".
constexpr qsizetype LongestNameBytes = 200;
const QString Unsafe = QStringLiteral("/\\:*?\"<>|");

QString safeName(const QString &controller)
{
    QString name;
    for (const QChar c : controller)
        name += c.category() == QChar::Other_Control || Unsafe.contains(c) ? u'_' : c;
    name = name.trimmed();
    // Neither hidden, nor "." or "..".
    for (qsizetype i = 0; i < name.size() && name[i] == u'.'; ++i)
        name[i] = u'_';
    while (name.toUtf8().size() > LongestNameBytes)
        name.chop(name.size() > 1 && name[name.size() - 1].isLowSurrogate() ? 2 : 1);
    return name.isEmpty() ? QStringLiteral("cihaz") : name;
}

} // namespace

QStringList pageFileNames(const QStringList &controllers)
{
    QStringList names;
    QSet<QString> taken; // in lower case
    for (const QString &controller : controllers) {
        const QString base = safeName(controller);
        QString name = base;
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = QStringLiteral("%1-%2").arg(base).arg(n);
        taken.insert(name.toLower());
        names << name + QStringLiteral(".pdf");
    }
    return names;
}
