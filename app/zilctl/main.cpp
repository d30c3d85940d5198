// zilctl: the controller's device work from a shell, a cron job or a
// configuration tool, without a window; and the schedule file as text.
#include "CommandLine.h"
#include "CommandResult.h"
#include "DeviceJob.h"
#include "RunDeviceJob.h"
#include "TextCommands.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

CommandResult run(const Invocation &invocation)
{
    switch (invocation.command) {
    case Subcommand::Export: return exportCalendarText(invocation);
    case Subcommand::Import: return importCalendarText(invocation);
    default: break;
    }
    const Result<DeviceJob> job = prepareDeviceJob(invocation);
    if (!job)
        return CommandResult::failure(ExitCode::BadInput, job.error());
    return runDeviceJob(*job);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zilctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZIL_VERSION));

    const QStringList arguments = QCoreApplication::arguments();
    const Invocation invocation = parseCommandLine(arguments);
    switch (invocation.action) {
    case Invocation::Action::ShowHelp:
        std::fputs(qPrintable(helpText()), stdout);
        return exitStatus(ExitCode::Success);
    case Invocation::Action::ShowVersion:
        std::printf("zilctl %s\n", ZIL_VERSION);
        return exitStatus(ExitCode::Success);
    case Invocation::Action::Refuse: {
        // A command line the parser could not read still asks for --json.
        const bool json = invocation.json || arguments.contains(QStringLiteral("--json"));
        printResult(invocation.commandName, CommandResult::failure(ExitCode::BadInput, invocation.error), json);
        return exitStatus(ExitCode::BadInput);
    }
    case Invocation::Action::Run: break;
    }

    const CommandResult result = run(invocation);
    printResult(invocation.commandName, result, invocation.json);
    return exitStatus(result.exitCode);
}
