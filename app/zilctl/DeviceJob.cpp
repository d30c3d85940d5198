#include "DeviceJob.h"

#include "CommandLine.h"
#include "ScheduleFileInput.h"
#include "schedule/DeviceModelNames.h"

namespace {

DeviceCommand deviceCommandOf(Subcommand command)
{
    switch (command) {
    case Subcommand::Receive: return DeviceCommand::Receive;
    case Subcommand::Verify: return DeviceCommand::Verify;
    case Subcommand::ClockSet: return DeviceCommand::ClockSet;
    case Subcommand::ClockRead: return DeviceCommand::ClockRead;
    case Subcommand::RelayTest: return DeviceCommand::RelayTest;
    default: return DeviceCommand::Send;
    }
}

bool needsSchedule(DeviceCommand command)
{
    return command == DeviceCommand::Send || command == DeviceCommand::Verify;
}

LinkSettings linkSettings(const LinkTarget &target, DeviceModel model)
{
    LinkSettings link;
    link.transport = target.transport == LinkTarget::Transport::Tcp ? LinkTransport::Tcp : LinkTransport::Serial;
    link.host = target.host;
    link.tcpPort = target.tcpPort;
    link.serialDevice = target.serialDevice;
    link.line = facts(model).line; // as the window sets them for its model
    return link;
}

} // namespace

Result<DeviceJob> prepareDeviceJob(const Invocation &invocation)
{
    DeviceJob job;
    job.command = deviceCommandOf(invocation.command);
    job.calendarPath = invocation.calendarPath;
    job.relaySeconds = invocation.relaySeconds;
    job.verifyAfterSend = invocation.verifyAfterSend;

    if (needsSchedule(job.command) || !invocation.model) {
        const Result<RingCalendar> input = readWholeScheduleFile(invocation.calendarPath);
        if (!input) {
            const QString hint = needsSchedule(job.command) ? QString() : QStringLiteral(" (give --model to go without it)");
            return failure(input.error() + hint);
        }
        if (needsSchedule(job.command))
            job.calendar = *input;
        const std::optional<DeviceModel> stored = storedModel(*input);
        if (!invocation.model && !stored)
            return failure(unknownStoredModelError(invocation.calendarPath, *input));
        job.model = invocation.model ? *invocation.model : *stored;
    } else {
        job.model = *invocation.model;
    }
    if (job.command == DeviceCommand::Receive) {
        const Result<std::optional<RingCalendar>> replaced = readScheduleToReplace(invocation.calendarPath);
        if (!replaced)
            return failure(replaced.error());
        job.calendar = *replaced;
    }

    if (!invocation.link)
        return failure(QStringLiteral("%1 needs one of --tcp HOST[:PORT] and --serial DEVICE").arg(invocation.commandName));
    job.link = linkSettings(*invocation.link, job.model);
    return job;
}
