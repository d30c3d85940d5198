#include "DeviceJob.h"

#include "ScheduleFileInput.h"
#include "schedule/DeviceModelNames.h"

namespace {

bool needsSchedule(Subcommand command)
{
    return command == Subcommand::Send || command == Subcommand::Verify;
}

} // namespace

Result<DeviceJob> prepareDeviceJob(const Invocation &invocation)
{
    DeviceJob job;
    job.command = invocation.command;
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
    if (job.command == Subcommand::Receive) {
        const Result<std::optional<RingCalendar>> replaced = readScheduleToReplace(invocation.calendarPath);
        if (!replaced)
            return failure(replaced.error());
        job.calendar = *replaced;
    }

    if (!invocation.link)
        return failure(QStringLiteral("%1 needs one of --tcp HOST[:PORT] and --serial DEVICE").arg(invocation.commandName));
    job.link = *invocation.link;
    job.link.line = facts(job.model).line; // as the window sets them for its model
    return job;
}
