#include "operations/DeviceOperations.h"

#include "protocol/ProgramModeClockCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "schedule/RingCalendar.h"

OperationResult DeviceOperations::SendClock(const LinkSettings &link, int model)
{
    return runCommand(link, [&]() -> OperationResult {
        const Reply reply = model == ModelV1 ? SetClockProgramMode(m_link) : SendDeviceClock(m_link);
        return {reply == Reply::Accepted ? Outcome::ClockSet : Outcome::ClockNotSet};
    });
}

OperationResult DeviceOperations::ReceiveClock(const LinkSettings &link, int model)
{
    return runCommand(link, [&]() -> OperationResult {
        std::optional<ClockReading> reading = model == ModelV1 ? ReadClockProgramMode(m_link) : ReadDeviceClock(m_link);
        if (!reading)
            return {Outcome::ClockNotRead};
        return {Outcome::ClockRead, {}, reading};
    });
}
