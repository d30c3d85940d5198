#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "schedule/RingCalendar.h"

OperationResult DeviceOperations::ReceiveCalendar(const LinkSettings &link, DeviceModel model, RingCalendar &calendar)
{
    m_timesNotOfDay.clear();
    return runTransfer(OperationText::AskReceiveCalendar, link, model, TransferProgress::Direction::ToComputer, [&] {
        // Into a copy: a receive that fails or is cancelled halfway leaves the
        // operator's schedule as it was, never a mix of old and new slots.
        RingCalendar received = calendar;
        const Outcome outcome = facts(model).family == ModelFamily::ProgramMode
                                    ? ReceiveCalendarBlocks(received)
                                    : ReceiveCalendarRecords(received, facts(model).slotsCarried);
        if (outcome == Outcome::Received) {
            calendar = received;
            m_host.scheduleReceived();
        }
        return outcome;
    });
}

Outcome DeviceOperations::ReceiveCalendarBlocks(RingCalendar &calendar)
{
    m_imageFromController = false;
    if (RequestProgramMode(m_link, ProgramMode::Read) != Reply::Accepted)
        return Outcome::ProgramModeRefused;

    for (int block = 0; block < MemoryImage::BlockCount; ++block) {
        const qint32 address = block * MemoryImage::BlockSize;
        // The last block lies in region "F".
        const MemoryRegion region = address >= MemoryImage::LastBlockAddress ? MemoryRegion::F : MemoryRegion::C;
        const std::optional<MemoryBlock> read = ReadMemoryBlock(m_link, address, region);
        if (!read)
            return Outcome::BlockReadFailed;
        m_image.storeBlock(address, *read);
        m_progress.step();
        m_progress.setStatusText(OperationText::withPercent(OperationText::Receiving, address, MemoryImage::LastBlockAddress));
        if (m_progress.cancelled())
            return Outcome::Cancelled;
    }
    m_imageFromController = true;
    m_timesNotOfDay = ApplyMemoryImage(m_image, calendar);
    return Outcome::Received;
}

Outcome DeviceOperations::ReceiveCalendarRecords(RingCalendar &calendar, int slotsPerDay)
{
    const int total = DayCount * slotsPerDay;
    for (int i = 0; i < DayCount; ++i) {
        for (int j = 0; j < slotsPerDay; ++j) {
            const int day = i + 1, slot = j + 1;
            const std::optional<SlotReading> reading = ReadCalendarRecord(m_link, qint16(day), qint16(slot));
            if (!reading)
                return Outcome::RecordReadFailed;
            m_progress.step();
            m_progress.setStatusText(OperationText::withPercent(OperationText::Receiving, slotsPerDay * i + j, total));
            calendar.setTimeUsed(day, slot, reading->used);
            calendar.setRingDuration(day, slot, reading->duration);
            if (reading->time)
                calendar.setRingTime(day, slot, *reading->time);
            else
                m_timesNotOfDay.append({day, slot, reading->timeText});
            if (m_progress.cancelled())
                return Outcome::Cancelled;
        }
    }
    return Outcome::Received;
}
