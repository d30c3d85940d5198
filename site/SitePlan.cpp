#include "site/SitePlan.h"

namespace {
// Periods that run for centuries are looked through for ten years only.
constexpr int LongestLookAhead = 3653;
} // namespace

PlannedDay plannedDay(const Site &site, const SiteController &controller, QDate date)
{
    for (auto period = site.periods.crbegin(); period != site.periods.crend(); ++period) {
        if (period->covers(controller.name, date))
            return {date, period->schedule, period->name};
    }
    return {date, controller.schedule, {}};
}

PlannedWeek plannedWeek(const Site &site, const SiteController &controller, QDate date)
{
    PlannedWeek week;
    week.calendar = clearedCalendar(controller.model);
    for (int ahead = 0; ahead < DayCount; ++ahead) {
        const PlannedDay day = plannedDay(site, controller, date.addDays(ahead));
        const int weekday = day.date.dayOfWeek();
        week.days[size_t(weekday - 1)] = day;
        if (ahead == 0)
            week.today = day;
        const SiteSchedule *schedule = site.schedule(day.schedule);
        if (!schedule)
            continue; // "off", or a site not checked: the row stays off
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            const int index = RingCalendar::flatIndex(weekday, slot);
            if (const auto &given = schedule->reading.givenSlots[size_t(index)]) {
                week.calendar.TimeUsed[size_t(index)] = given->timeUsed;
                week.calendar.RingTime[size_t(index)] = given->ringTime;
                week.calendar.RingDuration[size_t(index)] = given->ringDuration;
            }
        }
    }
    return week;
}

PlannedDay nextChange(const Site &site, const SiteController &controller, QDate date)
{
    QDate last = date;
    for (const SitePeriod &period : site.periods)
        last = std::max(last, period.to.addDays(1));
    last = std::min(last, date.addDays(LongestLookAhead));
    const PlannedDay now = plannedDay(site, controller, date);
    for (QDate d = date.addDays(1); d <= last; d = d.addDays(1)) {
        const PlannedDay day = plannedDay(site, controller, d);
        if (day.schedule != now.schedule || day.period != now.period)
            return day;
    }
    return {};
}
