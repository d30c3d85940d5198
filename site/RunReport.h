#pragma once

#include "schedule/Result.h"
#include "site/ControllerOutcome.h"
#include "site/SiteDefaults.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// What a status or an apply found, as `--json` prints it and as the nightly
// service leaves it in its state folder for the year window to read: one
// writer and one reader for both.
struct RunReport
{
    QString verb; // "status", "apply"
    QString sitePath;
    QString siteName;
    QDateTime finishedAt;
    int exitCode = 0;
    QString message; // the summary line
    bool interrupted = false;
    int clockToleranceSeconds = DefaultClockToleranceSeconds; // the site's, which each controller's verdict uses
    QList<ControllerOutcome> outcomes;                        // in the site's order
};

// Each controller carries its verdict ("ok", "exit_code") beside its outcome.
QJsonObject runReportJson(const RunReport &report);
Result<RunReport> runReportFromJson(const QByteArray &json);

// Where the nightly service leaves its last report.
inline const QString NightlyReportPath = QStringLiteral("/var/lib/zilsistemi-site/last-run.json");
