#pragma once

#include "site/SiteDefaults.h"

#include <QDate>
#include <QString>
#include <QStringList>

enum class SiteVerb { Check, Plan, Status, Apply, Print, Ics };

// `zilctl site VERB SITE [options]`, checked; files are not looked at here.
struct SiteInvocation
{
    bool ok = false;
    QString error; // why the command line was refused
    SiteVerb verb = SiteVerb::Check;
    QString commandName; // "site check", ...
    bool json = false;
    QString sitePath;
    QDate date;                 // --date, default today
    int days = DefaultPlanDays; // plan
    int jobs = DefaultJobs;
    int deadlineSeconds = DefaultDeadlineSeconds; // a controller's whole work
    int waitSeconds = 0;                          // status, apply: queue this long behind another run of the site
    QStringList only;
    bool dryRun = false;
    bool setClocks = false;
    QString openMetricsPath;
    QString reportPath; // status, apply: the --json object, also written here
    QString outDir;     // print: the folder of the pages
    // ics: the calendar file to write ("-": standard output), for one
    // controller or every one, over from..to (invalid: the school year).
    QString outFile;
    QString controller;
    QDate from, to;
};

// True when the command is `site ...`: the first word that is no option.
bool isSiteCommand(const QStringList &arguments);
SiteInvocation parseSiteCommandLine(const QStringList &arguments);
QString siteHelpText();
