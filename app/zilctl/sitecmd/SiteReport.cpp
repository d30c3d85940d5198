#include "sitecmd/SiteReport.h"

#include "site/RunReport.h"
#include "site/SiteModel.h"

namespace {

QString offsetText(const ControllerOutcome &o)
{
    if (!o.clockRead)
        return {};
    if (!o.clockOffsetSeconds)
        return QStringLiteral("clock makes no date");
    return QStringLiteral("clock %1%2 s").arg(*o.clockOffsetSeconds > 0 ? QStringLiteral("+") : QString()).arg(*o.clockOffsetSeconds);
}

QString line(const ControllerOutcome &o, int tolerance)
{
    QStringList parts;
    parts << (o.reached ? QStringLiteral("reached") : QStringLiteral("not reached"));
    if (o.differences == 0)
        parts << QStringLiteral("in plan");
    else if (o.differences)
        parts << QStringLiteral("%1 slot(s) differ from the plan").arg(*o.differences);
    if (o.clockRead) {
        const bool off = !o.clockOffsetSeconds || qAbs(*o.clockOffsetSeconds) > tolerance;
        parts << offsetText(o) + (off ? QStringLiteral(" (off by more than %1 s)").arg(tolerance) : QString());
    }
    if (o.action == ControllerOutcome::Action::Sent)
        parts << QStringLiteral("planned week sent and verified");
    else if (o.action == ControllerOutcome::Action::WouldSend)
        parts << QStringLiteral("would send the planned week");
    if (o.clockSet)
        parts << QStringLiteral("clock set");
    if (o.wouldSetClock)
        parts << QStringLiteral("would set the clock");
    if (!o.message.isEmpty())
        parts << o.message;
    return QStringLiteral("%1 (%2, %3): %4").arg(o.name, o.link, o.model, parts.join(QStringLiteral(", ")));
}

} // namespace

CommandResult siteWorkReport(const Site &site, const QString &verb, const SiteWorkResult &work)
{
    int inPlan = 0, other = 0, unread = 0;
    ExitCode worst = ExitCode::Success;
    QStringList lines;
    for (const ControllerOutcome &o : work.outcomes) {
        const ExitCode code = controllerExitCode(o, site.clockToleranceSeconds);
        if (code == ExitCode::DeviceFailed || (code == ExitCode::Differences && worst == ExitCode::Success))
            worst = code;
        ++(code == ExitCode::Success ? inPlan : code == ExitCode::Differences ? other : unread);
        lines << line(o, site.clockToleranceSeconds);
    }
    if (work.interrupted)
        worst = ExitCode::Interrupted;
    CommandResult result;
    result.exitCode = worst;
    result.output = (lines.join(u'\n') + u'\n').toUtf8();
    result.message =
        QStringLiteral("%1 controller(s): %2 in plan and on time, %3 holding another week or off in time, %4 not read or not written%5")
            .arg(work.outcomes.size())
            .arg(inPlan)
            .arg(other)
            .arg(unread)
            .arg(work.interrupted ? QStringLiteral("; stopped by a signal") : QString());
    RunReport report;
    report.verb = verb;
    report.sitePath = site.path;
    report.siteName = site.name;
    report.finishedAt = QDateTime::currentDateTime();
    report.exitCode = exitStatus(worst);
    report.message = result.message;
    report.interrupted = work.interrupted;
    report.clockToleranceSeconds = site.clockToleranceSeconds;
    report.outcomes = work.outcomes;
    result.details = runReportJson(report);
    return result;
}
