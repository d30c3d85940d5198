#pragma once

#include "site/ControllerOutcome.h"
#include "site/SiteRun.h"

struct Site;

// Works the controllers through a site run, each in a zilctl child of its
// own; Ctrl-C or SIGTERM stops every child, and controllers not yet begun
// are not begun.
SiteWorkResult workControllers(const Site &site, const QStringList &names, const SiteRunSetup &setup);
