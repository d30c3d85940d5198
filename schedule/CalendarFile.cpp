#include "schedule/CalendarFile.h"

#include "schedule/DateTimeValue.h"
#include "schedule/RecordFile.h"

#include <QDir>
#include <QtEndian>
#include <cstring>

namespace {
template<typename T>
void putLittleEndian(char *at, T value)
{
    qToLittleEndian(value, at);
}

template<typename T>
T getLittleEndian(const char *at)
{
    return qFromLittleEndian<T>(at);
}

} // namespace

QString calendarFilePath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("RingCalendar.dat"));
}

QByteArray calendarToBytes(const RingCalendar &calendar)
{
    QByteArray bytes(CalendarFileSize, '\0');
    char *data = bytes.data();
    putLittleEndian<qint16>(data, calendar.DeviceVersion);
    for (int i = 0; i < SlotTotal; ++i) {
        putLittleEndian<qint16>(data + TimeUsedOffset + 2 * i, calendar.TimeUsed[i]);
        putLittleEndian<qint16>(data + RingDurationOffset + 2 * i, calendar.RingDuration[i]);
        putLittleEndian<quint64>(data + RingTimeOffset + 8 * i, bitsOf(calendar.RingTime[i]));
    }
    return bytes;
}

void overlayCalendarBytes(RingCalendar &calendar, const QByteArray &bytes)
{
    QByteArray image = calendarToBytes(calendar);
    const qsizetype count = std::min(bytes.size(), image.size());
    std::memcpy(image.data(), bytes.constData(), size_t(count));

    const char *data = image.constData();
    calendar.DeviceVersion = getLittleEndian<qint16>(data);
    for (int i = 0; i < SlotTotal; ++i) {
        calendar.TimeUsed[i] = getLittleEndian<qint16>(data + TimeUsedOffset + 2 * i);
        calendar.RingDuration[i] = getLittleEndian<qint16>(data + RingDurationOffset + 2 * i);
        calendar.RingTime[i] = doubleOf(getLittleEndian<quint64>(data + RingTimeOffset + 8 * i));
    }
}

void LoadCalendar(RingCalendar &calendar, const QString &path)
{
    overlayCalendarBytes(calendar, readRecordPrefix(path, CalendarFileSize));
}

Result<> SaveCalendar(const RingCalendar &calendar, const QString &path)
{
    return writeRecordKeepingTail(path, calendarToBytes(calendar));
}
