#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "operations/OperatorDialog.h"
#include "operations/PackedDecimal.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "schedule/DateTimeValue.h"
#include "schedule/RingCalendar.h"

namespace {

constexpr qint16 RegionC = 0;
constexpr qint16 RegionF = 1; // the closing write that ends a block send

} // namespace

void DeviceOperations::SendCalendar()
{
    runScheduleTransfer(OperationText::AskSendCalendar, &DeviceOperations::SendCalendarBlocks,
                        &DeviceOperations::SendCalendarRecords);
}

void DeviceOperations::SendCalendarBlocks()
{
    m_host.BeginBusy();
    openProgress(TransferProgress::ToController, 32);
    FillMemoryImage(m_image, m_host.calendar());

    if (RequestProgramMode(m_link, ProgramModeLoad) != ProgramCommandOk) {
        m_host.EndBusy();
        report(OperationText::ProgramModeFailed);
    } else {
        bool blockFailed = false;
        for (qint32 address = 0; address <= MemoryImage::LastBlockAddress; address += MemoryImage::BlockSize) {
            if (WriteMemoryBlock(m_link, m_image.blockData(address), address, RegionC) != ProgramCommandOk) {
                blockFailed = true;
                break;
            }
            m_progress.step();
            m_progress.setStatusText(OperationText::withPercent(OperationText::Sending, address, MemoryImage::LastBlockAddress));
            if (m_progress.cancelled()) {
                m_host.EndBusy();
                m_host.dialog().tell(OperationText::Cancelled);
                m_progress.unload();
                return;
            }
        }
        const bool closed = !blockFailed
            && WriteMemoryBlock(m_link, m_image.blockData(MemoryImage::LastBlockAddress),
                                MemoryImage::LastBlockAddress, RegionF) == ProgramCommandOk;
        m_host.EndBusy();
        if (closed) {
            m_progress.resetBar();
            report(OperationText::SendSucceeded);
        } else {
            // Also when only the closing write went unanswered: the
            // controller did not take the schedule, and the operator must know.
            report(OperationText::BlockSendFailed);
        }
    }
    m_host.EndBusy();
    m_progress.close();
}

void DeviceOperations::SendCalendarRecords(int slotsPerDay)
{
    m_host.BeginBusy();
    const int total = DayCount * slotsPerDay;
    openProgress(TransferProgress::ToController, total);
    const RingCalendar &calendar = m_host.calendar();

    for (int i = 0; i < DayCount; ++i) {
        for (int j = 0; j < slotsPerDay; ++j) {
            const int day = i + 1, slot = j + 1;
            const TimeOfDay time = timeOfDay(calendar.ringTime(day, slot));
            const int result = WriteCalendarRecord(m_link, qint16(day), qint16(slot),
                                                   calendar.timeUsed(day, slot) == 1 ? 1 : 0,
                                                   calendar.ringDuration(day, slot),
                                                   packedDecimal(time.hour), packedDecimal(time.minute));
            if (result != RecordWriteAccepted) {
                m_host.EndBusy();
                // The window goes before the message: nothing stays open behind it.
                m_progress.close();
                m_host.dialog().tell(OperationText::RecordSendFailed);
                return;
            }
            m_progress.step();
            m_progress.setStatusText(OperationText::withPercent(OperationText::Sending, slotsPerDay * i + j, total));
            if (m_progress.cancelled()) {
                m_host.EndBusy();
                m_host.dialog().tell(OperationText::Cancelled);
                m_progress.unload();
                return;
            }
        }
    }
    m_host.EndBusy();
    report(OperationText::SendSucceeded);
    m_progress.close();
}
