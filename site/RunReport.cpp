#include "site/RunReport.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// The shape of the report; a reader refuses another.
constexpr int RunReportVersion = 1;

namespace Key {
const QString Version = QStringLiteral("report_version");
const QString Command = QStringLiteral("command");
const QString Site = QStringLiteral("site");
const QString SiteName = QStringLiteral("site_name");
const QString FinishedAt = QStringLiteral("finished_at");
const QString Ok = QStringLiteral("ok");
const QString ExitCode = QStringLiteral("exit_code");
const QString Message = QStringLiteral("message");
const QString Interrupted = QStringLiteral("interrupted");
const QString Tolerance = QStringLiteral("clock_tolerance_seconds");
const QString Controllers = QStringLiteral("controllers");
} // namespace Key

const QString CommandPrefix = QStringLiteral("site ");

} // namespace

QJsonObject runReportJson(const RunReport &report)
{
    QJsonArray controllers;
    for (const ControllerOutcome &o : report.outcomes) {
        QJsonObject c = controllerOutcomeJson(o);
        const ExitCode verdict = controllerExitCode(o, report.clockToleranceSeconds);
        c.insert(Key::Ok, verdict == ExitCode::Success);
        c.insert(Key::ExitCode, exitStatus(verdict));
        controllers.append(c);
    }
    return {{Key::Version, RunReportVersion},
            {Key::Command, CommandPrefix + report.verb},
            {Key::Site, report.sitePath},
            {Key::SiteName, report.siteName},
            {Key::FinishedAt, report.finishedAt.toOffsetFromUtc(report.finishedAt.offsetFromUtc()).toString(Qt::ISODate)},
            {Key::Ok, report.exitCode == 0},
            {Key::ExitCode, report.exitCode},
            {Key::Message, report.message},
            {Key::Interrupted, report.interrupted},
            {Key::Tolerance, report.clockToleranceSeconds},
            {Key::Controllers, controllers}};
}

Result<RunReport> runReportFromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return failure(QStringLiteral("not a JSON object: %1").arg(error.errorString()));
    const QJsonObject o = document.object();
    if (o.value(Key::Version).toInt(-1) != RunReportVersion)
        return failure(
            QStringLiteral("a report of version %1, not %2").arg(o.value(Key::Version).toVariant().toString()).arg(RunReportVersion));
    RunReport report;
    const QString command = o.value(Key::Command).toString();
    if (!command.startsWith(CommandPrefix))
        return failure(QStringLiteral("\"%1\" is not a site command").arg(Key::Command));
    report.verb = command.mid(CommandPrefix.size());
    report.sitePath = o.value(Key::Site).toString();
    report.siteName = o.value(Key::SiteName).toString();
    report.finishedAt = QDateTime::fromString(o.value(Key::FinishedAt).toString(), Qt::ISODate);
    if (!report.finishedAt.isValid())
        return failure(QStringLiteral("\"%1\" is not a date and time").arg(Key::FinishedAt));
    report.exitCode = o.value(Key::ExitCode).toInt(-1);
    report.message = o.value(Key::Message).toString();
    report.interrupted = o.value(Key::Interrupted).toBool();
    report.clockToleranceSeconds = o.value(Key::Tolerance).toInt(-1);
    if (report.exitCode < 0 || report.clockToleranceSeconds < 0)
        return failure(QStringLiteral("\"%1\" or \"%2\" is missing").arg(Key::ExitCode, Key::Tolerance));
    const QJsonArray controllers = o.value(Key::Controllers).toArray();
    for (qsizetype i = 0; i < controllers.size(); ++i) {
        const Result<ControllerOutcome> outcome = controllerOutcomeFromJson(controllers[i].toObject());
        if (!outcome)
            return failure(QStringLiteral("controller %1: %2").arg(i + 1).arg(outcome.error()));
        report.outcomes.append(*outcome);
    }
    return report;
}
