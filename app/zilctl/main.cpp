// zilctl: the controller's device work from a shell, a cron job or a
// configuration tool, without a window; and the schedule file as text.
#include "CommandLine.h"
#include "CommandResult.h"
#include "DeviceJob.h"
#include "PrintCommand.h"
#include "RunDeviceJob.h"
#include "TextCommands.h"
#include "sitecmd/SiteChild.h"
#include "sitecmd/SiteCommandLine.h"
#include "sitecmd/SiteCommands.h"
#include "sitecmd/SiteYearCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

CommandResult run(const Invocation &invocation)
{
    switch (invocation.command) {
    case Subcommand::Export: return exportCalendarText(invocation);
    case Subcommand::Import: return importCalendarText(invocation);
    case Subcommand::Print: return printWeekPage(invocation);
    default: break;
    }
    const Result<DeviceJob> job = prepareDeviceJob(invocation);
    if (!job)
        return CommandResult::failure(ExitCode::BadInput, job.error());
    return runDeviceJob(*job);
}

// Drawing text needs the GUI application; offscreen, it needs no display.
void startGuiApplication(std::unique_ptr<QCoreApplication> &app, int &argc, char *argv[])
{
    app.reset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Its start-up notes (no session's runtime folder, under cron) are no
    // concern of a script's: zilctl reports its own errors.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
}

} // namespace

int main(int argc, char *argv[])
{
    // The protocol's pauses are counted passes of the event loop, hundreds of
    // thousands a controller; Qt's own Unix dispatcher runs a pass with less
    // CPU than the GLib one, and zilctl has no window that needs GLib's loop.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zilctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZIL_VERSION));

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && arguments[1] == u"site-child")
        return runSiteChild();
    if (isSiteCommand(arguments)) {
        if (parseSiteCommandLine(arguments).verb == SiteVerb::Print || drawsYearPage(arguments))
            startGuiApplication(app, argc, argv);
        return runSiteCommand(arguments);
    }
    const Invocation invocation = parseCommandLine(arguments);
    switch (invocation.action) {
    case Invocation::Action::ShowHelp: std::fputs(qPrintable(helpText() + siteHelpText()), stdout); return exitStatus(ExitCode::Success);
    case Invocation::Action::ShowVersion: std::printf("zilctl %s\n", ZIL_VERSION); return exitStatus(ExitCode::Success);
    case Invocation::Action::Refuse: {
        // A command line the parser could not read still asks for --json.
        const bool json = invocation.json || arguments.contains(QStringLiteral("--json"));
        printResult(invocation.commandName, CommandResult::failure(ExitCode::BadInput, invocation.error), json);
        return exitStatus(ExitCode::BadInput);
    }
    case Invocation::Action::Run: break;
    }
    if (invocation.command == Subcommand::Print)
        startGuiApplication(app, argc, argv);

    const CommandResult result = run(invocation);
    printResult(invocation.commandName, result, invocation.json);
    return exitStatus(result.exitCode);
}
