#pragma once

#include "CommandResult.h"
#include "site/CalendarPeriods.h"

struct Site;
struct SiteInvocation;

// The dates `site ics` writes: --from/--to, else the school year around
// today (or around the one date given).
DateSpan calendarRange(const SiteInvocation &invocation);

// `site ics`: the plan's special days as an iCalendar file, written whole
// or not at all, or to standard output for "-".
CommandResult writeSiteCalendar(const Site &site, const SiteInvocation &invocation);
