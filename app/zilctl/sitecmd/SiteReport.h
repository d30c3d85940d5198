#pragma once

#include "CommandResult.h"
#include "site/ControllerOutcome.h"

struct Site;

// A controller's verdict: 0 in plan and on time, 4 reached but holding
// another week or off in time, 1 not read or not written.
ExitCode controllerExitCode(const ControllerOutcome &outcome, int clockToleranceSeconds);

// One line a controller, and the --json object with the site's exit code:
// the worst of the controllers', 130 when interrupted.
CommandResult siteWorkReport(const Site &site, const SiteWorkResult &work);
