#include "site/YearPlan.h"

#include "site/CalendarPeriods.h"
#include "site/SitePlan.h"

#include <algorithm>

QDate schoolYearStart(QDate around)
{
    return schoolYear(around).first;
}

YearPlan yearPlan(const Site &site, QDate around, const QString &controller)
{
    YearPlan plan;
    plan.first = schoolYearStart(around);
    plan.last = plan.first.addYears(1).addDays(-1);
    if (!plan.first.isValid() || !plan.last.isValid())
        return plan; // before the calendar's first year: no days to plan

    // The parser keeps [schedules] sorted by name; the file's order is where each stands.
    QList<SiteSchedule> schedules;
    for (const SiteSchedule &schedule : site.schedules) {
        if (schedule.name != OffScheduleName)
            schedules.append(schedule);
    }
    std::stable_sort(schedules.begin(), schedules.end(), [](const SiteSchedule &a, const SiteSchedule &b) {
        return std::pair(a.where.line, a.where.column) < std::pair(b.where.line, b.where.column);
    });
    for (const SiteSchedule &schedule : std::as_const(schedules))
        plan.schedules << schedule.name;
    plan.schedules << OffScheduleName;

    QList<const SiteController *> controllers;
    for (const SiteController &c : site.controllers) {
        if (controller.isEmpty() || c.name == controller)
            controllers << &c;
    }
    for (QDate date = plan.first; date <= plan.last; date = date.addDays(1)) {
        YearDay day{date, {}, {}, false};
        for (qsizetype i = 0; i < controllers.size(); ++i) {
            const PlannedDay planned = plannedDay(site, *controllers[i], date);
            if (i == 0) {
                day.schedule = planned.schedule;
                day.period = planned.period;
                continue;
            }
            if (planned.schedule != day.schedule)
                day.differs = true;
            if (planned.period != day.period)
                day.period.clear(); // no one period decided the day for all
        }
        if (day.differs)
            day.schedule.clear();
        plan.days.append(day);
    }
    return plan;
}
