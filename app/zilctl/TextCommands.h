#pragma once

#include "CommandLine.h"
#include "CommandResult.h"

// export: the schedule file as text. import: text checked line by line, then
// written into the schedule file, or nothing written at all.
CommandResult exportCalendarText(const Invocation &invocation);
CommandResult importCalendarText(const Invocation &invocation);
