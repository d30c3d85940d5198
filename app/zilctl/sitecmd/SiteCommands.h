#pragma once

#include "CommandResult.h"
#include "site/SiteFile.h"

#include <QStringList>

// `zilctl site ...`: parses, runs and prints; the exit status.
int runSiteCommand(const QStringList &arguments);

// A site file with problems: each with its place, nothing contacted; exit 2.
CommandResult refusedSite(const SiteReading &reading);
