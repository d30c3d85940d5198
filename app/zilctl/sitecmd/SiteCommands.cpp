#include "sitecmd/SiteCommands.h"

#include "CommandResult.h"
#include "DefaultPaths.h"
#include "schedule/WholeFile.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "sitecmd/OpenMetricsFile.h"
#include "sitecmd/SiteCalendarCommand.h"
#include "sitecmd/SiteCommandLine.h"
#include "sitecmd/SitePages.h"
#include "sitecmd/SitePlanText.h"
#include "sitecmd/SiteReport.h"
#include "sitecmd/SiteRunLock.h"
#include "sitecmd/SiteWork.h"
#include "sitecmd/SiteYearCommands.h"

#include <QJsonArray>
#include <cstdio>

namespace {

// Past this many problems the file is likely not a site at all; --json lists every one.
constexpr qsizetype ProblemsShown = 30;

} // namespace

CommandResult refusedSite(const SiteReading &reading)
{
    QStringList lines;
    QJsonArray list;
    for (const SiteProblem &p : reading.problems) {
        if (lines.size() < ProblemsShown)
            lines << p.toString();
        list.append(QJsonObject{{QStringLiteral("file"), p.where.file},
                                {QStringLiteral("line"), p.where.line},
                                {QStringLiteral("column"), p.where.column},
                                {QStringLiteral("message"), p.message}});
    }
    if (reading.problems.size() > ProblemsShown)
        lines << QStringLiteral("... and %1 more").arg(reading.problems.size() - ProblemsShown);
    return CommandResult::failure(ExitCode::BadInput,
                                  QStringLiteral("the site file was refused, nothing was contacted:\n%1").arg(lines.join(u'\n')),
                                  {{QStringLiteral("problems"), list}});
}

namespace {

QJsonArray plannedJson(const Site &site, QDate from, int days)
{
    QJsonArray controllers;
    for (const SiteController &controller : site.controllers) {
        QJsonArray dates;
        for (int i = 0; i < days; ++i) {
            const PlannedDay day = plannedDay(site, controller, from.addDays(i));
            dates.append(QJsonObject{{QStringLiteral("date"), day.date.toString(Qt::ISODate)},
                                     {QStringLiteral("schedule"), day.schedule},
                                     {QStringLiteral("period"), day.period}});
        }
        controllers.append(QJsonObject{{QStringLiteral("name"), controller.name}, {QStringLiteral("dates"), dates}});
    }
    return controllers;
}

// An output file of a run, replaced whole; a failure turns a success into
// OutputNotWritten and keeps any other failure.
void writeOutput(CommandResult &result, const QString &path, const QByteArray &bytes)
{
    if (const Result<> written = writeWholeFile(path, bytes); !written) {
        result.message += QStringLiteral("\n%1 cannot be written: %2").arg(path, written.error());
        if (result.succeeded())
            result.exitCode = ExitCode::OutputNotWritten;
    }
}

CommandResult workSite(const Site &site, const SiteInvocation &invocation)
{
    QStringList names = invocation.only;
    names.removeDuplicates(); // one controller is never worked twice at once
    for (const QString &name : names) {
        if (!site.controller(name))
            return CommandResult::failure(ExitCode::BadInput, QStringLiteral("--only: the site has no controller \"%1\"").arg(name));
    }
    if (names.isEmpty()) {
        for (const SiteController &controller : site.controllers)
            names << controller.name;
    }
    SiteRunSetup setup;
    setup.apply = invocation.verb == SiteVerb::Apply;
    setup.dryRun = invocation.dryRun;
    setup.setClocks = invocation.setClocks;
    setup.jobs = invocation.jobs;
    setup.deadlineSeconds = invocation.deadlineSeconds;
    setup.date = invocation.date;
    const SiteWorkResult work = workControllers(site, names, setup);
    CommandResult result =
        siteWorkReport(site, invocation.verb == SiteVerb::Apply ? QStringLiteral("apply") : QStringLiteral("status"), work);
    if (!invocation.openMetricsPath.isEmpty())
        writeOutput(result, invocation.openMetricsPath, openMetricsText(work.outcomes, site.clockToleranceSeconds));
    return result;
}

CommandResult run(const SiteInvocation &invocation)
{
    // Calendar files' events are read over the school years around the dates asked for.
    const DateSpan asked =
        invocation.verb == SiteVerb::Ics ? calendarRange(invocation) : DateSpan{invocation.date, invocation.date.addDays(invocation.days)};
    const SiteReading reading = readSiteFile(invocation.sitePath, schoolYearsAround(asked.first, asked.last),
                                             SerialPortMap::fromDirectory(serialPortMapDirectory()));
    if (!reading.site)
        return refusedSite(reading);
    const Site &site = *reading.site;
    switch (invocation.verb) {
    case SiteVerb::Check:
        return {ExitCode::Success,
                {},
                siteCheckText(site, QDate::currentDate()).toUtf8(),
                {{QStringLiteral("site"), site.path}, {QStringLiteral("controllers"), plannedJson(site, QDate::currentDate(), 1)}}};
    case SiteVerb::Plan:
        return {
            ExitCode::Success,
            {},
            sitePlanText(site, invocation.date, invocation.days).toUtf8(),
            {{QStringLiteral("site"), site.path}, {QStringLiteral("controllers"), plannedJson(site, invocation.date, invocation.days)}}};
    case SiteVerb::Status:
    case SiteVerb::Apply: {
        LinkLock siteRun;
        if (const Result<> locked = takeSiteRunLock(siteRun, invocation.sitePath, invocation.waitSeconds); !locked)
            return CommandResult::failure(ExitCode::DeviceFailed, locked.error());
        return workSite(site, invocation);
    }
    case SiteVerb::Print: return printSitePages(site, invocation.date, invocation.outDir);
    case SiteVerb::Ics: return writeSiteCalendar(site, invocation);
    }
    return {};
}

} // namespace

int runSiteCommand(const QStringList &arguments)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(qPrintable(siteHelpText().mid(1)), stdout);
        return exitStatus(ExitCode::Success);
    }
    if (isSiteYearCommand(arguments))
        return runSiteYearCommand(arguments);
    const SiteInvocation invocation = parseSiteCommandLine(arguments);
    if (!invocation.ok) {
        printResult(invocation.commandName, CommandResult::failure(ExitCode::BadInput, invocation.error), invocation.json);
        return exitStatus(ExitCode::BadInput);
    }
    CommandResult result = run(invocation);
    // The run's report as --json prints it, for the year window and monitoring.
    if (!invocation.reportPath.isEmpty())
        writeOutput(result, invocation.reportPath, resultJson(invocation.commandName, result));
    printResult(invocation.commandName, result, invocation.json);
    return exitStatus(result.exitCode);
}
