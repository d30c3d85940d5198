#include "sitecmd/SiteWork.h"

#include "../../SignalPipe.h"
#include "ExitCode.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <csignal>

SiteWorkResult workControllers(const Site &site, const QStringList &names, const SiteRunSetup &setup)
{
    SiteRunSetup childSetup = setup;
    childSetup.childProgram = QCoreApplication::applicationFilePath();
    SiteRun run(site, names, childSetup);
    QEventLoop loop;
    SignalPipe stop{{SIGINT, SIGTERM}, exitStatus(ExitCode::Interrupted)};
    QObject::connect(&run, &SiteRun::finished, &loop, &QEventLoop::quit);
    QObject::connect(&stop, &SignalPipe::arrived, &run, [&run] { run.cancel(QStringLiteral("stopped by a signal")); });
    run.start();
    loop.exec();
    return {run.outcomes(), run.wasCancelled()};
}
