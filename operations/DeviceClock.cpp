#include "operations/DeviceOperations.h"

#include "operations/ClockText.h"
#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "operations/OperatorDialog.h"
#include "protocol/ProgramModeClockCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "schedule/RingCalendar.h"

void DeviceOperations::SendClock()
{
    m_host.BeginBusy();
    m_host.setButtonEnabled(OperationButton::SendClock, false);
    if (!openTransport()) {
        m_host.setButtonEnabled(OperationButton::SendClock, true);
        return;
    }
    const int result = m_host.selectedModelButton() == ModelV1 ? SetClockProgramMode(m_link) : SendDeviceClock(m_link);
    m_host.dialog().tell(result == 1 ? OperationText::ClockSet : OperationText::ClockSetFailed);
    closeLinkAndEndBusy();
    m_host.setButtonEnabled(OperationButton::SendClock, true);
    m_host.focusButton(OperationButton::SendClock);
}

void DeviceOperations::ReceiveClock()
{
    m_host.BeginBusy();
    m_host.setButtonEnabled(OperationButton::ReceiveClock, false);
    if (!openTransport()) {
        m_host.setButtonEnabled(OperationButton::ReceiveClock, true);
        return;
    }
    if (m_host.selectedModelButton() == ModelV1) {
        if (ReadClockProgramMode(m_link, m_reply) == ProgramCommandOk)
            m_host.setRingerClockText(programModeClockText(m_reply));
        else
            m_host.dialog().tell(OperationText::ClockReadFailed);
    } else {
        DeviceClockReading reading;
        if (ReadDeviceClock(m_link, reading) == DeviceAnswerExpected)
            m_host.setRingerClockText(reading.clockText + QLatin1String(", ") + reading.dayName);
        else
            m_host.dialog().tell(OperationText::ClockReadFailed);
    }
    closeLinkAndEndBusy();
    m_host.setButtonEnabled(OperationButton::ReceiveClock, true);
    m_host.focusButton(OperationButton::ReceiveClock);
}
