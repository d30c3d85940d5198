#include "sitecmd/SiteCommands.h"

#include "CommandResult.h"
#include "DefaultPaths.h"
#include "schedule/CalendarFile.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "sitecmd/OpenMetricsFile.h"
#include "sitecmd/SiteCommandLine.h"
#include "sitecmd/SitePages.h"
#include "sitecmd/SitePlanText.h"
#include "sitecmd/SiteReport.h"
#include "sitecmd/SiteWork.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Past this many problems the file is likely not a site at all; --json lists every one.
constexpr qsizetype ProblemsShown = 30;

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
    // Each child reads its controller's planned week from a schedule file of its own.
    QTemporaryDir weeks;
    if (!weeks.isValid())
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("no temporary folder for the planned weeks: %1").arg(weeks.errorString()));
    QStringList paths;
    for (const QString &name : names) {
        const QString path = weeks.filePath(QStringLiteral("week-%1.dat").arg(paths.size() + 1));
        if (const Result<> saved = SaveCalendar(plannedWeek(site, *site.controller(name), invocation.date).calendar, path); !saved)
            return CommandResult::failure(ExitCode::BadInput, QStringLiteral("%1 cannot be written: %2").arg(path, saved.error()));
        paths << path;
    }
    ControllerWorkSetup setup;
    setup.apply = invocation.verb == SiteVerb::Apply;
    setup.dryRun = invocation.dryRun;
    setup.setClocks = invocation.setClocks;
    setup.clockToleranceSeconds = site.clockToleranceSeconds;
    setup.deadlineSeconds = invocation.deadlineSeconds;
    const SiteWorkResult work = workControllers(site, names, paths, setup, invocation.jobs);
    CommandResult result = siteWorkReport(site, work);
    if (!invocation.openMetricsPath.isEmpty()) {
        const QString error = writeOpenMetricsFile(invocation.openMetricsPath, openMetricsText(work.outcomes, site.clockToleranceSeconds));
        if (!error.isEmpty()) {
            result.message += u'\n' + error;
            if (result.succeeded())
                result.exitCode = ExitCode::BadInput;
        }
    }
    return result;
}

CommandResult run(const SiteInvocation &invocation)
{
    const SiteReading reading = readSiteFile(invocation.sitePath, SerialPortMap::fromDirectory(serialPortMapDirectory()));
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
    case SiteVerb::Apply: return workSite(site, invocation);
    case SiteVerb::Print: return printSitePages(site, invocation.date, invocation.outDir);
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
    const SiteInvocation invocation = parseSiteCommandLine(arguments);
    if (!invocation.ok) {
        printResult(invocation.commandName, CommandResult::failure(ExitCode::BadInput, invocation.error), invocation.json);
        return exitStatus(ExitCode::BadInput);
    }
    const CommandResult result = run(invocation);
    printResult(invocation.commandName, result, invocation.json);
    return exitStatus(result.exitCode);
}
