#include "sitecmd/SiteCalendarCommand.h"

#include "site/PlanCalendar.h"
#include "sitecmd/SiteCommandLine.h"

#include <QJsonArray>
#include <QSaveFile>

DateSpan calendarRange(const SiteInvocation &invocation)
{
    if (invocation.from.isValid() && invocation.to.isValid())
        return {invocation.from, invocation.to};
    const QDate around = invocation.from.isValid() ? invocation.from : invocation.to.isValid() ? invocation.to : QDate::currentDate();
    const DateSpan year = schoolYear(around);
    return {invocation.from.isValid() ? invocation.from : year.first, invocation.to.isValid() ? invocation.to : year.last};
}

CommandResult writeSiteCalendar(const Site &site, const SiteInvocation &invocation)
{
    if (!invocation.controller.isEmpty() && !site.controller(invocation.controller))
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("--controller: the site has no controller \"%1\"").arg(invocation.controller));
    const DateSpan range = calendarRange(invocation);
    const QList<PlanRun> runs = planRuns(site, range.first, range.last, invocation.controller);
    const QByteArray text =
        planCalendarText(runs, QStringLiteral("-//Zil Sistemi//zilctl " ZIL_VERSION "//TR"), QDateTime::currentDateTimeUtc());
    if (invocation.outFile == u"-")
        return {ExitCode::Success, {}, text, {}};
    QSaveFile file(invocation.outFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("%1 cannot be written, nothing was: %2").arg(invocation.outFile, file.errorString()));
    QJsonArray events;
    for (const PlanRun &run : runs) {
        events.append(QJsonObject{{QStringLiteral("uid"), run.uid},
                                  {QStringLiteral("summary"), run.summary()},
                                  {QStringLiteral("from"), run.from.toString(Qt::ISODate)},
                                  {QStringLiteral("to"), run.to.toString(Qt::ISODate)},
                                  {QStringLiteral("controllers"), QJsonArray::fromStringList(run.controllers)}});
    }
    return {ExitCode::Success,
            QStringLiteral("%1: %2 event(s) from %3 to %4")
                .arg(invocation.outFile)
                .arg(runs.size())
                .arg(range.first.toString(Qt::ISODate), range.last.toString(Qt::ISODate)),
            {},
            {{QStringLiteral("file"), invocation.outFile}, {QStringLiteral("events"), events}}};
}
