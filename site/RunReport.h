#pragma once

#include "schedule/Result.h"
#include "site/ControllerOutcome.h"

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
    QString siteName;
    QDateTime finishedAt;
    int exitCode = 0;
    bool interrupted = false;
    QList<ControllerOutcome> outcomes; // in the site's order
};

QJsonObject runReportJson(const RunReport &report);
Result<RunReport> runReportFromJson(const QByteArray &json);

// Where the nightly service leaves its last report.
inline const QString NightlyReportPath = QStringLiteral("/var/lib/zilsistemi-site/last-run.json");
