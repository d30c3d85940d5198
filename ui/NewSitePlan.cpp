#include "ui/NewSitePlan.h"

#include "schedule/CalendarText.h"
#include "schedule/DeviceModelNames.h"
#include "site/SiteFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
Result<> writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return failure(QStringLiteral("%1 yazılamadı: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return {};
}
} // namespace

QString tomlString(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            escaped += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return u'"' + escaped + u'"';
}

Result<> writeNewSite(const QString &sitePath, const QString &linkLine, DeviceModel model, const RingCalendar &calendar)
{
    const QFileInfo site(sitePath);
    const QString textName = site.completeBaseName() + QStringLiteral("-normal.csv");
    const QString textPath = site.dir().filePath(textName);
    for (const QString &path : {sitePath, textPath}) {
        if (QFileInfo::exists(path))
            return failure(QStringLiteral("%1 zaten var; yeni plan başka bir adla kaydedilmeli.").arg(QDir::toNativeSeparators(path)));
    }
    RingCalendar week = calendar;
    week.DeviceVersion = qint16(model);
    const QString text = QStringLiteral("# The site's year plan, begun from the window's schedule on %1.\n"
                                        "# Holidays and exam weeks are added in the year window (\"Yıllık plan…\").\n"
                                        "name = %2\n\n"
                                        "[schedules]\n"
                                        "normal = %3\n\n"
                                        "[[controllers]]\n"
                                        "name = \"cihaz-1\"\n"
                                        "%4\n"
                                        "model = \"%5\"\n"
                                        "schedule = \"normal\"\n")
                             .arg(QDate::currentDate().toString(Qt::ISODate), tomlString(site.completeBaseName()), tomlString(textName),
                                  linkLine, modelShortName(model));
    if (Result<> written = writeFile(textPath, calendarToText(week).toUtf8()); !written)
        return written;
    const SiteReading reading = readSiteText(text.toUtf8(), site.absoluteFilePath());
    Result<> written =
        reading.problems.isEmpty() ? writeFile(sitePath, text.toUtf8()) : Result<>(failure(reading.problems.first().toString()));
    if (!written)
        QFile::remove(textPath); // no half of a plan stays behind
    return written;
}
