#pragma once

#include "CommandLine.h"
#include "CommandResult.h"

// print: the schedule file's week on one page, as a PDF, PNG or SVG file, or
// a PDF on standard output. Needs a QGuiApplication (offscreen will do).
CommandResult printWeekPage(const Invocation &invocation);
