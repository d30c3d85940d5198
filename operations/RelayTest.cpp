#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "operations/OperatorDialog.h"
#include "protocol/RecordDeviceCommands.h"
#include "schedule/NumberText.h"
#include "schedule/RingCalendar.h"

void DeviceOperations::TestRelay()
{
    // Program-mode controllers have no relay test.
    if (m_host.selectedModelButton() == ModelV1) {
        m_host.dialog().tell(OperationText::RelayTestNotOnV1);
        return;
    }
    m_host.BeginBusy();
    m_host.setButtonEnabled(OperationButton::RelayTest, false);
    if (!openTransport()) {
        m_host.setButtonEnabled(OperationButton::RelayTest, true);
        return;
    }
    const qint16 seconds = wholeValue(leadingValue(m_host.relayTestText())).value_or(0);
    const int result = SendRelayTest(m_link, seconds);
    m_host.dialog().tell(result == DeviceAnswerExpected ? OperationText::RelayTestDone : OperationText::RelayTestFailed);
    closeLinkAndEndBusy();
    m_host.setButtonEnabled(OperationButton::RelayTest, true);
    m_host.focusButton(OperationButton::RelayTest);
}
