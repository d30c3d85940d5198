#include "operations/DeviceOperations.h"

#include "operations/OperationHost.h"
#include "protocol/RecordDeviceCommands.h"
#include "schedule/RingCalendar.h"

OperationResult DeviceOperations::TestRelay(const LinkSettings &link, int model, qint16 seconds)
{
    // Program-mode controllers have no relay test.
    if (model == ModelV1) {
        const OperationResult result{Outcome::RelayNotOnModel};
        m_host.tell(result.message());
        return result;
    }
    return runCommand(link, [&]() -> OperationResult {
        return {SendRelayTest(m_link, seconds) == Reply::Accepted ? Outcome::RelayRang : Outcome::RelayNotRung};
    });
}
