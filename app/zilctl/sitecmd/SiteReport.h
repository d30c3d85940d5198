#pragma once

#include "CommandResult.h"
#include "site/ControllerOutcome.h"

struct Site;

// One line a controller, and the --json object (the run's report) with the
// site's exit code: the worst of the controllers', 130 when interrupted.
// `verb`: "status" or "apply".
CommandResult siteWorkReport(const Site &site, const QString &verb, const SiteWorkResult &work);
