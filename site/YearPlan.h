#pragma once

#include "site/SiteModel.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One day of a school year as the printed year and the year window show it.
struct YearDay
{
    QDate date;
    QString schedule;     // what it rings ("off" for none); empty when the controllers differ
    QString period;       // the period that decided it; empty: the controllers' own schedule
    bool differs = false; // the controllers looked at ring different schedules
};

// September to August: the school year that holds `around`.
QDate schoolYearStart(QDate around);

struct YearPlan
{
    QDate first, last;   // 1 September, 31 August
    QList<YearDay> days; // every date from first to last
    // Legend order: the [schedules] table's order, "off" last; a palette
    // takes its colours in this order, so no schedule name is special.
    QStringList schedules;
};

// The year for one controller, or for every controller when `controller` is empty.
YearPlan yearPlan(const Site &site, QDate around, const QString &controller = {});
