#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "protocol/RecordDeviceCommands.h"
#include "schedule/RingCalendar.h"

OperationResult DeviceOperations::TestRelay(const LinkSettings &link, DeviceModel model, qint16 seconds)
{
    if (!facts(model).relayTest) {
        const OperationResult result{Outcome::RelayNotOnModel};
        m_host.tell(result.message());
        return result;
    }
    return runCommand(link, [&]() -> OperationResult {
        return OperationResult{SendRelayTest(m_link, seconds) == Reply::Accepted ? Outcome::RelayRang : Outcome::RelayNotRung};
    });
}
