#pragma once

#include "print/YearPage.h"
#include "site/YearPlan.h"

// How a schedule is named to the operator: "Zil yok" for "off", else its name.
QString scheduleCaption(const QString &schedule);

// What the year page shows of a plan: every schedule in the legend in the
// plan's order, the periods that touch the year (for the one controller,
// when the plan is for one), and a heading that says whose year it is.
YearPageContent yearPageContent(const Site &site, const YearPlan &plan, const QString &controller, QDate printedOn);
