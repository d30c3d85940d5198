#include "operations/DeviceOperations.h"

#include "operations/OperationTexts.h"
#include "operations/PackedDecimal.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "schedule/DateTimeValue.h"
#include "schedule/RingCalendar.h"

OperationResult DeviceOperations::SendCalendar(const LinkSettings &link, DeviceModel model, const RingCalendar &calendar)
{
    return runTransfer(OperationText::AskSendCalendar, link, model, TransferProgress::Direction::ToController, [&] {
        return facts(model).family == ModelFamily::ProgramMode ? SendCalendarBlocks(calendar)
                                                               : SendCalendarRecords(calendar, facts(model).slotsCarried);
    });
}

Outcome DeviceOperations::SendCalendarBlocks(const RingCalendar &calendar)
{
    FillMemoryImage(m_image, calendar);
    if (RequestProgramMode(m_link, ProgramMode::Load) != Reply::Accepted)
        return Outcome::ProgramModeRefused;

    for (int block = 0; block < MemoryImage::BlockCount; ++block) {
        const qint32 address = block * MemoryImage::BlockSize;
        if (WriteMemoryBlock(m_link, m_image.blockData(address), address, MemoryRegion::C) != Reply::Accepted)
            return Outcome::BlockWriteFailed;
        m_progress.step();
        m_progress.setStatusText(OperationText::withPercent(OperationText::Sending, address, MemoryImage::LastBlockAddress));
        if (m_progress.cancelled())
            return Outcome::Cancelled;
    }
    // The last block again, in region "F", ends the send. Unanswered, the
    // controller did not take the schedule, and the operator must know.
    const Reply closing =
        WriteMemoryBlock(m_link, m_image.blockData(MemoryImage::LastBlockAddress), MemoryImage::LastBlockAddress, MemoryRegion::F);
    return closing == Reply::Accepted ? Outcome::BlocksSent : Outcome::BlockWriteFailed;
}

Outcome DeviceOperations::SendCalendarRecords(const RingCalendar &calendar, int slotsPerDay)
{
    const int total = DayCount * slotsPerDay;
    for (int i = 0; i < DayCount; ++i) {
        for (int j = 0; j < slotsPerDay; ++j) {
            const int day = i + 1, slot = j + 1;
            const TimeOfDay time = timeOfDay(calendar.ringTime(day, slot));
            const Reply reply = WriteCalendarRecord(m_link, qint16(day), qint16(slot), calendar.timeUsed(day, slot) == 1 ? 1 : 0,
                                                    calendar.ringDuration(day, slot), packedDecimal(time.hour), packedDecimal(time.minute));
            if (reply != Reply::Accepted)
                return Outcome::RecordWriteFailed;
            m_progress.step();
            m_progress.setStatusText(OperationText::withPercent(OperationText::Sending, slotsPerDay * i + j, total));
            if (m_progress.cancelled())
                return Outcome::Cancelled;
        }
    }
    return Outcome::RecordsSent;
}
