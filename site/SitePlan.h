#pragma once

#include "site/SiteModel.h"

#include <array>

// What a controller rings on one date: the last period in the file that
// covers the date and names the controller (or names none), else the
// controller's own schedule.
struct PlannedDay
{
    QDate date;
    QString schedule;
    QString period; // empty: no period, the controller's own schedule
    // The period's name, else the schedule's: what a plan's cell shows.
    QString caption() const { return period.isEmpty() ? schedule : period; }
};

PlannedDay plannedDay(const Site &site, const SiteController &controller, QDate date);

// The one week a controller must hold on date T: for each weekday the row
// of the schedule that applies on the one date of T..T+6 falling on it.
struct PlannedWeek
{
    RingCalendar calendar;                 // for the controller's model; slots no text gives are off
    std::array<PlannedDay, DayCount> days; // Monday first
    PlannedDay today;                      // the day of T itself, and the period that applies on it
};

PlannedWeek plannedWeek(const Site &site, const SiteController &controller, QDate date);

// The first date after `date` on which the controller rings something else,
// within the periods of the file; an invalid day when nothing changes.
PlannedDay nextChange(const Site &site, const SiteController &controller, QDate date);
