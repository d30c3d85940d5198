#pragma once

#include "site/ControllerOutcome.h"
#include "sitecmd/ControllerWork.h"

#include <QList>

struct Site;

// Works the controllers `jobs` at a time, each on its own; Ctrl-C or SIGTERM
// stops every child, and controllers not yet begun are not begun.
SiteWorkResult workControllers(const Site &site, const QStringList &names, const QStringList &plannedWeekPaths, ControllerWorkSetup setup,
                               int jobs);
