#include "operations/DeviceOperations.h"

#include "protocol/ProgramModeClockCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "schedule/RingCalendar.h"

OperationResult DeviceOperations::SendClock(const LinkSettings &link, DeviceModel model)
{
    return runCommand(link, [&]() -> OperationResult {
        const bool programMode = facts(model).family == ModelFamily::ProgramMode;
        const Reply reply = programMode ? SetClockProgramMode(m_link) : SendDeviceClock(m_link);
        return OperationResult{reply == Reply::Accepted ? Outcome::ClockSet : Outcome::ClockNotSet};
    });
}

OperationResult DeviceOperations::ReceiveClock(const LinkSettings &link, DeviceModel model)
{
    return runCommand(link, [&]() -> OperationResult {
        const bool programMode = facts(model).family == ModelFamily::ProgramMode;
        std::optional<ClockReading> reading = programMode ? ReadClockProgramMode(m_link) : ReadDeviceClock(m_link);
        if (!reading)
            return OperationResult{Outcome::ClockNotRead};
        return OperationResult{Outcome::ClockRead, {}, reading};
    });
}
