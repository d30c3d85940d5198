#include "ScheduleFileInput.h"

#include "schedule/CalendarFile.h"

#include <QFile>
#include <QFileInfo>

Result<RingCalendar> readWholeScheduleFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return failure(QStringLiteral("schedule file %1 does not exist; save one from the window (\"Kaydet\") "
                                      "or make one with zilctl import")
                           .arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("schedule file %1 cannot be read: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.read(CalendarFileSize);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("schedule file %1 cannot be read: %2").arg(path, file.errorString()));
    RingCalendar calendar;
    overlayCalendarBytes(calendar, bytes);
    return calendar;
}

Result<std::optional<RingCalendar>> readScheduleToReplace(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return std::optional<RingCalendar>();
    const Result<RingCalendar> existing = readWholeScheduleFile(path);
    if (!existing)
        return failure(existing.error() + QStringLiteral("; it is left as it is"));
    return std::optional<RingCalendar>(*existing);
}

std::optional<DeviceModel> storedModel(const RingCalendar &calendar)
{
    return modelFromNumber(calendar.DeviceVersion);
}

QString unknownStoredModelError(const QString &path, const RingCalendar &calendar)
{
    return QStringLiteral("schedule file %1 holds model %2, which is none of the five; give --model").arg(path).arg(calendar.DeviceVersion);
}
