#include "operations/MemoryImage.h"

#include "operations/PackedDecimal.h"
#include "schedule/DateTimeValue.h"
#include "schedule/RingCalendar.h"

#include <QString>

namespace {

void setIfByte(MemoryImage &image, int offset, int value)
{
    if (value >= 0 && value <= 255)
        image.setByte(offset, quint8(value));
}

} // namespace

quint8 MemoryImage::byte(int offset) const
{
    return offset >= 0 && offset < Size ? m_bytes[size_t(offset)] : 0;
}

void MemoryImage::setByte(int offset, quint8 value)
{
    if (offset >= 0 && offset < Size)
        m_bytes[size_t(offset)] = value;
}

MemoryBlockData MemoryImage::blockData(qint32 address) const
{
    MemoryBlockData data{};
    for (int i = 0; i < BlockSize; ++i)
        data[size_t(i)] = byte(address + i);
    return data;
}

void MemoryImage::storeBlock(qint32 address, const MemoryBlock &block)
{
    for (int i = 0; i < BlockSize; ++i)
        setByte(address + i, block[size_t(i)]);
}

void FillMemoryImage(MemoryImage &image, const RingCalendar &calendar)
{
    for (int d = 0; d < DayCount; ++d) {
        for (int s = 0; s < MemoryImage::SlotsPerDay; ++s) {
            const int e = MemoryImage::entryOffset(d, s);
            const TimeOfDay time = timeOfDay(calendar.ringTime(d + 1, s + 1));
            setIfByte(image, e, calendar.timeUsed(d + 1, s + 1));
            setIfByte(image, e + 1, packedDecimal(time.hour));
            setIfByte(image, e + 2, packedDecimal(time.minute));
            setIfByte(image, e + 3, calendar.ringDuration(d + 1, s + 1));
        }
    }
}

QList<HeldTime> ApplyMemoryImage(const MemoryImage &image, RingCalendar &calendar)
{
    QList<HeldTime> held;
    for (int d = 0; d < DayCount; ++d) {
        for (int s = 0; s < MemoryImage::SlotsPerDay; ++s) {
            const int e = MemoryImage::entryOffset(d, s);
            calendar.setTimeUsed(d + 1, s + 1, image.byte(e));
            // A byte that is no time of day leaves the slot's time as it was;
            // the held text shows the controller's two bytes as they are.
            const quint8 hourByte = image.byte(e + 1), minuteByte = image.byte(e + 2);
            const std::optional<int> hour = unpackedDecimal(hourByte);
            const std::optional<int> minute = unpackedDecimal(minuteByte);
            if (hour && minute && *hour <= 23 && *minute <= 59)
                calendar.setRingTime(d + 1, s + 1, timeValue(*hour, *minute));
            else
                held.append(
                    {d + 1, s + 1,
                     QStringLiteral("%1:%2").arg(hourByte, 2, 16, QLatin1Char('0')).arg(minuteByte, 2, 16, QLatin1Char('0')).toUpper()});
            calendar.setRingDuration(d + 1, s + 1, image.byte(e + 3));
        }
    }
    return held;
}
