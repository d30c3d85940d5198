#pragma once

#include "site/SiteModel.h"

#include <QDateTime>

// A run of consecutive days on which controllers ring a period's schedule
// instead of their own: one all-day event of the published plan.
struct PlanRun
{
    QString period, schedule;
    QStringList controllers; // those that ring it, in the site's order
    QDate from, to;          // both included
    QString uid;             // the same for the same site, period, schedule, controllers and dates

    QString summary() const; // "Cumhuriyet Bayramı – Zil yok"
};

// The runs from `from` to `to` for one controller, or for every controller
// when `controller` is empty; by date.
QList<PlanRun> planRuns(const Site &site, QDate from, QDate to, const QString &controller = {});

// The runs as an iCalendar text (CRLF, folded lines), stamped `now`.
QByteArray planCalendarText(const QList<PlanRun> &runs, const QString &productId, const QDateTime &now);
