#pragma once

#include "schedule/CalendarText.h"
#include "site/SiteDefaults.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// A place in the site file or in a schedule text, for a problem's message.
struct SitePosition
{
    QString file;
    int line = 0;   // 0: the file as a whole
    int column = 0; // 0: the line as a whole

    // "site.toml:12:5", "normal.csv:7", "site.toml"
    QString toString() const;
};

struct SiteProblem
{
    SitePosition where;
    QString message;

    QString toString() const { return where.toString() + QStringLiteral(": ") + message; }
};

// A named schedule: the slots its text gives, every other slot off.
struct SiteSchedule
{
    QString name;
    QString path; // absolute; empty for "off"
    SitePosition where;
    CalendarTextReading reading;
};

struct SiteController
{
    QString name;
    QString linkOption; // "--tcp=HOST[:PORT]" or "--serial=DEVICE", as zilctl takes it
    QString linkText;   // "tcp 10.0.0.21", "serial 1"
    QString linkKey;    // the same link however it is written: "tcp 10.0.0.21 5600" (link/LinkOptions linkIdentity)
    DeviceModel model = DeviceModel::V1;
    QString schedule; // what it rings on a date no period names
    SitePosition where;
};

struct SitePeriod
{
    QString name;
    QDate from, to; // both included
    QString schedule;
    QStringList controllers; // empty: every controller
    SitePosition where;
    // Set for an event of an iCalendar file (absolute path): the file, not
    // the site, holds its name and dates, so it is not edited as a period.
    QString calendarFile;

    bool covers(const QString &controller, QDate date) const
    {
        return date >= from && date <= to && (controllers.isEmpty() || controllers.contains(controller));
    }
};

inline const QString OffScheduleName = QStringLiteral("off");

struct Site
{
    QString path; // the site file, absolute
    QString name;
    int clockToleranceSeconds = DefaultClockToleranceSeconds;
    QString timeZone;              // where a calendar file's timed events fall on dates; empty: the system's
    QList<SiteSchedule> schedules; // "off" first
    QList<SiteController> controllers;
    QList<SitePeriod> periods; // in file order: the last that covers a date wins

    const SiteSchedule *schedule(const QString &name) const;
    const SiteController *controller(const QString &name) const;
};
