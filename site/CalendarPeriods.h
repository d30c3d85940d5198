#pragma once

#include "site/SiteModel.h"

#include <QTimeZone>

// The dates a command looks at. Recurring events are expanded over these
// only, so that a rule without an end is never followed for ever.
struct DateSpan
{
    QDate first, last;
};

// 1 September to 31 August: the school year that holds `date`.
DateSpan schoolYear(QDate date);
// From the school year (1 September to 31 August) before the one holding
// `first` to the one after the one holding `last`.
DateSpan schoolYearsAround(QDate first, QDate last);

// A calendar of public holidays for years is a few dozen KiB.
constexpr qint64 LargestCalendarFile = 1024 * 1024;

// One occurrence of an event: the dates it touches, both included.
struct CalendarEvent
{
    QString name; // its SUMMARY
    QDate from, to;
    int line = 0; // of its BEGIN:VEVENT
};

struct CalendarReading
{
    QList<CalendarEvent> events; // in the file's order, each event's occurrences by date
    QList<SiteProblem> problems; // a calendar with any problem gives no event
};

// Reads an iCalendar text; `shownPath` names it in problems. Timed events
// cover every date they touch in `zone`; floating times are taken as they
// are written. Cancelled and transparent events give nothing.
CalendarReading readCalendarText(const QByteArray &bytes, const QString &shownPath, const QTimeZone &zone, DateSpan window);

// Replaces every period that names a calendar file by one period for each
// occurrence of its events, in its place; `sitePath` as the site was named.
void expandCalendarPeriods(Site &site, const QString &sitePath, DateSpan window, QList<SiteProblem> &problems);
