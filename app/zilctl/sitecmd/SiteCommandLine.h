#pragma once

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
    QDate date;    // --date, default today
    int days = 14; // plan
    int jobs = 4;
    int deadlineSeconds = 600; // a controller's whole work
    QStringList only;
    bool dryRun = false;
    bool setClocks = false;
    QString openMetricsPath;
    QString outDir; // print: the folder of the pages
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
