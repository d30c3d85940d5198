#include "RunDeviceJob.h"

// The device work waits for the window-free operations interface; until it
// is in, every device subcommand says so instead of pretending to succeed.
CommandResult runDeviceJob(const DeviceJob &job)
{
    Q_UNUSED(job);
    return CommandResult::failure(ExitCode::NotBuilt,
                                  QStringLiteral("the device subcommands are not built into this zilctl yet; "
                                                 "export and import work"));
}
