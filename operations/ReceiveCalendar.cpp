#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "operations/OperatorDialog.h"
#include "operations/RecordAnswer.h"
#include "protocol/CalendarDumpCommand.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "schedule/RingCalendar.h"

void DeviceOperations::ReceiveCalendar()
{
    runScheduleTransfer(OperationText::AskReceiveCalendar, &DeviceOperations::ReceiveCalendarBlocks,
                        &DeviceOperations::ReceiveCalendarRecords);
}

void DeviceOperations::ReceiveCalendarBlocks()
{
    m_host.BeginBusy();
    openProgress(TransferProgress::ToComputer, 32);

    if (RequestProgramMode(m_link, ProgramModeRead) != ProgramCommandOk) {
        m_host.EndBusy();
        report(OperationText::ProgramModeFailed);
    } else {
        bool blockFailed = false;
        for (qint32 address = 0; address <= MemoryImage::LastBlockAddress; address += MemoryImage::BlockSize) {
            // The last block lies in region "F".
            const qint16 region = address >= MemoryImage::LastBlockAddress ? 1 : 0;
            if (ReadMemoryBlock(m_link, address, region, m_reply) != ProgramCommandOk) {
                blockFailed = true;
                break;
            }
            m_image.storeBlock(address, m_reply);
            m_progress.step();
            m_progress.setStatusText(OperationText::withPercent(OperationText::Receiving, address, MemoryImage::LastBlockAddress));
            if (m_progress.cancelled()) {
                m_host.EndBusy();
                m_host.dialog().tell(OperationText::Cancelled);
                m_progress.close();
                return;
            }
        }
        if (blockFailed) {
            m_host.EndBusy();
            report(OperationText::ReceiveFailed);
        } else {
            ApplyMemoryImage(m_image, m_host.calendar());
            m_host.SelectFirstDayTab();
            m_host.EndBusy();
            m_progress.resetBar();
            report(OperationText::ReceiveSucceeded);
        }
    }
    m_host.EndBusy();
    m_progress.close();
}

void DeviceOperations::ReceiveCalendarRecords(int slotsPerDay)
{
    m_host.BeginBusy();
    const int total = DayCount * slotsPerDay;
    openProgress(TransferProgress::ToComputer, total);

    for (int i = 0; i < DayCount; ++i) {
        for (int j = 0; j < slotsPerDay; ++j) {
            const int day = i + 1, slot = j + 1;
            const QByteArray answer = ReadCalendarRecord(m_link, qint16(day), qint16(slot));
            if (isFailedRecordRead(answer)) {
                m_host.EndBusy();
                // The window goes before the message: nothing stays open behind it.
                m_progress.close();
                m_host.dialog().tell(OperationText::ReceiveFailed);
                return;
            }
            m_progress.step();
            m_progress.setStatusText(OperationText::withPercent(OperationText::Receiving, slotsPerDay * i + j, total));
            storeRecordAnswer(m_host.calendar(), day, slot, answer);
            if (m_progress.cancelled()) {
                m_host.EndBusy();
                m_host.dialog().tell(OperationText::Cancelled);
                m_progress.unload();
                return;
            }
        }
    }
    m_host.SelectFirstDayTab();
    m_host.EndBusy();
    m_progress.resetBar();
    report(OperationText::ReceiveSucceeded);
    m_progress.close();
}
